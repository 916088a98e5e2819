#include "media/WorkFiles.h"

#include <cstdint>
#include <random>

#include "base/StringHelpers.h"
#include "platform/WinBase.h"

namespace {

// Sixteen hex digits from the system's random source, drawn once per run.
const std::wstring& RunToken()
{
    static const std::wstring token = [] {
        std::random_device source;
        const uint64_t value = (static_cast<uint64_t>(source()) << 32) | source();
        return FormatWide(L"%016llx", static_cast<unsigned long long>(value));
    }();
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
