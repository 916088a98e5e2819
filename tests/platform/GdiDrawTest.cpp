// Pixel probes of the GDI-style drawing calls on memory DCs with 32-bit DIB sections.

#include "platform/GdiPlus.h"
#include "platform/ScopedDCState.h"
#include "platform/WinGdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A memory DC with a selected 32-bit DIB section; pixels read straight from the bits.
class Dib {
public:
    Dib(int width, int height, bool bottomUp = false) : m_width(width), m_height(height), m_bottomUp(bottomUp)
    {
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = bottomUp ? height : -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Dib()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    uint32_t& at(int x, int y) const
    {
        const int row = m_bottomUp ? m_height - 1 - y : y;
        return m_bits[row * m_width + x];
    }
    void Fill(uint32_t pixel) const { std::fill(m_bits, m_bits + m_width * m_height, pixel); }

private:
    int m_width, m_height;
    bool m_bottomUp;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

void Fill(HDC dc, RECT r, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

TEST(GdiDraw, DibSectionBitsAreTheSurfaceInBothRowOrders)
{
    for (bool bottomUp : { false, true }) {
        SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
        Dib dib(4, 3, bottomUp);
        Fill(dib.dc(), { 0, 0, 4, 1 }, RGB(255, 0, 0));  // top row only
        EXPECT_EQ(dib.at(0, 0), 0x00FF0000u);
        EXPECT_EQ(dib.at(3, 0), 0x00FF0000u);
        EXPECT_EQ(dib.at(0, 1), 0u);
        // Pixels written through the bits are what the DC reads.
        dib.at(2, 2) = 0x00123456;
        EXPECT_EQ(GetPixel(dib.dc(), 2, 2), RGB(0x12, 0x34, 0x56));
        BITMAP info {};
        ASSERT_EQ(GetObject(GetCurrentObject(dib.dc(), OBJ_BITMAP), sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, 4);
        EXPECT_EQ(info.bmHeight, 3);
        EXPECT_EQ(info.bmBitsPixel, 32);
    }
}

// GDI-style calls write colour with alpha 0; copies keep all four bytes; AlphaBlend and
// GradientFill write real alpha.
TEST(GdiDraw, AlphaByteRule)
{
    Dib dib(20, 10);
    dib.Fill(0xFF101010);
    Fill(dib.dc(), { 0, 0, 5, 5 }, RGB(0, 200, 0));
    EXPECT_EQ(dib.at(2, 2), 0x0000C800u);
    EXPECT_EQ(dib.at(6, 2), 0xFF101010u) << "untouched pixel keeps its alpha";

    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(dib.dc(), pen);
    MoveToEx(dib.dc(), 10, 1, nullptr);
    LineTo(dib.dc(), 18, 1);
    SelectObject(dib.dc(), oldPen);
    DeleteObject(pen);
    EXPECT_EQ(dib.at(12, 1), 0x000000FFu);
    EXPECT_EQ(dib.at(18, 1), 0xFF101010u) << "the last point of a line is not drawn";
    EXPECT_EQ(dib.at(12, 2), 0xFF101010u);

    struct RasterFill {
        DWORD rop;
        uint32_t want;
    };
    const RasterFill fills[] = { { BLACKNESS, 0x00000000u }, { WHITENESS, 0xFFFFFFFFu }, { PATCOPY, 0x00FFFFFFu } };
    for (const RasterFill& f : fills) {  // PATCOPY: the DC's default white brush
        ASSERT_TRUE(BitBlt(dib.dc(), 0, 8, 2, 2, nullptr, 0, 0, f.rop));
        EXPECT_EQ(dib.at(1, 9), f.want) << std::hex << f.rop;
    }

    Dib src(2, 2);
    src.Fill(0x80402010);
    ASSERT_TRUE(BitBlt(dib.dc(), 10, 5, 2, 2, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dib.at(10, 5), 0x80402010u);
    EXPECT_EQ(dib.at(11, 6), 0x80402010u);
}

TEST(GdiDraw, AlphaBlendConstantAndPerPixel)
{
    struct Case {
        const char* name;
        uint32_t src, dest;
        BYTE constant, format;
        uint32_t want;
    };
    const Case cases[] = {
        // Premultiplied source over: d = s*ca + d*(1 - sa*ca).
        { "per-pixel half red over blue", 0x80800000, 0xFF0000FF, 255, AC_SRC_ALPHA, 0xFF80007F },
        { "opaque source, constant half", 0xFFFF0000, 0xFF0000FF, 128, AC_SRC_ALPHA, 0xFF80007F },
        { "no per-pixel alpha: source alpha ignored", 0x00FF0000, 0xFF0000FF, 255, 0, 0xFFFF0000 },
        { "transparent source leaves destination", 0x00000000, 0xFF0000FF, 255, AC_SRC_ALPHA, 0xFF0000FF },
        { "onto transparent: result alpha is real", 0x80800000, 0x00000000, 255, AC_SRC_ALPHA, 0x80800000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib src(4, 4), dest(4, 4);
        src.Fill(c.src);
        dest.Fill(c.dest);
        ASSERT_TRUE(AlphaBlend(dest.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 4, 4, { AC_SRC_OVER, 0, c.constant, c.format }));
        const uint32_t got = dest.at(1, 1);
        for (int shift : { 0, 8, 16, 24 })
            EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((c.want >> shift) & 0xFF), 1)
                << std::hex << got << " want " << c.want;
    }
}

TEST(GdiDraw, AlphaBlendRejectsSourceOutsideItsBitmap)
{
    Dib src(4, 4), dest(8, 8);
    EXPECT_FALSE(AlphaBlend(dest.dc(), 0, 0, 4, 4, src.dc(), 2, 2, 4, 4, { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA }));
}

TEST(GdiDraw, StretchBltScalesWithHalftoneSmoothing)
{
    Dib src(2, 1), dest(8, 2);
    src.at(0, 0) = 0xFF000000;
    src.at(1, 0) = 0xFFFFFFFF;
    SetStretchBltMode(dest.dc(), HALFTONE);
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 8, 2, src.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dest.at(0, 0), 0xFF000000u);
    EXPECT_EQ(dest.at(7, 1), 0xFFFFFFFFu);
    const uint32_t middle = dest.at(4, 0) & 0xFF;
    EXPECT_GT(middle, 0u) << "smoothed: the middle is a blend";
    EXPECT_LT(middle, 255u);

    SetStretchBltMode(dest.dc(), COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 8, 2, src.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dest.at(3, 0), 0xFF000000u);
    EXPECT_EQ(dest.at(4, 0), 0xFFFFFFFFu);
}

// A drawing call that cairo refuses (a singular transform) spoils the DC's drawing state for no
// later call: the next copy onto the DC still draws.
TEST(GdiDraw, ARefusedTransformLeavesTheDCDrawing)
{
    Dib src(2, 2), dest(8, 8);
    src.Fill(0xFF00FF00);
    {
        Gdiplus::Graphics graphics(dest.dc());
        graphics.ScaleTransform(0, 0);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 255, 0, 0));
        graphics.FillRectangle(&red, 0.0f, 0.0f, 8.0f, 8.0f);
    }
    EXPECT_EQ(dest.at(4, 4), 0u) << "nothing can be drawn through a singular transform";
    ASSERT_TRUE(StretchBlt(dest.dc(), 0, 0, 8, 8, src.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(dest.at(4, 4), 0xFF00FF00u);
}

TEST(GdiDraw, BitBltWithinOneBitmapOverlapping)
{
    Dib dib(6, 1);
    for (int x = 0; x < 6; ++x)
        dib.at(x, 0) = 0xFF000000u + x;
    ASSERT_TRUE(BitBlt(dib.dc(), 1, 0, 5, 1, dib.dc(), 0, 0, SRCCOPY));
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(dib.at(x, 0), 0xFF000000u + x - 1);
}

TEST(GdiDraw, GradientFillEndsCarryTheVertexColours)
{
    for (ULONG mode : { GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V }) {
        SCOPED_TRACE(mode);
        Dib dib(16, 16);
        TRIVERTEX v[2] = { { 0, 0, 0, 0, 0xFF00, 0xFF00 }, { 16, 16, 0xFF00, 0, 0, 0xFF00 } };
        GRADIENT_RECT mesh { 0, 1 };
        ASSERT_TRUE(GradientFill(dib.dc(), v, 2, &mesh, 1, mode));
        EXPECT_EQ(dib.at(0, 0), 0xFF0000FFu);
        EXPECT_EQ(dib.at(15, 15), 0xFFFF0000u);
        const uint32_t far = mode == GRADIENT_FILL_RECT_H ? dib.at(15, 0) : dib.at(0, 15);
        EXPECT_EQ(far, 0xFFFF0000u);
    }
}

TEST(GdiDraw, ClipRegionsLimitDrawing)
{
    Dib dib(20, 20);
    HRGN clip = CreateRectRgn(5, 5, 15, 15);
    HRGN hole = CreateRectRgn(8, 8, 12, 12);
    ASSERT_EQ(CombineRgn(clip, clip, hole, RGN_DIFF), COMPLEXREGION);
    SelectClipRgn(dib.dc(), clip);
    DeleteObject(clip);  // the DC keeps its own copy
    DeleteObject(hole);
    Fill(dib.dc(), { 0, 0, 20, 20 }, RGB(255, 255, 255));
    EXPECT_EQ(dib.at(4, 4), 0u);
    EXPECT_EQ(dib.at(5, 5), 0x00FFFFFFu);
    EXPECT_EQ(dib.at(10, 10), 0u) << "the hole";
    EXPECT_EQ(dib.at(14, 14), 0x00FFFFFFu);
    EXPECT_EQ(dib.at(15, 15), 0u);
    RECT box {};
    EXPECT_EQ(GetClipBox(dib.dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.bottom, 15);

    // Clip regions are in device coordinates; IntersectClipRect takes logical ones.
    SelectClipRgn(dib.dc(), nullptr);
    SetViewportOrgEx(dib.dc(), 10, 0, nullptr);
    IntersectClipRect(dib.dc(), 0, 0, 2, 2);
    EXPECT_EQ(GetClipBox(dib.dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 2);
    Fill(dib.dc(), { -10, 0, 10, 10 }, RGB(0, 0, 255));
    EXPECT_EQ(dib.at(10, 0), 0x000000FFu);
    EXPECT_EQ(dib.at(12, 0), 0u);
    EXPECT_EQ(dib.at(0, 0), 0u);
}

TEST(GdiDraw, WindowAndViewportOriginsMapLogicalToDevice)
{
    Dib dib(10, 10);
    SetWindowOrgEx(dib.dc(), 5, 5, nullptr);   // logical (5, 5) at device (0, 0)
    SetViewportOrgEx(dib.dc(), 2, 0, nullptr);  // ... then moved to device (2, 0)
    Fill(dib.dc(), { 5, 5, 6, 6 }, RGB(1, 2, 3));
    EXPECT_EQ(dib.at(2, 0), 0x00010203u);
    EXPECT_EQ(GetPixel(dib.dc(), 5, 5), RGB(1, 2, 3));
    RECT box {};
    GetClipBox(dib.dc(), &box);  // logical coordinates
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.top, 5);
}

TEST(GdiDraw, SaveAndRestoreBringBackClipOriginAndObjects)
{
    Dib dib(10, 10);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const int saved = SaveDC(dib.dc());
    IntersectClipRect(dib.dc(), 0, 0, 1, 1);
    SetViewportOrgEx(dib.dc(), 3, 3, nullptr);
    HGDIOBJ before = SelectObject(dib.dc(), red);
    ASSERT_TRUE(RestoreDC(dib.dc(), saved));
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_BRUSH), before);
    POINT org {};
    GetViewportOrgEx(dib.dc(), &org);
    EXPECT_EQ(org.x, 0);
    RECT box {};
    GetClipBox(dib.dc(), &box);
    EXPECT_EQ(box.right, 10);
    EXPECT_FALSE(RestoreDC(dib.dc(), saved)) << "already restored";
    DeleteObject(red);
}

TEST(GdiDraw, ScopedDCStateRestoresOnEveryWayOutOfAPaintStep)
{
    Dib dib(10, 10);
    const auto paintStep = [&](bool leaveEarly) {
        ScopedDCState saved(dib.dc());
        IntersectClipRect(dib.dc(), 0, 0, 2, 2);
        if (leaveEarly)
            return;
        ScopedDCState inner(dib.dc());
        SetViewportOrgEx(dib.dc(), 3, 3, nullptr);
    };
    for (const bool leaveEarly : { true, false }) {
        paintStep(leaveEarly);
        RECT box {};
        GetClipBox(dib.dc(), &box);
        EXPECT_EQ(box.right, 10) << "early: " << leaveEarly;
        POINT org {};
        GetViewportOrgEx(dib.dc(), &org);
        EXPECT_EQ(org.x, 0) << "early: " << leaveEarly;
        EXPECT_FALSE(RestoreDC(dib.dc(), -1)) << "no state left saved; early: " << leaveEarly;
    }
}

TEST(GdiDraw, RoundRectRegionCutsItsCorners)
{
    HRGN region = CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 10, 0));
    EXPECT_TRUE(PtInRegion(region, 0, 10));
    EXPECT_FALSE(PtInRegion(region, 19, 19));
    EXPECT_TRUE(PtInRegion(region, 19, 10));
    RECT box {};
    EXPECT_EQ(GetRgnBox(region, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 20);
    OffsetRgn(region, 5, 5);
    EXPECT_TRUE(PtInRegion(region, 15, 5));
    DeleteObject(region);

    HRGN square = CreateRoundRectRgn(2, 2, 6, 6, 0, 0);  // no corners: the plain rectangle
    EXPECT_EQ(GetRgnBox(square, &box), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(square, 5, 5));
    DeleteObject(square);
}

TEST(GdiDraw, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    Dib dib(10, 10);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(dib.dc(), pen), oldBrush = SelectObject(dib.dc(), brush);
    Rectangle(dib.dc(), 1, 1, 9, 9);
    EXPECT_EQ(dib.at(1, 1), 0x00FF0000u);
    EXPECT_EQ(dib.at(8, 8), 0x00FF0000u);
    EXPECT_EQ(dib.at(5, 5), 0x000000FFu);
    EXPECT_EQ(dib.at(9, 9), 0u);
    SelectObject(dib.dc(), GetStockObject(NULL_BRUSH));
    Fill(dib.dc(), { 0, 0, 10, 10 }, RGB(0, 0, 0));
    RoundRect(dib.dc(), 0, 0, 10, 10, 4, 4);
    EXPECT_EQ(dib.at(5, 0), 0x00FF0000u);
    EXPECT_EQ(dib.at(5, 5), 0u) << "null brush: not filled";
    SelectObject(dib.dc(), oldPen);
    SelectObject(dib.dc(), oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(GdiDraw, DeletingASelectedObjectDoesNotBreakTheDC)
{
    Dib dib(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    SelectObject(dib.dc(), brush);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush)) << "the handle is gone";
    EXPECT_TRUE(Rectangle(dib.dc(), 0, 0, 4, 4));  // still draws with the selected brush
    EXPECT_EQ(dib.at(2, 2), 0x00010203u);
    // Selecting the DC's first bitmap back releases ours, as the usual select/restore pairs do.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    HGDIOBJ first = SelectObject(dc, bitmap);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SelectObject(dc, first), bitmap);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), first);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_NE(GetObjectType(GetStockObject(WHITE_BRUSH)), 0u) << "stock objects stay";
}

}  // namespace
