#pragma once
#include "platform/WinUser.h"

#include <memory>
#include <string>

class UpdateWorker;

// The hidden message-only window of a silent update. It owns the download worker, which reports
// to it by posted messages. On the first 100 percent it waits 3 seconds, applies an archive over
// the installation (an installer is never run silently) and closes; a failed download closes it
// at once. Closing ends the run.
//
// Created with new on the main thread; the window owns the object and deletes it when the
// window is destroyed, and with it the worker (whose thread it joins). Everything here runs on
// the main thread.
class SilentUpdateWindow {
public:
    SilentUpdateWindow();
    ~SilentUpdateWindow();
    SilentUpdateWindow(const SilentUpdateWindow&) = delete;
    SilentUpdateWindow& operator=(const SilentUpdateWindow&) = delete;

    void SetTempDir(const std::wstring& folder) { m_tempDir = folder; }
    void SetDownloadPath(const std::wstring& path) { m_downloadPath = path; }
    void SetFileName(const std::wstring& name) { m_fileName = name; }
    void SetInstallDir(const std::wstring& folder) { m_installDir = folder; }
    void SetUpdateType(const std::wstring& type) { m_updateType = type; }
    void SetWorker(std::unique_ptr<UpdateWorker> worker);

    HWND GetHWND() const { return m_hwnd; }

    // Runs the thread's message loop until WM_QUIT. Static: the window (and this object) is
    // gone by the time the loop ends.
    static void PumpMessages();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static constexpr UINT_PTR kApplyTimer = 25;
    static constexpr UINT kApplyDelayMs = 3000;

    bool CreateMessageWindow();
    void OnProgress(WPARAM percent);
    void OnApplyTimer();
    void OnDownloadFailed();
    void Close();

    HWND m_hwnd { nullptr };
    std::wstring m_fileName, m_downloadPath, m_tempDir, m_installDir, m_updateType;
    std::unique_ptr<UpdateWorker> m_worker;
    bool m_timerArmed { false };
};

// Starts the download of url to downloadPath with a worker that the window owns and that reports
// to it. A download that fails closes the window, so the run ends without applying anything.
void RunSilentDownload(const std::string& url, const std::wstring& downloadPath, SilentUpdateWindow& window);
