#pragma once
// The Windows value vocabulary the framework and the editor are written in. Widths follow Windows
// (LONG and DWORD are 32-bit; WPARAM, LPARAM and LRESULT are pointer-sized). Wide text is wchar_t.
// Every handle is an opaque pointer owned by the platform layer.

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HRESULT = int32_t;
using ATOM = uint16_t;
using COLORREF = uint32_t;
using WCHAR = wchar_t;
using TCHAR = wchar_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPTSTR = wchar_t*;
using LPCTSTR = const wchar_t*;
using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef _T
#define _T(x) L##x
#endif
#ifndef CALLBACK
#define CALLBACK
#endif
#ifndef WINAPI
#define WINAPI
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif

#define QUILL_DECLARE_HANDLE(name) struct name##__; using name = name##__*
QUILL_DECLARE_HANDLE(HWND);
QUILL_DECLARE_HANDLE(HDC);
QUILL_DECLARE_HANDLE(HINSTANCE);
QUILL_DECLARE_HANDLE(HBITMAP);
QUILL_DECLARE_HANDLE(HFONT);
QUILL_DECLARE_HANDLE(HBRUSH);
QUILL_DECLARE_HANDLE(HPEN);
QUILL_DECLARE_HANDLE(HRGN);
QUILL_DECLARE_HANDLE(HCURSOR);
QUILL_DECLARE_HANDLE(HICON);
QUILL_DECLARE_HANDLE(HMENU);
QUILL_DECLARE_HANDLE(HMONITOR);
QUILL_DECLARE_HANDLE(HRSRC);
QUILL_DECLARE_HANDLE(HKEY);
QUILL_DECLARE_HANDLE(HKL);
#undef QUILL_DECLARE_HANDLE
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HGLOBAL = void*;
using HANDLE = void*;

struct RECT { LONG left, top, right, bottom; };
struct POINT { LONG x, y; };
struct SIZE { LONG cx, cy; };
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;
using LPSIZE = SIZE*;

struct FILETIME { DWORD dwLowDateTime, dwHighDateTime; };
struct SYSTEMTIME { WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds; };

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using FARPROC = void (*)();

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(uintptr_t v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(uintptr_t v) { return static_cast<BYTE>((v >> 8) & 0xFF); }
constexpr WORD MAKEWORD(BYTE lo, BYTE hi) { return static_cast<WORD>(lo | (hi << 8)); }
constexpr LONG MAKELONG(WORD lo, WORD hi) { return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
// Mouse coordinates in an LPARAM are signed 16-bit values.
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(static_cast<uintptr_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(static_cast<uintptr_t>(lp))); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return static_cast<COLORREF>(r | (g << 8) | (b << 16)); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// A resource named by number travels in a string pointer whose value is the id.
inline LPWSTR MAKEINTRESOURCE(uintptr_t id) { return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(static_cast<WORD>(id))); }
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }
