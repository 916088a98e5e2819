#include "media/PlayerUI.h"

#include <cstdint>

int CPlayerUI::BindOutputWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return 0;
    m_hOutputWnd = hwnd;
    m_player.SetOutputWindow(hwnd);
    m_player.SetPlayingHandler([](CAVPlayer* player) { PostPlayerEvent(player, kMsgPlaying); });
    m_player.SetPositionHandler([](CAVPlayer* player) { PostPlayerEvent(player, kMsgPosition); });
    m_player.SetEndReachedHandler([](CAVPlayer* player) { PostPlayerEvent(player, kMsgEndReached); });
    return 1;
}

void CPlayerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (m_hOutputWnd)
        SetWindowPos(m_hOutputWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOACTIVATE | SWP_NOZORDER);
    CControlUI::SetPos(rc, bNeedInvalidate);
}

void CPlayerUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (m_hOutputWnd)
        ShowWindow(m_hOutputWnd, bVisible ? SW_SHOWNORMAL : SW_HIDE);
}

void CPlayerUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    if (m_hOutputWnd)
        ShowWindow(m_hOutputWnd, bVisible ? SW_SHOWNORMAL : SW_HIDE);
}

BOOL CPlayerUI::PostPlayerEvent(CAVPlayer* player, UINT message)
{
    if (!player)
        return FALSE;
    HWND output = player->GetOutputWindow();
    HWND parent = IsWindow(output) ? ::GetParent(output) : nullptr;
    if (!IsWindow(parent))
        return FALSE;
    return PostMessage(parent, message, reinterpret_cast<WPARAM>(player), 0);
}
