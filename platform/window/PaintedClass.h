#pragma once
// What the system classes we paint ourselves ("Edit", "msctls_hotkey32", "SysIPAddress32",
// "SysDateTimePick32") have in common: how they are registered and how they answer the painting
// messages.

#include "platform/WinUser.h"

namespace platform {

// Registers a system class (no instance, so framework windows can superclass it) whose windows keep
// one state pointer in their extra bytes.
inline void RegisterPaintedClass(const wchar_t* name, WNDPROC proc, UINT style, LPCWSTR cursor)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hCursor = LoadCursor(nullptr, cursor);
    wc.lpszClassName = name;
    RegisterClassEx(&wc);
}

// Answers WM_PAINT, WM_PRINTCLIENT and WM_ERASEBKGND for a window that paints itself whole with
// paint(dc); the background is never erased apart, so the paint leaves no flicker.
template <class PaintFn>
LRESULT AnswerPaint(HWND hwnd, UINT msg, WPARAM wParam, PaintFn&& paint)
{
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(dc);
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace platform
