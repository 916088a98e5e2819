#include "editor/dialogs/ShowProgress.h"

#include "base/StringHelpers.h"
#include "editor/dialogs/DialogDpi.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/controls/ProgressUI.h"
#include "ui/core/DPI.h"

namespace {

CDialogDpiDebounce g_dpiDebounce;

}  // namespace

CShowProgress::CShowProgress(CMainWnd* mainWnd)
    : m_pMainWnd(mainWnd)
{
}

int CShowProgress::BarValue() const
{
    return static_cast<int>(m_pMainWnd->m_fJobPercent.load());
}

std::wstring CShowProgress::PercentText() const
{
    return FormatWide(L"%.2f%%", static_cast<double>(m_pMainWnd->m_fJobPercent.load()));
}

void CShowProgress::Cancel()
{
    CancelFlag = 1;
    m_pMainWnd->StopPageEncoder();
}

const wchar_t* CShowProgress::GetWindowClassName() const
{
    return L"ShowProgress";
}

SkinUI::CUIString CShowProgress::GetSkinFileName()
{
    return L"ShowProgress.xml";
}

void CShowProgress::InitWindow()
{
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    CenterWindow();
    m_pProgressBar = m_pm.FindControl(L"progressbar");
    m_pPercentLabel = m_pm.FindControl(L"progress");
    ::SetTimer(m_hWnd, kRefreshTimer, kRefreshMs, nullptr);
}

void CShowProgress::ShowPercent()
{
    if (auto* bar = m_pProgressBar ? static_cast<SkinUI::CProgressUI*>(m_pProgressBar->GetInterface(L"Progress")) : nullptr)
        bar->SetValue(BarValue());
    if (m_pPercentLabel)
        m_pPercentLabel->SetText(PercentText().c_str());
}

void CShowProgress::OnClick(SkinUI::TNotifyUI& msg)
{
    const SkinUI::CUIString name = msg.pSender ? msg.pSender->GetName() : SkinUI::CUIString();
    if (name != L"cancel" && name != L"closebtn")
        return;
    Cancel();
    ::KillTimer(m_hWnd, kRefreshTimer);
    Close(1);
}

LRESULT CShowProgress::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_TIMER && wParam == kRefreshTimer)
        ShowPercent();
    else if (uMsg == WM_CLOSE)
        ::KillTimer(m_hWnd, kRefreshTimer);
    else if (uMsg == WM_DPICHANGED)
        g_dpiDebounce.Rescale(m_pm, m_hWnd, wParam, lParam);
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

LRESULT CShowProgress::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}
