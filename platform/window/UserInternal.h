#pragma once
// Shared internals of the window functions (the files User*.cpp of this folder).

#include "platform/window/WindowManager.h"

#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// Other programs' top-level windows (ForeignWindows.cpp): found when none of ours matches; the
// calls answer nullopt for a handle that is not another program's window.
HWND FindForeignWindow(LPCWSTR className, LPCWSTR title);
std::optional<BOOL> ForeignIsIconic(HWND hwnd);
std::optional<BOOL> ForeignShowWindow(HWND hwnd, int cmd);
std::optional<BOOL> ForeignPostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Calls the window's current procedure on this thread (lock not held by the caller).
LRESULT CallProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Turns one raw input record into the messages it makes for `queue`'s thread (lock not held).
// Input whose window belongs to another thread is passed on to that thread's queue.
std::vector<QueuedMessage> ConvertInput(MessageQueue& queue, const RawInput& input);
// Sends the window a posted-style message (lock held): false when the window is gone.
bool PostLocked(WindowManager& wm, Window* window, UINT msg, WPARAM wParam, LPARAM lParam);
// Gives the DCs kept from GetDC their windows' current place and size (lock held).
void PlaceWindowDCsLocked(WindowManager& wm);
// Draws what changed of a top-level window to the display (lock held).
void PresentLocked(WindowManager& wm, Window* top, const RECT& dirty);
// Activation and focus changes with their messages (lock not held).
void ActivateWindow(HWND hwnd, bool byMouse);
void DeactivateIfGone(HWND hwnd);
// Keyboard state for MK_* flags (lock held).
WPARAM MouseKeyState(const WindowManager& wm);
// Runs the manager's own caption-drag and border-resize loop (lock not held).
void MoveSizeLoop(HWND hwnd, int edge);
// SetWindowPos flag of our own: report a size change even when the rectangle stays (minimise).
constexpr UINT kSwpForceSize = 0x80000000;
// The visible top-level window at a screen point that takes mouse input (lock held), and the
// deepest visible child of `window` at a point in its client coordinates.
Window* TopLevelAt(WindowManager& wm, POINT screen);
Window* ChildAt(Window* window, POINT client);
// Keys a PC keyboard sends with the extended prefix (arrows, Insert/Delete, Home/End, pages).
bool IsExtendedKey(int vk);
// Register the system classes "Edit", "msctls_hotkey32", "SysIPAddress32" and
// "SysDateTimePick32" (once, from InitCommonControls).
void RegisterEditClass();
void RegisterHotKeyClass();
void RegisterIPAddressClass();
void RegisterDateTimePickerClass();
// The shown carets over a top-level window, in its coordinates (lock held).
std::vector<RECT> CaretRects(WindowManager& wm, Window* top);

}  // namespace platform
