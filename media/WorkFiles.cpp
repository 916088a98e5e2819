#include "media/WorkFiles.h"

#include "base/StringHelpers.h"
#include "base/WorkNameRandom.h"
#include "platform/WinBase.h"

namespace {

// Sixteen hex digits, drawn once per run.
const std::wstring& RunToken()
{
    static const std::wstring token =
        FormatWide(L"%016llx", static_cast<unsigned long long>(WorkNameRandomNumber()));
    return token;
}

}  // namespace

std::wstring ExportWorkFile(const wchar_t* stem, int number, const wchar_t* extension)
{
    const std::wstring folder = platform::PrivateWorkFolder();
    if (folder.empty())
        return {};
    return JoinPath(folder, FormatWide(L"%s-%s(%d).%s", stem, RunToken().c_str(), number, extension));
}
