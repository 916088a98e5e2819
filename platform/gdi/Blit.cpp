// BitBlt, StretchBlt and AlphaBlend between DCs. The copies move all four bytes of a pixel;
// AlphaBlend composes premultiplied pixels (source over destination) and writes the real alpha.

#include "platform/gdi/DeviceContext.h"

#include <algorithm>

namespace platform {

namespace {

// A surface to read the source rectangle (target coordinates) from; null when the source is not
// an image. When source and destination share a surface the rectangle is copied first, so an
// overlapping copy reads the old pixels.
CairoPtr<cairo_surface_t> SourceView(DeviceContext* src, DeviceContext* dest, const cairo_rectangle_int_t& area, bool opaque)
{
    cairo_surface_t* surface = src->Target();
    if (!IsImageSurface(surface))
        return nullptr;
    cairo_surface_flush(surface);
    const bool copy = opaque || surface == dest->Target();
    if (!copy)
        return CairoPtr<cairo_surface_t>(cairo_surface_create_for_rectangle(surface, area.x, area.y, area.width, area.height));
    // The copy also serves the opaque view: RGB24 ignores the alpha byte.
    CairoPtr<cairo_surface_t> view(cairo_image_surface_create(
        opaque ? CAIRO_FORMAT_RGB24 : cairo_image_surface_get_format(surface), area.width, area.height));
    cairo_surface_flush(view.get());
    for (int y = 0; y < area.height; ++y) {
        const uint32_t* from = SurfaceRow(surface, area.y + y) + area.x;
        std::copy(from, from + area.width, SurfaceRow(view.get(), y));
    }
    cairo_surface_mark_dirty(view.get());
    return view;
}

struct BlitRequest {
    int x, y, width, height;           // destination, logical
    int srcX, srcY, srcWidth, srcHeight;  // source, logical
};

// Copies or blends the source rectangle onto the destination rectangle, scaling when the sizes
// differ. Source pixels outside the source surface are not read: the source rectangle must lie
// inside it (AlphaBlend's rule), or, for the copies, is cut to it with the destination cut alike.
bool Compose(DeviceContext* dest, DeviceContext* src, BlitRequest r, cairo_operator_t op, double alpha, bool opaque,
             bool smooth)
{
    if (r.width <= 0 || r.height <= 0 || r.srcWidth <= 0 || r.srcHeight <= 0)
        return false;
    cairo_rectangle_int_t area { src->ToTargetX(r.srcX), src->ToTargetY(r.srcY), r.srcWidth, r.srcHeight };
    const double scaleX = static_cast<double>(r.width) / r.srcWidth, scaleY = static_cast<double>(r.height) / r.srcHeight;
    if (op == CAIRO_OPERATOR_SOURCE) {
        const int left = std::max(area.x, 0), top = std::max(area.y, 0);
        const int right = std::min(area.x + area.width, src->TargetWidth()), bottom = std::min(area.y + area.height, src->TargetHeight());
        if (right <= left || bottom <= top)
            return true;
        const double destLeft = r.x + (left - area.x) * scaleX, destTop = r.y + (top - area.y) * scaleY;
        r.x = static_cast<int>(destLeft);
        r.y = static_cast<int>(destTop);
        r.width = static_cast<int>((right - left) * scaleX + 0.5);
        r.height = static_cast<int>((bottom - top) * scaleY + 0.5);
        area = { left, top, right - left, bottom - top };
    } else if (area.x < 0 || area.y < 0 || area.x + area.width > src->TargetWidth() || area.y + area.height > src->TargetHeight()) {
        return false;
    }
    const CairoPtr<cairo_surface_t> view = SourceView(src, dest, area, opaque);
    if (!view)
        return false;
    Canvas canvas(dest);
    if (!canvas.Valid())
        return true;
    cairo_t* cr = canvas.Get();
    cairo_set_operator(cr, op);
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_translate(cr, r.x, r.y);
    cairo_scale(cr, static_cast<double>(r.width) / area.width, static_cast<double>(r.height) / area.height);
    // Our own pattern, not cairo_get_source: on a context in an error state that hands out a new
    // pattern nobody frees.
    const CairoPtr<cairo_pattern_t> owned(cairo_pattern_create_for_surface(view.get()));
    cairo_pattern_t* pattern = owned.get();
    const bool sameSize = area.width == r.width && area.height == r.height;
    // Only a scaled source samples past its edges; unscaled, the clip keeps every sample inside
    // it, and without an extend mode the compositor takes its fast paths.
    if (!sameSize)
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, sameSize ? CAIRO_FILTER_NEAREST : smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_set_source(cr, pattern);
    if (alpha >= 1.0)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    return true;
}

// The raster fills set every bit of a pixel: BLACKNESS all 0, WHITENESS all 1 (alpha included),
// PATCOPY the brush's colour with alpha 0 like the other GDI fills.
bool FillWith(DeviceContext* dc, int x, int y, int width, int height, COLORREF color, bool keepAlpha)
{
    if (width <= 0 || height <= 0)
        return true;
    if (!keepAlpha && FillWithoutAlpha(dc, RECT { x, y, x + width, y + height }, color))
        return true;
    Canvas canvas(dc);
    if (!canvas.Valid())
        return true;
    cairo_set_operator(canvas.Get(), CAIRO_OPERATOR_SOURCE);
    SetSourceColor(canvas.Get(), color);
    cairo_rectangle(canvas.Get(), x, y, width, height);
    cairo_fill(canvas.Get());
    return true;
}

}  // namespace

}  // namespace platform

using platform::DeviceContext;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    DeviceContext* to = DeviceContext::FromHandle(dest);
    if (!to)
        return FALSE;
    switch (rop) {
    case BLACKNESS: return platform::FillWith(to, x, y, width, height, RGB(0, 0, 0), false);
    case WHITENESS: return platform::FillWith(to, x, y, width, height, RGB(255, 255, 255), true);
    case PATCOPY: {
        const auto& brush = to->Current().brush;
        return !brush || brush->hollow || platform::FillWith(to, x, y, width, height, brush->color, false);
    }
    case SRCCOPY: break;
    default: return FALSE;
    }
    DeviceContext* from = DeviceContext::FromHandle(src);
    if (!from)
        return FALSE;
    return platform::Compose(to, from, { x, y, width, height, srcX, srcY, width, height }, CAIRO_OPERATOR_SOURCE, 1.0, false, false);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop)
{
    DeviceContext* to = DeviceContext::FromHandle(dest);
    DeviceContext* from = DeviceContext::FromHandle(src);
    if (!to || !from || rop != SRCCOPY)
        return FALSE;
    const bool smooth = to->Current().stretchMode == HALFTONE;
    return platform::Compose(to, from, { x, y, width, height, srcX, srcY, srcWidth, srcHeight }, CAIRO_OPERATOR_SOURCE, 1.0,
                             false, smooth);
}

int SetStretchBltMode(HDC hdc, int mode)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    const int old = dc->Current().stretchMode;
    dc->Current().stretchMode = mode;
    return old;
}

int GetStretchBltMode(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc ? dc->Current().stretchMode : 0;
}

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, BLENDFUNCTION blend)
{
    DeviceContext* to = DeviceContext::FromHandle(dest);
    DeviceContext* from = DeviceContext::FromHandle(src);
    if (!to || !from || blend.BlendOp != AC_SRC_OVER)
        return FALSE;
    if (blend.SourceConstantAlpha == 0)
        return TRUE;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    return platform::Compose(to, from, { x, y, width, height, srcX, srcY, srcWidth, srcHeight }, CAIRO_OPERATOR_OVER,
                             blend.SourceConstantAlpha / 255.0, !perPixel, true);
}
