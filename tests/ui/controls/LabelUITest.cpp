#include "ui/controls/LabelUI.h"
#include "ui/controls/TextUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/RenderEngine.h"

using namespace ctltest;

namespace {

const wchar_t* kBlocks = L"\u2588\u2588\u2588\u2588\u2588\u2588";

}  // namespace

TEST_F(ControlTest, LabelAndTextAreMadeByTheirTagsInAnyCase)
{
    for (const wchar_t* name : { L"CLabelUI", L"clabelui", L"CTextUI" }) {
        std::unique_ptr<CControlUI> made(CControlFactory::GetInstance()->CreateControl(name));
        ASSERT_NE(made, nullptr);
        EXPECT_NE(made->GetInterface(L"Label"), nullptr);
    }
    CTextUI text;
    EXPECT_EQ(std::wstring(text.GetClass()), L"TextUI");
    EXPECT_EQ(text.GetInterface(L"Text"), &text);
    EXPECT_EQ(text.GetTextStyle(), DT_WORDBREAK);
    EXPECT_EQ(text.GetTextPadding().left, 2);
    CLabelUI label;
    EXPECT_EQ(label.GetInterface(L"Text"), nullptr);
    EXPECT_EQ(label.GetFont(), -1);
    EXPECT_EQ(label.GetTextStyle(), DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(label.GetControlFlags(), ControlFlagSetCursor);
    label.SetEnabled(false);
    EXPECT_EQ(label.GetControlFlags(), 0u);
}

TEST_F(ControlTest, LabelAttributesSetTheTextStyle)
{
    const UINT base = DT_VCENTER | DT_SINGLELINE;
    const struct {
        const wchar_t* key;
        const wchar_t* value;
        UINT want;
    } cases[] = {
        { L"align", L"left center", base | DT_CENTER },  // words apply in the order left, center, right
        { L"align", L"right left", base | DT_RIGHT },
        { L"align", L"center", base | DT_CENTER },
        { L"valign", L"top", DT_SINGLELINE },
        { L"valign", L"bottom", DT_BOTTOM | DT_SINGLELINE },
        { L"VALIGN", L"vcenter", base },
        { L"wordbreak", L"TRUE", DT_VCENTER | DT_WORDBREAK | DT_EDITCONTROL },
        { L"wordbreak", L"yes", base },  // only "true" is true
        { L"endellipsis", L"true", base | DT_END_ELLIPSIS },
        { L"noprefix", L"true", base | DT_NOPREFIX },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(c.value, c.value + wcslen(c.value)));
        CLabelUI label;
        label.SetAttribute(c.key, c.value);
        EXPECT_EQ(label.GetTextStyle(), c.want);
    }
    // "valign" after "wordbreak" makes the label single-line again.
    CLabelUI label;
    label.ApplyAttributeList(L"wordbreak=\"true\" valign=\"top\" textcolor=\"#FF112233\" font=\"3\" "
                             L"textpadding=\"1,2,3,4\" showhtml=\"true\" autocalcwidth=\"true\"");
    EXPECT_EQ(label.GetTextStyle(), DT_SINGLELINE | DT_EDITCONTROL);
    EXPECT_EQ(label.GetTextColor(), 0xFF112233u);
    EXPECT_EQ(label.GetFont(), 3);
    EXPECT_EQ(label.GetTextPadding().bottom, 4);
    EXPECT_TRUE(label.IsShowHtml());
    EXPECT_TRUE(label.GetAutoCalcWidth());
    EXPECT_FALSE(label.GetAutoCalcHeight());
}

TEST_F(ControlTest, LabelMeasuresOnlyWhatIsNotFixed)
{
    SkinHost host(Skin(L"<HorizontalLayout height=\"60\">"
                       L"<Label name=\"fixed\" width=\"50\" height=\"20\" autocalcwidth=\"true\" text=\"a long text\"/>"
                       L"<Label name=\"auto\" autocalcwidth=\"true\" textpadding=\"3,2,5,4\" text=\"ab\"/>"
                       L"<Label name=\"plain\" width=\"40\" text=\"ab\"/>"
                       L"<Label name=\"tall\" width=\"60\" wordbreak=\"true\" autocalcheight=\"true\" "
                       L"text=\"one two three four five six seven\"/>"
                       L"<Control/></HorizontalLayout>"));
    ASSERT_TRUE(host.Open(400, 300));
    CPaintManagerUI& pm = host.GetPaintManager();
    auto* fixed = host.Find<CLabelUI>(L"fixed");
    auto* autoWidth = host.Find<CLabelUI>(L"auto");
    auto* plain = host.Find<CLabelUI>(L"plain");
    auto* tall = host.Find<CLabelUI>(L"tall");
    const int fontHeight = pm.GetFontInfo(-1)->tm.tmHeight;

    EXPECT_EQ(fixed->EstimateSize({ 400, 60 }).cx, 50);
    EXPECT_EQ(fixed->EstimateSize({ 400, 60 }).cy, 20);
    // Single line without a fixed height: the font's height, the padding and 8 pixels.
    EXPECT_EQ(autoWidth->EstimateSize({ 400, 60 }).cy, fontHeight + 2 + 4 + 8);
    EXPECT_EQ(plain->EstimateSize({ 400, 60 }).cy, fontHeight + 8);
    EXPECT_EQ(plain->EstimateSize({ 400, 60 }).cx, 40);
    const SIZE text = CRenderEngine::GetTextSize(pm.GetPaintDC(), &pm, L"ab", -1, 0);
    const int firstWidth = autoWidth->GetPos().right - autoWidth->GetPos().left;
    EXPECT_NEAR(firstWidth, text.cx + 3 + 5, 1);
    // Word-wrapped and auto height: taller than one line.
    EXPECT_GT(tall->EstimateSize({ 400, 60 }).cy, 2 * fontHeight);

    // A new text re-lays out the parent with the new width; without auto-calc nothing moves.
    autoWidth->SetText(L"abababababab");
    fixed->SetText(L"x");
    host.Settle();
    EXPECT_GT(autoWidth->GetPos().right - autoWidth->GetPos().left, firstWidth + 3 * text.cx);
    EXPECT_EQ(fixed->GetPos().right - fixed->GetPos().left, 50);
    EXPECT_EQ(plain->GetPos().right - plain->GetPos().left, 40);
}

TEST_F(ControlTest, LabelPaintsInTheWindowDefaultColourAndKeepsIt)
{
    SkinHost host(L"<Window size=\"200,100\" defaultfontcolor=\"#FF00FF00\" disabledfontcolor=\"#FF0000FF\">"
                  L"<Font name=\"DejaVu Sans\" size=\"40\" default=\"true\"/>"
                  L"<VerticalLayout bkcolor=\"#FF000000\">"
                  L"<Label name=\"on\" height=\"50\" text=\"" + std::wstring(kBlocks) + L"\"/>"
                  L"<Label name=\"off\" height=\"50\" enabled=\"false\" text=\"" + std::wstring(kBlocks) + L"\"/>"
                  L"</VerticalLayout></Window>");
    ASSERT_TRUE(host.Open(200, 100));
    auto* on = host.Find<CLabelUI>(L"on");
    EXPECT_EQ(on->GetTextColor(), 0xFF00FF00u);
    EXPECT_EQ(host.Find<CLabelUI>(L"off")->GetDisabledTextColor(), 0xFF0000FFu);
    EXPECT_EQ(Rgb(hl::PixelAt(20, 25)), 0x00FF00u);
    EXPECT_EQ(Rgb(hl::PixelAt(20, 75)), 0x0000FFu);
}

TEST_F(ControlTest, TextLinksClickHoverAndGoAwayWithPlainText)
{
    SkinHost host(Skin(L"<Text name=\"t\" height=\"40\" showhtml=\"true\" "
                       L"text=\"{a one}first{/a} {a two}second{/a} {a three}third{/a}\"/><Control/>"));
    ASSERT_TRUE(host.Open(400, 300));
    auto* text = host.Find<CTextUI>(L"t");
    ASSERT_NE(text->GetLinkContent(2), nullptr);
    EXPECT_EQ(*text->GetLinkContent(2), L"three");
    EXPECT_EQ(text->GetLinkContent(3), nullptr);
    EXPECT_EQ(text->GetLinkContent(-1), nullptr);
    EXPECT_EQ(text->GetError(3), 0);
    EXPECT_EQ(text->GetControlFlags(), ControlFlagSetCursor);

    // A point a little into the third word clicks link 2.
    CPaintManagerUI& pm = host.GetPaintManager();
    const RECT rc = text->GetPos();
    const SIZE before = CRenderEngine::GetTextSize(pm.GetPaintDC(), &pm, L"first second ", -1, 0);
    const POINT inThird { rc.left + 2 + before.cx + 4, rc.top + 6 };
    hl::MoveMouse(inThird.x, inThird.y);
    host.Settle();
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
    hl::Click(inThird.x, inThird.y, hl::Right);
    host.Settle();
    EXPECT_TRUE(host.log.empty());
    host.ClickAt(inThird);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"link:t:2" }));

    // Plain text: link count stays at capacity but every rectangle is empty, so nothing is hit.
    text->SetShowHtml(false);
    host.Settle();
    EXPECT_EQ(text->GetControlFlags(), ControlFlagSetCursor);
    EXPECT_EQ(text->GetError(CTextUI::kMaxLinks), CTextUI::kMaxLinks);
    host.log.clear();
    host.ClickAt(inThird);
    host.ClickAt({ rc.left + 4, rc.top + 6 });
    EXPECT_TRUE(host.log.empty());

    // An empty text has no links at all.
    text->SetText(L"");
    host.Settle();
    EXPECT_EQ(text->GetControlFlags(), 0u);
}

TEST_F(ControlTest, AutoWidthTextStoresItsWidthInSkinUnits)
{
    for (const int dpi : { 96, 144 }) {
        SCOPED_TRACE(dpi);
        SkinHost host(Skin(L"<HorizontalLayout height=\"30\"><Text name=\"t\" autocalcwidth=\"true\" "
                           L"text=\"measured\"/><Control/></HorizontalLayout>"));
        ASSERT_TRUE(host.Open(600, 300, dpi));
        auto* text = host.Find<CTextUI>(L"t");
        CPaintManagerUI& pm = host.GetPaintManager();
        const SIZE measured = CRenderEngine::GetTextSize(pm.GetPaintDC(), &pm, L"measured", -1, 0);
        const int device = measured.cx + 2 * pm.GetDPIObj()->Scale(2);
        EXPECT_NEAR(text->GetFixedWidth(), device, 2);
        EXPECT_NEAR(text->GetPos().right - text->GetPos().left, device, 2);
    }
}
