// Regions as cairo regions (sets of pixel rectangles), and the DC clip calls.

#include "platform/gdi/Region.h"

#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

int Complexity(const cairo_region_t* region)
{
    if (!region || cairo_region_is_empty(region))
        return NULLREGION;
    return cairo_region_num_rectangles(region) == 1 ? SIMPLEREGION : COMPLEXREGION;
}

CairoPtr<cairo_region_t> RectRegion(int left, int top, int right, int bottom)
{
    const cairo_rectangle_int_t r { std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top) };
    return CairoPtr<cairo_region_t>(cairo_region_create_rectangle(&r));
}

HRGN Wrap(CairoPtr<cairo_region_t> region)
{
    return static_cast<HRGN>(RegisterGdiObject(std::make_shared<RegionObject>(std::move(region))));
}

// A copy of the DC's clip region, or its whole drawable area when it has none: the operand a
// combining clip call starts from.
CairoPtr<cairo_region_t> ClipOrBounds(DeviceContext& dc)
{
    const cairo_region_t* current = dc.Current().clip.get();
    return current ? CairoPtr<cairo_region_t>(cairo_region_copy(current)) : dc.DeviceBounds();
}

// Combines `result` with `operand` the way a region mode says; false for an unknown mode.
bool Combine(cairo_region_t* result, const cairo_region_t* operand, int mode)
{
    switch (mode) {
    case RGN_AND: cairo_region_intersect(result, operand); return true;
    case RGN_OR: cairo_region_union(result, operand); return true;
    case RGN_DIFF: cairo_region_subtract(result, operand); return true;
    case RGN_XOR: cairo_region_xor(result, operand); return true;
    default: return false;
    }
}

// Horizontal inset of a row of an ellipse-cornered box: how far the curve of a corner of radius
// (rx, ry) lies inside the straight edge at distance dy (pixel centre) from the corner's top.
int CornerInset(double rx, double ry, double dy)
{
    if (dy <= 0 || ry <= 0)
        return 0;
    const double t = std::max(0.0, 1.0 - (dy / ry) * (dy / ry));
    return static_cast<int>(std::lround(rx - rx * std::sqrt(t)));
}

}  // namespace

const cairo_region_t* RegionOf(HRGN region)
{
    auto object = FindRegion(region);
    return object ? object->Region() : nullptr;
}

std::vector<RECT> RegionRects(HRGN region)
{
    std::vector<RECT> rects;
    const cairo_region_t* shape = RegionOf(region);
    if (!shape)
        return rects;
    for (int i = 0, n = cairo_region_num_rectangles(shape); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(shape, i, &r);
        rects.push_back({ r.x, r.y, r.x + r.width, r.y + r.height });
    }
    return rects;
}

HRGN CreateRegionFrom(const cairo_region_t* shape)
{
    return Wrap(CairoPtr<cairo_region_t>(shape ? cairo_region_copy(shape) : cairo_region_create()));
}

}  // namespace platform

using platform::DeviceContext;

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    return platform::Wrap(platform::RectRegion(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

// Each row of the box is one span, pulled in at the four corners along the corner ellipse
// (width x height), the way the box's outline would cut the row's pixel centres.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const double rx = std::min(std::abs(width), right - left) / 2.0;
    const double ry = std::min(std::abs(height), bottom - top) / 2.0;
    platform::CairoPtr<cairo_region_t> region(cairo_region_create());
    for (int y = top; y < bottom; ++y) {
        const double centre = y + 0.5;
        const double fromTop = top + ry - centre, fromBottom = centre - (bottom - ry);
        const int inset = platform::CornerInset(rx, ry, std::max(fromTop, fromBottom));
        const cairo_rectangle_int_t row { left + inset, y, std::max(0, right - left - 2 * inset), 1 };
        if (row.width > 0)
            cairo_region_union_rectangle(region.get(), &row);
    }
    return platform::Wrap(std::move(region));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto target = platform::FindRegion(dest);
    auto first = platform::FindRegion(src1);
    auto second = platform::FindRegion(src2);
    if (!target || !first || (mode != RGN_COPY && !second))
        return ERROR;
    platform::CairoPtr<cairo_region_t> result(cairo_region_copy(first->Region()));
    if (mode != RGN_COPY && !platform::Combine(result.get(), second->Region(), mode))
        return ERROR;
    const int kind = platform::Complexity(result.get());
    target->Replace(std::move(result));
    return kind;
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    auto object = platform::FindRegion(region);
    if (!object)
        return ERROR;
    cairo_region_translate(object->Region(), dx, dy);
    return platform::Complexity(object->Region());
}

int GetRgnBox(HRGN region, LPRECT box)
{
    auto object = platform::FindRegion(region);
    if (!object || !box)
        return ERROR;
    cairo_rectangle_int_t r;
    cairo_region_get_extents(object->Region(), &r);
    *box = { r.x, r.y, r.x + r.width, r.y + r.height };
    return platform::Complexity(object->Region());
}

DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data)
{
    if (!platform::RegionOf(region))
        return 0;
    const std::vector<RECT> rects = platform::RegionRects(region);
    const size_t rectBytes = rects.size() * sizeof(RECT);
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rectBytes);
    if (!data || size < needed)
        return needed;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rectBytes);
    GetRgnBox(region, &data->rdh.rcBound);
    if (!rects.empty())
        std::memcpy(data->Buffer, rects.data(), rectBytes);
    return needed;
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    auto object = platform::FindRegion(region);
    return object && cairo_region_contains_point(object->Region(), x, y);
}

BOOL RectInRegion(HRGN region, const RECT* rect)
{
    auto object = platform::FindRegion(region);
    if (!object || !rect)
        return FALSE;
    const cairo_rectangle_int_t r { rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top };
    return r.width > 0 && r.height > 0 && cairo_region_contains_rectangle(object->Region(), &r) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom)
{
    auto object = platform::FindRegion(region);
    if (!object)
        return FALSE;
    object->Replace(platform::RectRegion(left, top, right, bottom));
    return TRUE;
}

int SelectClipRgn(HDC hdc, HRGN region)
{
    return ExtSelectClipRgn(hdc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC hdc, HRGN region, int mode)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return ERROR;
    auto object = platform::FindRegion(region);
    if (!object) {
        if (region || mode != RGN_COPY)
            return ERROR;
        dc->SetClip(nullptr);
        return SIMPLEREGION;
    }
    if (mode == RGN_COPY) {
        dc->SetClip(platform::CairoPtr<cairo_region_t>(cairo_region_copy(object->Region())));
        return platform::Complexity(object->Region());
    }
    platform::CairoPtr<cairo_region_t> result = platform::ClipOrBounds(*dc);
    if (!platform::Combine(result.get(), object->Region(), mode))
        return ERROR;
    const int kind = platform::Complexity(result.get());
    dc->SetClip(std::move(result));
    return kind;
}

namespace {

int CombineClipRect(HDC hdc, int left, int top, int right, int bottom, bool intersect)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return ERROR;
    const platform::CairoPtr<cairo_region_t> area =
        platform::RectRegion(dc->ToDeviceX(left), dc->ToDeviceY(top), dc->ToDeviceX(right), dc->ToDeviceY(bottom));
    platform::CairoPtr<cairo_region_t> result = platform::ClipOrBounds(*dc);
    platform::Combine(result.get(), area.get(), intersect ? RGN_AND : RGN_DIFF);
    const int kind = platform::Complexity(result.get());
    dc->SetClip(std::move(result));
    return kind;
}

}  // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return CombineClipRect(hdc, left, top, right, bottom, true);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return CombineClipRect(hdc, left, top, right, bottom, false);
}

int GetClipBox(HDC hdc, LPRECT box)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !box)
        return ERROR;
    const platform::CairoPtr<cairo_region_t> visible(cairo_region_copy(dc->TargetClip()));
    cairo_region_translate(visible.get(), -dc->ToTargetX(0), -dc->ToTargetY(0));
    const int kind = platform::Complexity(visible.get());
    cairo_rectangle_int_t r;
    cairo_region_get_extents(visible.get(), &r);
    *box = { r.x, r.y, r.x + r.width, r.y + r.height };
    return kind;
}

int GetClipRgn(HDC hdc, HRGN region)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto object = platform::FindRegion(region);
    if (!dc || !object)
        return -1;
    const cairo_region_t* clip = dc->Current().clip.get();
    if (!clip)
        return 0;
    object->Replace(platform::CairoPtr<cairo_region_t>(cairo_region_copy(clip)));
    return 1;
}
