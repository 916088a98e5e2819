#pragma once
// How the window system draws through GDI: a DC on a cairo surface that someone else owns (a
// window's back buffer). Included only inside platform/.
//
// CreateSurfaceDC makes a DC whose logical (0, 0) is at (originX, originY) of the target and
// which never draws outside `clip` (target coordinates): a child window's DC is its parent's
// buffer with the child's origin and rectangle. Clip regions selected into the DC are relative
// to the origin, like any device coordinates. The DC holds a reference to the target until
// DeleteSurfaceDC. The target should be a cairo image surface: GDI-style drawing fixes up the
// alpha byte in place (see WinGdi.h), which it skips on other surfaces. A normal window's buffer
// is presented opaque (ignore its alpha, or make it CAIRO_FORMAT_RGB24); a layered window is
// presented from the memory DC passed to UpdateLayeredWindow.

#include "platform/WinGdi.h"

#include <cairo.h>

namespace platform {

HDC CreateSurfaceDC(cairo_surface_t* target, int originX, int originY, const RECT& clip);
void DeleteSurfaceDC(HDC hdc);

// The selected bitmap's surface of a memory DC, or the target of a surface DC; null for an
// invalid handle. Flushed: ready for reading. Write through cairo, or call
// cairo_surface_mark_dirty after writing the pixels directly.
cairo_surface_t* SurfaceOfDC(HDC hdc);

}  // namespace platform
