#include "editor/dialogs/ColorWnd.h"

#include "editor/dialogs/DialogDpi.h"
#include "editor/dialogs/DialogKeys.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/core/DPI.h"

namespace {

CDialogDpiDebounce g_dpiDebounce;

}  // namespace

CColorWnd::CColorWnd(CMainWnd* owner, int target)
    : m_pOwner(owner)
    , m_nTarget(target)
{
}

HWND CColorWnd::CreateOwned(HWND owner)
{
    return Create(owner, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
}

const wchar_t* CColorWnd::GetWindowClassName() const
{
    return L"historywnd";
}

SkinUI::CUIString CColorWnd::GetSkinFileName()
{
    return L"color.xml";
}

void CColorWnd::InitWindow()
{
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
}

void CColorWnd::OnClick(SkinUI::TNotifyUI& msg)
{
    if (!msg.pSender || msg.pSender->GetName() != L"color")
        return;
    m_pOwner->ApplyChosenColor(msg.pSender->GetBkColor(), static_cast<uint8_t>(m_nTarget) != 0);
    Close(1);
}

LRESULT CColorWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return AnswerDialogKey(*this, wParam, 2);
}

LRESULT CColorWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_KILLFOCUS)
        Close(1);
    else if (uMsg == WM_DPICHANGED)
        g_dpiDebounce.Rescale(m_pm, m_hWnd, wParam, lParam);
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CColorWnd::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;  // nobody else holds the popup
}
