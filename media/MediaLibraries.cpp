#include "media/MediaLibraries.h"

#include <cstdio>

#include "platform/WinBase.h"

namespace {

constexpr const wchar_t* kModuleName = L"quillmedia.dll";  // "libquillmedia.so" in the program folder

const MediaLibraryCalls* LoadTable()
{
    HMODULE module = ::LoadLibraryW(kModuleName);
    if (module == nullptr) {
        std::fprintf(stderr, "The media libraries could not be loaded (libquillmedia.so beside the program, error %u)\n",
                     ::GetLastError());
        return nullptr;
    }
    auto table = reinterpret_cast<MediaLibraryTableFunction>(::GetProcAddress(module, kMediaLibraryTableName));
    if (table == nullptr) {
        std::fprintf(stderr, "The media library module has no %s\n", kMediaLibraryTableName);
        return nullptr;
    }
    return table();  // the module stays loaded: its functions are in use until the process ends
}

}  // namespace

const MediaLibraryCalls* MediaLibraries()
{
    static const MediaLibraryCalls* const calls = LoadTable();
    return calls;
}
