#pragma once
// The headless display: a virtual screen in memory on which the top-level windows are composed
// in z-order with their alpha. Tests drive it through platform/headless/HeadlessScreen.h.

#include "platform/window/Backend.h"

#include <memory>

namespace platform {

std::unique_ptr<Backend> CreateHeadlessBackend();

}  // namespace platform
