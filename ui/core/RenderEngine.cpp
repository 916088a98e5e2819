// Image drawing (nine-grid blits, image attributes, icon images) and the plain drawing primitives.

#include "ui/core/RenderEngine.h"

#include "platform/GdiPlus.h"
#include "platform/WinUser.h"
#include "ui/core/UIGeometry.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <map>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

namespace SkinUI {

namespace {

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}

int Height(const RECT& rc)
{
    return rc.bottom - rc.top;
}

COLORREF GdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool IsZero(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

struct DcDeleter {
    void operator()(HDC hDC) const { ::DeleteDC(hDC); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects an object for the life of the saver and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC hDC, HGDIOBJ object) : m_hDC(hDC), m_old(::SelectObject(hDC, object)) { }
    ~ScopedSelect() { ::SelectObject(m_hDC, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_old;
};

// Borders are drawn line by line for every control on every paint; creating and deleting a pen
// per line cost more than the line itself. The few pens a skin uses are kept for the thread's
// life (never left selected: callers select them only for the call).
HPEN CachedPen(int style, int size, COLORREF colour)
{
    struct Pens {
        std::map<std::tuple<int, int, COLORREF>, HPEN> byKey;
        ~Pens() { Clear(); }
        void Clear()
        {
            for (auto& entry : byKey)
                ::DeleteObject(entry.second);
            byKey.clear();
        }
    };
    thread_local Pens pens;
    const auto key = std::make_tuple(style, size, colour);
    auto found = pens.byKey.find(key);
    if (found != pens.byKey.end())
        return found->second;
    if (pens.byKey.size() >= 64)
        pens.Clear();
    HPEN pen = ::CreatePen(style, size, colour);
    if (pen)
        pens.byKey.emplace(key, pen);
    return pen;
}

// Draws the pieces of one nine-grid from a bitmap selected into a memory DC.
class PieceBlitter {
public:
    PieceBlitter(HDC target, HDC source, const RECT& paint, bool blend, BYTE fade)
        : m_target(target), m_source(source), m_paint(paint), m_blend(blend), m_fade(fade) { }

    // A piece is drawn whole when its destination meets the paint rectangle.
    void Piece(const RECT& dst, int sx, int sy, int sw, int sh) const
    {
        RECT meet;
        if (sw <= 0 || sh <= 0 || !::IntersectRect(&meet, &dst, &m_paint))
            return;
        const int w = Width(dst), h = Height(dst);
        if (m_blend) {
            const BLENDFUNCTION bf { AC_SRC_OVER, 0, m_fade, AC_SRC_ALPHA };
            ::AlphaBlend(m_target, dst.left, dst.top, w, h, m_source, sx, sy, sw, sh, bf);
        } else if (w == sw && h == sh) {
            ::BitBlt(m_target, dst.left, dst.top, w, h, m_source, sx, sy, SRCCOPY);
        } else {
            ::StretchBlt(m_target, dst.left, dst.top, w, h, m_source, sx, sy, sw, sh, SRCCOPY);
        }
    }

    // The middle: stretched, or tiled along x, y or both. A tile cut by the middle's right or
    // bottom edge shows the left or top part of the source, unscaled.
    void Middle(const RECT& mid, int sx, int sy, int tw, int th, bool xtiled, bool ytiled) const
    {
        if ((xtiled && tw <= 0) || (ytiled && th <= 0))
            return;  // nothing to repeat
        if (!xtiled && !ytiled) {
            Piece(mid, sx, sy, tw, th);
            return;
        }
        const int columns = xtiled ? (Width(mid) + tw - 1) / tw : 1;
        const int rows = ytiled ? (Height(mid) + th - 1) / th : 1;
        for (int j = 0; j < rows; ++j) {
            RECT dst = mid;
            int sh = th;
            if (ytiled) {
                dst.top = mid.top + j * th;
                dst.bottom = std::min(dst.top + th, mid.bottom);
                sh = Height(dst);
            }
            for (int i = 0; i < columns; ++i) {
                int sw = tw;
                if (xtiled) {
                    dst.left = mid.left + i * tw;
                    dst.right = std::min(dst.left + tw, mid.right);
                    sw = Width(dst);
                }
                Piece(dst, sx, sy, sw, sh);
            }
        }
    }

private:
    HDC m_target;
    HDC m_source;
    RECT m_paint;
    bool m_blend;
    BYTE m_fade;
};

// The source part of a 32-bit top-down image resampled bilinearly to w2 x h2 (both at least 2).
// End pixels of each row and column fall exactly on the source's end pixels.
// One source column's or row's neighbours and weight, the same for every row or column.
struct Tap {
    int64_t first, second, weight;
};

std::vector<Tap> Taps(int from, int to)
{
    std::vector<Tap> taps(to);
    const int64_t last = to - 1;
    for (int i = 0; i < to; ++i) {
        const int64_t first = int64_t(i) * (from - 1) / last, weight = int64_t(i) * (from - 1) % last;
        taps[i] = { first, weight ? first + 1 : first, weight };
    }
    return taps;
}

template <class Int>
void ResampleRows(const BYTE* src, int stride, const std::vector<Tap>& columns, const std::vector<Tap>& rows, BYTE* dst)
{
    const Int t = static_cast<Int>(columns.size() - 1), g = static_cast<Int>(rows.size() - 1);
    const Int whole = g * t, half = whole / 2;
    for (const Tap& row : rows) {
        const BYTE* top = src + row.first * stride;
        const BYTE* bottom = src + row.second * stride;
        const Int ry = static_cast<Int>(row.weight);
        for (const Tap& column : columns) {
            const Int rx = static_cast<Int>(column.weight);
            const Int wtl = (t - rx) * (g - ry), wtr = rx * (g - ry), wbl = (t - rx) * ry, wbr = rx * ry;
            const BYTE* tl = top + column.first * 4;
            const BYTE* tr = top + column.second * 4;
            const BYTE* bl = bottom + column.first * 4;
            const BYTE* br = bottom + column.second * 4;
            for (int c = 0; c < 4; ++c)
                *dst++ = static_cast<BYTE>((tl[c] * wtl + tr[c] * wtr + bl[c] * wbl + br[c] * wbr + half) / whole);
        }
    }
}

void ResampleBilinear(const BYTE* src, int stride, int w, int h, BYTE* dst, int w2, int h2)
{
    const std::vector<Tap> columns = Taps(w, w2), rows = Taps(h, h2);
    // The weighted sum stays below 256 * (w2 - 1) * (h2 - 1): small pictures fit 32-bit sums,
    // whose division costs far less than a 64-bit one.
    if (int64_t(w2 - 1) * (h2 - 1) < (int64_t(1) << 23))
        ResampleRows<uint32_t>(src, stride, columns, rows, dst);
    else
        ResampleRows<int64_t>(src, stride, columns, rows, dst);
}

HBITMAP CreateTopDownBitmap(int width, int height, void** bits)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Pre-scaling: only the source part is resampled to the item's size, so a part of a strip drawn at
// another size shows that part, not the whole strip.
bool DrawPrescaled(HDC hDC, const TImageInfo& image, const RECT& item, const RECT& rcPaint, const RECT& source,
                   bool alpha, const ImageDrawParams& params)
{
    BITMAP bm {};
    if (!::GetObject(image.hBitmap, sizeof(bm), &bm) || !bm.bmBits)
        return false;
    const int w2 = Width(item), h2 = Height(item);
    void* bits = nullptr;
    HBITMAP scaled = CreateTopDownBitmap(w2, h2, &bits);
    if (!scaled || !bits) {
        if (scaled)
            ::DeleteObject(scaled);
        return false;
    }
    const int stride = image.nX * 4;
    const BYTE* origin = static_cast<const BYTE*>(bm.bmBits) + source.top * stride + source.left * 4;
    ResampleBilinear(origin, stride, Width(source), Height(source), static_cast<BYTE*>(bits), w2, h2);
    const RECT part { 0, 0, w2, h2 }, corners {};
    CRenderEngine::DrawImage(hDC, scaled, item, rcPaint, part, corners, alpha, params.uFade, params.bHole,
                             params.bTiledX, params.bTiledY);
    ::DeleteObject(scaled);
    return true;
}

// ---- the icon image string ----

const wchar_t* SkipBlanks(const wchar_t* p)
{
    while (*p != L'\0' && *p <= L' ')
        ++p;
    return p;
}

// One key='value' pair; false when the pair is malformed (which ends the string).
bool NextPair(const wchar_t*& p, CUIString& key, CUIString& value)
{
    p = SkipBlanks(p);
    if (*p == L'\0')
        return false;
    const wchar_t* start = p;
    while (*p != L'\0' && *p != L'=' && *p > L' ')
        ++p;
    key.Assign(start, static_cast<int>(p - start));
    p = SkipBlanks(p);
    if (*p++ != L'=')
        return false;
    p = SkipBlanks(p);
    if (*p++ != L'\'')
        return false;
    start = p;
    while (*p != L'\0' && *p != L'\'')
        ++p;
    if (*p != L'\'')
        return false;
    value.Assign(start, static_cast<int>(p - start));
    ++p;
    return true;
}

RECT ReadRect(const wchar_t* text)
{
    RECT rc {};
    wchar_t* end = nullptr;
    rc.left = ReadSkinNumber(text, &end);
    rc.top = ReadSkinNumber(end + (*end == L',' ? 1 : 0), &end);
    rc.right = ReadSkinNumber(end + (*end == L',' ? 1 : 0), &end);
    rc.bottom = ReadSkinNumber(end + (*end == L',' ? 1 : 0), &end);
    return rc;
}

SIZE ReadSize(const wchar_t* text)
{
    wchar_t* end = nullptr;
    SIZE size {};
    size.cx = ReadSkinNumber(text, &end);
    size.cy = ReadSkinNumber(end + (*end == L',' ? 1 : 0), &end);
    return size;
}

RECT RelativeDest(const RECT& control, const RECT& dest)
{
    RECT rc;
    rc.left = control.left + dest.left;
    rc.top = control.top + dest.top;
    rc.right = std::min<LONG>(control.right, control.left + dest.right);
    rc.bottom = std::min<LONG>(control.bottom, control.top + dest.bottom);
    return rc;
}

struct IconImage {
    ImageDrawParams params;
    RECT dest {};
    SIZE iconSize {};
};

}  // namespace

// ---- images ----

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                              const RECT& rcCorners, bool bAlpha, BYTE uFade, bool hole, bool xtiled, bool ytiled)
{
    if (!hDC || !hBitmap)
        return;
    MemoryDc memory(::CreateCompatibleDC(hDC));
    if (!memory)
        return;
    ScopedSelect selected(memory.get(), hBitmap);
    const int oldMode = ::SetStretchBltMode(hDC, HALFTONE);
    const RECT& D = rc;
    const RECT& S = rcBmpPart;
    const RECT& C = rcCorners;
    const bool blend = bAlpha || uFade < 255;
    const PieceBlitter blit(hDC, memory.get(), rcPaint, blend, uFade);

    if (!blend && Width(D) == Width(S) && Height(D) == Height(S) && IsZero(C)) {
        RECT meet;
        if (::IntersectRect(&meet, &D, &rcPaint))
            ::BitBlt(hDC, meet.left, meet.top, Width(meet), Height(meet), memory.get(), S.left + meet.left - D.left,
                     S.top + meet.top - D.top, SRCCOPY);
        ::SetStretchBltMode(hDC, oldMode);
        return;
    }
    const int sw = Width(S), sh = Height(S);
    if (!hole) {
        const RECT mid { D.left + C.left, D.top + C.top, D.right - C.right, D.bottom - C.bottom };
        blit.Middle(mid, S.left + C.left, S.top + C.top, sw - C.left - C.right, sh - C.top - C.bottom, xtiled,
                    ytiled);
    }
    if (C.left > 0 && C.top > 0)
        blit.Piece({ D.left, D.top, D.left + C.left, D.top + C.top }, S.left, S.top, C.left, C.top);
    if (C.top > 0)
        blit.Piece({ D.left + C.left, D.top, D.right - C.right, D.top + C.top }, S.left + C.left, S.top,
                   sw - C.left - C.right, C.top);
    if (C.right > 0 && C.top > 0)
        blit.Piece({ D.right - C.right, D.top, D.right, D.top + C.top }, S.right - C.right, S.top, C.right, C.top);
    if (C.left > 0)
        blit.Piece({ D.left, D.top + C.top, D.left + C.left, D.bottom - C.bottom }, S.left, S.top + C.top, C.left,
                   sh - C.top - C.bottom);
    if (C.right > 0)
        blit.Piece({ D.right - C.right, D.top + C.top, D.right, D.bottom - C.bottom }, S.right - C.right,
                   S.top + C.top, C.right, sh - C.top - C.bottom);
    if (C.left > 0 && C.bottom > 0)
        blit.Piece({ D.left, D.bottom - C.bottom, D.left + C.left, D.bottom }, S.left, S.bottom - C.bottom, C.left,
                   C.bottom);
    if (C.bottom > 0)
        blit.Piece({ D.left + C.left, D.bottom - C.bottom, D.right - C.right, D.bottom }, S.left + C.left,
                   S.bottom - C.bottom, sw - C.left - C.right, C.bottom);
    if (C.right > 0 && C.bottom > 0)
        blit.Piece({ D.right - C.right, D.bottom - C.bottom, D.right, D.bottom }, S.right - C.right,
                   S.bottom - C.bottom, C.right, C.bottom);
    ::SetStretchBltMode(hDC, oldMode);
}

bool CRenderEngine::DrawImageParams(HDC hDC, IRenderHost& host, const RECT& rcItem, const RECT& rcPaint,
                                    const ImageDrawParams& params)
{
    if (!hDC)
        return false;
    const RECT item = IsZero(params.rcDest) ? rcItem : RelativeDest(rcItem, params.rcDest);
    if (params.sImageName.IsEmpty())
        return false;
    const TImageInfo* image = host.GetImage(params.sImageName,
                                            params.sResType.IsEmpty() ? nullptr : params.sResType.GetData(),
                                            params.dwMask);
    if (!image || !image->hBitmap)
        return false;
    RECT source = IsZero(params.rcSource) ? RECT { 0, 0, image->nX, image->nY } : params.rcSource;
    // Never read outside the bitmap, whatever the attribute says.
    source.right = std::min<LONG>(source.right, image->nX);
    source.bottom = std::min<LONG>(source.bottom, image->nY);
    source.left = std::clamp<LONG>(source.left, 0, source.right);
    source.top = std::clamp<LONG>(source.top, 0, source.bottom);
    RECT meet;
    if (!::IntersectRect(&meet, &item, &rcItem) || !::IntersectRect(&meet, &item, &rcPaint))
        return true;
    const bool alpha = host.IsLayered() || image->bAlpha;
    const bool direct = (Width(item) == Width(source) && Height(item) == Height(source)) || Width(item) <= 1
        || Height(item) <= 1 || !IsZero(params.rcCorner);
    if (direct || Width(source) <= 0 || Height(source) <= 0) {
        DrawImage(hDC, image->hBitmap, item, rcPaint, source, params.rcCorner, alpha, params.uFade, params.bHole,
                  params.bTiledX, params.bTiledY);
        return true;
    }
    DrawPrescaled(hDC, *image, item, rcPaint, source, alpha, params);
    return true;
}

bool CRenderEngine::DrawIconImageString(HDC hDC, IRenderHost& host, const RECT& rcItem, const RECT& rcPaint,
                                        const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    IconImage icon;
    icon.params.bTiledX = icon.params.bTiledY = true;
    icon.dest = rcItem;
    bool haveName = false;
    auto flush = [&] {
        const RECT relative { icon.dest.left - rcItem.left, icon.dest.top - rcItem.top,
                              icon.dest.right - rcItem.left, icon.dest.bottom - rcItem.top };
        ImageDrawParams params = icon.params;
        params.rcDest = relative;
        DrawImageParams(hDC, host, rcItem, rcPaint, params);
    };
    for (const wchar_t* text : { pStrImage, pStrModify }) {
        if (!text)
            continue;
        const wchar_t* p = text;
        CUIString key, value;
        while (NextPair(p, key, value)) {
            if (value.IsEmpty())
                continue;
            const bool names = key == L"file" || key == L"res" || key == L"restype";
            if (names && haveName)
                flush();
            if (key == L"file" || key == L"res") {
                icon.params.sImageName = value;
                haveName = true;
            } else if (key == L"restype") {
                icon.params.sResType = value;
                haveName = true;
            } else if (key == L"dest") {
                icon.dest = RelativeDest(rcItem, ReadRect(value));
            } else if (key == L"source") {
                icon.params.rcSource = ReadRect(value);
            } else if (key == L"corner") {
                icon.params.rcCorner = ReadRect(value);
            } else if (key == L"mask") {
                icon.params.dwMask = wcstoul(value.GetData() + (value[0] == L'#' ? 1 : 0), nullptr, 16);
            } else if (key == L"fade") {
                icon.params.uFade = static_cast<BYTE>(wcstoul(value, nullptr, 10));
            } else if (key == L"hole") {
                icon.params.bHole = value.CompareNoCase(L"true") == 0;
            } else if (key == L"xtiled") {
                icon.params.bTiledX = value.CompareNoCase(L"true") == 0;
            } else if (key == L"ytiled") {
                icon.params.bTiledY = value.CompareNoCase(L"true") == 0;
            } else if (key == L"iconsize") {
                icon.iconSize = ReadSize(value);
            } else if (key == L"iconalign") {
                MakeFitIconDest(icon.dest, icon.iconSize, value, icon.dest);
            }
        }
    }
    flush();
    return true;
}

bool CRenderEngine::MakeFitIconDest(const RECT& rcControl, const SIZE& szIcon, const CUIString& sAlign,
                                    RECT& rcDest)
{
    const RECT area = rcControl;  // rcDest may be rcControl itself
    const LONG dx = (Width(area) - szIcon.cx) / 2, dy = (Height(area) - szIcon.cy) / 2;
    bool place = true;
    if (sAlign == L"left") {
        rcDest.left = area.left;
        rcDest.top = area.top;
    } else if (sAlign == L"center") {
        rcDest.left = area.left + dx;
        rcDest.top = area.top + dy;
    } else if (sAlign == L"vcenter") {
        rcDest.left = area.left;
        rcDest.top = area.top + dy;
    } else if (sAlign == L"hcenter") {
        rcDest.left = area.left + dx;
        rcDest.top = area.top;
    } else {
        place = false;
    }
    if (place) {
        rcDest.right = rcDest.left + szIcon.cx;
        rcDest.bottom = rcDest.top + szIcon.cy;
    }
    rcDest.right = std::min(rcDest.right, area.right);
    rcDest.bottom = std::min(rcDest.bottom, area.bottom);
    return true;
}

// ---- primitives ----

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    if ((color >> 24) == 0 || !hDC)
        return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::SolidBrush brush { Gdiplus::Color(color) };
    graphics.FillRectangle(&brush, static_cast<INT>(rc.left), static_cast<INT>(rc.top), Width(rc), Height(rc));
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int)
{
    const BYTE alpha = static_cast<BYTE>(((dwFirst >> 24) + (dwSecond >> 24)) / 2);
    if (alpha == 0 || !hDC || Width(rc) <= 0 || Height(rc) <= 0)
        return;
    HDC target = hDC;
    RECT area = rc;
    MemoryDc memory;
    HBITMAP bitmap = nullptr;
    if (alpha < 255) {
        memory.reset(::CreateCompatibleDC(hDC));
        bitmap = memory ? ::CreateCompatibleBitmap(hDC, Width(rc), Height(rc)) : nullptr;
        if (!bitmap)
            return;
        target = memory.get();
        area = { 0, 0, Width(rc), Height(rc) };
    }
    {
        std::unique_ptr<ScopedSelect> selected;
        if (bitmap)
            selected = std::make_unique<ScopedSelect>(memory.get(), bitmap);
        TRIVERTEX vertices[2] {};
        vertices[0] = { area.left, area.top, static_cast<COLOR16>(((dwFirst >> 16) & 0xFF) << 8),
                        static_cast<COLOR16>(((dwFirst >> 8) & 0xFF) << 8),
                        static_cast<COLOR16>((dwFirst & 0xFF) << 8), 0xFF00 };
        vertices[1] = { area.right, area.bottom, static_cast<COLOR16>(((dwSecond >> 16) & 0xFF) << 8),
                        static_cast<COLOR16>(((dwSecond >> 8) & 0xFF) << 8),
                        static_cast<COLOR16>((dwSecond & 0xFF) << 8), 0xFF00 };
        GRADIENT_RECT mesh { 0, 1 };
        ::GradientFill(target, vertices, 2, &mesh, 1, bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        if (bitmap) {
            const BLENDFUNCTION bf { AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA };
            ::AlphaBlend(hDC, rc.left, rc.top, Width(rc), Height(rc), target, 0, 0, Width(rc), Height(rc), bf);
        }
    }
    if (bitmap)
        ::DeleteObject(bitmap);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    if (!hDC)
        return;
    ScopedSelect selected(hDC, CachedPen(nStyle, nSize, GdiColour(dwPenColor)));
    ::MoveToEx(hDC, rc.left, rc.top, nullptr);
    ::LineTo(hDC, rc.right, rc.bottom);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int)
{
    if (!hDC)
        return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::Pen pen(Gdiplus::Color(dwPenColor), static_cast<Gdiplus::REAL>(nSize));
    pen.SetAlignment(Gdiplus::PenAlignmentInset);
    graphics.DrawRectangle(&pen, static_cast<INT>(rc.left), static_cast<INT>(rc.top), Width(rc) - 1, Height(rc) - 1);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor,
                                  int nStyle)
{
    if (!hDC)
        return;
    ScopedSelect selectedBrush(hDC, ::GetStockObject(NULL_BRUSH));
    ScopedSelect selectedPen(hDC, CachedPen(nStyle, nSize, GdiColour(dwPenColor)));
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
}

void CRenderEngine::CheckAlphaColor(DWORD& dwColor)
{
    if ((dwColor & 0x00FFFFFF) == 0)
        dwColor += 1;
}

HBITMAP CRenderEngine::CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(cx) * static_cast<DWORD>(cy) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (pBits)
        *pBits = static_cast<BYTE*>(bits);
    return bitmap;
}

}  // namespace SkinUI
