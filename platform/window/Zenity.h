#pragma once
// Runs one desktop dialog (zenity) modally for the calling thread: the thread's messages keep
// being served until it ends.

#include <string>
#include <vector>

namespace platform {

// The exit code (0 chosen or yes, 1 cancelled or no), with what the dialog printed in `output`
// when asked; -1 when it could not be started.
int RunZenity(const std::vector<std::string>& args, std::string* output = nullptr);

}  // namespace platform
