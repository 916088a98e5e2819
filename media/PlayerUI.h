#pragma once
// CPlayerUI: the skin's "player" control. A plain control that owns the page's CAVPlayer, keeps
// the player's output window (a child window of the control's window, made by the host) over its
// own rectangle and shown with it, and turns the player's events into messages for that window's
// parent: WM_USER+1 playing, WM_USER+2 position changed, WM_USER+3 end reached, with the player in
// wParam and 0 in lParam. The messages are posted from libVLC's threads; the control itself lives
// on its window's thread.

#include "media/AVPlayer.h"
#include "ui/core/ControlUI.h"

class CPlayerUI : public SkinUI::CControlUI {
public:
    static constexpr UINT kMsgPlaying = WM_USER + 1;
    static constexpr UINT kMsgPosition = WM_USER + 2;
    static constexpr UINT kMsgEndReached = WM_USER + 3;

    CPlayerUI() = default;
    ~CPlayerUI() override = default;

    // Keeps `hwnd` as the output window, gives it to the player and installs the handlers that
    // post the three messages; 0 when `hwnd` is not a window, else 1.
    int BindOutputWindow(HWND hwnd);
    HWND GetOutputWindow() const { return m_hOutputWnd; }
    CAVPlayer& Player() { return m_player; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;

    // Posts `message` to the parent of the player's output window; what the post returns, or 0
    // when there is no player, output window or parent.
    static BOOL PostPlayerEvent(CAVPlayer* player, UINT message);

private:
    CAVPlayer m_player;
    HWND m_hOutputWnd { nullptr };
};
