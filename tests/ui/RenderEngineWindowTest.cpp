// The render engine's entry points that go through a window's paint manager: image attributes
// from its image cache, text in its fonts, style variants of tagged text, control snapshots.

#include "RenderEngineTest.h"

#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

#include <cstdlib>
#include <memory>

using namespace rendertest;
using SkinUI::CPaintManagerUI;
using SkinUI::CRenderEngine;

namespace {

class RenderEngineWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("QUILL_BACKEND", "headless", 1);
        ASSERT_FALSE(m_dir.path().empty());
        CPaintManagerUI::SetResourcePath(m_dir.path().wstring().c_str());
        m_owned = std::make_unique<CPaintManagerUI>();
    }
    void TearDown() override { CPaintManagerUI::SetResourcePath(L""); }

    ScratchDir m_dir;
    std::unique_ptr<CPaintManagerUI> m_owned;
    CPaintManagerUI& Manager() { return *m_owned; }
};

}  // namespace

TEST_F(RenderEngineWindow, ImageStringsComeFromTheCache)
{
    std::vector<uint32_t> pixels(20 * 10, Rgba(255, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            pixels[y * 20 + x] = Rgba(0, 0, 255);
    m_dir.Write("strip.png", EncodePng(20, 10, pixels));
    Canvas canvas(60, 40, 0xFF000000);
    const RECT control { 10, 10, 50, 30 }, paint { 0, 0, 60, 40 };
    EXPECT_TRUE(CRenderEngine::DrawImageString(canvas.dc(), &Manager(), control, paint,
                                               L"file='strip.png' source='10,0,20,10'"));
    EXPECT_EQ(canvas.At(10, 10), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(49, 29), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(9, 10), 0xFF000000u);
    EXPECT_NE(Manager().GetImage(L"strip.png"), nullptr);  // loaded once into the window's cache

    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas.dc(), &Manager(), control, paint, L"file='none.png'"));
    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas.dc(), nullptr, control, paint, L"strip.png"));
    EXPECT_FALSE(CRenderEngine::DrawImageInfo(canvas.dc(), &Manager(), control, paint, nullptr));
    EXPECT_FALSE(CRenderEngine::DrawIconImageString(nullptr, &Manager(), control, paint, L"strip.png"));
}

TEST_F(RenderEngineWindow, TextUsesTheWindowsFontAndPath)
{
    Manager().AddFont(3, L"DejaVu Sans", 14, false, false, false);
    Canvas viaManager(200, 30, 0xFFFFFFFF), direct(200, 30, 0xFFFFFFFF);
    RECT a { 0, 0, 200, 30 }, b { 0, 0, 200, 30 };
    CRenderEngine::DrawTextW(viaManager.dc(), &Manager(), a, L"Font three", 0xFF000000, 3, DT_SINGLELINE);
    CRenderEngine::DrawPlainText(direct.dc(), Manager().GetFont(3), b, L"Font three", 0xFF000000, DT_SINGLELINE,
                                 false, 0);
    int differ = 0, ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) {
            differ += viaManager.At(x, y) != direct.At(x, y);
            ink += viaManager.At(x, y) != 0xFFFFFFFF;
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(ink, 0);

    const SIZE size = CRenderEngine::GetTextSize(viaManager.dc(), &Manager(), L"Font three", 3, 0);
    RECT measured { 0, 0, 400, 30 };
    CRenderEngine::DrawPlainText(viaManager.dc(), Manager().GetFont(3), measured, L"Font three", 0,
                                 DT_SINGLELINE | DT_CALCRECT, false, 0);
    EXPECT_EQ(size.cx, measured.right);
    EXPECT_EQ(CRenderEngine::GetTextSize(viaManager.dc(), nullptr, L"x", 3, 0).cx, 0);
}

TEST_F(RenderEngineWindow, StyleVariantsGetTheirOwnFontIds)
{
    Manager().SetDefaultFont(L"DejaVu Sans", 12, false, false, false);
    const HFONT fallback = Manager().GetDefaultFontInfo()->hFont;
    Canvas canvas(200, 40);
    RECT rc { 0, 0, 200, 40 };
    int none = 0;
    CRenderEngine::DrawHtmlText(canvas.dc(), &Manager(), rc, L"<b>bold <u>and underlined</u></b> <b>again</b>",
                                0xFF000000, nullptr, nullptr, none, 0);
    const HFONT bold = Manager().GetFont(30000), boldUnderlined = Manager().GetFont(30001);
    EXPECT_NE(bold, fallback);
    EXPECT_NE(boldUnderlined, fallback);
    EXPECT_NE(bold, boldUnderlined);
    EXPECT_TRUE(Manager().GetFontInfo(30000)->bBold);
    EXPECT_FALSE(Manager().GetFontInfo(30000)->bUnderline);
    EXPECT_TRUE(Manager().GetFontInfo(30001)->bUnderline);
    EXPECT_EQ(Manager().GetFont(30002), fallback);  // the second <b> found its variant
}

TEST_F(RenderEngineWindow, GenerateBitmapSnapshotsTheControlsRectangle)
{
    SkinUI::CControlUI control;
    control.SetBkColor(0xFF00FF00);
    control.SetPos({ 10, 10, 30, 20 }, false);
    HBITMAP snapshot = CRenderEngine::GenerateBitmap(&Manager(), &control, { 10, 10, 30, 20 });
    ASSERT_NE(snapshot, nullptr);
    BITMAP bm {};
    ::GetObject(snapshot, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 20);
    EXPECT_EQ(bm.bmHeight, 10);
    const auto* bits = static_cast<const uint32_t*>(bm.bmBits);
    EXPECT_EQ(bits[0] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(bits[20 * 10 - 1] & 0xFFFFFF, 0x00FF00u);
    ::DeleteObject(snapshot);
    EXPECT_EQ(CRenderEngine::GenerateBitmap(&Manager(), nullptr, { 0, 0, 5, 5 }), nullptr);
}
