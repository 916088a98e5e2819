#include "updater/EditorProcesses.h"

#include "updater/UpdaterLog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

struct PidFd {
    explicit PidFd(int value) : fd(value) { }
    ~PidFd()
    {
        if (fd >= 0)
            close(fd);
    }
    PidFd(PidFd&& other) noexcept : fd(other.fd), pid(other.pid) { other.fd = -1; }
    PidFd(const PidFd&) = delete;
    PidFd& operator=(const PidFd&) = delete;
    int fd;
    pid_t pid { 0 };
};

std::string ExecutableOf(pid_t pid)
{
    char target[4096];
    const ssize_t length = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

bool OwnedByUs(pid_t pid)
{
    struct stat info {};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 && info.st_uid == getuid();
}

// A former editor file counts only while the process's executable still lies in the editor's
// folder (moved aside and deleted there), so a reused inode elsewhere never matches.
bool IsFormerEditor(pid_t pid, const std::string& link, const std::string& editorPath,
                    const std::vector<FileIdentity>& formerEditors)
{
    const std::string folder = editorPath.substr(0, editorPath.rfind('/') + 1);
    if (formerEditors.empty() || folder.empty() || link.compare(0, folder.size(), folder) != 0)
        return false;
    const FileIdentity running = FileIdentityOf("/proc/" + std::to_string(pid) + "/exe");
    return running.inode != 0 && std::find(formerEditors.begin(), formerEditors.end(), running) != formerEditors.end();
}

bool IsEditor(pid_t pid, const std::string& editorPath, const std::vector<FileIdentity>& formerEditors)
{
    const std::string link = ExecutableOf(pid);
    return IsEditorExecutable(link, editorPath) || IsFormerEditor(pid, link, editorPath, formerEditors);
}

// The descriptor is taken first and the process checked afterwards: whatever the id meant
// before, the descriptor now names the process that was checked.
std::vector<PidFd> FindEditors(const std::string& editorPath, const std::vector<FileIdentity>& formerEditors)
{
    std::vector<PidFd> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == getpid())
            continue;
        PidFd handle(static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)));
        if (handle.fd < 0 || !OwnedByUs(static_cast<pid_t>(pid))
            || !IsEditor(static_cast<pid_t>(pid), editorPath, formerEditors))
            continue;
        handle.pid = static_cast<pid_t>(pid);
        found.push_back(std::move(handle));
    }
    closedir(proc);
    return found;
}

bool Signal(const PidFd& process, int signal)
{
    return syscall(SYS_pidfd_send_signal, process.fd, signal, nullptr, 0) == 0;
}

// Waits until the process ended (its descriptor becomes readable) or the time is up.
bool WaitForEnd(const PidFd& process, std::chrono::steady_clock::time_point until)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd wait { process.fd, POLLIN, 0 };
        const int ready = poll(&wait, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

}  // namespace

FileIdentity FileIdentityOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return {};
    return { info.st_dev, info.st_ino };
}

bool IsEditorExecutable(const std::string& linkTarget, const std::string& editorPath)
{
    static const std::string kDeleted = " (deleted)";
    if (editorPath.empty())
        return false;
    return linkTarget == editorPath || linkTarget == editorPath + kDeleted;
}

int StopEditorProcesses(const std::string& editorPath, int waitMs, const std::vector<FileIdentity>& formerEditors)
{
    const std::vector<PidFd> editors = FindEditors(editorPath, formerEditors);
    for (const PidFd& editor : editors) {
        LOG(INFO) << "stopping the editor, process " << editor.pid;
        Signal(editor, SIGTERM);
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (const PidFd& editor : editors) {
        if (WaitForEnd(editor, until))
            continue;
        LOG(WARNING) << "the editor, process " << editor.pid << ", did not end in " << waitMs << " ms: ended forcibly";
        Signal(editor, SIGKILL);
        WaitForEnd(editor, std::chrono::steady_clock::now() + std::chrono::seconds(5));
    }
    return static_cast<int>(editors.size());
}
