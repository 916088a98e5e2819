#pragma once
// The editor's whole life: the process's first thread becomes a framework thread with a UI loop,
// and its start-up hook runs the start-up, the main window's modal run and the shut-down in a
// fixed order. The main thread's own task loop turns only at the very end, to take the quit
// request the shut-down posts to it.
//
// Without the skin archive there is no window to show: the user is told so, the loop is asked to
// stop at once and the process ends with exit code 1.

#include <memory>
#include <string>

#include "base/Thread.h"
#include "editor/app/MiscThread.h"
#include "platform/WinTypes.h"

class MainThread : public tbase::FrameworkThread {
public:
    MainThread() : tbase::FrameworkThread("MainThread") {}

    void OnLoopStarting() override;
    void OnLoopFinished() override;

    // 0, or 1 when the start-up could not find the skin archive.
    int GetExitCode() const { return m_exitCode; }

private:
    void RunMainWindow();
    void CreateLogFolder();

    std::unique_ptr<MiscThread> m_miscThread;
    int m_exitCode { 0 };
};

// Brings a running editor's window into view: restored when minimised, else shown without
// activation and sent message 8885. True when one was found.
bool FindExistingInstance(std::wstring className, std::wstring windowTitle);

// The program's entry: runs a MainThread on the calling thread; returns the exit code.
int RunEditor(HINSTANCE hInstance);

// The process instance handle, set once by RunEditor before anything else.
HINSTANCE EditorInstance();
