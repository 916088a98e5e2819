// The main window's page tabs and the mode options inside the pages, on the real skin.
#include <gtest/gtest.h>

#include <chrono>

#include "MainWndFixture.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/BoxLayoutUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/TabLayoutUI.h"

namespace {

class PlainWnd : public SkinUI::CWindowWnd {
protected:
    const wchar_t* GetWindowClassName() const override { return L"QuillTestOverlay"; }
};

SkinUI::COptionUI* AsOption(SkinUI::CControlUI* control)
{
    return control ? static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

int ValueOf(SkinUI::CControlUI* control)
{
    auto* bar = control ? static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress")) : nullptr;
    return bar ? bar->GetValue() : -1;
}

class MainWndPagesTest : public MainWndFixture {
protected:
    void Select(const wchar_t* name, bool selected = true)
    {
        SkinUI::COptionUI* option = AsOption(Find(name));
        ASSERT_NE(option, nullptr) << "no option " << WideToAnsi(name);
        option->Selected(selected);
    }
    std::wstring ShownPage()
    {
        auto* pages = static_cast<SkinUI::CTabLayoutUI*>(m_window->m_ptab_Tran->GetInterface(L"TabLayout"));
        SkinUI::CControlUI* page = pages->GetItemAt(pages->GetCurSel());
        return page ? page->GetName().GetData() : L"";
    }
};

}  // namespace

TEST_F(MainWndPagesTest, EachTabShowsItsPageAndSetsThePageState)
{
    CMainWnd& w = Open(144);
    w.m_pctnClient->SetVisible(true);  // the feature area, as a home page entry shows it
    PlainWnd cover, frame;
    w.m_hCover = cover.Create(w.GetHWND(), L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 40, 40);
    w.m_hConceal = frame.Create(w.GetHWND(), L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 40, 40);
    auto* watermark = new CChildWnd();  // deletes itself with its window
    const HWND watermarkWnd = watermark->Create(w.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 40, 40);
    w.m_pWatermarkWnd = watermark;
    w.m_pWaterMaker->SetVisible(true);
    struct Case { const wchar_t* tab; const wchar_t* page; const wchar_t* pageKey; int limit; bool pairShown; bool watermarkShown; };
    const Case cases[] = {
        { L"tabFenge", L"splitPage", L"tabFenge", 816, false, false },
        { L"tabVideoCut", L"cutPage", L"VideoCut", 816, true, false },
        { L"tabScreen", L"shotPage", L"VideoScreen", 610, false, false },
        { L"tabAdd", L"clipPage", L"VideoScreen", 1002, false, true },  // the key stays; the watermark comes back
        { L"tabAdjust", L"adjustPage", L"VideoScreen", 1002, false, false },
        { L"tabGIF", L"gifPage", L"VideoScreen", 1002, false, false },
        { L"tabmerge", L"mergePage", L"VideoScreen", 1002, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToAnsi(c.tab));
        // The tab left behind hides its underline.
        SkinUI::CControlUI* before = Find(c.tab)->GetParent();
        static_cast<SkinUI::CContainerUI*>(before->GetInterface(L"Container"))->FindSubControl(L"xxx")->SetVisible(true);
        Select(c.tab);
        EXPECT_EQ(ShownPage(), c.page);
        EXPECT_EQ(PageKey, c.pageKey);
        EXPECT_EQ(EndHandleLimit, c.limit);
        RECT rc {};
        ::GetWindowRect(w.GetHWND(), &rc);
        EXPECT_EQ(rc.right - rc.left, w.ScaleByDpi(1024));
        EXPECT_EQ(rc.bottom - rc.top, w.ScaleByDpi(675));
        if (::IsWindow(w.m_hCover)) {
            EXPECT_EQ(::IsWindowVisible(w.m_hCover) != FALSE, c.pairShown);
        }
        EXPECT_EQ(::IsWindowVisible(watermarkWnd) != FALSE, c.watermarkShown);
    }
    platform::headless::PumpMessages();
    EXPECT_FALSE(::IsWindow(w.m_hCover)) << "leaving for the list pages closes the crop pair";
    EXPECT_FALSE(::IsWindow(w.m_hConceal));
    w.m_hCover = w.m_hConceal = nullptr;
    ::DestroyWindow(watermarkWnd);
    EXPECT_EQ(w.m_pWatermarkWnd, nullptr) << "the overlay forgets itself in the main window";
}

TEST_F(MainWndPagesTest, TheUnderlineOfAnUnselectedTabHidesOnly)
{
    Open().m_pctnClient->SetVisible(true);  // the feature area, as a home page entry shows it
    Select(L"tabFenge");
    SkinUI::CControlUI* column = Find(L"tabFenge")->GetParent();
    SkinUI::CControlUI* underline = static_cast<SkinUI::CContainerUI*>(column->GetInterface(L"Container"))->FindSubControl(L"xxx");
    underline->SetVisible(true);
    Select(L"Average");  // an option of a page has no underline beside it: nothing else hides
    EXPECT_TRUE(underline->IsVisible());
    Select(L"tabGIF");
    EXPECT_FALSE(underline->IsVisible());
}

TEST_F(MainWndPagesTest, MuteSilencesAndGivesBackTheVolumeWithItsLabel)
{
    CMainWnd& w = Open();
    w.m_nCutVolume = 150;
    SkinUI::CControlUI* mute = Find(L"Mute");
    auto* label = static_cast<SkinUI::CLabelUI*>(
        static_cast<SkinUI::CContainerUI*>(mute->GetParent()->GetParent()->GetInterface(L"Container"))->GetItemAt(1));
    Select(L"Mute");
    EXPECT_EQ(ValueOf(w.m_pSoundPro), 0);
    EXPECT_EQ(ValueOf(w.m_pSoundSlider), 0);
    EXPECT_EQ(std::wstring(label->GetText().GetData()), L"0");
    EXPECT_EQ(label->GetTextPadding().left, 35);
    Select(L"Mute", false);
    EXPECT_EQ(ValueOf(w.m_pSoundPro), 150);
    EXPECT_EQ(ValueOf(w.m_pSoundSlider), 150);
    EXPECT_EQ(std::wstring(label->GetText().GetData()), L"150");
    EXPECT_EQ(label->GetTextPadding().left, 35 + 150 * 140 / 200);
}

TEST_F(MainWndPagesTest, SplitModesSwitchInputsImagesAndFocus)
{
    CMainWnd& w = Open();
    Select(L"tabFenge");
    Reveal(w.m_pstartSegmenMillsecond);
    Reveal(w.m_pAddSengenNum);
    Select(L"Average");
    auto* cut = static_cast<SkinUI::CButtonUI*>(w.m_pSegmenCut->GetInterface(L"Button"));
    EXPECT_TRUE(cut->GetNormalImage().IsEmpty());
    EXPECT_FALSE(cut->IsMouseEnabled());
    EXPECT_TRUE(w.m_pAddSengenNum->IsVisible());
    EXPECT_FALSE(w.m_pAddSengenTime->IsVisible());
    EXPECT_TRUE(w.m_pstartSegmen->IsMouseEnabled());
    EXPECT_FALSE(w.m_pstartSegmenHour->IsMouseEnabled());
    // The labels of the mode's own row stand out, the others' recede.
    auto colour = [](SkinUI::CControlUI* label) {
        return static_cast<SkinUI::CLabelUI*>(label->GetInterface(L"Label"))->GetTextColor();
    };
    EXPECT_GT(colour(w.m_pSegmennameNum), colour(w.m_pSegmenTime));
    EXPECT_EQ(colour(w.m_pSegmenname), colour(w.m_pSegmenTime));
    EXPECT_EQ(colour(w.m_pSegmeinnname), colour(w.m_pSegmenTime));
    Select(L"TimeAverage");
    EXPECT_GT(colour(w.m_pSegmenname), colour(w.m_pSegmennameNum));
    EXPECT_EQ(colour(w.m_pSegmeinnname), colour(w.m_pSegmenname));
    EXPECT_TRUE(w.m_pstartAverageHour->IsMouseEnabled());
    EXPECT_FALSE(w.m_pstartSegmen->IsMouseEnabled());
    EXPECT_TRUE(w.m_pAddSengenTimeNum->IsVisible());
    Select(L"handSegmen");
    EXPECT_EQ(std::wstring(cut->GetNormalImage().GetData()), L"33.png");
    EXPECT_EQ(std::wstring(cut->GetHotImage().GetData()), L"33.png");
    EXPECT_TRUE(cut->IsMouseEnabled());
    EXPECT_TRUE(w.m_pAddSengenTime->IsVisible());
    EXPECT_FALSE(w.m_pAddSengenTimeNum->IsVisible());
    EXPECT_FALSE(w.m_pstartAverageHour->IsMouseEnabled());
    EXPECT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartSegmenMillsecond);
}

TEST_F(MainWndPagesTest, ScreenshotRowsFollowThePictureShapeAndSkipWithoutOne)
{
    CMainWnd& w = Open();
    auto* list = static_cast<SkinUI::CListUI*>(w.m_pListScreen->GetInterface(L"List"));
    ASSERT_NE(list, nullptr);
    auto* row = new SkinUI::CListContainerElementUI();
    auto* frame = new SkinUI::CHorizontalLayoutUI();
    auto* caption = new SkinUI::CLabelUI();
    frame->Add(caption);
    row->Add(frame);
    list->Add(row);  // the list owns it
    Select(L"tabScreen");
    Reveal(row);
    row->SetFixedHeight(77);
    w.m_strScreenshotWidth = L"";  // no media information: no division by zero, rows unchanged
    w.m_strScreenshotHeight = L"360";
    Select(L"LongPic");
    EXPECT_EQ(row->GetFixedHeight(), 77);
    w.m_strScreenshotWidth = L"464";
    w.m_strScreenshotHeight = L"260";
    Select(L"ShotPic");
    EXPECT_EQ(row->GetFixedHeight(), 130 + 32);
    EXPECT_TRUE(caption->IsVisible());
    Select(L"LongPic");
    EXPECT_EQ(row->GetFixedHeight(), 130);
    EXPECT_FALSE(caption->IsVisible());
}

TEST_F(MainWndPagesTest, WatermarkAndTextStyleOptionsSetTheDefaultStyle)
{
    CMainWnd& w = Open();
    WatermarkSettings = WatermarkStyle();
    WatermarkSettings.fontStyle = kFontUnderline;
    Select(L"Blod");
    EXPECT_EQ(WatermarkSettings.fontStyle, kFontBold);  // underline cleared
    Select(L"Italic");
    EXPECT_EQ(WatermarkSettings.fontStyle, kFontBold | kFontItalic);
    Select(L"Blod", false);
    EXPECT_EQ(WatermarkSettings.fontStyle, kFontItalic);

    Find(L"StrokeColor")->SetBkColor(0xFF123456);
    Select(L"StrokeOp");
    EXPECT_EQ(WatermarkSettings.strokeOn, 1);
    EXPECT_EQ(WatermarkSettings.strokeColor, 0x123456);
    Select(L"StrokeOp", false);
    EXPECT_EQ(WatermarkSettings.strokeOn, 0);
    Select(L"BootomUndline");
    EXPECT_TRUE(WatermarkSettings.fontStyle & kFontUnderline);

    w.m_pWaterPath->SetText(L"");
    PictureWatermarkLayout = 1;
    Select(L"PicCorner");  // no picture: only the size slider stops taking the mouse
    EXPECT_EQ(PictureWatermarkLayout, 1);
    EXPECT_FALSE(w.m_pPicSizeSlider->IsMouseEnabled());
    Select(L"PicUserOp");
    EXPECT_EQ(PictureWatermarkLayout, 0);
    EXPECT_TRUE(w.m_pPicSizeSlider->IsMouseEnabled());
    EXPECT_EQ(WatermarkRefitFlag, 1);

    w.m_pWaterTextRich->SetText(L"");
    Select(L"tabAdd");
    Reveal(w.m_pWaterTextRich);
    Reveal(w.m_pWaterAddPic);
    Select(L"PicWater");
    EXPECT_TRUE(w.m_pWaterAddPic->IsVisible());
    Select(L"TextWater");
    EXPECT_FALSE(w.m_pWaterExport->IsEnabled());
    EXPECT_TRUE(w.m_pWaterTextRich->IsVisible());
    EXPECT_FALSE(w.m_pWaterAddPic->IsVisible());
    WatermarkSettings = WatermarkStyle();
}

TEST_F(MainWndPagesTest, TextItemOptionsSlidersAndPositionChangeOnlyTheSelectedItem)
{
    CMainWnd& w = Open();
    WatermarkSettings = WatermarkStyle();
    EXPECT_EQ(::SendMessage(w.GetHWND(), CMainWnd::kMsgTextItemPosition, 10, 20), 0) << "no layer: answered 0";
    EXPECT_TRUE(w.m_textItem.xText.empty());

    CWaterFloatWnd layer;
    ASSERT_NE(layer.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0), nullptr);
    ::MoveWindow(layer.GetHWND(), 0, 0, 724, 360, TRUE);
    platform::headless::PumpMessages();
    w.m_pTextLayerWnd = &layer;
    CWaterTextUI* control = layer.AddItem(L"Index1001", L"", L"DejaVu Sans", 20, 0xFFFFFF, false);
    ASSERT_NE(control, nullptr);
    layer.m_strCurrentName = L"Index1001";
    layer.m_pCurrentItem = control;
    TextItem item;
    item.name = L"Index1001";
    item.widthText = L"100";
    w.m_vecTextItems = { item };

    Find(L"StrokeColor")->SetBkColor(0xFF00FF00);
    Select(L"StrokeOp");
    Select(L"SubtitleBlod");
    EXPECT_EQ(w.m_vecTextItems[0].strokeOn, 1);
    EXPECT_EQ(w.m_vecTextItems[0].strokeColor, 0xFF00FF00);
    EXPECT_EQ(WatermarkSettings.strokeOn, 1) << "the default stroke follows too";
    EXPECT_EQ(w.m_vecTextItems[0].bold, 1);
    EXPECT_EQ(w.m_vecTextItems[0].fontStyle, kFontBold);
    EXPECT_EQ(WatermarkSettings.fontStyle, 0) << "bold changes only the item";
    EXPECT_TRUE(control->m_bRenderPending);

    auto* spin = static_cast<SkinUI::CSliderUI*>(Find(L"SubtitleSpinSlider")->GetInterface(L"Slider"));
    spin->SetValue(90);
    w.GetPaintManager().SendNotify(spin, L"valuechanged");
    EXPECT_EQ(w.m_vecTextItems[0].angle, 90);
    EXPECT_EQ(WatermarkSettings.textAngle, 0);

    EXPECT_NE(::SendMessage(w.GetHWND(), CMainWnd::kMsgTextItemPosition, 10, 20), -1);
    EXPECT_EQ(w.m_vecTextItems[0].xText, L"10");
    EXPECT_EQ(w.m_vecTextItems[0].centerXText, L"60");
    EXPECT_EQ(w.m_vecTextItems[0].secondYText, L"20");
    w.m_pColorTarget = Find(L"Subtitlepalette");
    w.ApplyChosenColor(0xFFFF0000, true);  // opaque red
    EXPECT_EQ(w.m_vecTextItems[0].colorText, L"0000ff");
    EXPECT_EQ(w.m_vecTextItems[0].color, 0xFFFF0000);
    EXPECT_EQ(w.m_pColorTarget->GetBkColor(), 0xFFFF0000u);
    w.m_pColorTarget = Find(L"StrokeColor");  // its row's first child is the stroke swatch
    w.ApplyChosenColor(0xFF0000FF, false);
    EXPECT_EQ(w.m_vecTextItems[0].strokeColorText, L"ff0000");
    EXPECT_EQ(Find(L"StrokeColor")->GetBkColor(), 0xFF0000FFu);
    w.m_pTextLayerWnd = nullptr;
    ::DestroyWindow(layer.GetHWND());
    platform::headless::PumpMessages();
    WatermarkSettings = WatermarkStyle();
}

TEST_F(MainWndPagesTest, MusicPlacementFillsAfterADelayOnTheWindowsThread)
{
    CMainWnd& w = Open();
    w.m_strSubpageDuration = L"00:00:30";
    w.m_strSubpageDurationMs = L"5";
    w.m_pVideoTimersecond->SetText(L"07");
    w.FillMusicPlacementEdits(false, 100, 150, { L"", L"", L"", L"", L"00", L"00", L"30", L"5" });
    EXPECT_EQ(std::wstring(w.m_pVideoTimersecond->GetText().GetData()), L"07") << "not at once";
    // The delay runs on the real clock: a loaded machine may take long to reach it.
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         ValueOf(w.m_pMusicSlider) != 150 && std::chrono::steady_clock::now() < until;) {
        ::Sleep(10);
        platform::headless::PumpMessages();
    }
    EXPECT_EQ(std::wstring(w.m_pVideoTimersecond->GetText().GetData()), L"00");
    EXPECT_EQ(std::wstring(w.m_pVideoTimerMillsecond->GetText().GetData()), L"0");
    EXPECT_EQ(std::wstring(w.m_pVideoOversecond->GetText().GetData()), L"30");
    EXPECT_EQ(std::wstring(w.m_pVideoOverMillsecond->GetText().GetData()), L"5");
    EXPECT_EQ(ValueOf(w.m_pVideoSlider), 100);
    EXPECT_EQ(ValueOf(w.m_pMusicSlider), 150);
}

TEST_F(MainWndPagesTest, ASavedClipRowShowsItsStartButtonAgain)
{
    CMainWnd& w = Open();
    SkinUI::CHorizontalLayoutUI row;
    auto* progress = new SkinUI::CLabelUI();
    progress->SetFixedWidth(80);
    row.Add(progress);
    row.Add(new SkinUI::CControlUI());
    auto* middle = new SkinUI::CHorizontalLayoutUI();
    row.Add(middle);
    for (int i = 0; i < 6; ++i)
        middle->Add(new SkinUI::CControlUI());
    auto* buttons = new SkinUI::CVerticalLayoutUI();
    middle->Add(buttons);
    SkinUI::CControlUI* close = new SkinUI::CControlUI();
    SkinUI::CControlUI* start = new SkinUI::CControlUI();
    SkinUI::CControlUI* open = new SkinUI::CControlUI();
    for (SkinUI::CControlUI* c : { close, start, open })
        buttons->Add(c);
    start->SetVisible(false);
    w.m_pEditedClipRow = &row;
    w.ResetClipRowState();
    EXPECT_TRUE(start->IsVisible());
    EXPECT_FALSE(open->IsVisible());
    EXPECT_EQ(progress->GetFixedWidth(), 0);
    w.m_pEditedClipRow = nullptr;
}

TEST_F(MainWndPagesTest, AGifRowsRateChoiceGoesToThatRowsRecord)
{
    CMainWnd& w = Open();
    SkinUI::CHorizontalLayoutUI row;
    auto* name = new SkinUI::CLabelUI();
    name->SetUserData(L"Gif3");
    row.Add(name);
    SkinUI::CContainerUI* parent = &row;
    for (int i = 0; i < 3; ++i) {
        auto* box = new SkinUI::CHorizontalLayoutUI();
        parent->Add(box);
        parent = box;
    }
    auto* rate = new SkinUI::CLabelUI();
    rate->SetName(L"GifRate");
    rate->SetUserData(L"29.97");  // the file's own rate
    parent->Add(rate);
    row.SetManager(&w.GetPaintManager(), nullptr, false);  // parents are set with the manager
    GifListItem mine, other;
    mine.rowName = L"Gif3";
    other.rowName = L"Gif4";
    w.m_vecGifRows = { mine, other };
    SkinUI::TNotifyUI msg;
    msg.sType = L"itemselect";
    msg.pSender = rate;
    rate->SetText(L"15");
    w.OnItemSelect(msg);
    EXPECT_EQ(std::wstring(w.m_vecGifRows[0].frameRate.GetData()), L"15");
    EXPECT_TRUE(w.m_vecGifRows[1].frameRate.IsEmpty());
    rate->SetText(L"原始");
    w.OnItemSelect(msg);
    EXPECT_EQ(std::wstring(w.m_vecGifRows[0].frameRate.GetData()), L"29.97");
}
