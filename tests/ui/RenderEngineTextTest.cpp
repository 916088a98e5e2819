// Single-style text through GDI and through Gdiplus, in a pinned font.

#include "RenderEngineTest.h"

#include <algorithm>

using namespace rendertest;
using SkinUI::CRenderEngine;

namespace {

class PinnedFont {
public:
    PinnedFont() : font(::CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Sans")) { }
    ~PinnedFont() { ::DeleteObject(font); }
    HFONT font;
};

struct InkBox {
    int left = 9999, top = 9999, right = -1, bottom = -1, count = 0;
    uint32_t maxAlpha = 0;
};

InkBox Ink(const Canvas& canvas, uint32_t background)
{
    InkBox box;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const uint32_t px = canvas.At(x, y);
            if (px == background)
                continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            box.maxAlpha = std::max(box.maxAlpha, px >> 24);
        }
    return box;
}

bool SamePixels(const Canvas& a, const Canvas& b)
{
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.At(x, y) != b.At(x, y))
                return false;
    return true;
}

}  // namespace

TEST(RenderEngineText, GdiTextFollowsItsFlags)
{
    PinnedFont pinned;
    Canvas canvas(200, 60, 0xFFFFFFFF);
    RECT measure { 0, 0, 200, 60 };
    CRenderEngine::DrawPlainText(canvas.dc(), pinned.font, measure, L"Middle", 0xFF000000, DT_SINGLELINE | DT_CALCRECT,
                                 false, 0);
    const int width = measure.right - measure.left;
    EXPECT_GT(width, 20);
    EXPECT_EQ(Ink(canvas, 0xFFFFFFFF).count, 0);  // measuring draws nothing

    RECT rc { 0, 0, 200, 60 };
    CRenderEngine::DrawPlainText(canvas.dc(), pinned.font, rc, L"Middle", 0xFF000000,
                                 DT_SINGLELINE | DT_CENTER | DT_VCENTER, false, 0);
    const InkBox ink = Ink(canvas, 0xFFFFFFFF);
    ASSERT_GT(ink.count, 0);
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
}

TEST(RenderEngineText, IconCodesDrawOneCharacter)
{
    PinnedFont pinned;
    struct Case {
        const wchar_t* text;
        const wchar_t* drawn;
    };
    const Case cases[] = {
        { L"ab&#x41 ", L"A" },         // a trailing blank is dropped, only what follows "&#x" counts
        { L"&#x42;", L"B" },
        { L"x&#x0043;tail", L"C" },     // cut to four characters
        { L"no code", L"no code" },
    };
    for (const Case& c : cases) {
        Canvas drawn(100, 30), expected(100, 30);
        RECT a { 0, 0, 100, 30 }, b { 0, 0, 100, 30 };
        CRenderEngine::DrawPlainText(drawn.dc(), pinned.font, a, c.text, 0xFF000000, DT_SINGLELINE, false, 0);
        CRenderEngine::DrawPlainText(expected.dc(), pinned.font, b, c.drawn, 0xFF000000, DT_SINGLELINE, false, 0);
        EXPECT_TRUE(SamePixels(drawn, expected)) << SkinUI::CUIString(c.text).GetData();
        EXPECT_GT(Ink(drawn, 0xFFFFFFFF).count, 0);
    }
}

TEST(RenderEngineText, GdiplusTextHasAlpha254AndMeasuresPlusOne)
{
    PinnedFont pinned;
    Canvas canvas(200, 40, 0x00000000);
    RECT rc { 0, 0, 200, 40 };
    CRenderEngine::DrawPlainText(canvas.dc(), pinned.font, rc, L"Opaque?", 0xFF000000, DT_SINGLELINE, true, 0);
    const InkBox ink = Ink(canvas, 0x00000000);
    ASSERT_GT(ink.count, 0);
    EXPECT_EQ(ink.maxAlpha, 254u);  // the asked alpha 255 is replaced

    Canvas untouched(200, 40, 0x00000000);
    RECT measure { 10, 5, 210, 45 };
    CRenderEngine::DrawPlainText(untouched.dc(), pinned.font, measure, L"Opaque?", 0xFF000000,
                                 DT_SINGLELINE | DT_CALCRECT, true, 0);
    EXPECT_EQ(Ink(untouched, 0x00000000).count, 0);
    EXPECT_EQ(measure.left, 10);
    EXPECT_EQ(measure.top, 5);
    EXPECT_NEAR(measure.right - measure.left, ink.right - ink.left + 2, 4);
    EXPECT_GT(measure.bottom - measure.top, 10);
}
