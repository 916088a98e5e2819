// The shell's "open": showing a file in the file manager, starting a program, opening a document.

#include "platform/WinBase.h"
#include "platform/base/HandleTable.h"
#include "platform/base/Path.h"
#include "platform/base/Process.h"

#include <cctype>
#include <cwctype>
#include <mutex>
#include <strings.h>

namespace {

constexpr int kShellOk = 42;  // any value above 32 means success
constexpr DWORD kFileManagerWaitMs = 5000;

std::mutex& HookLock()
{
    static std::mutex lock;
    return lock;
}

platform::ShellCommandHook& Hook()
{
    static platform::ShellCommandHook hook;
    return hook;
}

// A copy, so the hook runs without the lock held.
platform::ShellCommandHook CurrentHook()
{
    std::lock_guard lock(HookLock());
    return Hook();
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(static_cast<wint_t>(a[i])) != towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

std::wstring Trim(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    const size_t last = text.find_last_not_of(L" \t");
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring Unquote(const std::wstring& text)
{
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

bool IsUrl(std::wstring_view text)
{
    return text.find(L"://") != std::wstring_view::npos;
}

std::string FileUri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
            continue;
        }
        uri += '%';
        uri += kHex[c >> 4];
        uri += kHex[c & 15];
    }
    return uri;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Runs a command of the desktop (or gives it to the test hook). With a wait, success means the
// command ended with 0 in time; without, that it started.
bool RunDesktopCommand(const std::vector<std::string>& command, bool wait)
{
    if (auto hook = CurrentHook())
        return hook(command);
    platform::SpawnRequest request;
    request.program = platform::FindProgram(platform::Utf8ToWide(command.front()));
    request.arguments = command;
    request.newProcessGroup = true;
    DWORD error = 0;
    auto process = platform::StartProcess(request, &error);
    if (!process)
        return false;
    if (!wait)
        return true;
    if (platform::WaitForObjects({ process }, false, kFileManagerWaitMs) != WAIT_OBJECT_0)
        return false;
    return process->ExitCode() == 0;
}

int ShowInFileManager(const std::wstring& parameters)
{
    std::wstring rest = Trim(parameters);
    const bool select = rest.size() >= 8 && SameTextIgnoringCase(rest.substr(0, 8), L"/select,");
    if (!select) {
        const std::string folder = rest.empty() ? platform::HomeFolder() : platform::ToPosixPath(Unquote(rest));
        return RunDesktopCommand({ "xdg-open", folder }, false) ? kShellOk : SE_ERR_FNF;
    }
    const std::string path = platform::ToPosixPath(Unquote(Trim(rest.substr(8))));
    if (path.empty())
        return SE_ERR_FNF;
    const std::vector<std::string> showItems { "dbus-send", "--session", "--print-reply", "--type=method_call",
        "--dest=org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1.ShowItems", "array:string:" + FileUri(path), "string:" };
    if (RunDesktopCommand(showItems, true))
        return kShellOk;
    return RunDesktopCommand({ "xdg-open", FolderOf(path) }, false) ? kShellOk : SE_ERR_FNF;
}

// The program a shell "open" names, if it names one: an executable file, or "X.exe" found the way
// CreateProcess finds it. Documents and URLs are not programs.
std::string ProgramNamed(const std::wstring& file)
{
    if (IsUrl(file))
        return {};
    const std::string path = platform::ToPosixPath(file);
    if (platform::IsExecutableFile(path))
        return path;
    const bool exe = path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".exe") == 0;
    return exe ? platform::FindProgram(file) : std::string();
}

int StartProgram(const std::string& program, LPCWSTR parameters, LPCWSTR directory, HANDLE* processOut)
{
    std::vector<std::string> command { program };
    for (const std::wstring& argument : platform::SplitCommandLine(std::wstring(L"x ") + (parameters ? parameters : L"")))
        command.push_back(platform::WideToUtf8(argument));
    command.erase(command.begin() + 1);  // the stand-in program name of the split
    if (auto hook = CurrentHook())
        return hook(command) ? kShellOk : SE_ERR_FNF;
    platform::SpawnRequest request;
    request.program = program;
    request.arguments = command;
    request.folder = platform::ToPosixPath(directory);
    request.newProcessGroup = true;
    DWORD error = 0;
    auto process = platform::StartProcess(request, &error);
    if (!process)
        return error == ERROR_NOT_ENOUGH_MEMORY ? SE_ERR_OOM : SE_ERR_FNF;
    if (processOut)
        *processOut = platform::InsertHandle(process);
    return kShellOk;
}

int Execute(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, HANDLE* processOut)
{
    const std::wstring action = verb ? verb : L"open";
    if (SameTextIgnoringCase(action, L"runas")) {
        SetLastError(ERROR_ACCESS_DENIED);  // no elevation here: as if the user declined it
        return SE_ERR_ACCESSDENIED;
    }
    if (!action.empty() && !SameTextIgnoringCase(action, L"open") && !SameTextIgnoringCase(action, L"explore")) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return SE_ERR_NOASSOC;
    }
    if (file == nullptr || *file == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return SE_ERR_FNF;
    }
    const std::wstring target = file;
    if (SameTextIgnoringCase(target, L"explorer") || SameTextIgnoringCase(target, L"explorer.exe"))
        return ShowInFileManager(parameters ? parameters : L"");
    const std::string program = ProgramNamed(target);
    if (!program.empty())
        return StartProgram(program, parameters, directory, processOut);
    const std::string document = IsUrl(target) ? platform::WideToUtf8(target) : platform::ToPosixPath(target);
    return RunDesktopCommand({ "xdg-open", document }, false) ? kShellOk : SE_ERR_NOASSOC;
}

}  // namespace

namespace platform {

void SetShellCommandHook(ShellCommandHook hook)
{
    std::lock_guard lock(HookLock());
    Hook() = std::move(hook);
}

}  // namespace platform

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int)
{
    return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(Execute(verb, file, parameters, directory, nullptr)));
}

BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info)
{
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hProcess = nullptr;
    HANDLE* process = (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? &info->hProcess : nullptr;
    const int result = Execute(info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, process);
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(result));
    return result > 32 ? TRUE : FALSE;
}
