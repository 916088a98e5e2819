// The export launch every export button follows: its settings dialog, then its job on a counted
// worker with a progress window (page exports) or with progress in its list rows (GIF and clip
// lists). Only the dialog's export result (0) goes on; Escape, close and every other result
// cancel and put back what the button changed. Each job gets the settings copied when its dialog
// closed, and starts with its own stop state cleared: the page exports' CancelFlag, or the row
// job's running flag.

#include <cstdio>
#include <mutex>

#include "base/StringHelpers.h"
#include "editor/dialogs/ShowProgress.h"
#include "editor/mainwnd/BoundPageView.h"
#include "editor/mainwnd/MainWnd.h"

namespace {

constexpr int kSettingsExport = 0;
constexpr int kSettingsCancelled = 1;

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

template <ExportOutcome (CMainWnd::*Job)(const MediaFileInfo&)>
void RunPageJob(CMainWnd& main, const MediaFileInfo& settings)
{
    (main.*Job)(settings);
}

const ExportLaunch kLaunches[] = {
    { L"CutVideo", L"", L"加载进度", L"加载进度", true, nullptr, nullptr, RunPageJob<&CMainWnd::ExportCut> },
    { L"SegmenExport", L"SengVideo", L"加载", L"加载", false, nullptr, nullptr, RunPageJob<&CMainWnd::ExportSplit> },
    { L"AllMerge", L"", L"加载", L"加载进度", false, L"视频合并", nullptr, RunPageJob<&CMainWnd::ExportMerged> },
    { L"CutAdjustVideo", L"Optimize", L"加载", L"加载", false, nullptr, nullptr, RunPageJob<&CMainWnd::ExportAdjusted> },
    { L"ScreenExport", L"gif", L"加载", L"加载进度", false, nullptr, nullptr, RunPageJob<&CMainWnd::ExportScreenshots> },
    { L"VideoGIF", L"gif", L"加载", nullptr, false, nullptr, &CMainWnd::m_bGifRunning, RunPageJob<&CMainWnd::ExportGif> },
    { L"AllGif", L"gif", L"加载", nullptr, false, nullptr, &CMainWnd::m_bGifRunning, RunPageJob<&CMainWnd::ExportGif> },
    { L"OptimizeStart", L"gif", L"", nullptr, false, nullptr, &CMainWnd::m_bClipRunning,
      [](CMainWnd& main, const MediaFileInfo& settings) { main.ExportClipList(0, settings); } },
    { L"AllVideoAddExport", L"gif", L"", nullptr, false, nullptr, &CMainWnd::m_bClipRunning,
      [](CMainWnd& main, const MediaFileInfo& settings) { main.ExportClipList(1, settings); } },
};

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

int CMainWnd::RunExportSettingsDialog(const wchar_t* mode, const wchar_t*)
{
    SettingsDialogHook hook;
    {
        std::lock_guard lock(HookLock());
        hook = Hook();
    }
    if (hook)
        return hook(*this, mode);
    std::printf("export: no settings dialog to ask in mode \"%s\"\n", WideToUtf8(mode).c_str());
    return kSettingsCancelled;
}

bool CMainWnd::LaunchExport(const wchar_t* button)
{
    const ExportLaunch* launch = FindExportLaunch(button);
    if (launch == nullptr)
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
    auto run = [this, job = launch->job, settings] { job(*this, settings); };
    if (launch->runningFlag) {
        this->*launch->runningFlag = 1;  // set before the thread: a press meanwhile queues instead
        StartWorker(std::move(run));
        return true;
    }
    // A cancel that came after the previous export's last check must not stop this one.
    CancelFlag = 0;
    m_fJobPercent = 0;
    RunWithProgressWindow(launch->progressTitle, std::move(run));
    return true;
}

void CMainWnd::RunWithProgressWindow(const wchar_t*, std::function<void()> job)
{
    CShowProgress progress(this);
    SetProgressWindow(&progress, progress.GetHWND());
    StartWorker(std::move(job));
    // The job never touches the object; forget it when it goes.
    CShowProgress* shown = &progress;
    m_pProgressWnd.compare_exchange_strong(shown, nullptr);
}
