#pragma once
#include "platform/WinUser.h"

#include <atomic>
#include <string>

class UpdateWorker;

// The hidden message-only window of a silent update. It receives the download's progress; on
// the first 100 percent it waits 3 seconds, applies an archive over the installation (an
// installer is never run silently) and stops the worker, which lets the download thread close
// the window and so end the run.
//
// Created with new on the main thread; the window owns the object and deletes it when the
// window is destroyed. The download thread only stores the worker and posts WM_CLOSE.
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
    void SetWorker(UpdateWorker* worker) { m_worker = worker; }

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

    HWND m_hwnd { nullptr };
    std::wstring m_fileName, m_downloadPath, m_tempDir, m_installDir, m_updateType;
    std::atomic<UpdateWorker*> m_worker { nullptr };
    bool m_timerArmed { false };
};

// Body of the silent download thread: downloads with a worker, waits until the worker ends,
// then closes the window. A download that fails stops the worker at once, so the run ends
// without applying anything.
void RunSilentDownload(HWND hwnd, const std::string& url, const std::wstring& downloadPath, SilentUpdateWindow& window);

// Posts WM_USER+200 with the percentage to the silent window and the update dialog, to each that
// exists at the moment. Called on the worker thread.
void PostProgressToUpdaterWindows(int percent);
