#include "platform/x11/X11Backend.h"

namespace platform {

std::unique_ptr<Backend> CreateX11Backend() { return nullptr; }

}  // namespace platform
