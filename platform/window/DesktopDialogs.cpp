// The open-file, colour and folder dialogs over zenity (or the test hook), answered in the
// Windows shapes their callers read.

#include "platform/CommDlg.h"
#include "platform/WinBase.h"
#include "platform/base/Path.h"
#include "platform/window/UserInternal.h"
#include "platform/window/Zenity.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <optional>
#include <utility>

#include <unistd.h>

namespace {

// Between the paths of a multiple choice: a canonical path never holds "//", and a chosen file's
// path never ends with "/".
constexpr const char* kPathSeparator = "//";

thread_local DWORD t_lastDialogError = 0;

std::mutex& HookLock()
{
    static std::mutex lock;
    return lock;
}

platform::DesktopDialogHook& Hook()
{
    static platform::DesktopDialogHook hook;
    return hook;
}

platform::DesktopDialogHook CurrentHook()
{
    std::lock_guard lock(HookLock());
    return Hook();
}

// What a dialog answered: chosen (with zenity's output), cancelled, or it could not be shown.
struct DialogAnswer {
    enum { Chosen, Cancelled, Failed } result;
    std::string output;
};

// Runs the command through the hook or zenity, modal for `owner` like a message box.
DialogAnswer RunDialog(HWND owner, const std::vector<std::string>& command)
{
    const platform::DesktopDialogHook hook = CurrentHook();
    if (!hook && platform::WindowManager::Get().headless) {
        std::fprintf(stderr, "desktop dialog: no display to show %s on; taken as cancelled\n", command[1].c_str());
        return { DialogAnswer::Cancelled, {} };
    }
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    DialogAnswer answer { DialogAnswer::Failed, {} };
    const int code = hook ? hook(command, answer.output)
                          : platform::RunZenity(command, &answer.output, owner ? owner : GetActiveWindow());
    if (code < 0)
        std::fprintf(stderr, "desktop dialog: %s could not be shown (is zenity installed?)\n", command[1].c_str());
    answer.result = code == 0 ? DialogAnswer::Chosen : code == 1 ? DialogAnswer::Cancelled : DialogAnswer::Failed;
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    return answer;
}

std::string TrimNewline(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// "*.mp4" matches "A.MP4" too, as the Windows dialog does.
std::string CaseFreePattern(const std::string& pattern)
{
    std::string out;
    for (unsigned char c : pattern) {
        if (std::isalpha(c) && c < 0x80) {
            out += '[';
            out += static_cast<char>(std::tolower(c));
            out += static_cast<char>(std::toupper(c));
            out += ']';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// "display\0*.a;*.b\0..." as zenity filters "display | *.[aA] *.[bB]"; the chosen index first.
std::vector<std::string> FilterArguments(LPCWSTR filter, DWORD chosenIndex)
{
    std::vector<std::string> filters;
    for (const wchar_t* p = filter; p && *p;) {
        std::wstring display = p;
        p += display.size() + 1;
        const std::wstring patterns = p;
        p += patterns.size() + (*p ? 1 : 0);
        std::replace(display.begin(), display.end(), L'|', L' ');
        std::string line = platform::WideToUtf8(display) + " |";
        size_t start = 0;
        const std::string narrow = platform::WideToUtf8(patterns);
        while (start <= narrow.size()) {
            const size_t end = std::min(narrow.find(';', start), narrow.size());
            if (end > start)
                line.append(" ").append(CaseFreePattern(narrow.substr(start, end - start)));
            start = end + 1;
        }
        filters.push_back("--file-filter=" + line);
    }
    if (chosenIndex > 1 && chosenIndex <= filters.size())
        std::rotate(filters.begin(), filters.begin() + (chosenIndex - 1), filters.begin() + chosenIndex);
    return filters;
}

// zenity prints absolute paths; a relative one is taken against the working folder it ran in, and
// an empty one (a place the desktop could not give as a file) is no file at all.
std::optional<std::string> ChosenPath(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path == "/")
        return std::nullopt;
    if (path.front() == '/')
        return path;
    char* here = getcwd(nullptr, 0);
    if (!here)
        return std::nullopt;
    std::string absolute = here;
    std::free(here);
    if (absolute.back() != '/')
        absolute += '/';
    return absolute + path;
}

std::vector<std::string> SplitPaths(const std::string& output, bool multiple)
{
    const std::string text = TrimNewline(output);
    std::vector<std::string> paths;
    auto add = [&paths](std::string path) {
        if (std::optional<std::string> chosen = ChosenPath(std::move(path)))
            paths.push_back(std::move(*chosen));
    };
    if (!multiple) {
        add(text);
        return paths;
    }
    for (size_t start = 0;;) {
        const size_t end = text.find(kPathSeparator, start);
        add(text.substr(start, end - start));
        if (end == std::string::npos)
            return paths;
        start = end + std::strlen(kPathSeparator);
    }
}

// The folder of an absolute path; "/" for a path in the root and for the root itself.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

bool IsBelow(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// The deepest folder holding every (absolute) path: their common ancestor, "/" at the least.
std::string CommonFolder(const std::vector<std::string>& paths)
{
    std::string folder = FolderOf(paths.front());
    for (const std::string& path : paths) {
        while (folder != "/" && !IsBelow(path, folder))
            folder = FolderOf(folder);
    }
    return folder;
}

// The Windows multi-select buffer: one file is its path; several are "folder\0name\0name\0\0".
std::wstring MultipleChoiceBuffer(const std::vector<std::string>& paths, WORD* fileOffset)
{
    if (paths.size() == 1) {
        const std::wstring path = platform::ToWidePath(paths.front());
        *fileOffset = static_cast<WORD>(path.rfind(L'/') + 1);
        return path + L'\0';
    }
    const std::string folder = CommonFolder(paths);
    const size_t nameStart = folder == "/" ? 1 : folder.size() + 1;
    std::wstring buffer = platform::ToWidePath(folder) + L'\0';
    *fileOffset = static_cast<WORD>(buffer.size());
    for (const std::string& path : paths)
        buffer += platform::ToWidePath(path.substr(nameStart)) + L'\0';
    return buffer;
}

bool FillFileBuffer(LPOPENFILENAMEW ofn, const std::vector<std::string>& paths)
{
    const bool multiple = ofn->Flags & OFN_ALLOWMULTISELECT;
    WORD fileOffset = 0;
    std::wstring buffer;
    if (multiple) {
        buffer = MultipleChoiceBuffer(paths, &fileOffset);
    } else {
        buffer = platform::ToWidePath(paths.front());
        fileOffset = static_cast<WORD>(buffer.rfind(L'/') + 1);
    }
    buffer += L'\0';  // a multiple choice ends with an empty name; one path ends with its NUL
    if (buffer.size() > ofn->nMaxFile || buffer.size() > 0xFFFF) {
        ofn->lpstrFile[0] = static_cast<wchar_t>(std::min<size_t>(buffer.size(), 0xFFFF));
        t_lastDialogError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::copy(buffer.begin(), buffer.end(), ofn->lpstrFile);
    ofn->nFileOffset = fileOffset;
    const std::wstring name = ofn->lpstrFile + fileOffset;
    const size_t dot = name.rfind(L'.');
    ofn->nFileExtension = dot == std::wstring::npos || paths.size() > 1 ? 0 : static_cast<WORD>(fileOffset + dot + 1);
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > name.size() && paths.size() == 1)
        std::copy(name.c_str(), name.c_str() + name.size() + 1, ofn->lpstrFileTitle);
    return true;
}

std::string StartFolderArgument(const std::wstring& folder)
{
    std::string path = platform::ToPosixPath(folder);
    if (path.empty())
        return {};
    if (path.back() != '/')
        path += '/';
    return "--filename=" + path;
}

std::string StartFileArgument(LPOPENFILENAMEW ofn)
{
    if (ofn->lpstrFile[0])
        return "--filename=" + platform::ToPosixPath(ofn->lpstrFile);
    return ofn->lpstrInitialDir ? StartFolderArgument(ofn->lpstrInitialDir) : std::string();
}

// "rgb(r,g,b)", "rgba(r,g,b,a)" or "#rrggbb" as a COLORREF.
std::optional<COLORREF> ParseColour(const std::string& output)
{
    const std::string text = TrimNewline(output);
    int r = 0, g = 0, b = 0;
    if (std::sscanf(text.c_str(), "rgb(%d,%d,%d)", &r, &g, &b) == 3 || std::sscanf(text.c_str(), "rgba(%d,%d,%d", &r, &g, &b) == 3) {
        if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255)
            return std::nullopt;
        return RGB(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
    }
    unsigned hex = 0;
    if (text.size() == 7 && std::sscanf(text.c_str(), "#%6x", &hex) == 1)
        return RGB(static_cast<BYTE>(hex >> 16), static_cast<BYTE>(hex >> 8), static_cast<BYTE>(hex));
    return std::nullopt;
}

// The browser's window as its callback sees it: it takes BFFM_SETSELECTIONW and keeps the path.
LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != BFFM_SETSELECTIONW)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    auto* selection = reinterpret_cast<std::wstring*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
    const wchar_t* path = reinterpret_cast<const wchar_t*>(lParam);  // wParam FALSE: an item, also a path here
    if (selection && path)
        *selection = path;
    return 0;
}

std::wstring StartFolderFromCallback(LPBROWSEINFOW info)
{
    std::wstring selection;
    if (!info->lpfn)
        return selection;
    static const ATOM registered = [] {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = BrowserWindowProc;
        wc.lpszClassName = L"QuillmoorFolderBrowser";
        return RegisterClassEx(&wc);
    }();
    HWND browser = registered ? CreateWindowEx(0, L"QuillmoorFolderBrowser", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr) : nullptr;
    if (!browser)
        return selection;
    SetWindowLongPtr(browser, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&selection));
    info->lpfn(browser, BFFM_INITIALIZED, 0, info->lParam);
    DestroyWindow(browser);
    return selection;
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn)
{
    t_lastDialogError = 0;
    if (!ofn || ofn->lStructSize < offsetof(OPENFILENAMEW, pvReserved)) {
        t_lastDialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        t_lastDialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    const bool multiple = ofn->Flags & OFN_ALLOWMULTISELECT;
    std::vector<std::string> command { "zenity", "--file-selection" };
    if (ofn->lpstrTitle)
        command.push_back("--title=" + platform::WideToUtf8(ofn->lpstrTitle));
    if (multiple) {
        command.push_back("--multiple");
        command.push_back(std::string("--separator=") + kPathSeparator);
    }
    if (const std::string start = StartFileArgument(ofn); !start.empty())
        command.push_back(start);
    for (std::string& filter : FilterArguments(ofn->lpstrFilter, ofn->nFilterIndex))
        command.push_back(std::move(filter));
    const DialogAnswer answer = RunDialog(ofn->hwndOwner, command);
    if (answer.result == DialogAnswer::Failed)
        t_lastDialogError = CDERR_INITIALIZATION;
    const std::vector<std::string> paths = answer.result == DialogAnswer::Chosen ? SplitPaths(answer.output, multiple) : std::vector<std::string>();
    if (paths.empty())
        return FALSE;
    return FillFileBuffer(ofn, paths) ? TRUE : FALSE;
}

DWORD CommDlgExtendedError() { return t_lastDialogError; }

BOOL ChooseColorW(LPCHOOSECOLORW cc)
{
    if (!cc || cc->lStructSize < sizeof(CHOOSECOLORW))
        return FALSE;
    std::vector<std::string> command { "zenity", "--color-selection", "--show-palette" };
    if (cc->Flags & CC_RGBINIT) {
        char colour[32];
        std::snprintf(colour, sizeof colour, "--color=rgb(%d,%d,%d)", GetRValue(cc->rgbResult), GetGValue(cc->rgbResult),
                      GetBValue(cc->rgbResult));
        command.push_back(colour);
    }
    const DialogAnswer answer = RunDialog(cc->hwndOwner, command);
    if (answer.result != DialogAnswer::Chosen)
        return FALSE;
    const std::optional<COLORREF> colour = ParseColour(answer.output);
    if (!colour) {
        std::fprintf(stderr, "desktop dialog: unreadable colour \"%s\"\n", TrimNewline(answer.output).c_str());
        return FALSE;
    }
    cc->rgbResult = *colour;
    return TRUE;
}

LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info)
{
    if (!info)
        return nullptr;
    std::vector<std::string> command { "zenity", "--file-selection", "--directory" };
    if (info->lpszTitle)
        command.push_back("--title=" + platform::WideToUtf8(info->lpszTitle));
    if (const std::string start = StartFolderArgument(StartFolderFromCallback(info)); !start.empty())
        command.push_back(start);
    const DialogAnswer answer = RunDialog(info->hwndOwner, command);
    const std::string folder = answer.result == DialogAnswer::Chosen ? TrimNewline(answer.output) : std::string();
    if (folder.empty())
        return nullptr;
    const std::wstring path = platform::ToWidePath(folder);
    if (info->pszDisplayName) {
        const size_t slash = path.rfind(L'/');
        std::wstring name = slash == std::wstring::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
        name.resize(std::min<size_t>(name.size(), MAX_PATH - 1));
        std::copy(name.c_str(), name.c_str() + name.size() + 1, info->pszDisplayName);
    }
    // The item is the path itself, NUL-ended, in one block that CoTaskMemFree frees.
    auto* item = static_cast<wchar_t*>(std::malloc((path.size() + 1) * sizeof(wchar_t)));
    if (!item)
        return nullptr;
    std::copy(path.c_str(), path.c_str() + path.size() + 1, item);
    return reinterpret_cast<LPITEMIDLIST>(item);
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST item, LPWSTR path)
{
    if (!item || !path)
        return FALSE;
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(item);
    const size_t length = std::wcslen(folder);
    if (length >= MAX_PATH) {
        path[0] = L'\0';
        return FALSE;
    }
    std::copy(folder, folder + length + 1, path);
    return TRUE;
}

void CoTaskMemFree(void* block) { std::free(block); }

namespace platform {

void SetDesktopDialogHook(DesktopDialogHook hook)
{
    std::lock_guard lock(HookLock());
    Hook() = std::move(hook);
}

}  // namespace platform
