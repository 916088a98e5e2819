#pragma once
// UTF-8 for the window system's own traffic with the desktop (titles, clipboard, dialogs).

#include <string>

namespace platform {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace platform
