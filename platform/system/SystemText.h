#pragma once
// Wide/UTF-8 conversion and path mapping shared by the system services' implementation files.

#include <string>

namespace platform::system_text {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// A path as the services take it ("\" or "/" separators) turned into a POSIX path.
std::string ToPosixPath(const wchar_t* path);

}  // namespace platform::system_text
