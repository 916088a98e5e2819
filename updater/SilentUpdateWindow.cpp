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

void SilentUpdateWindow::SetWorker(std::unique_ptr<UpdateWorker> worker)
{
    m_worker = std::move(worker);
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
    case WM_UPDATE_DOWNLOAD_FAILED:
        self->OnDownloadFailed();
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
    if (m_updateType != L"zip") {
        LOG(INFO) << WideToAnsi(m_fileName) << " is an installer: not run in silent mode";
    } else if (const int verified = m_worker ? m_worker->VerifiedFile() : -1; verified < 0) {
        LOG(ERROR) << WideToAnsi(m_downloadPath) << " not applied: the download is not complete";
    } else {
        ApplyZipOptions options;
        options.logUnit = "message_wnd";
        ApplyZipUpdate(HeldFilePath(verified), m_tempDir, m_installDir, options);
    }
    Close();
}

void SilentUpdateWindow::OnDownloadFailed()
{
    LOG(ERROR) << "download failed: nothing applied";
    Close();
}

void SilentUpdateWindow::Close()
{
    // Posted, not destroyed here: the window procedure still runs for this message.
    PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

void RunSilentDownload(const std::string& url, const std::wstring& downloadPath, SilentUpdateWindow& window)
{
    auto worker = std::make_unique<UpdateWorker>(url, WideToAnsi(downloadPath), UpdateWorker::kDownload);
    UpdateWorker& started = *worker;
    started.PostReportsTo(window.GetHWND());
    started.SetSkip(true);
    window.SetWorker(std::move(worker));
    started.Start();
}
