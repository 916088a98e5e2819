#pragma once
// The common controls the framework opens as in-place editors, besides "Edit" and the tooltip
// (WinUser.h): the hot-key field, the IP-address field and the date picker. Each is our own
// painted window class, registered as a system class (null instance) so a framework window can
// superclass it, and each tells its parent what the Windows control tells it:
//   - "msctls_hotkey32": takes the next key with its Ctrl/Shift/Alt state; Backspace or Delete
//     clears it. EN_CHANGE through WM_COMMAND after each change.
//   - "SysIPAddress32": four decimal fields, each clamped to its range (0..255 by default); digits
//     type into the field with the caret and move on after three; ".", Space and the arrows move
//     between fields; Backspace clears backwards; Delete clears the field. The fields live in one
//     inner child window that holds the focus: EN_SETFOCUS / EN_KILLFOCUS go to the parent when
//     the focus enters or leaves the whole control, EN_CHANGE when an address changes, and key
//     releases are passed up to the control window so a superclass sees them.
//   - "SysDateTimePick32": year, month and day shown as "yyyy-MM-dd"; Left/Right choose a field,
//     Up/Down and the mouse wheel step it, digits type it; every change sends DTN_DATETIMECHANGE
//     through WM_NOTIFY. There is no drop-down month calendar: DTN_DROPDOWN and DTN_CLOSEUP are
//     never sent.
// They run on the thread that made them, like every window.

#include "platform/WinUser.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;
constexpr DWORD ICC_DATE_CLASSES = 0x00000100;
constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
constexpr DWORD ICC_INTERNET_CLASSES = 0x00000800;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;
// Registers every class the layer has (they are all there from the first window on anyway);
// FALSE for a bad size.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

// ---- Hot key --------------------------------------------------------------------------------

constexpr wchar_t HOTKEY_CLASS[] = L"msctls_hotkey32";
constexpr BYTE HOTKEYF_SHIFT = 0x01;
constexpr BYTE HOTKEYF_CONTROL = 0x02;
constexpr BYTE HOTKEYF_ALT = 0x04;
constexpr BYTE HOTKEYF_EXT = 0x08;
constexpr WPARAM HKCOMB_NONE = 0x0001;
constexpr WPARAM HKCOMB_S = 0x0002;
constexpr WPARAM HKCOMB_C = 0x0004;
constexpr WPARAM HKCOMB_A = 0x0008;
constexpr WPARAM HKCOMB_SC = 0x0010;
constexpr WPARAM HKCOMB_SA = 0x0020;
constexpr WPARAM HKCOMB_CA = 0x0040;
constexpr WPARAM HKCOMB_SCA = 0x0080;
// wParam MAKEWORD(virtual key, HOTKEYF_* modifiers).
constexpr UINT HKM_SETHOTKEY = WM_USER + 1;
// Returns MAKEWORD(virtual key, modifiers).
constexpr UINT HKM_GETHOTKEY = WM_USER + 2;
// wParam: HKCOMB_* combinations that are not allowed; LOWORD(lParam): the modifiers used instead.
constexpr UINT HKM_SETRULES = WM_USER + 3;

// ---- IP address -----------------------------------------------------------------------------

constexpr wchar_t WC_IPADDRESS[] = L"SysIPAddress32";
constexpr UINT IPM_CLEARADDRESS = WM_USER + 100;
constexpr UINT IPM_SETADDRESS = WM_USER + 101;  // lParam: the address, first field in the high byte
constexpr UINT IPM_GETADDRESS = WM_USER + 102;  // lParam: DWORD*; returns the non-blank fields
constexpr UINT IPM_SETRANGE = WM_USER + 103;    // wParam: field 0-3; lParam: MAKEIPRANGE(low, high)
constexpr UINT IPM_SETFOCUS = WM_USER + 104;    // wParam: field 0-3
constexpr UINT IPM_ISBLANK = WM_USER + 105;
constexpr LPARAM MAKEIPRANGE(BYTE low, BYTE high) { return static_cast<LPARAM>((static_cast<WORD>(high) << 8) | low); }
constexpr DWORD MAKEIPADDRESS(BYTE b1, BYTE b2, BYTE b3, BYTE b4)
{
    return (static_cast<DWORD>(b1) << 24) | (static_cast<DWORD>(b2) << 16) | (static_cast<DWORD>(b3) << 8) | b4;
}
constexpr BYTE FIRST_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 24) & 0xFF); }
constexpr BYTE SECOND_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 16) & 0xFF); }
constexpr BYTE THIRD_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 8) & 0xFF); }
constexpr BYTE FOURTH_IPADDRESS(DWORD x) { return static_cast<BYTE>(x & 0xFF); }

// ---- Date and time picker -------------------------------------------------------------------

constexpr wchar_t DATETIMEPICK_CLASS[] = L"SysDateTimePick32";
constexpr WPARAM GDT_ERROR = static_cast<WPARAM>(-1);
constexpr WPARAM GDT_VALID = 0;
constexpr WPARAM GDT_NONE = 1;
constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;  // lParam: SYSTEMTIME*; returns GDT_VALID
constexpr UINT DTM_SETSYSTEMTIME = DTM_FIRST + 2;  // wParam GDT_VALID, lParam: const SYSTEMTIME*
constexpr UINT DTN_FIRST2 = 0U - 753U;
constexpr UINT DTN_CLOSEUP = DTN_FIRST2;
constexpr UINT DTN_DROPDOWN = DTN_FIRST2 - 1;
constexpr UINT DTN_DATETIMECHANGE = DTN_FIRST2 - 6;
struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags;  // GDT_VALID
    SYSTEMTIME st;
};
using LPNMDATETIMECHANGE = NMDATETIMECHANGE*;
