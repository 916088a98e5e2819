#pragma once
// How the window system draws through GDI: a DC on a cairo surface that someone else owns (a
// window's back buffer). Included only inside platform/.
//
// CreateSurfaceDC makes a DC whose logical (0, 0) is at (originX, originY) of the target and
// which never draws outside `clip` (target coordinates): a child window's DC is its parent's
// buffer with the child's origin and rectangle. Clip regions selected into the DC are relative
// to the origin, like any device coordinates. The DC holds a reference to the target until
// DeleteSurfaceDC. The target should be a cairo image surface (ARGB32 or RGB24): GDI-style
// drawing fixes up the alpha byte of an ARGB32 target in place (see WinGdi.h), and pixel reads
// need memory. A normal window's buffer is presented opaque (ignore its alpha, e.g. through an
// RGB24 view; on an ARGB visual force alpha 255); a layered window is presented from the memory
// DC passed to UpdateLayeredWindow.

#include "platform/WinGdi.h"

#include <cairo.h>

namespace platform {

HDC CreateSurfaceDC(cairo_surface_t* target, int originX, int originY, const RECT& clip);
void DeleteSurfaceDC(HDC hdc);
// Gives a surface DC a new origin and clip (target coordinates), keeping its selected objects
// and clip region: a DC kept from GetDC follows its window through moves and resizes.
void PlaceSurfaceDC(HDC hdc, int originX, int originY, const RECT& clip);

// The selected bitmap's surface of a memory DC, or the target of a surface DC; null for an
// invalid handle. Flushed: ready for reading. Write through cairo, or call
// cairo_surface_mark_dirty after writing the pixels directly.
cairo_surface_t* SurfaceOfDC(HDC hdc);

}  // namespace platform
