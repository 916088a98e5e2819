#include "editor/mainwnd/TextFile.h"

#include <atomic>

#include "base/StringHelpers.h"
#include "platform/Windows.h"

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring Decode(const std::string& bytes, UINT codePage, DWORD flags)
{
    if (bytes.empty())
        return {};
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

bool IsValidUtf8(const std::string& bytes)
{
    return bytes.empty() || !Decode(bytes, CP_UTF8, MB_ERR_INVALID_CHARS).empty();
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return ok;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes)
{
    static std::atomic<unsigned> counter { 0 };
    const std::wstring temporary = FormatWide(L"%s.%u-%u.tmp", path.c_str(), ::GetCurrentProcessId(), ++counter);
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteAll(file, bytes);
    const bool closed = ::CloseHandle(file);
    if (written && closed && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

std::string Utf8FromFileBytes(const std::string& bytes)
{
    if (IsValidUtf8(bytes))
        return bytes;
    return Utf8FromWide(Decode(bytes, kGbkCodePage, 0));
}

std::string Utf8FromWide(const std::wstring& text)
{
    return WideToUtf8(text);
}

std::wstring WideFromUtf8(const std::string& text)
{
    return Decode(text, CP_UTF8, 0);
}
