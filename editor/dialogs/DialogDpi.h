#pragma once
// The editor dialogs' answer to WM_DPICHANGED: take the new DPI, reset the DPI assets, move to the
// suggested rectangle without activating or reordering, and lay out again. A window class keeps
// one debounce (a static of the class): a change within 100 ms of the last one handled for that
// class is left to the base handler. UI thread only.

#include "platform/WinTypes.h"

namespace SkinUI {
class CPaintManagerUI;
}

class CDialogDpiDebounce {
public:
    // True when the change was applied.
    bool Rescale(SkinUI::CPaintManagerUI& pm, HWND hwnd, WPARAM wParam, LPARAM lParam);

private:
    DWORD m_lastTick { 0 };
    bool m_handledOnce { false };
};
