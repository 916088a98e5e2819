// Nine-grid blits, image attributes, icon placement, primitives and clips, checked by pixels.

#include "RenderEngineTest.h"

#include "ui/core/RenderClip.h"

#include <cstdlib>

using namespace rendertest;
using SkinUI::CRenderEngine;
using SkinUI::CRenderClip;
using SkinUI::ImageDrawParams;
using SkinUI::TImageInfo;

namespace {

TImageInfo* Picture(int width, int height, uint32_t (*pixel)(int x, int y))
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(pixel(x, y));
    const std::vector<unsigned char> png = EncodePng(width, height, pixels);
    return CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0);
}

// The canvas value (0xAARRGGBB) of an opaque PNG pixel.
uint32_t Argb(uint32_t rgba)
{
    return 0xFF000000u | ((rgba & 0xFF) << 16) | (rgba & 0xFF00) | ((rgba >> 16) & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 1)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// 30 x 30 with 4-pixel borders: corners carry their own column colours, edges green, middle blue.
uint32_t NineGridPixel(int x, int y)
{
    const bool edgeX = x < 4 || x >= 26, edgeY = y < 4 || y >= 26;
    if (edgeX && edgeY)
        return Rgba(static_cast<uint8_t>(200 + (x % 26)), 0, static_cast<uint8_t>(y));
    if (edgeX || edgeY)
        return Rgba(0, 255, 0);
    return Rgba(0, 0, 255);
}

const RECT kCorners4 { 4, 4, 4, 4 };

}  // namespace

TEST(RenderEngineDraw, NineGridKeepsCornersAndStretchesTheRest)
{
    TImageInfo* image = Picture(30, 30, NineGridPixel);
    ASSERT_NE(image, nullptr);
    for (bool hole : { false, true }) {
        SCOPED_TRACE(hole ? "hole" : "no hole");
        Canvas canvas(110, 50, 0xFF101010);
        const RECT dest { 5, 5, 105, 45 }, paint { 0, 0, 110, 50 }, part { 0, 0, 30, 30 };
        CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, dest, paint, part, kCorners4, false, 255, hole);
        for (int x = 0; x < 4; ++x) {  // corners one to one
            EXPECT_EQ(canvas.At(5 + x, 5 + x % 4), Argb(NineGridPixel(x, x % 4))) << x;
            EXPECT_EQ(canvas.At(101 + x, 44), Argb(NineGridPixel(26 + x, 29))) << x;
        }
        EXPECT_EQ(canvas.At(55, 6), Argb(Rgba(0, 255, 0)));   // top edge stretched
        EXPECT_EQ(canvas.At(6, 25), Argb(Rgba(0, 255, 0)));   // left edge
        EXPECT_EQ(canvas.At(55, 25), hole ? 0xFF101010u : Argb(Rgba(0, 0, 255)));
        EXPECT_EQ(canvas.At(4, 4), 0xFF101010u);              // outside untouched
        EXPECT_EQ(canvas.At(105, 45), 0xFF101010u);
    }
    CRenderEngine::FreeImage(image);
}

TEST(RenderEngineDraw, OnlyPiecesMeetingThePaintRectangleAreDrawn)
{
    TImageInfo* image = Picture(30, 30, NineGridPixel);
    ASSERT_NE(image, nullptr);
    Canvas canvas(100, 40, 0xFF101010);
    const RECT dest { 0, 0, 100, 40 }, paint { 0, 0, 3, 3 }, part { 0, 0, 30, 30 };
    CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, dest, paint, part, kCorners4, false);
    EXPECT_EQ(canvas.At(3, 3), Argb(NineGridPixel(3, 3)));  // the left-top piece is drawn whole
    EXPECT_EQ(canvas.At(50, 2), 0xFF101010u);
    EXPECT_EQ(canvas.At(50, 20), 0xFF101010u);
    // Same size, no corners: only the visible part is copied one to one.
    const RECT same { 10, 5, 40, 35 }, window { 20, 0, 100, 40 };
    CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, same, window, part, {}, false);
    EXPECT_EQ(canvas.At(19, 20), 0xFF101010u);
    EXPECT_EQ(canvas.At(20, 20), Argb(NineGridPixel(10, 15)));
    EXPECT_EQ(canvas.At(39, 34), Argb(NineGridPixel(29, 29)));
    CRenderEngine::FreeImage(image);
}

TEST(RenderEngineDraw, TiledMiddleRepeatsAndCutsTheLastTile)
{
    auto column = [](int x, int) { return Rgba(static_cast<uint8_t>(10 * x), 0, 0); };
    TImageInfo* image = Picture(10, 4, column);
    ASSERT_NE(image, nullptr);
    const RECT part { 0, 0, 10, 4 }, paint { 0, 0, 40, 20 };
    {
        Canvas canvas(40, 20, 0xFF000080);
        CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, { 0, 0, 25, 4 }, paint, part, {}, false, 255, false,
                                 true, false);
        for (int x = 0; x < 25; ++x)
            EXPECT_EQ(canvas.At(x, 2), Argb(column(x % 10, 0))) << x;  // 10, 10, then the left 5
        EXPECT_EQ(canvas.At(25, 2), 0xFF000080u);
    }
    {
        Canvas canvas(40, 20, 0xFF000080);  // both axes: one-to-one tiles in a grid
        CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, { 0, 0, 15, 10 }, paint, part, {}, true, 255, false,
                                 true, true);
        EXPECT_EQ(canvas.At(13, 9), Argb(column(3, 0)));
        EXPECT_EQ(canvas.At(15, 9), 0xFF000080u);
        EXPECT_EQ(canvas.At(13, 10), 0xFF000080u);
    }
    {
        Canvas canvas(40, 20, 0xFF000080);  // no middle source to repeat: nothing, and no division by 0
        CRenderEngine::DrawImage(canvas.dc(), image->hBitmap, { 0, 0, 25, 4 }, paint, part, { 5, 0, 5, 0 }, false,
                                 255, false, true, false);
        EXPECT_EQ(canvas.At(12, 2), 0xFF000080u);
    }
    CRenderEngine::FreeImage(image);
}

TEST(RenderEngineDraw, BlendingUsesPremultipliedAlphaAndFade)
{
    TImageInfo* half = Picture(2, 2, [](int, int) { return Rgba(255, 0, 0, 128); });
    TImageInfo* opaque = Picture(2, 2, [](int, int) { return Rgba(0, 0, 255); });
    ASSERT_TRUE(half && opaque);
    Canvas canvas(4, 2, 0xFFFFFFFF);
    const RECT part { 0, 0, 2, 2 }, paint { 0, 0, 4, 2 };
    CRenderEngine::DrawImage(canvas.dc(), half->hBitmap, { 0, 0, 2, 2 }, paint, part, {}, half->bAlpha);
    EXPECT_TRUE(Near(canvas.At(1, 1), 0xFFFF7F7F)) << std::hex << canvas.At(1, 1);
    CRenderEngine::DrawImage(canvas.dc(), opaque->hBitmap, { 2, 0, 4, 2 }, paint, part, {}, false, 128);
    EXPECT_TRUE(Near(canvas.At(3, 1), 0xFF7F7FFF)) << std::hex << canvas.At(3, 1);
    CRenderEngine::FreeImage(half);
    CRenderEngine::FreeImage(opaque);
}

TEST(RenderEngineDraw, ImageAttributesPlaceClipAndPrescale)
{
    ImageHost host;
    // A strip of two 10 x 10 frames: red, then blue.
    host.Add(L"strip.png", Picture(20, 10, [](int x, int) { return x < 10 ? Rgba(255, 0, 0) : Rgba(0, 0, 255); }));
    const RECT control { 100, 100, 140, 130 }, paint { 0, 0, 200, 200 };
    Canvas canvas(200, 200, 0xFF000000);

    ImageDrawParams params;
    params.sImageName = L"strip.png";
    params.rcSource = { 0, 0, 10, 10 };
    params.rcDest = { 10, 5, 30, 25 };  // a 20 x 20 box at 110, 105
    EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, control, paint, params));
    EXPECT_EQ(canvas.At(110, 105), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(129, 124), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(130, 124), 0xFF000000u);
    EXPECT_EQ(canvas.At(109, 105), 0xFF000000u);

    // The second frame scaled up shows only that frame, not the whole strip squeezed in.
    canvas.Fill(0xFF000000);
    params.rcSource = { 10, 0, 20, 10 };
    params.rcDest = {};
    EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, control, paint, params));
    EXPECT_EQ(canvas.At(100, 100), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(120, 115), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(139, 129), 0xFF0000FFu);

    // A box past the control's right edge is cut there.
    canvas.Fill(0xFF000000);
    const RECT narrow { 100, 100, 120, 130 };
    params.rcSource = { 0, 0, 10, 10 };
    params.rcDest = { 10, 5, 30, 25 };
    EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, narrow, paint, params));
    EXPECT_EQ(canvas.At(119, 110), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(120, 110), 0xFF000000u);

    // Out of view is success; a missing name or image is not.
    EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, control, { 0, 0, 50, 50 }, params));
    params.sImageName = L"missing.png";
    EXPECT_FALSE(CRenderEngine::DrawImageParams(canvas.dc(), host, control, paint, params));
    params.sImageName.Empty();
    EXPECT_FALSE(CRenderEngine::DrawImageParams(canvas.dc(), host, control, paint, params));
}

TEST(RenderEngineDraw, LayeredWindowsBlendEveryImage)
{
    ImageHost host;
    // Transparent pixels in an image marked as having no alpha: copied, they punch a hole;
    // blended, they leave the background.
    TImageInfo* image = Picture(4, 4, [](int, int) { return Rgba(0, 0, 0, 0); });
    ASSERT_NE(image, nullptr);
    image->bAlpha = false;
    host.Add(L"clear.png", image);
    ImageDrawParams params;
    params.sImageName = L"clear.png";
    for (bool layered : { false, true }) {
        host.layered = layered;
        Canvas canvas(4, 4, 0xFF336699);
        EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, { 0, 0, 4, 4 }, { 0, 0, 4, 4 }, params));
        EXPECT_EQ(canvas.At(2, 2), layered ? 0xFF336699u : 0u) << "layered " << layered;
    }
}

TEST(RenderEngineDraw, ResamplingHitsTheEndPixelsExactly)
{
    ImageHost host;
    host.Add(L"ramp.png", Picture(2, 2, [](int x, int y) {
                 return Rgba(static_cast<uint8_t>(x * 200), static_cast<uint8_t>(y * 100), 0);
             }));
    Canvas canvas(11, 11, 0xFF000000);
    ImageDrawParams params;
    params.sImageName = L"ramp.png";
    EXPECT_TRUE(CRenderEngine::DrawImageParams(canvas.dc(), host, { 0, 0, 11, 11 }, { 0, 0, 11, 11 }, params));
    EXPECT_EQ(canvas.At(0, 0), 0xFF000000u);
    EXPECT_EQ(canvas.At(10, 0), 0xFFC80000u);
    EXPECT_EQ(canvas.At(0, 10), 0xFF006400u);
    EXPECT_EQ(canvas.At(10, 10), 0xFFC86400u);
    EXPECT_EQ(canvas.At(5, 5), 0xFF643200u);  // halfway on both axes
}

TEST(RenderEngineDraw, IconStringsAlignTheirIcon)
{
    ImageHost host;
    host.Add(L"icon.png", Picture(16, 16, [](int, int) { return Rgba(0, 255, 0); }));
    Canvas canvas(60, 40, 0xFF000000);
    EXPECT_TRUE(CRenderEngine::DrawIconImageString(canvas.dc(), host, { 10, 10, 50, 30 }, { 0, 0, 60, 40 },
                                                   L"file='icon.png' iconsize='16,16' iconalign='center'",
                                                   nullptr));
    EXPECT_EQ(canvas.At(22, 12), 0xFF00FF00u);  // 12, 2, 28, 18 inside the control
    EXPECT_EQ(canvas.At(37, 27), 0xFF00FF00u);
    EXPECT_EQ(canvas.At(21, 12), 0xFF000000u);
    EXPECT_EQ(canvas.At(38, 27), 0xFF000000u);
}

TEST(RenderEngineDraw, MakeFitIconDestPlacesTheBox)
{
    struct Case {
        const wchar_t* align;
        RECT want;
    };
    const Case cases[] = {
        { L"center", { 12, 2, 28, 18 } },  { L"left", { 0, 0, 16, 16 } },  { L"vcenter", { 0, 2, 16, 18 } },
        { L"hcenter", { 12, 0, 28, 16 } }, { L"Center", { 5, 6, 7, 8 } },  // unknown: position kept
    };
    for (const Case& c : cases) {
        RECT out { 5, 6, 7, 8 };
        EXPECT_TRUE(CRenderEngine::MakeFitIconDest({ 0, 0, 40, 20 }, { 16, 16 }, c.align, out));
        EXPECT_TRUE(::EqualRect(&out, &c.want)) << c.align << ": " << out.left << "," << out.top << ","
                                                << out.right << "," << out.bottom;
    }
    RECT big {};
    CRenderEngine::MakeFitIconDest({ 0, 0, 10, 10 }, { 16, 16 }, L"left", big);
    EXPECT_EQ(big.right, 10);  // limited to the rectangle
    EXPECT_EQ(big.bottom, 10);
}

TEST(RenderEngineDraw, ColourFillsAndGradients)
{
    Canvas canvas(40, 40, 0xFFFFFFFF);
    CRenderEngine::DrawColor(canvas.dc(), { 0, 0, 10, 10 }, 0x00FF0000);  // alpha 0: nothing
    EXPECT_EQ(canvas.At(5, 5), 0xFFFFFFFFu);
    CRenderEngine::DrawColor(canvas.dc(), { 0, 0, 10, 10 }, 0x80FF0000);
    EXPECT_TRUE(Near(canvas.At(5, 5), 0xFFFF7F7F)) << std::hex << canvas.At(5, 5);

    CRenderEngine::DrawGradient(canvas.dc(), { 10, 0, 20, 40 }, 0xFF0000FF, 0xFFFF0000, true, 16);
    EXPECT_TRUE(Near(canvas.At(15, 0), 0xFF0000FF, 8)) << std::hex << canvas.At(15, 0);
    EXPECT_TRUE(Near(canvas.At(15, 39), 0xFFFF0000, 8)) << std::hex << canvas.At(15, 39);
    CRenderEngine::DrawGradient(canvas.dc(), { 20, 0, 30, 40 }, 0x00000000, 0x00FFFFFF, true, 16);
    EXPECT_EQ(canvas.At(25, 20), 0xFFFFFFFFu);
    // Alphas 255 and 0 average to 127: black over white blends to about half grey.
    CRenderEngine::DrawGradient(canvas.dc(), { 30, 0, 40, 40 }, 0xFF000000, 0x00000000, false, 16);
    EXPECT_TRUE(Near(canvas.At(35, 20), 0xFF808080, 2)) << std::hex << canvas.At(35, 20);
}

TEST(RenderEngineDraw, LinesAndOutlines)
{
    Canvas canvas(40, 40, 0xFFFFFFFF);
    CRenderEngine::DrawLine(canvas.dc(), { 0, 5, 40, 5 }, 1, 0x00FF0000);  // GDI ignores the alpha byte
    EXPECT_EQ(canvas.At(20, 5) & 0x00FFFFFF, 0x00FF0000u);
    CRenderEngine::DrawRect(canvas.dc(), { 10, 10, 30, 30 }, 1, 0xFF0000FF);
    EXPECT_EQ(canvas.At(10, 20), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(29, 20), 0xFF0000FFu);  // inset: the last column is right - 1
    EXPECT_EQ(canvas.At(20, 20), 0xFFFFFFFFu);
    CRenderEngine::DrawRoundRect(canvas.dc(), { 0, 32, 40, 40 }, 1, 4, 4, 0xFF00FF00);
    EXPECT_EQ(canvas.At(20, 32) & 0x00FFFFFF, 0x0000FF00u);
    EXPECT_EQ(canvas.At(20, 36), 0xFFFFFFFFu);  // not filled
}

TEST(RenderEngineDraw, CheckAlphaColorAndArgbBitmaps)
{
    const std::pair<DWORD, DWORD> cases[] = {
        { 0xFF000000, 0xFF000001 }, { 0x00000000, 0x00000001 }, { 0xFF010000, 0xFF010000 }, { 0x80000100, 0x80000100 },
    };
    for (auto [in, want] : cases) {
        DWORD colour = in;
        CRenderEngine::CheckAlphaColor(colour);
        EXPECT_EQ(colour, want);
    }
    BYTE* bits = nullptr;
    HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(nullptr, 8, 4, &bits);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_NE(bits, nullptr);
    BITMAP bm {};
    ::GetObject(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 8);
    EXPECT_EQ(bm.bmHeight, 4);
    ::DeleteObject(bitmap);
}

TEST(RenderEngineDraw, ClipsRestrictAndRestore)
{
    Canvas canvas(40, 40, 0xFF000000);
    HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
    const RECT all { 0, 0, 40, 40 };
    {
        CRenderClip outer;
        CRenderClip::GenerateClip(canvas.dc(), { 5, 5, 35, 35 }, outer);
        {
            CRenderClip inner;
            CRenderClip::GenerateRoundClip(canvas.dc(), { 0, 0, 40, 40 }, { 10, 10, 20, 20 }, 0, 0, inner);
            ::FillRect(canvas.dc(), &all, white);
            EXPECT_EQ(canvas.At(20, 20) & 0xFFFFFF, 0xFFFFFFu);  // right and bottom included
            EXPECT_EQ(canvas.At(21, 15) & 0xFFFFFF, 0u);
            EXPECT_EQ(canvas.At(9, 15) & 0xFFFFFF, 0u);
            CRenderClip::UseOldClipBegin(canvas.dc(), inner);
            ::FillRect(canvas.dc(), &all, white);
            CRenderClip::UseOldClipEnd(canvas.dc(), inner);
            EXPECT_EQ(canvas.At(30, 30) & 0xFFFFFF, 0xFFFFFFu);
            EXPECT_EQ(canvas.At(36, 36) & 0xFFFFFF, 0u);
        }
        canvas.Fill(0xFF000000);
        ::FillRect(canvas.dc(), &all, white);  // the outer clip is back
        EXPECT_EQ(canvas.At(34, 34) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(canvas.At(35, 35) & 0xFFFFFF, 0u);
    }
    canvas.Fill(0xFF000000);
    ::FillRect(canvas.dc(), &all, white);
    EXPECT_EQ(canvas.At(39, 39) & 0xFFFFFF, 0xFFFFFFu);
    ::DeleteObject(white);
}
