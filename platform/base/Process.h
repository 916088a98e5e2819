#pragma once
// Child processes of this program and processes opened by id.
//
// A child started here is reaped by a small watcher thread the moment it exits, so no zombie is
// left whether or not anyone waits for it; its object is then signalled with the exit code. Every
// process is signalled through a pidfd taken while the process surely existed, so a process id
// that the system has handed to a new process is never hit.

#include "platform/base/HandleTable.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

class ProcessObject : public KernelObject {
public:
    ProcessObject(pid_t pid, int pidfd, bool isChild) : m_pid(pid), m_pidfd(pidfd), m_isChild(isChild) { }
    ~ProcessObject() override;
    ProcessObject(const ProcessObject&) = delete;
    ProcessObject& operator=(const ProcessObject&) = delete;

    bool IsWaitable() const override { return true; }
    bool IsSignaled() const override;
    bool NeedsPolling() const override { return !m_isChild; }

    pid_t Pid() const { return m_pid; }
    // False when the process has already ended (or the signal could not be sent).
    bool Terminate(DWORD exitCode);
    DWORD ExitCode() const;
    // Called by the watcher once waitpid returned the child's status.
    void Reaped(int status);

private:
    const pid_t m_pid;
    const int m_pidfd;  // -1 when the kernel has no pidfds
    const bool m_isChild;
    bool m_exited = false;  // guarded by WaitLock()
    DWORD m_exitCode = 259;
    bool m_terminateRequested = false;
    DWORD m_terminateCode = 0;
};

struct SpawnRequest {
    std::string program;                 // the executable's path
    std::vector<std::string> arguments;  // argv, the program's name first
    std::string folder;                  // working folder; empty keeps ours
    int standardOutput = -1;             // -1: /dev/null
    int standardError = -1;
    bool newProcessGroup = false;
};

// Starts the program; null and the Windows error code on failure.
std::shared_ptr<ProcessObject> StartProcess(const SpawnRequest& request, DWORD* error);

}  // namespace platform
