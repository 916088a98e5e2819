#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"

using namespace ctltest;

namespace {

constexpr uint32_t kRed = 0xFF0000, kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kBlack = 0x000000;

}  // namespace

TEST_F(ControlTest, ProgressFillsColourAndImageByValue)
{
    const struct {
        const wchar_t* attributes;
        POINT probe;
        uint32_t want;
    } cases[] = {
        // Horizontal at 25 %: the left quarter (50 px) is filled.
        { L"forecolor=\"#FFFFFFFF\"", { 10, 20 }, kWhite },
        { L"forecolor=\"#FFFFFFFF\"", { 60, 20 }, kBlack },
        // Vertical: the colour covers the top three quarters, above the level of the value.
        { L"hor=\"false\" forecolor=\"#FFFFFFFF\"", { 100, 5 }, kWhite },
        { L"hor=\"false\" forecolor=\"#FFFFFFFF\"", { 100, 35 }, kBlack },
        // The image is squeezed into the filled part (all four bands in 50 px)...
        { L"foreimage=\"images/bands.png\"", { 45, 20 }, kYellow },
        { L"foreimage=\"images/bands.png\"", { 60, 20 }, kBlack },
        // ...or cut to it, showing only the first band.
        { L"foreimage=\"images/bands.png\" isstretchfore=\"false\"", { 45, 20 }, kRed },
        // Vertical: the image covers the bottom quarter.
        { L"hor=\"false\" foreimage=\"images/bands.png\"", { 10, 35 }, kRed },
        { L"hor=\"false\" foreimage=\"images/bands.png\"", { 10, 25 }, kBlack },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.attributes, c.attributes + wcslen(c.attributes)) << " at "
                                        << c.probe.x << "," << c.probe.y);
        SkinHost host(Skin(L"<HorizontalLayout height=\"40\"><Progress name=\"p\" width=\"200\" height=\"40\" "
                           L"value=\"25\" " + std::wstring(c.attributes)
                           + L"/><Control/></HorizontalLayout><Control/>"));
        ASSERT_TRUE(host.Open(300, 100));
        EXPECT_EQ(Rgb(hl::PixelAt(c.probe.x, c.probe.y)), c.want);
    }
}

TEST_F(ControlTest, ProgressTextAndRangeRepair)
{
    SkinHost host(Skin(L"<Progress name=\"p\" value=\"150\" max=\"200\"/><Slider name=\"s\" height=\"20\"/>"
                       L"<Control/>"));
    ASSERT_TRUE(host.Open(300, 100));
    auto* progress = host.Find<CProgressUI>(L"p");
    EXPECT_EQ(progress->GetValue(), 0);  // "value" came before "max" raised the range
    EXPECT_EQ(progress->GetFixedHeight(), 12);
    progress->SetShowText(true);
    const struct {
        int min, max, value;
        const wchar_t* want;
    } texts[] = { { 0, 200, 50, L"25%" }, { 0, 3, 1, L"33%" }, { 0, 3, 2, L"67%" }, { -10, 10, 10, L"100%" } };
    for (const auto& t : texts) {
        progress->SetMinValue(t.min);
        progress->SetMaxValue(t.max);
        progress->SetValue(t.value);
        EXPECT_EQ(progress->GetText(), t.want);
    }
    progress->SetShowText(false);
    EXPECT_TRUE(progress->GetText().IsEmpty());

    // A range with max <= min is repaired before anything divides by it, also before any paint.
    auto* slider = host.Find<CSliderUI>(L"s");
    slider->SetShowText(true);
    slider->SetMinValue(40);
    slider->SetMaxValue(40);
    const POINT c = host.Centre(L"s");
    hl::MoveMouse(c.x, c.y);
    hl::MoveMouse(c.x + 5, c.y);
    hl::PumpMessages();
    EXPECT_EQ(slider->GetMaxValue(), 41);
    EXPECT_EQ(slider->GetValue(), 40);
    slider->SetMaxValue(-3);
    slider->UpdateText();
    EXPECT_EQ(slider->GetMaxValue(), 41);
    EXPECT_EQ(slider->GetText(), L"0%");
    host.ClickAt(c);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"valuechanged:s" }));
}

TEST_F(ControlTest, SliderMapsTheMouseWithItsScaledThumb)
{
    // 0..100 on a 220-unit track with a 20-unit thumb: the ends, the middle, and a press on the
    // thumb's centre, which must keep every value at every scale.
    for (const int dpi : { 96, 120, 144 }) {
        for (const bool horizontal : { true, false }) {
            SCOPED_TRACE(testing::Message() << "dpi " << dpi << (horizontal ? " horizontal" : " vertical"));
            const std::wstring size = horizontal ? L"width=\"220\" height=\"20\"" : L"width=\"20\" height=\"220\"";
            SkinHost host(Skin(L"<HorizontalLayout height=\"240\"><Slider name=\"s\" " + size
                               + L" thumbsize=\"20,20\" hor=\"" + (horizontal ? L"true" : L"false")
                               + L"\"/><Control/></HorizontalLayout><Control/>"));
            ASSERT_TRUE(host.Open(500, 400, dpi));
            auto* slider = host.Find<CSliderUI>(L"s");
            const RECT rc = slider->GetPos();
            const POINT lowEnd = horizontal ? POINT { rc.left + 1, (rc.top + rc.bottom) / 2 }
                                            : POINT { (rc.left + rc.right) / 2, rc.bottom - 1 };
            const POINT highEnd = horizontal ? POINT { rc.right - 1, lowEnd.y } : POINT { lowEnd.x, rc.top + 1 };
            EXPECT_EQ(slider->ValueAt(lowEnd), 0);
            EXPECT_EQ(slider->ValueAt(highEnd), 100);  // a vertical slider has its maximum at the top
            EXPECT_EQ(slider->ValueAt(host.Centre(L"s")), 50);
            for (const int value : { 1, 13, 33, 50, 67, 99 }) {
                slider->SetValue(value);
                const RECT thumb = slider->GetThumbRect();
                EXPECT_EQ(thumb.right - thumb.left, dpi * 20 / 96);
                host.log.clear();
                host.ClickAt({ (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2 });
                EXPECT_EQ(slider->GetValue(), value);
                EXPECT_EQ(host.log, (std::vector<std::wstring> { L"valuechanged:s" }));  // sent though unchanged
            }
        }
    }
}

TEST_F(ControlTest, SliderDragAndWheel)
{
    SkinHost host(Skin(L"<HorizontalLayout height=\"20\"><Slider name=\"s\" width=\"210\" thumbsize=\"10,10\" "
                       L"sendmove=\"true\" step=\"5\"/><Control/></HorizontalLayout><Control/>"));
    ASSERT_TRUE(host.Open(300, 100));
    auto* slider = host.Find<CSliderUI>(L"s");
    // A press on the track moves the thumb at once and reports nothing until the release.
    hl::MoveMouse(105, 10);
    hl::PressButton(hl::Left, 105, 10);
    host.Settle();
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_TRUE(host.log.empty());
    slider->SetValue(10);  // ignored while the thumb is held
    EXPECT_EQ(slider->GetValue(), 50);
    hl::MoveMouse(155, 10);
    host.Settle();
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"movevaluechanged:s" }));
    hl::ReleaseButton(hl::Left, 155, 10);
    host.Settle();
    EXPECT_EQ(host.log.back(), L"valuechanged:s");
    slider->SetValue(10);
    EXPECT_EQ(slider->GetValue(), 10);

    // A wheel step at the maximum changes nothing but still reports.
    slider->SetValue(100);
    host.log.clear();
    hl::Wheel(1, 105, 10);
    host.Settle();
    EXPECT_EQ(slider->GetValue(), 100);
    hl::Wheel(-1, 105, 10);
    host.Settle();
    EXPECT_EQ(slider->GetValue(), 95);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"valuechanged:s", L"valuechanged:s" }));

    slider->SetEnabled(false);
    EXPECT_EQ(slider->GetThumbState(), 0u);
    host.log.clear();
    host.ClickAt({ 20, 10 });
    EXPECT_EQ(slider->GetValue(), 95);
    EXPECT_TRUE(host.log.empty());
}
