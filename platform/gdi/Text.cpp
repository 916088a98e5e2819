// GDI text: DrawText, TextOut, ExtTextOut and measuring, laid out by Pango. Drawing is
// GDI-style: the alpha byte of the touched pixels is left 0 (see WinGdi.h).

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/TextEngine.h"

#include <algorithm>

namespace platform {

std::shared_ptr<FontObject> FontOfDC(DeviceContext* dc);  // Font.cpp

namespace {

struct Placed {
    PangoLayout* layout = nullptr;
    int x = 0, y = 0;  // where the layout's origin goes (logical coordinates)
    PangoRectangle logical {};  // pixel extents relative to the layout's origin
};

LayoutRequest RequestFor(const FontObject* font, std::wstring_view text, const RECT& rect, UINT format)
{
    LayoutRequest request;
    request.font = font;
    request.text = text;
    request.singleLine = (format & DT_SINGLELINE) != 0;
    request.wrapLines = !request.singleLine && (format & DT_WORDBREAK);
    request.wrap = (format & DT_EDITCONTROL) ? PANGO_WRAP_WORD_CHAR : PANGO_WRAP_WORD;
    request.prefix = !(format & DT_NOPREFIX);
    const int width = std::max<LONG>(0, rect.right - rect.left);
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
        request.ellipsize = PANGO_ELLIPSIZE_END;
    else if (format & DT_PATH_ELLIPSIS)
        request.ellipsize = PANGO_ELLIPSIZE_MIDDLE;
    // Ellipses are only made while not measuring: DT_CALCRECT asks for the full text's size.
    if (format & DT_CALCRECT)
        request.ellipsize = PANGO_ELLIPSIZE_NONE;
    if (request.wrapLines || request.ellipsize != PANGO_ELLIPSIZE_NONE)
        request.width = width;
    if (request.wrapLines && request.ellipsize != PANGO_ELLIPSIZE_NONE)
        request.height = std::max<LONG>(0, rect.bottom - rect.top);
    request.alignment = (format & DT_CENTER) ? PANGO_ALIGN_CENTER : (format & DT_RIGHT) ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
    return request;
}

// Lays the text out in the rectangle the way DrawText places it. The text lock must be held.
Placed Place(const FontObject* font, std::wstring_view text, const RECT& rect, UINT format)
{
    const LayoutRequest request = RequestFor(font, text, rect, format);
    Placed placed;
    placed.layout = CachedLayout(request);
    pango_layout_get_pixel_extents(placed.layout, nullptr, &placed.logical);
    const int width = rect.right - rect.left;
    placed.x = rect.left;
    if (request.width < 0) {
        if (format & DT_CENTER)
            placed.x = rect.left + (width - placed.logical.width) / 2 - placed.logical.x;
        else if (format & DT_RIGHT)
            placed.x = rect.right - placed.logical.width - placed.logical.x;
    }
    placed.y = rect.top;
    if (format & DT_SINGLELINE) {  // vertical placement applies to a single line only
        if (format & DT_VCENTER)
            placed.y = rect.top + (rect.bottom - rect.top - placed.logical.height) / 2;
        else if (format & DT_BOTTOM)
            placed.y = rect.bottom - placed.logical.height;
    }
    return placed;
}

// Draws a placed layout in the DC's text colour, over its background when the mode is opaque.
void Paint(DeviceContext* dc, const Placed& placed, const RECT* clip)
{
    const DeviceContext::State& state = dc->Current();
    RECT bounds { placed.x + placed.logical.x, placed.y + placed.logical.y, placed.x + placed.logical.x + placed.logical.width,
                  placed.y + placed.logical.y + placed.logical.height };
    PangoRectangle ink;
    pango_layout_get_pixel_extents(placed.layout, &ink, nullptr);
    bounds.left = std::min<LONG>(bounds.left, placed.x + ink.x);
    bounds.top = std::min<LONG>(bounds.top, placed.y + ink.y);
    bounds.right = std::max<LONG>(bounds.right, placed.x + ink.x + ink.width);
    bounds.bottom = std::max<LONG>(bounds.bottom, placed.y + ink.y + ink.height);
    if (clip) {
        bounds.left = std::max(bounds.left, clip->left);
        bounds.top = std::max(bounds.top, clip->top);
        bounds.right = std::min(bounds.right, clip->right);
        bounds.bottom = std::min(bounds.bottom, clip->bottom);
    }
    AlphaGuard alpha(dc, bounds, AlphaGuard::Mode::Changed);
    Canvas canvas(dc);
    if (!canvas.Valid())
        return;
    cairo_t* cr = canvas.Get();
    if (clip) {
        cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
        cairo_clip(cr);
    }
    if (state.bkMode == OPAQUE) {
        SetSourceColor(cr, state.bkColor);
        cairo_rectangle(cr, placed.x + placed.logical.x, placed.y + placed.logical.y, placed.logical.width, placed.logical.height);
        cairo_fill(cr);
    }
    SetSourceColor(cr, state.textColor);
    ShowLayout(cr, placed.layout, placed.x, placed.y);
}

// Like a multi-line edit control, show only the lines that fit whole: the bottom of the last
// line that ends inside the rectangle.
LONG BottomOfWholeLines(const Placed& placed, const RECT& rect)
{
    LONG bottom = rect.top;
    const CairoPtr<PangoLayoutIter> owned(pango_layout_get_iter(placed.layout));
    PangoLayoutIter* iter = owned.get();
    do {
        PangoRectangle line;
        pango_layout_iter_get_line_extents(iter, nullptr, &line);
        const LONG lineBottom = placed.y + (line.y + line.height) / PANGO_SCALE;
        if (lineBottom > rect.bottom)
            break;
        bottom = lineBottom;
    } while (pango_layout_iter_next_line(iter));
    return bottom;
}

}  // namespace

}  // namespace platform

using platform::DeviceContext;

int DrawText(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto font = platform::FontOfDC(dc);
    if (!dc || !font || !rect || !text)
        return 0;
    const std::wstring_view view = platform::WideView(text, count);
    std::lock_guard guard(platform::TextLock());
    const platform::Placed placed = platform::Place(font.get(), view, *rect, format);
    const int height = placed.logical.height;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + (view.empty() ? 0 : placed.logical.width);
        rect->bottom = rect->top + height;
        return height;
    }
    RECT clip = *rect;
    if (format & DT_EDITCONTROL)
        clip.bottom = platform::BottomOfWholeLines(placed, *rect);
    platform::Paint(dc, placed, (format & DT_NOCLIP) && !(format & DT_EDITCONTROL) ? nullptr : &clip);
    if (format & DT_VCENTER || format & DT_BOTTOM)
        return placed.y - rect->top + height;
    return height;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    return DrawText(hdc, text, count, rect, format);
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT*)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto font = platform::FontOfDC(dc);
    if (!dc || !font)
        return FALSE;
    if (rect && (options & ETO_OPAQUE)) {
        HBRUSH brush = CreateSolidBrush(dc->Current().bkColor);
        FillRect(hdc, rect, brush);
        DeleteObject(brush);
    }
    if (!text || count == 0)
        return TRUE;
    std::lock_guard guard(platform::TextLock());
    platform::LayoutRequest request;
    request.font = font.get();
    request.text = std::wstring_view(text, count);
    request.singleLine = true;
    platform::Placed placed;
    placed.layout = platform::CachedLayout(request);
    pango_layout_get_pixel_extents(placed.layout, nullptr, &placed.logical);
    placed.x = x;
    placed.y = y;
    platform::Paint(dc, placed, rect && (options & ETO_CLIPPED) ? rect : nullptr);
    return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, LPCWSTR text, int count)
{
    if (count < 0)
        return FALSE;
    return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL GetTextExtentPoint32(HDC hdc, LPCWSTR text, int count, LPSIZE size)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto font = platform::FontOfDC(dc);
    if (!dc || !font || !size || count < 0 || (!text && count > 0))
        return FALSE;
    std::lock_guard guard(platform::TextLock());
    platform::LayoutRequest request;
    request.font = font.get();
    request.text = std::wstring_view(text ? text : L"", count);
    request.singleLine = true;
    PangoLayout* layout = platform::CachedLayout(request);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    TEXTMETRICW metrics {};
    GetTextMetrics(hdc, &metrics);
    size->cx = count == 0 ? 0 : logical.width;
    size->cy = std::max<LONG>(metrics.tmHeight, logical.height);
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return CLR_INVALID;
    const COLORREF old = dc->Current().textColor;
    dc->Current().textColor = color & 0xFFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc ? dc->Current().textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return CLR_INVALID;
    const COLORREF old = dc->Current().bkColor;
    dc->Current().bkColor = color & 0xFFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc ? dc->Current().bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int old = dc->Current().bkMode;
    dc->Current().bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc ? dc->Current().bkMode : 0;
}
