// The direct pixel routes for straight lines and gradient rectangles must leave exactly the
// pixels cairo's general route leaves: each scene is drawn both ways and compared pixel by pixel.

#include "platform/WinGdi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace platform {
void SetDirectPixelRoutes(bool on);
}

namespace {

constexpr int kWidth = 61, kHeight = 47;

// Turns the direct routes off for its lifetime.
struct GeneralRouteOnly {
    GeneralRouteOnly() { platform::SetDirectPixelRoutes(false); }
    ~GeneralRouteOnly() { platform::SetDirectPixelRoutes(true); }
};

// Runs `draw` on a fresh top-down 32-bit DIB section filled with noise (opaque, transparent and
// in-between alpha bytes) and returns the pixels.
std::vector<uint32_t> Render(const std::function<void(HDC)>& draw)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::mt19937 noise(7);
    const uint32_t alphas[] = { 0x00000000u, 0xFF000000u, 0x80000000u };
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const uint32_t alpha = alphas[noise() % 3];
        // Alpha-premultiplied-valid values: colour bytes never above the alpha byte unless alpha is 0.
        bits[i] = alpha == 0x80000000u ? alpha | (noise() & 0x007F7F7Fu) : alpha | (noise() & 0x00FFFFFFu);
    }
    draw(dc);
    std::vector<uint32_t> pixels(bits, bits + kWidth * kHeight);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

void ExpectSameBothWays(const std::function<void(HDC)>& draw)
{
    const std::vector<uint32_t> direct = Render(draw);
    std::vector<uint32_t> general;
    {
        GeneralRouteOnly off;
        general = Render(draw);
    }
    ASSERT_NE(general, Render([](HDC) {})) << "the scene draws nothing";
    for (int i = 0; i < kWidth * kHeight; ++i)
        ASSERT_EQ(direct[i], general[i]) << "pixel (" << i % kWidth << ", " << i / kWidth << ")";
}

// A clip with a hole, so lines and fills cross several clip rectangles, and shifted origins.
void ClipAndShift(HDC dc)
{
    HRGN clip = CreateRectRgn(3, 2, 55, 44);
    HRGN hole = CreateRectRgn(20, 15, 31, 29);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    DeleteObject(hole);
    SetWindowOrgEx(dc, 4, -3, nullptr);
    SetViewportOrgEx(dc, 1, 2, nullptr);
}

TEST(GdiFastPath, StraightLinesMatchTheGeneralRoute)
{
    std::mt19937 pick(11);
    std::uniform_int_distribution<int> coord(-12, 70);
    std::vector<POINT> ends;
    for (int i = 0; i < 400; ++i) {
        const int a = coord(pick), b = coord(pick), c = coord(pick);
        ends.push_back({ a, b });
        ends.push_back(i % 2 ? POINT { a, c } : POINT { c, b });  // vertical, horizontal
    }
    // Edge cases: one pixel long, both directions along an edge, zero length, and a pixel that
    // already holds the opaque pen colour (the noise has some; white on white is forced here).
    for (POINT p : { POINT { 0, 0 }, POINT { 1, 0 }, POINT { 60, 46 }, POINT { 60, 0 }, POINT { 0, 46 }, POINT { 0, 0 },
                     POINT { 5, 5 }, POINT { 5, 5 } })
        ends.push_back(p);
    for (int width : { 0, 1 }) {
        SCOPED_TRACE(width);
        for (bool clipped : { false, true }) {
            SCOPED_TRACE(clipped);
            ExpectSameBothWays([&](HDC dc) {
                if (clipped)
                    ClipAndShift(dc);
                for (size_t i = 0; i + 1 < ends.size(); i += 2) {
                    HPEN pen = CreatePen(PS_SOLID, width, i % 3 ? RGB(i % 256, 40, 200) : RGB(255, 255, 255));
                    HGDIOBJ old = SelectObject(dc, pen);
                    MoveToEx(dc, ends[i].x, ends[i].y, nullptr);
                    LineTo(dc, ends[i + 1].x, ends[i + 1].y);
                    SelectObject(dc, old);
                    DeleteObject(pen);
                }
            });
        }
    }
}

TEST(GdiFastPath, OpaquePenColourAlreadyThereKeepsItsAlpha)
{
    // The pixel comparison of the alpha rule sees no change where the opaque colour already was.
    ExpectSameBothWays([](HDC dc) {
        // An opaque band of the pen colour (gradients write the alpha byte) under half the line.
        TRIVERTEX v[2] = { { 0, 0, 0xC800, 0x0A00, 0x0A00, 0xFF00 }, { kWidth / 2, kHeight, 0xC800, 0x0A00, 0x0A00, 0xFF00 } };
        GRADIENT_RECT mesh { 0, 1 };
        GradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 10, 10));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 0, 3, nullptr);
        LineTo(dc, kWidth, 3);
        SelectObject(dc, old);
        DeleteObject(pen);
    });
}

}  // namespace

TEST(GdiFastPath, GradientRectanglesMatchTheGeneralRoute)
{
    struct Case {
        RECT box;
        COLOR16 from[4], to[4];  // red, green, blue, alpha
    };
    const Case cases[] = {
        { { 2, 3, 40, 20 }, { 0xFF00, 0, 0, 0xFF00 }, { 0, 0, 0xFF00, 0xFF00 } },
        { { -5, -7, 70, 60 }, { 0x1200, 0x3400, 0x5600, 0xFF00 }, { 0xFE00, 0xDC00, 0xBA00, 0xFF00 } },
        { { 10, 10, 11, 30 }, { 0x8000, 0x8000, 0x8000, 0xFF00 }, { 0x1000, 0x2000, 0x3000, 0xFF00 } },  // one pixel across
        { { 10, 10, 30, 11 }, { 0x8000, 0x8000, 0x8000, 0xFF00 }, { 0x1000, 0x2000, 0x3000, 0xFF00 } },
        { { 30, 40, 5, 1 }, { 0x4000, 0x9000, 0x2000, 0x8000 }, { 0xF000, 0x1000, 0xA000, 0x2000 } },  // swapped corners, alpha
        { { 0, 0, 61, 47 }, { 0x7700, 0x7700, 0x7700, 0x0000 }, { 0x7700, 0x7700, 0x7700, 0x0000 } },  // transparent
        { { 4, 4, 57, 43 }, { 0xFFFF, 0x00FF, 0x7F7F, 0xFFFF }, { 0x0101, 0xFEFE, 0x8080, 0xC0C0 } },  // low bytes ignored
    };
    for (ULONG mode : { GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V })
        for (bool clipped : { false, true })
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << (clipped ? ", clipped" : "") << ", case " << &c - cases);
                ExpectSameBothWays([&](HDC dc) {
                    if (clipped)
                        ClipAndShift(dc);
                    TRIVERTEX v[2] = { { c.box.left, c.box.top, c.from[0], c.from[1], c.from[2], c.from[3] },
                                       { c.box.right, c.box.bottom, c.to[0], c.to[1], c.to[2], c.to[3] } };
                    GRADIENT_RECT mesh { 0, 1 };
                    ASSERT_TRUE(GradientFill(dc, v, 2, &mesh, 1, mode));
                });
            }
}

TEST(GdiFastPath, LinesDrawTheirFirstPixelAndLeaveOutTheLastInEveryDirection)
{
    struct Case { POINT from, to; };
    const Case cases[] = {
        { { 5, 3 }, { 15, 3 } }, { { 15, 3 }, { 5, 3 } },  // right, left
        { { 4, 5 }, { 4, 20 } }, { { 4, 20 }, { 4, 5 } },  // down, up
        { { 5, 5 }, { 25, 15 } }, { { 25, 15 }, { 5, 5 } },  // diagonal, both ways
    };
    for (bool general : { false, true }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << (general ? "general " : "direct ") << c.from.x << "," << c.from.y
                                            << " to " << c.to.x << "," << c.to.y);
            std::vector<uint32_t> pixels;
            const auto draw = [&](HDC dc) {
                HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, c.from.x, c.from.y, nullptr);
                LineTo(dc, c.to.x, c.to.y);
                SelectObject(dc, old);
                DeleteObject(pen);
            };
            if (general) {
                GeneralRouteOnly off;
                pixels = Render(draw);
            } else {
                pixels = Render(draw);
            }
            const std::vector<uint32_t> before = Render([](HDC) {});
            const auto touched = [&](POINT p) { return pixels[p.y * kWidth + p.x] != before[p.y * kWidth + p.x]; };
            EXPECT_TRUE(touched(c.from)) << "first pixel";
            EXPECT_FALSE(touched(c.to)) << "last pixel";
            if (c.from.x != c.to.x && c.from.y != c.to.y)
                continue;  // a diagonal's width is cairo's business; its ends are what must match
            int count = 0;
            for (size_t i = 0; i < pixels.size(); ++i)
                count += pixels[i] != before[i];
            EXPECT_EQ(count, std::abs(c.to.x - c.from.x) + std::abs(c.to.y - c.from.y));
        }
    }
}
