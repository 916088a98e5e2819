// Message boxes: the desktop's own dialog (zenity) on X11, a test hook on the headless display.
// Either way the box is modal for the calling thread: its owner is disabled and the thread's
// other windows keep being served until the answer comes.

#include "platform/WinBase.h"
#include "platform/window/UserInternal.h"
#include "platform/window/Zenity.h"

#include <cstdio>
#include <string>
#include <vector>

namespace platform::headless {
int AnswerMessageBox(const std::wstring& text);
}

namespace {

int FirstButton(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
    }
}

int SecondButton(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO: case MB_YESNOCANCEL: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDIGNORE;
    default: return IDCANCEL;
    }
}

std::vector<std::string> ZenityArguments(const std::wstring& text, const std::wstring& caption, UINT type)
{
    std::vector<std::string> args { "zenity" };
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_OK) {
        const UINT icon = type & MB_ICONMASK;
        args.push_back(icon == MB_ICONERROR ? "--error" : icon == MB_ICONWARNING ? "--warning" : "--info");
    } else {
        args.push_back("--question");
        const bool yesNo = buttons == MB_YESNO || buttons == MB_YESNOCANCEL;
        args.push_back(yesNo ? "--ok-label=Yes" : buttons == MB_RETRYCANCEL ? "--ok-label=Retry" : "--ok-label=OK");
        args.push_back(yesNo ? "--cancel-label=No" : "--cancel-label=Cancel");
    }
    args.push_back("--no-markup");
    args.push_back("--title=" + platform::WideToUtf8(caption));
    args.push_back("--text=" + platform::WideToUtf8(text));
    return args;
}

}  // namespace

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::wstring body = text ? text : L"";
    const std::wstring title = caption ? caption : L"Error";
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    int answer = 0;
    if (platform::WindowManager::Get().headless) {
        std::fprintf(stderr, "%s: %s\n", platform::WideToUtf8(title).c_str(), platform::WideToUtf8(body).c_str());
        const int hooked = platform::headless::AnswerMessageBox(body);
        answer = hooked ? hooked : FirstButton(type);
    } else {
        // A box nobody owns still belongs to the window the user was working in.
        const int code = platform::RunZenity(ZenityArguments(body, title, type), nullptr, owner ? owner : GetActiveWindow());
        if (code < 0)
            std::fprintf(stderr, "%s: %s (no dialog could be shown: is zenity installed?)\n", platform::WideToUtf8(title).c_str(),
                         platform::WideToUtf8(body).c_str());
        answer = code < 0 ? 0 : code == 0 ? FirstButton(type) : SecondButton(type);
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    return answer;
}

BOOL MessageBeep(UINT) { return TRUE; }
