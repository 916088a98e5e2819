#pragma once
// The text layout cache's controls that need no Pango or cairo types: emptying it when the
// installed fonts change, and the bound on the coverage masks kept with cached layouts.

#include <cstdint>

namespace platform {

// Forgets every cached layout, its mask and every metric (the installed fonts changed).
void ClearLayoutCache();
// The largest ink area, in pixels, a kept mask may cover (each costs a byte a pixel for as long
// as its layout is cached); larger texts are drawn glyph by glyph. Returns the previous limit.
int64_t SetInkMaskLimit(int64_t pixels);

}  // namespace platform
