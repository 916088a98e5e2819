#include "media/MediaInfoLibrary.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <vector>

#include "base/StringHelpers.h"
#include "media/CommandText.h"
#include "platform/WinBase.h"

namespace {

// The library's C interface (wide-character flavour), declared here: it ships without headers.
using NewFn = void* (*)();
using DeleteFn = void (*)(void*);
using BufferInitFn = size_t (*)(void*, uint64_t fileSize, uint64_t fileOffset);
using BufferContinueFn = size_t (*)(void*, const uint8_t* data, size_t size);
using BufferGoToFn = uint64_t (*)(void*);
using BufferFinalizeFn = size_t (*)(void*);
using GetFn = const wchar_t* (*)(void*, int streamKind, size_t streamNumber, const wchar_t* parameter,
                                 int infoKind, int searchKind);
using InformFn = const wchar_t* (*)(void*, size_t reserved);

constexpr int kStreamGeneral = 0;
constexpr int kStreamVideo = 1;
constexpr int kStreamAudio = 2;
constexpr int kInfoText = 1;
constexpr int kInfoName = 0;
constexpr size_t kStatusFinalized = 0x08;
constexpr uint64_t kNoSeek = UINT64_MAX;
constexpr size_t kReadBlock = 64 * 1024;

struct MediaInfoApi {
    NewFn create = nullptr;
    DeleteFn destroy = nullptr;
    BufferInitFn init = nullptr;
    BufferContinueFn feed = nullptr;
    BufferGoToFn seekWanted = nullptr;
    BufferFinalizeFn finalize = nullptr;
    GetFn get = nullptr;
    InformFn inform = nullptr;
    bool complete = false;
};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& out)
{
    out = reinterpret_cast<Fn>(::GetProcAddress(module, name));
    return out != nullptr;
}

MediaInfoApi LoadApi()
{
    MediaInfoApi api;
    HMODULE module = ::LoadLibrary(L"libmediainfo.so.0");  // found by the system's library search
    if (!module) {
        std::printf("MediaInfo: library libmediainfo.so.0 not found; output checks will fail\n");
        return api;
    }
    api.complete = Resolve(module, "MediaInfo_New", api.create) && Resolve(module, "MediaInfo_Delete", api.destroy)
        && Resolve(module, "MediaInfo_Open_Buffer_Init", api.init)
        && Resolve(module, "MediaInfo_Open_Buffer_Continue", api.feed)
        && Resolve(module, "MediaInfo_Open_Buffer_Continue_GoTo_Get", api.seekWanted)
        && Resolve(module, "MediaInfo_Open_Buffer_Finalize", api.finalize)
        && Resolve(module, "MediaInfo_Get", api.get) && Resolve(module, "MediaInfo_Inform", api.inform);
    if (!api.complete)
        std::printf("MediaInfo: libmediainfo.so.0 lacks a buffer-interface function\n");
    return api;
}

const MediaInfoApi& Api()
{
    static const MediaInfoApi api = LoadApi();  // thread-safe one-time load
    return api;
}

// Feeds the file to the library until it has seen enough, following the seeks it asks for.
void FeedFile(const MediaInfoApi& api, void* handle, std::ifstream& file, uint64_t size)
{
    std::vector<char> block(kReadBlock);
    api.init(handle, size, 0);
    for (int reads = 0; reads < 100000; ++reads) {
        file.read(block.data(), static_cast<std::streamsize>(block.size()));
        const size_t got = static_cast<size_t>(file.gcount());
        if (got == 0)
            break;
        if (api.feed(handle, reinterpret_cast<const uint8_t*>(block.data()), got) & kStatusFinalized)
            break;
        const uint64_t wanted = api.seekWanted(handle);
        if (wanted == kNoSeek)
            continue;
        if (wanted >= size)
            break;
        file.clear();
        file.seekg(static_cast<std::streamoff>(wanted));
        api.init(handle, size, wanted);
    }
    api.finalize(handle);
}

// The library's handle over one file it has been fed; empty when the library or the file is missing.
class FedFile {
public:
    explicit FedFile(const std::wstring& path)
    {
        if (!Api().complete)
            return;
        std::ifstream file(WideToUtf8(EncoderPath(path)), std::ios::binary | std::ios::ate);
        if (!file.is_open())
            return;
        const std::streamoff end = file.tellg();
        if (end < 0)
            return;
        file.seekg(0);
        m_handle = Api().create();
        if (m_handle)
            FeedFile(Api(), m_handle, file, static_cast<uint64_t>(end));
    }
    ~FedFile()
    {
        if (m_handle)
            Api().destroy(m_handle);
    }
    FedFile(const FedFile&) = delete;
    FedFile& operator=(const FedFile&) = delete;

    bool IsOpen() const { return m_handle != nullptr; }
    // The library returns a pointer into its own buffer, valid until the next call: copy it now.
    std::wstring Get(int stream, const wchar_t* parameter) const
    {
        const wchar_t* text = Api().get(m_handle, stream, 0, parameter, kInfoText, kInfoName);
        return text ? text : L"";
    }
    std::wstring Report() const
    {
        const wchar_t* text = Api().inform(m_handle, 0);
        return text ? text : L"";
    }

private:
    void* m_handle { nullptr };
};

}  // namespace

std::wstring MediaInfoLibrary::FileSize(const std::wstring& path)
{
    FedFile file(path);
    return file.IsOpen() ? file.Get(kStreamGeneral, L"FileSize") : std::wstring();
}

MediaInfoDetails MediaInfoLibrary::Details(const std::wstring& path)
{
    MediaInfoDetails details;
    FedFile file(path);
    if (!file.IsOpen())
        return details;
    details.duration = file.Get(kStreamGeneral, L"Duration");
    details.width = file.Get(kStreamVideo, L"Width");
    details.height = file.Get(kStreamVideo, L"Height");
    details.aspect = file.Get(kStreamVideo, L"DisplayAspectRatio");
    details.videoBitRate = file.Get(kStreamVideo, L"BitRate");
    details.audioBitRate = file.Get(kStreamAudio, L"BitRate");
    details.report = file.Report();
    return details;
}

bool MediaInfoLibrary::IsAvailable()
{
    return Api().complete;
}

bool MediaInfoLibrary::OutputLooksValid(const std::wstring& path, long long minimumBytes)
{
    const std::wstring size = FileSize(path);
    if (size.empty() || size == L"0")
        return false;
    return std::wcstoll(size.c_str(), nullptr, 10) >= minimumBytes;
}
