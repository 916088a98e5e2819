#pragma once
// The picture decoders the GDI+ images use, for the rest of the layer (icons).

#include <cstddef>
#include <vector>

namespace platform {

// A PNG, JPEG, BMP or GIF (its first frame) as RGBA rows, at most `largestSide` pixels each way;
// false when it does not decode.
bool DecodePicture(const unsigned char* data, size_t size, int largestSide, int& width, int& height,
                   std::vector<unsigned char>& rgba);

}  // namespace platform
