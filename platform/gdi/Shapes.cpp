// Fills, outlines, lines, pixels and gradients. Everything here but GradientFill is GDI-style:
// aliased, and the alpha byte of the touched pixels left 0 (see WinGdi.h).

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/ScopedCairoState.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace platform {

namespace {

// FillRect also takes a system colour index + 1 in place of a brush.
bool BrushColor(HBRUSH brush, COLORREF* color)
{
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= COLOR_INFOBK + 1) {
        *color = GetSysColor(static_cast<int>(value - 1));
        return true;
    }
    auto object = FindBrush(brush);
    if (!object || object->hollow)
        return false;
    *color = object->color;
    return true;
}

RECT Normalized(int left, int top, int right, int bottom)
{
    return { std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom) };
}

RECT Inflated(const RECT& r, int by)
{
    return { r.left - by, r.top - by, r.right + by, r.bottom + by };
}

void FillArea(DeviceContext* dc, const RECT& r, COLORREF color)
{
    if (r.right <= r.left || r.bottom <= r.top || FillWithoutAlpha(dc, r, color))
        return;
    Canvas canvas(dc);
    if (!canvas.Valid())
        return;
    cairo_set_operator(canvas.Get(), CAIRO_OPERATOR_SOURCE);
    SetSourceColor(canvas.Get(), color);
    cairo_rectangle(canvas.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(canvas.Get());
}

// Sets up cairo to stroke with the DC's pen; false for the null pen.
bool UsePen(cairo_t* cr, const PenObject& pen)
{
    if (pen.IsNull())
        return false;
    SetSourceColor(cr, pen.color);
    cairo_set_line_width(cr, std::max(1, pen.width));
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    static const double dash[] = { 18, 6 }, dot[] = { 3, 3 }, dashDot[] = { 9, 6, 3, 6 }, dashDotDot[] = { 9, 3, 3, 3, 3, 3 };
    switch (pen.style & PS_STYLE_MASK) {
    case PS_DASH: cairo_set_dash(cr, dash, 2, 0); break;
    case PS_DOT: cairo_set_dash(cr, dot, 2, 0); break;
    case PS_DASHDOT: cairo_set_dash(cr, dashDot, 4, 0); break;
    case PS_DASHDOTDOT: cairo_set_dash(cr, dashDotDot, 6, 0); break;
    default: break;
    }
    return true;
}

std::atomic<bool> g_directRoutes { true };

// A straight solid line of 1-px pen written straight into an ARGB32 surface (one coordinate of
// `from` and `to` shared), each clip rectangle in turn. A
// touched pixel ends as the colour with alpha 0, except one that already held the opaque colour
// (the pixel comparison of the alpha rule sees no change there). False when the general route
// must draw it.
bool StraightLine(DeviceContext* dc, POINT from, POINT to, const PenObject& pen)
{
    if (!DirectPixelRoutes() || pen.width > 1 || (pen.style & PS_STYLE_MASK) != PS_SOLID
        || (from.x != to.x && from.y != to.y) || !HasAlphaChannel(dc->Target()))
        return false;
    // Half-open span [lo, hi) along the line, in target coordinates: the first pixel in, the last
    // one out, whichever way the line runs.
    const bool horizontal = from.y == to.y;
    const int64_t fromA = horizontal ? dc->ToTargetX(from.x) : dc->ToTargetY(from.y);
    const int64_t toA = horizontal ? dc->ToTargetX(to.x) : dc->ToTargetY(to.y);
    const int64_t lo = fromA < toA ? fromA : toA + 1, hi = fromA < toA ? toA : fromA + 1;
    const int64_t across = horizontal ? dc->ToTargetY(from.y) : dc->ToTargetX(from.x);
    const uint32_t pixel = (GetRValue(pen.color) << 16) | (GetGValue(pen.color) << 8) | GetBValue(pen.color);
    const uint32_t opaque = pixel | 0xFF000000u;
    cairo_surface_t* surface = dc->Target();
    const cairo_region_t* clip = dc->TargetClip();
    cairo_surface_flush(surface);
    for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        const int64_t acrossLo = horizontal ? r.y : r.x, acrossHi = acrossLo + (horizontal ? r.height : r.width);
        const int64_t alongLo = horizontal ? r.x : r.y, alongHi = alongLo + (horizontal ? r.width : r.height);
        const int64_t start = std::max(lo, alongLo), end = std::min(hi, alongHi);
        if (across < acrossLo || across >= acrossHi || start >= end)
            continue;
        const int x = static_cast<int>(horizontal ? start : across), y = static_cast<int>(horizontal ? across : start);
        const ptrdiff_t step = horizontal ? 1 : cairo_image_surface_get_stride(surface) / 4;
        uint32_t* target = SurfaceRow(surface, y) + x;
        for (int64_t a = start; a < end; ++a, target += step)
            if (*target != opaque)
                *target = pixel;
        const int length = static_cast<int>(end - start);
        cairo_surface_mark_dirty_rectangle(surface, x, y, horizontal ? length : 1, horizontal ? 1 : length);
    }
    return true;
}

// A two-colour linear gradient from the first pixel's centre to the last one's along
// [from, to), so both ends show the exact colours.
CairoPtr<cairo_pattern_t> GradientPattern(bool vertical, int from, int to, const TRIVERTEX& first, const TRIVERTEX& second)
{
    CairoPtr<cairo_pattern_t> pattern(vertical ? cairo_pattern_create_linear(0, from + 0.5, 0, to - 0.5)
                                               : cairo_pattern_create_linear(from + 0.5, 0, to - 0.5, 0));
    for (const auto& [offset, v] : { std::pair<double, const TRIVERTEX*> { 0.0, &first }, { 1.0, &second } })
        cairo_pattern_add_color_stop_rgba(pattern.get(), offset, (v->Red >> 8) / 255.0, (v->Green >> 8) / 255.0,
                                          (v->Blue >> 8) / 255.0, (v->Alpha >> 8) / 255.0);
    return pattern;
}

void GradientRectThroughCairo(DeviceContext* dc, const RECT& r, bool vertical, const TRIVERTEX& first, const TRIVERTEX& second)
{
    Canvas canvas(dc);
    if (!canvas.Valid())
        return;
    cairo_t* cr = canvas.Get();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    const CairoPtr<cairo_pattern_t> pattern = vertical ? GradientPattern(true, r.top, r.bottom, first, second)
                                                       : GradientPattern(false, r.left, r.right, first, second);
    cairo_set_source(cr, pattern.get());
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
}

// Longer gradients go through cairo: a cached line costs four bytes a pixel.
constexpr int kLongestCachedGradient = 4096;

// The colours along a gradient of `length` pixels, as cairo renders them. Cairo's result does
// not depend on where the gradient lies, so one line serves every rectangle of that length and
// those colours; a frame repaints the same gradients many times.
const std::vector<uint32_t>& GradientLine(bool vertical, int length, const TRIVERTEX& first, const TRIVERTEX& second)
{
    using Key = std::tuple<bool, int, uint64_t, uint64_t>;
    thread_local std::map<Key, std::vector<uint32_t>> cache;
    auto packed = [](const TRIVERTEX& v) {
        return (uint64_t(v.Red >> 8) << 24) | (uint64_t(v.Green >> 8) << 16) | (uint64_t(v.Blue >> 8) << 8) | (v.Alpha >> 8);
    };
    const Key key { vertical, length, packed(first), packed(second) };
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    if (cache.size() >= 256)
        cache.clear();
    std::vector<uint32_t>& line = cache[key];
    line.assign(length, 0);
    const int width = vertical ? 1 : length, height = vertical ? length : 1;
    const CairoPtr<cairo_surface_t> surface(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(line.data()), CAIRO_FORMAT_ARGB32, width, height, width * 4));
    {
        const CairoPtr<cairo_t> cr(cairo_create(surface.get()));
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_set_source(cr.get(), GradientPattern(vertical, 0, length, first, second).get());
        cairo_rectangle(cr.get(), 0, 0, width, height);
        cairo_fill(cr.get());
    }
    cairo_surface_finish(surface.get());  // the line's pixels are final before the surface goes
    return line;
}

// Fills the rectangle on an ARGB32 surface from the cached line: copied along each row of a
// horizontal gradient, one colour per row of a vertical one. False when cairo must draw it.
bool GradientRectDirect(DeviceContext* dc, const RECT& r, bool vertical, const TRIVERTEX& first, const TRIVERTEX& second)
{
    const int64_t length = vertical ? int64_t(r.bottom) - r.top : int64_t(r.right) - r.left;
    if (!DirectPixelRoutes() || length > kLongestCachedGradient || !HasAlphaChannel(dc->Target()))
        return false;
    const std::vector<uint32_t>& line = GradientLine(vertical, static_cast<int>(length), first, second);
    const int64_t left = dc->ToTargetX(r.left), top = dc->ToTargetY(r.top);
    const int64_t right = left + (int64_t(r.right) - r.left), bottom = top + (int64_t(r.bottom) - r.top);
    cairo_surface_t* surface = dc->Target();
    const cairo_region_t* clip = dc->TargetClip();
    cairo_surface_flush(surface);
    for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
        cairo_rectangle_int_t c;
        cairo_region_get_rectangle(clip, i, &c);
        const int64_t x0 = std::max<int64_t>(left, c.x), x1 = std::min<int64_t>(right, int64_t(c.x) + c.width);
        const int64_t y0 = std::max<int64_t>(top, c.y), y1 = std::min<int64_t>(bottom, int64_t(c.y) + c.height);
        if (x0 >= x1 || y0 >= y1)
            continue;
        for (int64_t y = y0; y < y1; ++y) {
            uint32_t* row = SurfaceRow(surface, static_cast<int>(y));
            if (vertical)
                std::fill(row + x0, row + x1, line[y - top]);
            else
                std::copy(line.begin() + (x0 - left), line.begin() + (x1 - left), row + x0);
        }
        cairo_surface_mark_dirty_rectangle(surface, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                                           static_cast<int>(y1 - y0));
    }
    return true;
}

// A closed shape: the brush fills the inside, the pen outlines it on the pixel centres.
template <class PathFn>
bool DrawShape(HDC hdc, RECT box, PathFn addPath)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return false;
    const DeviceContext::State& state = dc->Current();
    const int penWidth = state.pen && !state.pen->IsNull() ? std::max(1, state.pen->width) : 0;
    AlphaGuard alpha(dc, Inflated(box, penWidth), AlphaGuard::Mode::Changed);
    Canvas canvas(dc);
    if (!canvas.Valid())
        return true;
    cairo_t* cr = canvas.Get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (state.brush && !state.brush->hollow) {
        addPath(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
        SetSourceColor(cr, state.brush->color);
        cairo_fill(cr);
    }
    if (penWidth > 0 && UsePen(cr, *state.pen)) {
        addPath(cr, box.left + 0.5, box.top + 0.5, box.right - box.left - 1.0, box.bottom - box.top - 1.0);
        cairo_stroke(cr);
    }
    return true;
}

void EllipsePath(cairo_t* cr, double x, double y, double w, double h)
{
    if (w <= 0 || h <= 0)
        return;
    EllipseArc(cr, x + w / 2, y + h / 2, w / 2, h / 2, 0, 2 * M_PI);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry)
{
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    auto corner = [cr, rx, ry](double cx, double cy, double from) { EllipseArc(cr, cx, cy, rx, ry, from, from + M_PI / 2); };
    cairo_new_sub_path(cr);
    corner(x + w - rx, y + ry, -M_PI / 2);
    corner(x + w - rx, y + h - ry, 0);
    corner(x + rx, y + h - ry, M_PI / 2);
    corner(x + rx, y + ry, M_PI);
    cairo_close_path(cr);
}

}  // namespace

void SetDirectPixelRoutes(bool on)
{
    g_directRoutes = on;
}

bool DirectPixelRoutes()
{
    return g_directRoutes;
}

void EllipseArc(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to)
{
    ScopedCairoState saved(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, from, to);
}

}  // namespace platform

using platform::AlphaGuard;
using platform::Canvas;
using platform::DeviceContext;

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    COLORREF color = 0;
    if (!dc || !rect || !platform::BrushColor(brush, &color))
        return FALSE;
    platform::FillArea(dc, *rect, color);
    return TRUE;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    COLORREF color = 0;
    if (!dc || !rect || !platform::BrushColor(brush, &color))
        return FALSE;
    const RECT& r = *rect;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    platform::FillArea(dc, { r.left, r.top, r.right, r.top + 1 }, color);
    platform::FillArea(dc, { r.left, r.bottom - 1, r.right, r.bottom }, color);
    platform::FillArea(dc, { r.left, r.top + 1, r.left + 1, r.bottom - 1 }, color);
    platform::FillArea(dc, { r.right - 1, r.top + 1, r.right, r.bottom - 1 }, color);
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->Current().currentPos;
    dc->Current().currentPos = { x, y };
    return TRUE;
}

// The line runs between the pixel centres and leaves out its last pixel, like GDI's.
BOOL LineTo(HDC hdc, int x, int y)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return FALSE;
    const POINT from = dc->Current().currentPos;
    dc->Current().currentPos = { x, y };
    const auto& pen = dc->Current().pen;
    if (!pen || pen->IsNull() || (from.x == x && from.y == y))
        return TRUE;
    if (platform::StraightLine(dc, from, { x, y }, *pen))
        return TRUE;
    const int half = std::max(1, pen->width);
    const RECT box = platform::Inflated(platform::Normalized(from.x, from.y, x + 1, y + 1), half);
    AlphaGuard alpha(dc, box, AlphaGuard::Mode::Changed);
    Canvas canvas(dc);
    if (!canvas.Valid())
        return TRUE;
    cairo_t* cr = canvas.Get();
    platform::UsePen(cr, *pen);
    // From the first pixel's near edge to the last pixel's near edge: no pixel centre lies on
    // either end, so the first pixel is drawn and the last left out in every direction.
    const double length = std::hypot(x - from.x, y - from.y);
    const double backX = (x - from.x) / length * 0.5, backY = (y - from.y) / length * 0.5;
    cairo_move_to(cr, from.x + 0.5 - backX, from.y + 0.5 - backY);
    cairo_line_to(cr, x + 0.5 - backX, y + 0.5 - backY);
    cairo_stroke(cr);
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return platform::DrawShape(hdc, platform::Normalized(left, top, right, bottom),
                               [](cairo_t* cr, double x, double y, double w, double h) {
                                   if (w > 0 && h > 0)
                                       cairo_rectangle(cr, x, y, w, h);
                               });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    return platform::DrawShape(hdc, platform::Normalized(left, top, right, bottom),
                               [width, height](cairo_t* cr, double x, double y, double w, double h) {
                                   if (w > 0 && h > 0)
                                       platform::RoundRectPath(cr, x, y, w, h, width / 2.0, height / 2.0);
                               });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return platform::DrawShape(hdc, platform::Normalized(left, top, right, bottom), platform::EllipsePath);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !platform::IsImageSurface(dc->Target())
        || !cairo_region_contains_point(dc->TargetClip(), dc->ToTargetX(x), dc->ToTargetY(y)))
        return CLR_INVALID;
    cairo_surface_t* surface = dc->Target();
    cairo_surface_flush(surface);
    const int tx = dc->ToTargetX(x), ty = dc->ToTargetY(y);
    platform::SurfaceRow(surface, ty)[tx] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    cairo_surface_mark_dirty_rectangle(surface, tx, ty, 1, 1);
    return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !platform::IsImageSurface(dc->Target()))
        return CLR_INVALID;
    const int tx = dc->ToTargetX(x), ty = dc->ToTargetY(y);
    if (!cairo_region_contains_point(dc->TargetClip(), tx, ty))
        return CLR_INVALID;
    cairo_surface_flush(dc->Target());
    const uint32_t pixel = platform::SurfaceRow(dc->Target(), ty)[tx];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// Rectangles only (the mode says horizontal or vertical); the vertices' alpha is written.
BOOL GradientFill(HDC hdc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount, ULONG mode)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return FALSE;
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < meshCount; ++i)
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount)
            return FALSE;
    const bool vertical = mode == GRADIENT_FILL_RECT_V;
    for (ULONG i = 0; i < meshCount; ++i) {
        const TRIVERTEX& a = vertices[rects[i].UpperLeft];
        const TRIVERTEX& b = vertices[rects[i].LowerRight];
        const RECT r = platform::Normalized(a.x, a.y, b.x, b.y);
        if (r.right <= r.left || r.bottom <= r.top)
            continue;
        const TRIVERTEX& first = (vertical ? a.y <= b.y : a.x <= b.x) ? a : b;
        const TRIVERTEX& second = &first == &a ? b : a;
        if (!platform::GradientRectDirect(dc, r, vertical, first, second))
            platform::GradientRectThroughCairo(dc, r, vertical, first, second);
    }
    return TRUE;
}
