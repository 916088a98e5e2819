#include "platform/base/Process.h"

#include "platform/WinBase.h"
#include "platform/base/FileObject.h"
#include "platform/base/LastError.h"
#include "platform/base/Path.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using platform::ProcessObject;

// Children by pid while they run, so OpenProcess of a child shares its watched object.
struct ChildRegistry {
    std::mutex lock;
    std::map<pid_t, std::weak_ptr<ProcessObject>> children;
};

ChildRegistry& Children()
{
    static ChildRegistry* registry = new ChildRegistry;  // watchers may outlive static destruction
    return *registry;
}

void* WatchChild(void* argument)
{
    std::unique_ptr<std::shared_ptr<ProcessObject>> holder(static_cast<std::shared_ptr<ProcessObject>*>(argument));
    const std::shared_ptr<ProcessObject>& process = *holder;
    int status = 0;
    pid_t result;
    do
        result = waitpid(process->Pid(), &status, 0);
    while (result < 0 && errno == EINTR);
    {
        std::lock_guard lock(Children().lock);
        Children().children.erase(process->Pid());
    }
    process->Reaped(result == process->Pid() ? status : -1);
    return nullptr;
}

bool StartWatcher(const std::shared_ptr<ProcessObject>& process)
{
    auto* holder = new std::shared_ptr<ProcessObject>(process);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, WatchChild, holder);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete holder;
        return false;
    }
    return true;
}

class SpawnSetup {
public:
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

void RouteOutput(posix_spawn_file_actions_t* actions, int fd, int target)
{
    if (fd >= 0)
        posix_spawn_file_actions_adddup2(actions, fd, target);
    else
        posix_spawn_file_actions_addopen(actions, target, "/dev/null", O_WRONLY, 0);
}

void Prepare(SpawnSetup& setup, const platform::SpawnRequest& request)
{
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    RouteOutput(&setup.actions, request.standardOutput, 1);
    RouteOutput(&setup.actions, request.standardError, 2);
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    if (!request.folder.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, request.folder.c_str());

    // The child starts with every signal at its default and none blocked, whatever this program set.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (request.newProcessGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&setup.attributes, 0);
    }
    posix_spawnattr_setflags(&setup.attributes, flags);
}

int StandardHandleFd(const STARTUPINFOW* info, HANDLE handle)
{
    if (info == nullptr || !(info->dwFlags & STARTF_USESTDHANDLES))
        return -1;
    auto object = platform::LookupHandleAs<platform::FileObject>(handle);
    return object ? object->Fd() : -1;
}

// Through syscall(): the C library's own declarations lack C linkage in this glibc release.
int OpenPidfd(pid_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

int SignalPidfd(int pidfd, int signal)
{
    return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

// The first argument names the program and takes no backslash rules.
size_t ReadProgramName(std::wstring_view line, size_t pos, std::wstring& out)
{
    if (line[pos] == L'"') {
        const size_t end = line.find(L'"', pos + 1);
        out = line.substr(pos + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - pos - 1);
        return end == std::wstring_view::npos ? line.size() : end + 1;
    }
    const size_t end = line.find_first_of(L" \t", pos);
    out = line.substr(pos, end == std::wstring_view::npos ? std::wstring_view::npos : end - pos);
    return end == std::wstring_view::npos ? line.size() : end;
}

size_t ReadArgument(std::wstring_view line, size_t pos, std::wstring& out)
{
    bool quoted = false;
    while (pos < line.size()) {
        const wchar_t c = line[pos];
        if (!quoted && (c == L' ' || c == L'\t'))
            break;
        if (c == L'\\') {
            size_t slashes = 0;
            while (pos < line.size() && line[pos] == L'\\')
                ++slashes, ++pos;
            if (pos < line.size() && line[pos] == L'"') {
                out.append(slashes / 2, L'\\');
                if (slashes % 2 == 1) {
                    out += L'"';
                    ++pos;
                }
            } else {
                out.append(slashes, L'\\');
            }
            continue;
        }
        if (c == L'"') {
            if (quoted && pos + 1 < line.size() && line[pos + 1] == L'"') {
                out += L'"';
                pos += 2;
                continue;
            }
            quoted = !quoted;
            ++pos;
            continue;
        }
        out += c;
        ++pos;
    }
    return pos;
}

size_t SkipBlanks(std::wstring_view line, size_t pos)
{
    while (pos < line.size() && (line[pos] == L' ' || line[pos] == L'\t'))
        ++pos;
    return pos;
}

struct ProcStat {
    pid_t pid = 0;
    pid_t parent = 0;
    std::string command;
};

bool ReadProcStat(pid_t pid, ProcStat& out)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return false;
    // "pid (command) state ppid ...": the command may itself contain ") ".
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 4 > line.size())
        return false;
    out.pid = pid;
    out.command = line.substr(open + 1, close - open - 1);
    out.parent = static_cast<pid_t>(atoi(line.c_str() + close + 4));
    return true;
}

std::vector<ProcStat> AllProcesses()
{
    std::vector<ProcStat> all;
    DIR* proc = opendir("/proc");
    if (!proc)
        return all;
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = strtol(entry->d_name, &end, 10);
        ProcStat stat;
        if (pid > 0 && *end == 0 && ReadProcStat(static_cast<pid_t>(pid), stat))
            all.push_back(stat);
    }
    closedir(proc);
    return all;
}

std::wstring ExecutableName(const ProcStat& process)
{
    std::string name = process.command;  // the kernel's name, cut to 15 bytes: only a fall-back
    char target[4096];
    const ssize_t size = readlink(("/proc/" + std::to_string(process.pid) + "/exe").c_str(), target, sizeof target - 1);
    if (size > 0) {
        std::string path(target, static_cast<size_t>(size));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        name = path.substr(path.rfind('/') + 1);
    }
    if (name.size() < 4 || strcasecmp(name.c_str() + name.size() - 4, ".exe") != 0)
        name += ".exe";
    return platform::Utf8ToWide(name);
}

class SnapshotObject : public platform::KernelObject {
public:
    std::vector<PROCESSENTRY32W> entries;
    size_t next = 0;
};

std::vector<PROCESSENTRY32W> DescendantsOf(pid_t root)
{
    const std::vector<ProcStat> all = AllProcesses();
    std::vector<pid_t> family { root };
    std::vector<PROCESSENTRY32W> found;
    for (size_t i = 0; i < family.size(); ++i) {
        for (const ProcStat& process : all) {
            if (process.parent != family[i] || process.pid == root)
                continue;
            family.push_back(process.pid);
            PROCESSENTRY32W entry {};
            entry.dwSize = sizeof entry;
            entry.th32ProcessID = static_cast<DWORD>(process.pid);
            entry.th32ParentProcessID = static_cast<DWORD>(process.parent);
            entry.cntThreads = 1;
            const std::wstring name = ExecutableName(process).substr(0, MAX_PATH - 1);
            wcsncpy(entry.szExeFile, name.c_str(), MAX_PATH - 1);
            found.push_back(entry);
        }
    }
    return found;
}

BOOL NextSnapshotEntry(HANDLE snapshot, LPPROCESSENTRY32W entry, bool first)
{
    auto object = platform::LookupHandleAs<SnapshotObject>(snapshot);
    if (!object || entry == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    std::lock_guard lock(platform::WaitLock());  // the cursor is shared by every handle holder
    if (first)
        object->next = 0;
    if (object->next >= object->entries.size())
        return platform::FailWith(ERROR_NO_MORE_FILES);
    *entry = object->entries[object->next++];
    return TRUE;
}

}  // namespace

namespace platform {

ProcessObject::~ProcessObject()
{
    if (m_pidfd >= 0)
        close(m_pidfd);
}

bool ProcessObject::IsSignaled() const
{
    if (m_isChild || m_exited)
        return m_exited;
    if (m_pidfd >= 0) {
        pollfd poll_fd { m_pidfd, POLLIN, 0 };
        return poll(&poll_fd, 1, 0) > 0;
    }
    return kill(m_pid, 0) != 0 && errno == ESRCH;
}

bool ProcessObject::Terminate(DWORD exitCode)
{
    std::lock_guard lock(WaitLock());
    if (IsSignaled())
        return false;
    const int result = m_pidfd >= 0 ? SignalPidfd(m_pidfd, SIGKILL) : kill(m_pid, SIGKILL);
    if (result != 0)
        return false;
    if (!m_terminateRequested) {
        m_terminateRequested = true;
        m_terminateCode = exitCode;
    }
    return true;
}

DWORD ProcessObject::ExitCode() const
{
    std::lock_guard lock(WaitLock());
    if (m_isChild)
        return m_exitCode;
    if (!IsSignaled())
        return STILL_ACTIVE;
    return m_terminateRequested ? m_terminateCode : 0;  // another parent reaped it: status unknown
}

void ProcessObject::Reaped(int status)
{
    std::lock_guard lock(WaitLock());
    if (m_terminateRequested && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        m_exitCode = m_terminateCode;
    else if (status >= 0 && WIFEXITED(status))
        m_exitCode = static_cast<DWORD>(WEXITSTATUS(status));
    else if (status >= 0 && WIFSIGNALED(status))
        m_exitCode = 128u + static_cast<DWORD>(WTERMSIG(status));
    else
        m_exitCode = 0;
    m_exited = true;
    Signal();
}

std::shared_ptr<ProcessObject> StartProcess(const SpawnRequest& request, DWORD* error)
{
    if (request.program.empty() || request.arguments.empty()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    std::vector<char*> argv;
    for (const std::string& argument : request.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    SpawnSetup setup;
    Prepare(setup, request);
    pid_t pid = 0;
    // Hold the registry while spawning so the watcher cannot drop the entry before it is made.
    std::lock_guard lock(Children().lock);
    const int result = posix_spawn(&pid, request.program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (result != 0) {
        *error = ErrorFromErrno(result);
        return nullptr;
    }
    auto process = std::make_shared<ProcessObject>(pid, OpenPidfd(pid), true);
    Children().children[pid] = process;
    if (!StartWatcher(process)) {
        // Without a watcher nobody would reap it: end it here rather than leave a zombie.
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        Children().children.erase(pid);
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    return process;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line)
{
    std::vector<std::wstring> arguments;
    size_t pos = SkipBlanks(line, 0);
    if (pos >= line.size())
        return arguments;
    std::wstring program;
    pos = ReadProgramName(line, pos, program);
    arguments.push_back(program);
    for (pos = SkipBlanks(line, pos); pos < line.size(); pos = SkipBlanks(line, pos)) {
        std::wstring argument;
        pos = ReadArgument(line, pos, argument);
        arguments.push_back(argument);
    }
    return arguments;
}

}  // namespace platform

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
    DWORD flags, LPVOID, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation)
{
    std::vector<std::wstring> arguments = platform::SplitCommandLine(commandLine ? commandLine : L"");
    if (applicationName == nullptr && arguments.empty())
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    if (arguments.empty())
        arguments.push_back(applicationName);
    platform::SpawnRequest request;
    request.program = platform::FindProgram(applicationName ? applicationName : arguments.front().c_str());
    if (request.program.empty())
        return platform::FailWith(ERROR_FILE_NOT_FOUND);
    request.arguments.push_back(request.program);
    for (size_t i = 1; i < arguments.size(); ++i)
        request.arguments.push_back(platform::WideToUtf8(arguments[i]));
    request.folder = platform::ToPosixPath(currentDirectory);
    request.standardOutput = StandardHandleFd(startupInfo, startupInfo ? startupInfo->hStdOutput : nullptr);
    request.standardError = StandardHandleFd(startupInfo, startupInfo ? startupInfo->hStdError : nullptr);
    request.newProcessGroup = (flags & (CREATE_NEW_PROCESS_GROUP | CREATE_NEW_CONSOLE)) != 0;
    DWORD error = ERROR_SUCCESS;
    auto process = platform::StartProcess(request, &error);
    if (!process)
        return platform::FailWith(error);
    if (processInformation) {
        processInformation->hProcess = platform::InsertHandle(process);
        processInformation->hThread = platform::InsertHandle(process);
        processInformation->dwProcessId = static_cast<DWORD>(process->Pid());
        processInformation->dwThreadId = static_cast<DWORD>(process->Pid());
    }
    return TRUE;
}

void GetStartupInfoW(LPSTARTUPINFOW startupInfo)
{
    if (startupInfo == nullptr)
        return;
    *startupInfo = STARTUPINFOW {};
    startupInfo->cb = sizeof(STARTUPINFOW);
}

HANDLE OpenProcess(DWORD, BOOL, DWORD processId)
{
    const auto pid = static_cast<pid_t>(processId);
    if (pid <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    {
        std::lock_guard lock(Children().lock);
        auto found = Children().children.find(pid);
        if (found != Children().children.end())
            if (auto child = found->second.lock())
                return platform::InsertHandle(child);
    }
    const int pidfd = OpenPidfd(pid);
    if (pidfd < 0 && errno != ENOSYS) {
        SetLastError(errno == ESRCH ? ERROR_INVALID_PARAMETER : platform::ErrorFromErrno(errno));
        return nullptr;
    }
    if (pidfd >= 0 && SignalPidfd(pidfd, 0) != 0 && errno == EPERM) {
        close(pidfd);
        SetLastError(ERROR_ACCESS_DENIED);  // another user's process
        return nullptr;
    }
    return platform::InsertHandle(std::make_shared<ProcessObject>(pid, pidfd, false));
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    auto object = platform::LookupHandleAs<ProcessObject>(process);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    if (!object->Terminate(exitCode))
        return platform::FailWith(ERROR_ACCESS_DENIED);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    auto object = platform::LookupHandleAs<ProcessObject>(process);
    if (!object || exitCode == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    *exitCode = object->ExitCode();
    return TRUE;
}

DWORD GetProcessId(HANDLE process)
{
    if (process == GetCurrentProcess())
        return GetCurrentProcessId();
    auto object = platform::LookupHandleAs<ProcessObject>(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(object->Pid());
}

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD)
{
    if (!(flags & TH32CS_SNAPPROCESS)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    auto snapshot = std::make_shared<SnapshotObject>();
    snapshot->entries = DescendantsOf(getpid());
    return platform::InsertHandle(snapshot);
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry)
{
    return NextSnapshotEntry(snapshot, entry, true);
}

BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry)
{
    return NextSnapshotEntry(snapshot, entry, false);
}

BOOL QueryFullProcessImageNameW(HANDLE process, DWORD, LPWSTR name, LPDWORD size)
{
    auto object = platform::LookupHandleAs<ProcessObject>(process);
    if (!object || name == nullptr || size == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    char target[4096];
    const ssize_t length = readlink(("/proc/" + std::to_string(object->Pid()) + "/exe").c_str(), target, sizeof target - 1);
    if (length <= 0)
        return platform::FailWith(ERROR_ACCESS_DENIED);
    const std::wstring path = platform::Utf8ToWide(std::string_view(target, static_cast<size_t>(length)));
    if (path.size() + 1 > *size)
        return platform::FailWith(ERROR_INSUFFICIENT_BUFFER);
    std::copy(path.begin(), path.end(), name);
    name[path.size()] = 0;
    *size = static_cast<DWORD>(path.size());
    return TRUE;
}
