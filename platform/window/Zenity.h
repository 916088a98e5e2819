#pragma once
// Runs one desktop dialog (zenity) modally for the calling thread: the thread's messages keep
// being served until it ends.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

namespace platform {

// The exit code (0 chosen or yes, 1 cancelled or no), with what the dialog printed in `output`
// when asked; -1 when it could not be started. With an `owner`, the dialog is attached to that
// window's top-level window: it comes up above it, centred on it, with the keyboard focus.
int RunZenity(const std::vector<std::string>& args, std::string* output = nullptr, HWND owner = nullptr);

}  // namespace platform
