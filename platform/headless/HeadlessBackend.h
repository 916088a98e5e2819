#pragma once
// The headless display: a virtual screen in memory on which the top-level windows are composed
// in z-order with their alpha. Tests drive it through platform/headless/HeadlessScreen.h.

#include "platform/gdi/CairoPtr.h"
#include "platform/window/Backend.h"

#include <memory>

namespace platform {

class WindowManager;

std::unique_ptr<Backend> CreateHeadlessBackend();
// The virtual screen as it looks now; the caller holds the window manager's lock.
CairoPtr<cairo_surface_t> ComposeHeadlessScreen(WindowManager& wm);

}  // namespace platform
