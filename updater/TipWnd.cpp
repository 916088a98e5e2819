#include "updater/TipWnd.h"

#include "updater/ApplyZipUpdate.h"
#include "updater/EditorProcesses.h"
#include "updater/FileUtil.h"
#include "updater/UpdateWorker.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "platform/Resource.h"
#include "platform/WinBase.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/RichEditUI.h"
#include "ui/core/DPI.h"

#include <unistd.h>

using namespace SkinUI;

namespace {

constexpr UINT kApplyDelayMs = 3000;
constexpr int kEditorStopWaitMs = 5000;
constexpr UINT kIconResource = 108;  // the editor's icon, linked into the updater too

template <typename T>
T* FindAs(CPaintManagerUI& pm, const wchar_t* name)
{
    return static_cast<T*>(pm.FindControl(name));
}

std::wstring JoinChangeLog(const std::map<int, std::string>& lines)
{
    std::wstring text;
    bool first = true;
    for (const auto& entry : lines) {
        if (!first)
            text += L"\n";
        first = false;
        text += AnsiToWide(entry.second);
    }
    return text;
}

}  // namespace

TipWnd::TipWnd() = default;  // here, where the worker's type is complete

TipWnd::~TipWnd()
{
    // The job cannot outlive the object that waits for its result.
    if (m_applyJob.joinable())
        m_applyJob.join();
}

const wchar_t* TipWnd::GetWindowClassName() const
{
    return kUpdaterGuid;
}

void TipWnd::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

CUIString TipWnd::GetSkinFileName()
{
    return L"main.xml";
}

void TipWnd::InitWindow()
{
    LOG(INFO) << "tip_wnd init begin";
    m_currentDpi = static_cast<int>(CDPI::GetMainMonitorDPI());
    LOG(INFO) << "init cur dpi" << m_currentDpi;
    m_pm.SetDPI(m_currentDpi);
    SetIcon(kIconResource);
    m_closeButton = FindAs<CButtonUI>(m_pm, L"closebtn");
    m_updateButton = FindAs<CButtonUI>(m_pm, L"update");
    m_rebootButton = FindAs<CButtonUI>(m_pm, L"reboot");
    m_content = FindAs<CRichEditUI>(m_pm, L"content");
    m_currentVersionLabel = FindAs<CLabelUI>(m_pm, L"curver");
    m_updateVersionLabel = FindAs<CLabelUI>(m_pm, L"updatever");
    m_logo = FindAs<CLabelUI>(m_pm, L"logo");
    m_productName = FindAs<CLabelUI>(m_pm, L"upname");
    m_progressRow = m_pm.FindControl(L"v_process");
    m_progress = FindAs<CProgressUI>(m_pm, L"jindu");
    if (m_currentVersionLabel)
        m_currentVersionLabel->SetText((L"当前版本：" + m_currentVersion).c_str());
    if (m_updateVersionLabel)
        m_updateVersionLabel->SetText((L"更新版本：" + m_updateVersion).c_str());
    if (m_content)
        m_content->SetText(JoinChangeLog(m_changeLog).c_str());
}

void TipWnd::OnClick(TNotifyUI& msg)
{
    const CUIString name = msg.pSender->GetName();
    if (name == L"update")
        StartDownload();
    else if (name == L"reboot")
        Reboot();
    else if (name == L"closebtn")
        Close(1);
}

void TipWnd::StartDownload()
{
    DropWorker();
    // A file left by an earlier attempt would look complete to the worker, which would then
    // download nothing and report nothing.
    unlink(WideToAnsi(m_downloadPath).c_str());
    m_downloadComplete = false;
    m_worker = std::make_unique<UpdateWorker>(m_url, WideToAnsi(m_downloadPath), UpdateWorker::kDownload);
    m_worker->PostReportsTo(m_hWnd);
    m_worker->SetSkip(true);
    m_worker->Start();
    if (m_progress)
        m_progress->SetValue(0);
    ShowState(false, true, false);
    if (m_closeButton)
        m_closeButton->SetEnabled(false);
}

void TipWnd::OnDownloadProgress(int percent)
{
    if (percent != 100) {
        // A download only moves forward; the framework's 0 after a DPI change must not reset
        // the bar (a new download starts it at 0 itself).
        if (m_progress && percent > m_progress->GetValue())
            m_progress->SetValue(percent);
        return;
    }
    if (m_downloadComplete)
        return;
    m_downloadComplete = true;
    if (m_progress)
        m_progress->SetValue(100);
    ::SetTimer(m_hWnd, kApplyTimer, kApplyDelayMs, nullptr);
}

void TipWnd::OnDownloadFailed()
{
    if (!m_worker)
        return;  // the failure of a worker already let go
    LOG(ERROR) << "download failed: the update can be started again";
    ShowResult(false);
}

void TipWnd::OnTimer(UINT_PTR id, bool& bHandled)
{
    if (id != kApplyTimer) {
        bHandled = false;  // a control's timer: the paint manager's business
        return;
    }
    ::KillTimer(m_hWnd, kApplyTimer);
    if (!m_downloadComplete || m_applying || !m_worker)
        return;
    const int verified = m_worker->VerifiedFile();
    if (verified < 0) {
        ShowResult(false);
        return;
    }
    m_applying = true;
    m_editorBeforeApply = FileIdentityOf(WideToAnsi(m_exePath));
    if (m_applyJob.joinable())
        m_applyJob.join();
    m_applyJob = std::thread(ApplyUpdateJob, m_hWnd, HeldFilePath(verified), m_tempDir, m_installDir, m_updateType);
}

void TipWnd::ApplyUpdateJob(HWND dialog, std::wstring archive, std::wstring tempDir, std::wstring installDir,
                            std::wstring updateType)
{
    bool applied = true;
    if (updateType == L"zip") {
        ApplyZipOptions options;
        options.logUnit = "tip_wnd";
        options.logDeleteFailure = false;
        options.copyFailureWithCode = false;
        applied = ApplyZipUpdate(archive, tempDir, installDir, options);
    }
    ::PostMessageW(dialog, WM_UPDATE_APPLIED, applied ? 1 : 0, 0);
}

void TipWnd::OnApplyResult(bool applied)
{
    m_applying = false;
    if (!applied)
        LOG(ERROR) << "update not applied: the installation is unchanged";
    ShowResult(applied);
}

void TipWnd::ShowResult(bool applied)
{
    ShowState(!applied, false, applied);
    if (m_closeButton)
        m_closeButton->SetEnabled(true);
    DropWorker();
}

void TipWnd::DropWorker()
{
    m_worker.reset();
    m_downloadComplete = false;
}

void TipWnd::ShowState(bool update, bool progress, bool reboot)
{
    if (m_updateButton)
        m_updateButton->SetVisible(update);
    if (m_progressRow)
        m_progressRow->SetVisible(progress);
    if (m_rebootButton)
        m_rebootButton->SetVisible(reboot);
}

void TipWnd::Reboot()
{
    if (m_updateType != L"zip") {
        // Installers would run elevated, which this system does not do: nothing is started.
        LOG(INFO) << WideToAnsi(m_downloadPath) << " is an installer: not run on this system";
        Close(1);
        return;
    }
    StopEditorProcesses(WideToAnsi(m_exePath), kEditorStopWaitMs, { m_editorBeforeApply });
    ::ShellExecuteW(nullptr, L"open", m_exePath.c_str(), L"", nullptr, SW_SHOWNORMAL);
    Close(1);
}

LRESULT TipWnd::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    if (m_applying) {
        LOG(INFO) << "close refused: the update is being applied";
        return 0;  // handled: the window stays
    }
    bHandled = false;
    return 0;
}

void TipWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const auto now = static_cast<int32_t>(::GetTickCount());
    if (m_lastDpiChange != -1 && now - m_lastDpiChange < 100)
        return;
    m_lastDpiChange = now;
    const int dpi = LOWORD(wParam);
    LOG(INFO) << "change scale" << static_cast<double>(dpi) / m_baseDpi;
    m_currentDpi = dpi;
    m_pm.SetDPI(dpi);
    m_pm.ResetDPIAssets();
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_pm.GetShadow()->DisableShadow(false);
    if (CControlUI* root = m_pm.GetRoot())
        root->NeedUpdate();
}

LRESULT TipWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    switch (uMsg) {
    case WM_TIMER:
        OnTimer(wParam, bHandled);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        bHandled = false;
        return 0;
    case WM_UPDATE_PROGRESS:
        OnDownloadProgress(static_cast<int>(wParam));
        return 0;
    case WM_UPDATE_DOWNLOAD_FAILED:
        OnDownloadFailed();
        return 0;
    case WM_UPDATE_APPLIED:
        OnApplyResult(wParam == 1);
        return 0;
    default:
        return WindowImplBase::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    }
}

LRESULT TipWnd::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ::ScreenToClient(m_hWnd, &pt);
    RECT client {};
    ::GetClientRect(m_hWnd, &client);
    const RECT caption = m_pm.GetCaptionRect();
    const LONG bottom = caption.bottom == -1 ? client.bottom : caption.bottom;
    const bool inBand = pt.x >= client.left + caption.left && pt.x < client.right - caption.right
        && pt.y >= caption.top && pt.y < bottom;
    return inBand && IsInStaticControl(m_pm.FindControl(pt)) ? HTCAPTION : HTCLIENT;
}

bool LoadUpdaterSkin()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResource(instance, MAKEINTRESOURCE(131), L"ZIP");
    if (!resource)
        return false;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(instance, resource));
    return true;
}
