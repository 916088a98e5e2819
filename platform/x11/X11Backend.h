#pragma once
// The X11 display: one X window per top-level window. Null when no X display can be opened.

#include "platform/window/Backend.h"

#include <memory>

namespace platform {

std::unique_ptr<Backend> CreateX11Backend();

}  // namespace platform
