// The export launch every export button follows: its settings dialog, then its job on a counted
// worker with a progress window (page exports) or with progress in its list rows (GIF and clip
// lists). Only the dialog's export result (0) goes on; Escape, close and every other result
// cancel and put back what the button changed. Each job gets the settings copied when its dialog
// closed, and starts with its own stop state cleared: the page exports' CancelFlag, or the row
// job's running flag.
//
// Page exports share CancelFlag, and a cancel closes the progress window before its job has ended.
// So a page export's launch first waits for a page job that is still ending, serving messages
// meanwhile: the cancelled job keeps seeing its cancel to its end, and nothing of it reaches the
// next export's window, percentage or flag. A press during that wait is ignored.

#include <mutex>

#include "editor/dialogs/ShowProgress.h"
#include "editor/dialogs/VideoPup.h"
#include "editor/mainwnd/BoundPageView.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/core/PaintManagerUI.h"

namespace {

constexpr int kSettingsExport = 0;
constexpr DWORD kPopupStyle = WS_POPUP | WS_VISIBLE;
constexpr DWORD kServeSliceMs = 20;

std::mutex& HookLock()
{
    static std::mutex lock;
    return lock;
}

CMainWnd::SettingsDialogHook& Hook()
{
    static CMainWnd::SettingsDialogHook hook;
    return hook;
}

const ExportLaunch kLaunches[] = {
    { L"CutVideo", L"", L"加载进度", L"加载进度", true, nullptr, nullptr, {}, &CMainWnd::ExportCut },
    { L"SegmenExport", L"SengVideo", L"加载", L"加载", false, nullptr, nullptr, {}, &CMainWnd::ExportSplit },
    { L"AllMerge", L"", L"加载", L"加载进度", false, L"视频合并", nullptr, {}, &CMainWnd::ExportMerged },
    { L"CutAdjustVideo", L"Optimize", L"加载", L"加载", false, nullptr, nullptr, {}, &CMainWnd::ExportAdjusted },
    { L"ScreenExport", L"gif", L"加载", L"加载进度", false, nullptr, nullptr, {}, &CMainWnd::ExportScreenshots },
    { L"VideoGIF", L"gif", L"加载", nullptr, false, nullptr, &CMainWnd::m_bGifRunning, &CMainWnd::ExportGif, {} },
    { L"AllGif", L"gif", L"加载", nullptr, false, nullptr, &CMainWnd::m_bGifRunning, &CMainWnd::ExportGif, {} },
    { L"OptimizeStart", L"gif", L"", nullptr, false, nullptr, &CMainWnd::m_bClipRunning,
      [](CMainWnd& main, const MediaFileInfo& settings) { main.ExportClipList(0, settings); }, {} },
    { L"AllVideoAddExport", L"gif", L"", nullptr, false, nullptr, &CMainWnd::m_bClipRunning,
      [](CMainWnd& main, const MediaFileInfo& settings) { main.ExportClipList(1, settings); }, {} },
};

// Dispatches what is queued, then waits a slice for more; false once the program is asked to quit
// (the request is left for the loop around us).
bool ServeMessagesForASlice()
{
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!SkinUI::CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
    }
    ::MsgWaitForMultipleObjectsEx(0, nullptr, kServeSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return true;
}

}  // namespace

const ExportLaunch* CMainWnd::FindExportLaunch(const wchar_t* button)
{
    for (const ExportLaunch& launch : kLaunches)
        if (std::wstring_view(launch.button) == button)
            return &launch;
    return nullptr;
}

void CMainWnd::SetSettingsDialogHook(SettingsDialogHook hook)
{
    std::lock_guard lock(HookLock());
    Hook() = std::move(hook);
}

int CMainWnd::RunExportSettingsDialog(const wchar_t* mode, const wchar_t* title)
{
    SettingsDialogHook hook;
    {
        std::lock_guard lock(HookLock());
        hook = Hook();
    }
    if (hook)
        return hook(*this, mode);
    CVideoPup dialog(this, mode);
    // The clip-list buttons give no title and no placement; the dialog centres itself either way.
    const bool untitled = *title == L'\0';
    const int place = untitled ? 0 : CW_USEDEFAULT;
    if (!dialog.Create(m_hWnd, title, kPopupStyle, WS_EX_TOOLWINDOW, place, place, place, place))
        return -1;
    return static_cast<int>(dialog.ShowModal());
}

bool CMainWnd::LaunchExport(const wchar_t* button)
{
    const ExportLaunch* launch = FindExportLaunch(button);
    if (launch == nullptr || m_bAwaitingPageJob)
        return false;
    const bool pageJob = launch->runningFlag == nullptr;
    if (pageJob && !AwaitEndingPageJob())
        return false;
    if (launch->cutOverlays)
        ShowOverlayWindows(false);
    if (launch->presetName)
        m_exportInfo.name = launch->presetName;
    if (RunExportSettingsDialog(launch->mode, launch->dialogTitle) != kSettingsExport) {
        if (launch->cutOverlays)
            ShowOverlayWindows(true);
        return false;
    }
    // This export's own copy: a later dialog writes m_exportInfo while this job still runs.
    const MediaFileInfo settings = m_exportInfo;
    if (m_pPageView == nullptr) {
        m_boundView = std::make_unique<BoundPageView>(*this);
        m_pPageView = m_boundView.get();
    }
    if (m_boundView && m_pPageView == m_boundView.get())
        m_boundView->Capture();
    if (launch->runningFlag) {
        this->*launch->runningFlag = 1;  // set before the thread: a press meanwhile queues instead
        StartWorker([this, job = launch->rowJob, settings] { job(*this, settings); });
        return true;
    }
    // A cancel that came after the previous export's last check must not stop this one; no page
    // job is left that could still be told to stop by it.
    CancelFlag = 0;
    m_fJobPercent = 0;
    RunWithProgressWindow(launch->progressTitle, [this, job = launch->pageJob, settings] { return job(*this, settings); });
    return true;
}

void CMainWnd::RunWithProgressWindow(const wchar_t* title, std::function<ExportResult()> job)
{
    CShowProgress progress(this);
    const HWND window = progress.Create(m_hWnd, title, kPopupStyle, WS_EX_TOOLWINDOW);
    SetProgressWindow(&progress, window);
    ++m_nPageJobs;
    StartWorker([this, job = std::move(job)] {
        // The job counts as ending until the UI thread has finished it, so the next export's
        // window is never the one this finisher closes. A window already gone drops the finisher.
        PostUiTask([this, result = job()] {
            FinishPageExport(result);
            --m_nPageJobs;
        });
    });
    // Until the job (or the window's cancel) closes it; the window keeps the user off the page.
    if (window)
        progress.ShowModal();
    // The job never touches the object; forget it when it goes.
    CShowProgress* shown = &progress;
    m_pProgressWnd.compare_exchange_strong(shown, nullptr);
    HWND gone = window;
    m_hProgressWnd.compare_exchange_strong(gone, nullptr);
}

ExportOutcome CMainWnd::FinishPageExport(const ExportResult& result)
{
    CloseProgressWindow();
    const bool succeeded = result.outcome == ExportOutcome::Succeeded;
    if (succeeded && !result.historySource.empty())
        RecordHistoryEntry(result.historySource, result.output);
    if (!result.question.empty() && AskUser(result.question, result.declineText, result.acceptText) == 1 && succeeded)
        ShowOutputInFileManager(result.output);
    if (result.restoreOverlays)
        ShowOverlayWindows(true);
    return result.outcome;
}

bool CMainWnd::AwaitEndingPageJob()
{
    if (m_nPageJobs == 0)
        return true;
    m_bAwaitingPageJob = true;
    const DWORD start = ::GetTickCount();
    bool serving = true;
    while (m_nPageJobs > 0 && serving && ::IsWindow(m_hWnd) && ::GetTickCount() - start < DWORD { kWorkerWaitMs })
        serving = ServeMessagesForASlice();
    m_bAwaitingPageJob = false;
    return m_nPageJobs == 0 && serving && ::IsWindow(m_hWnd) && !m_bShutDown;
}
