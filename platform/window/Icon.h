#pragma once
// Icons: an icon file (a directory of PNG images, as the skin-image script writes it) linked in as
// the resource ("ICON", id), loaded as one HICON that holds every size. A window's icon is shown
// by the desktop from these pixels.

#include "platform/WinTypes.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace platform {

// The images of an icon file as the desktop's icon property wants them: for each image its width,
// its height, then width x height ARGB pixels row by row. Empty when the file is not an icon file
// of PNG images; images that do not decode are left out.
std::vector<unsigned long> DecodeIconFile(const unsigned char* data, size_t size);

// The pixels of a loaded icon, or null for a handle that is not one.
std::shared_ptr<const std::vector<unsigned long>> IconPixels(HICON icon);

}  // namespace platform
