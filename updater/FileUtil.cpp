#include "updater/FileUtil.h"

#include "platform/system/System.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Decodes UTF-8; every byte that does not start a well-formed sequence is handed to `invalid`
// once and decoding goes on with the next byte, so no text is lost or repeated.
template <typename InvalidByte>
std::wstring DecodeUtf8(const std::string& in, InvalidByte invalid)
{
    std::wstring out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const auto lead = static_cast<unsigned char>(in[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
        bool ok = extra >= 0 && i + extra < in.size();
        uint32_t code = ok ? (extra == 0 ? lead : lead & (0x3F >> extra)) : 0;
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static const uint32_t kMinimum[] = { 0, 0x80, 0x800, 0x10000 };
        ok = ok && code >= kMinimum[extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!ok) {
            out += invalid(lead);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(code);
        i += extra + 1;
    }
    return out;
}

// A code point that cannot be encoded (a lone surrogate, beyond U+10FFFF) becomes U+FFFD.
std::string EncodeUtf8(const std::wstring& in)
{
    std::string out;
    out.reserve(in.size());
    for (wchar_t wc : in) {
        auto code = static_cast<uint32_t>(wc);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// Milliseconds of the monotonic clock, wrapping at 32 bits like the system tick count.
unsigned TickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

bool DeleteFileOrMoveAside(const std::wstring& path, bool retry)
{
    const std::string narrow = WideToAnsi(path);
    struct stat info {};
    if (lstat(narrow.c_str(), &info) != 0 || S_ISDIR(info.st_mode))  // a folder is never moved aside
        return false;
    if (unlink(narrow.c_str()) == 0)
        return true;
    if (!retry)
        return false;
    if ((info.st_mode & S_IWUSR) == 0 && chmod(narrow.c_str(), info.st_mode | S_IWUSR) == 0
        && unlink(narrow.c_str()) == 0)
        return true;
    return MoveAsideForDeletion(path);
}

bool MoveAsideForDeletion(const std::wstring& path)
{
    std::wstring folder, fileName;
    SplitPath(path, folder, fileName);
    wchar_t tick[16];
    swprintf(tick, 16, L"%x", TickCount());
    const std::wstring aside = folder + L"/" + tick + L"_" + fileName;
    RenameFile(path, aside);
    return platform::ScheduleDeleteAtReboot(aside);
}

bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath)
{
    return std::rename(WideToAcp(oldPath).c_str(), WideToAcp(newPath).c_str()) == 0;
}

bool SplitPath(std::wstring path, std::wstring& folder, std::wstring& fileName)
{
    folder.clear();
    fileName.clear();
    if (path.empty())
        return false;
    const size_t slash = path.find_last_of(L"/");
    folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (folder.empty() || folder.back() != L'/')
        folder += L'/';
    return true;
}

bool FileExists(const std::wstring& path, bool folderTest)
{
    struct stat info {};
    if (stat(WideToAnsi(path).c_str(), &info) != 0)
        return false;
    return !folderTest || S_ISDIR(info.st_mode);
}

int64_t GetFileSizeOf(std::string path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const int64_t size = GetFileSizeOf(path);
    bool ok = size >= 0 && size < (int64_t(1) << 32);
    if (ok) {
        content.resize(static_cast<size_t>(size));
        ok = size == 0 || std::fread(content.data(), 1, content.size(), file) == content.size();
    }
    std::fclose(file);
    return ok;
}

int ReplaceAllInPlace(const std::wstring& find, const std::wstring& replacement, std::wstring& text)
{
    if (find.empty() || text.empty())
        return 0;
    int count = 0;
    for (size_t pos = text.find(find); pos != std::wstring::npos; pos = text.find(find, pos)) {
        text.replace(pos, find.size(), replacement);
        pos += replacement.size();
        ++count;
    }
    return count;
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    // As the system converters do: a malformed byte becomes U+FFFD, the rest is kept.
    return EncodeUtf8(DecodeUtf8(utf8, [](unsigned char) { return L'\uFFFD'; }));
}

std::string WideToAcp(const std::wstring& text)
{
    return EncodeUtf8(text);
}

std::wstring AnsiToWide(std::string text)
{
    // A byte that is not UTF-8 (a name from an older system) is read as Latin-1.
    const std::wstring wide = DecodeUtf8(text, [](unsigned char ch) { return static_cast<wchar_t>(ch); });
    return wide.substr(0, wide.find(L'\0'));
}

std::string WideToAnsi(std::wstring text)
{
    const std::string narrow = EncodeUtf8(text);
    return narrow.substr(0, narrow.find('\0'));
}

std::wstring HeldFilePath(int fd)
{
    return L"/proc/self/fd/" + std::to_wstring(fd);
}

std::wstring FileExtensionOf(std::wstring text)
{
    const size_t dot = text.rfind(L'.');
    return dot == std::wstring::npos ? text : text.substr(dot + 1);
}

std::wstring FileNameOf(std::wstring text)
{
    const size_t sep = text.find_last_of(L"\\/");
    return sep == std::wstring::npos ? text : text.substr(sep + 1);
}

std::wstring FolderOf(std::wstring text)
{
    const size_t sep = text.find_last_of(L"\\/");
    return sep == std::wstring::npos ? text : text.substr(0, sep);
}
