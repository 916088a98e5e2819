#include "updater/SilentUpdateWindow.h"

#include "updater/ApplyZipUpdate.h"
#include "updater/FileUtil.h"
#include "updater/UpdateWorker.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "platform/WinBase.h"

SilentUpdateWindow::SilentUpdateWindow()
{
    CreateMessageWindow();
}

SilentUpdateWindow::~SilentUpdateWindow()
{
    UnregisterClassW(kHideMessageWindowClass, GetModuleHandleW(nullptr));
}

bool SilentUpdateWindow::CreateMessageWindow()
{
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHideMessageWindowClass;
    RegisterClassW(&windowClass);
    CreateWindowExW(0, kHideMessageWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                    windowClass.hInstance, this);
    return m_hwnd != nullptr;
}

void SilentUpdateWindow::PumpMessages()
{
    MSG message {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK SilentUpdateWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SilentUpdateWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<SilentUpdateWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        delete self;  // the window owns the object
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_UPDATE_PROGRESS:
        self->OnProgress(wParam);
        break;
    case WM_TIMER:
        self->OnApplyTimer();
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SilentUpdateWindow::OnProgress(WPARAM percent)
{
    if (percent != 100 || m_timerArmed)
        return;
    SetTimer(m_hwnd, kApplyTimer, kApplyDelayMs, nullptr);
    m_timerArmed = true;
}

void SilentUpdateWindow::OnApplyTimer()
{
    KillTimer(m_hwnd, kApplyTimer);
    UpdateWorker* worker = m_worker.load();
    if (m_updateType != L"zip") {
        LOG(INFO) << WideToAnsi(m_fileName) << " is an installer: not run in silent mode";
    } else if (const int verified = worker ? worker->VerifiedFile() : -1; verified < 0) {
        LOG(ERROR) << WideToAnsi(m_downloadPath) << " not applied: the download is not complete";
    } else {
        ApplyZipOptions options;
        options.logUnit = "message_wnd";
        ApplyZipUpdate(HeldFilePath(verified), m_tempDir, m_installDir, options);
    }
    if (worker)
        worker->Stop();
}

void RunSilentDownload(HWND hwnd, const std::string& url, const std::wstring& downloadPath, SilentUpdateWindow& window)
{
    auto* worker = new UpdateWorker(url, WideToAnsi(downloadPath), UpdateWorker::kDownload);
    window.SetWorker(worker);
    worker->SetProgressCallback(PostProgressToUpdaterWindows);
    worker->SetSkip(true);
    worker->Start();
    bool stopped = false;
    while (worker->IsBusy()) {
        if (!stopped && worker->GetDownloadResult() == UpdateWorker::DownloadResult::kFailed) {
            LOG(ERROR) << "download failed: nothing applied";
            worker->Stop();
            stopped = true;
        }
        Sleep(10);
    }
    window.SetWorker(nullptr);
    delete worker;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void PostProgressToUpdaterWindows(int percent)
{
    if (HWND silent = FindWindowEx(HWND_MESSAGE, nullptr, kHideMessageWindowClass, nullptr))
        PostMessageW(silent, WM_UPDATE_PROGRESS, static_cast<WPARAM>(percent), 0);
    if (HWND dialog = FindWindowW(kUpdaterGuid, nullptr))
        PostMessageW(dialog, WM_UPDATE_PROGRESS, static_cast<WPARAM>(percent), 0);
}
