#include "platform/window/Zenity.h"

#include "platform/WinUser.h"
#include "platform/window/WindowManager.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// Keeps the thread's windows alive while the dialog is up. A quit request is left for the loop
// around us.
void ServeMessages()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Drain(int fd, std::string* output)
{
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return;
        if (output)
            output->append(chunk, static_cast<size_t>(got));
    }
}

// The desktop's id of the top-level window `owner` belongs to; 0 when there is none.
unsigned long OwnerId(HWND owner)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const Window* top = wm.TopLevelOf(wm.Find(owner));
    return top ? wm.backend->NativeId(*top) : 0;
}

// True once the dialog of process `pid` stands above `owner` with the focus (or `owner` is gone).
bool TendDialog(HWND owner, pid_t pid)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* top = wm.TopLevelOf(wm.Find(owner));
    return !top || wm.backend->TendForeignDialog(*top, pid);
}

void DialogEnded(unsigned long ownerId)
{
    if (!ownerId)
        return;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    wm.backend->ForeignDialogEnded();
}

// GTK refuses non-ASCII option texts (our titles are Chinese) outside a UTF-8 locale, and the
// dialog then never shows; a program started with no locale at all gives its dialogs C.UTF-8.
bool LocaleIsUtf8()
{
    const char* locale = nullptr;
    for (const char* name : { "LC_ALL", "LC_CTYPE", "LANG" }) {
        locale = std::getenv(name);
        if (locale && *locale)
            break;
    }
    if (!locale || !*locale)
        return false;
    std::string lowered(locale);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered.find("utf-8") != std::string::npos || lowered.find("utf8") != std::string::npos;
}

std::vector<char*> DialogEnvironment(std::vector<std::string>& storage)
{
    std::vector<char*> env;
    for (char** entry = environ; *entry; ++entry)
        env.push_back(*entry);
    if (!LocaleIsUtf8()) {
        storage.push_back("LC_ALL=C.UTF-8");
        env.push_back(storage.back().data());
    }
    env.push_back(nullptr);
    return env;
}

}  // namespace

int RunZenity(const std::vector<std::string>& args, std::string* output, HWND owner)
{
    const unsigned long ownerId = owner ? OwnerId(owner) : 0;
    std::vector<std::string> command = args;
    if (ownerId)
        command.push_back("--attach=" + std::to_string(ownerId));
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    // GTK's warnings about transient parents are noise for the user of the editor.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> added;
    added.reserve(1);
    std::vector<char*> env = DialogEnvironment(added);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args.front().c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return -1;
    }
    int status = 0;
    bool placed = ownerId == 0;
    for (;;) {
        Drain(fds[0], output);
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0) {
            close(fds[0]);
            DialogEnded(ownerId);
            return -1;
        }
        placed = placed || TendDialog(owner, pid);
        ServeMessages();
    }
    DialogEnded(ownerId);
    Drain(fds[0], output);
    close(fds[0]);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
