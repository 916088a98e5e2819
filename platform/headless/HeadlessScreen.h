#pragma once
// The headless display as tests drive it: choose it, size its monitors, inject mouse and keyboard
// input, move the clock forward, pump the calling thread's messages and read the composed screen.
//
// Input goes through the same path as a real display's: it is turned into window messages when
// the owning thread takes it from its queue, so a test injects, then pumps (PumpMessages) before
// looking at the result. The screen is composed on reading: every visible top-level window in
// z-order, normal windows opaque, layered windows with their alpha, over a black desktop.

#include "platform/WinUser.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::headless {

// Selects the headless display for this process unless another display is already in use;
// true when the headless display is the one in use. Call before the first window is made.
bool Use();

// One monitor per rectangle (the first is primary); the work area leaves out `taskbar` pixels
// at the bottom of each. The default is one 1920x1080 monitor with a 40-pixel task bar.
void SetMonitors(const std::vector<RECT>& monitors, int taskbar = 40);
// Changes a monitor's DPI and sends WM_DPICHANGED to the top-level windows on it, with the
// suggested rectangle scaled by the change, as a DPI change of the display does.
void SetMonitorDpi(UINT dpi, int monitor = 0);

enum Button { Left = 0, Right = 1, Middle = 2 };
void MoveMouse(int x, int y);
void PressButton(Button button, int x, int y);
void ReleaseButton(Button button, int x, int y);
void Click(int x, int y, Button button = Left);
void Wheel(int delta, int x, int y);  // delta in WHEEL_DELTA units: +120 away from the user
// The pointer leaves every window of this process (it moved onto another program).
void LeaveScreen();
// A key press: `text` is what it types; by default the key's own character with the present
// Shift, Caps Lock and Ctrl state (letters, digits, space, Return, Backspace, Tab, Escape).
void KeyDown(int vk);
void KeyDown(int vk, const std::wstring& text);
void KeyUp(int vk);
void PressKey(int vk);  // down and up
// Text committed by an input method (arrives as WM_IME_CHAR, then WM_CHAR by default handling).
void CommitText(const std::wstring& text);
// The desktop asks a top-level window to close (its close button).
void RequestClose(HWND hwnd);

// Something dragged from another program and dropped at a screen point, delivered at once on the
// calling thread (which must own the window there): a file list (WM_DROPFILES for a window that
// accepts files, else the registered drop target), or a whole .bmp file as CF_DIB.
void DropFiles(int x, int y, const std::vector<std::wstring>& files, DWORD keyState = 0);
void DropBmp(int x, int y, const std::vector<BYTE>& bmpFile, DWORD keyState = 0);

// Moves the window system's clock (timers, hover, double-click times) forward.
void Advance(unsigned ms);
// The clock runs on real time besides Advance, so a timer can come due while a slow machine
// pumps. Held, it moves only by Advance: a test can then check the state before a timer is due.
// Released, it runs on from where it stood.
void HoldClock(bool hold);
class HeldClock {
public:
    HeldClock() { HoldClock(true); }
    ~HeldClock() { HoldClock(false); }
    HeldClock(const HeldClock&) = delete;
    HeldClock& operator=(const HeldClock&) = delete;
};
// Dispatches every message waiting for the calling thread, including paints and due timers;
// returns how many were dispatched. Never waits.
int PumpMessages();

// The composed screen: one pixel as 0xAARRGGBB, or a rectangle row by row.
uint32_t PixelAt(int x, int y);
std::vector<uint32_t> Capture(const RECT& area);
bool SavePng(const std::string& path);

// Message boxes: the answer the next ones give (0: their first button) and the last text shown.
void SetMessageBoxAnswer(int answer);
std::wstring LastMessageBoxText();

// Popup menus: with an answer set, TrackPopupMenu shows nothing and takes the command the answer
// gives for the menu (0 cancels). Null tracks the menu for real.
void SetPopupMenuAnswer(std::function<UINT(HMENU menu, POINT screen)> answer);

}  // namespace platform::headless
