// The vkupdate program: the command line goes to wWinMain as one text, the way the editor
// wrote it ("-o=tmqrx -e=Quillmoor.exe -c=Top").

#include "updater/FileUtil.h"
#include "updater/UpdaterMain.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"

#include <string>

namespace {

// Arguments that hold blanks are quoted again, so the updater's own tokenising sees them whole.
std::wstring JoinArguments(int argc, char** argv)
{
    std::wstring line;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = AnsiToWide(argv[i]);
        if (!line.empty())
            line += L' ';
        const bool quote = argument.find_first_of(L" \t") != std::wstring::npos;
        line += quote ? L"\"" + argument + L"\"" : argument;
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    std::wstring commandLine = JoinArguments(argc, argv);
    return wWinMain(GetModuleHandleW(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
