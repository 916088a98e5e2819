// Group box frame and caption, and the colour palette's HSL model, field and bar, by pixels and
// by injected mouse input.

#include "ui/controls/ColorPaletteUI.h"
#include "ui/controls/GroupBoxUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/core/ControlFactory.h"

using namespace ctltest;

namespace {

int Channel(uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

}  // namespace

TEST_F(ControlTest, HslModelRoundTripsTheMainColours)
{
    struct Case { DWORD rgb; int h, s, l; };
    const Case cases[] = {
        { 0x808080, 0, 0, 100 },  // grey: no saturation, no hue
        { 0xFF0000, 0, 200, 100 },
        { 0x00FF00, 120, 200, 100 },
        { 0x336699, 210, 100, 80 },
        { 0x0000FF, 240, 200, 100 },
        { 0xFFFFFF, 0, 0, 200 },
        { 0x000000, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rgb=0x" << std::hex << c.rgb);
        CColorPaletteUI palette;  // no window: only H, S and L change
        palette.SetSelectColor(0xFF000000 | c.rgb);
        EXPECT_NEAR(palette.GetHue(), c.h, 1);  // single-precision thirds truncate to one step below
        EXPECT_EQ(palette.GetSaturation(), c.s);
        EXPECT_EQ(palette.GetLightness(), c.l);
        const DWORD back = palette.GetSelectColor();
        EXPECT_EQ(back >> 24, 0xFFu);
        for (int shift : { 0, 8, 16 })
            EXPECT_NEAR(Channel(back, shift), Channel(c.rgb, shift), 5) << "one step of hue is 4 levels";
    }
}

TEST_F(ControlTest, PaletteAttributesAndItsTag)
{
    std::unique_ptr<CControlUI> made(CControlFactory::GetInstance()->CreateControl(L"CColorPaletteUI"));
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made->GetInterface(L"ColorPalette"), nullptr);
    EXPECT_EQ(made->GetInterface(L"colorpalette"), nullptr) << "the interface name is compared with case";
    auto* palette = static_cast<CColorPaletteUI*>(made.get());
    palette->SetAttribute(L"barheight", L"200");
    palette->SetAttribute(L"palletheight", L"120");
    palette->SetAttribute(L"PalletHeight", L"90");  // keys are compared with case: ignored
    palette->SetAttribute(L"thumbimage", L"thumb.png");
    EXPECT_EQ(palette->GetBarHeight(), 150);
    EXPECT_EQ(palette->GetPalletHeight(), 120);
    EXPECT_EQ(palette->GetThumbImage(), L"thumb.png");
}

TEST_F(ControlTest, PaletteFieldAndBarFollowTheMouse)
{
    SkinHost host(Skin(L"<HorizontalLayout height=\"220\"><Control width=\"50\"/>"
                       L"<ColorPalette name=\"p\" width=\"300\" palletheight=\"200\" barheight=\"10\"/></HorizontalLayout>"
                       L"<Control/>"));
    ASSERT_TRUE(host.Open(400, 300));
    auto* palette = host.Find<CColorPaletteUI>(L"p");
    const RECT rc = palette->GetPos();
    // Drawn: the field's top row is nearly white, its bottom row nearly black, the bar below it.
    const uint32_t top = hl::PixelAt(rc.left + 5, rc.top + 1), bottom = hl::PixelAt(rc.left + 5, rc.top + 198);
    EXPECT_GT(Channel(top, 0) + Channel(top, 8) + Channel(top, 16), 3 * 230);
    EXPECT_LT(Channel(bottom, 0) + Channel(bottom, 8) + Channel(bottom, 16), 3 * 20);

    // The top-left corner: hue 0, lightness 200 (white).
    host.ClickAt({ rc.left, rc.top });
    EXPECT_EQ(palette->GetHue(), 0);
    EXPECT_EQ(palette->GetLightness(), 200);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"colorchanged:p:" + std::to_wstring(0xFFFFFFFFu) }));

    // Dragging from the field past the right and bottom edges keeps hue 360 and lightness 0 ...
    hl::MoveMouse(rc.left + 10, rc.top + 10);
    hl::PressButton(hl::Left, rc.left + 10, rc.top + 10);
    hl::MoveMouse(rc.right + 20, rc.top + 200);
    host.Settle();
    EXPECT_EQ(palette->GetHue(), 360);
    EXPECT_EQ(palette->GetLightness(), 0);
    hl::MoveMouse(rc.right + 20, rc.top + 100);  // ... and a hue of 360 is red
    hl::ReleaseButton(hl::Left, rc.right + 20, rc.top + 100);
    host.Settle();
    EXPECT_EQ(palette->GetSelectColor() & 0x00FFFFFF, 0xFF0000u);

    // The bar sets the saturation.
    host.ClickAt({ (rc.left + rc.right) / 2, rc.bottom - 5 });
    EXPECT_NEAR(palette->GetSaturation(), 100, 1);
}

TEST_F(ControlTest, GroupBoxCaptionCoversTheFrameTopLine)
{
    SkinHost host(L"<Window size=\"300,200\"><VerticalLayout bkcolor=\"#FF000000\">"
                  L"<GroupBox name=\"g\" height=\"100\" bordersize=\"1\" bordercolor=\"#FFFF0000\" bkcolor=\"#FF000000\" "
                  L"textcolor=\"#FF00FF00\" text=\"\u2588\u2588\u2588\"><Control name=\"child\"/></GroupBox>"
                  L"<GroupBox name=\"empty\" height=\"100\" bordersize=\"1\" bordercolor=\"#FFFF0000\"/>"
                  L"</VerticalLayout></Window>");
    ASSERT_TRUE(host.Open(300, 200));
    auto* box = host.Find<CGroupBoxUI>(L"g");
    EXPECT_EQ(std::wstring(box->GetClass()), L"GroupBoxUI");
    EXPECT_NE(box->GetInterface(L"GroupBox"), nullptr);
    EXPECT_NE(box->GetInterface(L"VerticalLayout"), nullptr);
    EXPECT_EQ(box->GetTextColor(), 0xFF00FF00u);
    // The inset keeps the child inside the frame and under the caption.
    const RECT child = host.Find(L"child")->GetPos(), rc = box->GetPos();
    EXPECT_EQ(child.left, rc.left + 20);
    EXPECT_EQ(child.top, rc.top + 25);

    const int frameTop = rc.top + 5, frameLeft = rc.left + 5;
    EXPECT_EQ(Rgb(hl::PixelAt(frameLeft + 5, frameTop)), 0xFF0000u) << "the frame before the caption";
    EXPECT_EQ(Rgb(hl::PixelAt(frameLeft, frameTop + 30)), 0xFF0000u) << "the left side";
    EXPECT_EQ(Rgb(hl::PixelAt(frameLeft + 15, frameTop)), 0x00FF00u) << "the caption starts 15 px in";
    EXPECT_EQ(Rgb(hl::PixelAt(rc.right - 15, frameTop)), 0xFF0000u) << "the frame after the caption";

    const RECT empty = host.Find(L"empty")->GetPos();
    EXPECT_EQ(Rgb(hl::PixelAt(empty.left + 5 + 20, empty.top + 5)), 0xFF0000u) << "no caption: an unbroken line";
}
