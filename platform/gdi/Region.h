#pragma once
// Regions for the window system (SetWindowRgn, shaped windows, clipping a window's drawing).
// Included only inside platform/.

#include "platform/WinGdi.h"

#include <cairo.h>

#include <vector>

namespace platform {

// The region's shape, owned by the region: valid until the region changes or is deleted; null
// for an invalid handle. Copy it (cairo_region_copy) to keep it.
const cairo_region_t* RegionOf(HRGN region);
// The region as disjoint rectangles in rows, top to bottom and left to right within a row.
std::vector<RECT> RegionRects(HRGN region);
// A new region handle holding a copy of `shape` (null makes an empty region).
HRGN CreateRegionFrom(const cairo_region_t* shape);

}  // namespace platform
