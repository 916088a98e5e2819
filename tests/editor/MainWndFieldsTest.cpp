// The main window's time groups, markers, sliders, key stepping and other fields, on the real skin.
#include <gtest/gtest.h>

#include "MainWndFixture.h"
#include "editor/dialogs/OverlayShared.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DPI.h"
#include "ui/core/TabLayoutUI.h"

namespace {

std::wstring Text(SkinUI::CControlUI* control)
{
    return control ? control->GetText().GetData() : L"<none>";
}

int ValueOf(SkinUI::CControlUI* control)
{
    auto* bar = control ? static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress")) : nullptr;
    return bar ? bar->GetValue() : -1;
}

class MainWndFieldsTest : public MainWndFixture {
protected:
    // The cut page with a file of the given length "loaded": its duration texts and edits.
    CMainWnd& OpenCutPage(UINT dpi, const wchar_t* duration, int durationMs)
    {
        CMainWnd& w = Open(dpi);
        static_cast<SkinUI::COptionUI*>(w.m_ptabVideoCut->GetInterface(L"Option"))->Selected(true);
        w.m_pVideoCutAddFile->SetVisible(false);
        w.m_pVideoCutShow->SetVisible(true);
        Settle();
        w.m_strCutDuration = duration;
        w.m_nCutDurationMs = durationMs;
        w.m_bCutLoaded = 1;
        return w;
    }
    void SetGroup(SkinUI::CControlUI* h, SkinUI::CControlUI* m, SkinUI::CControlUI* s, SkinUI::CControlUI* f,
                  const wchar_t* texts[4])
    {
        SkinUI::CControlUI* fields[] = { h, m, s, f };
        for (int i = 0; i < 4; ++i)
            if (fields[i])
                fields[i]->SetText(texts[i]);
    }
    std::wstring CutStart()
    {
        return Text(m_window->m_pstartHour) + L":" + Text(m_window->m_pstartMinute) + L":" + Text(m_window->m_pstartsecound)
               + L"." + Text(m_window->m_pstartmillsecond);
    }
    std::wstring CutEnd()
    {
        return Text(m_window->m_pOVertHour) + L":" + Text(m_window->m_pOVerMinute) + L":" + Text(m_window->m_pOVersecound)
               + L"." + Text(m_window->m_pOVermillsecond);
    }
    void SetCutEnd(const wchar_t* h, const wchar_t* m, const wchar_t* s, const wchar_t* ms)
    {
        m_window->m_pOVertHour->SetText(h);
        m_window->m_pOVerMinute->SetText(m);
        m_window->m_pOVersecound->SetText(s);
        m_window->m_pOVermillsecond->SetText(ms);
    }
    void SetCutStart(const wchar_t* h, const wchar_t* m, const wchar_t* s, const wchar_t* ms)
    {
        m_window->m_pstartHour->SetText(h);
        m_window->m_pstartMinute->SetText(m);
        m_window->m_pstartsecound->SetText(s);
        m_window->m_pstartmillsecond->SetText(ms);
    }
    void Notify(SkinUI::CControlUI* sender, const wchar_t* type)
    {
        m_window->GetPaintManager().SendNotify(sender, type);
    }
};

}  // namespace

TEST_F(MainWndFieldsTest, CutTimesStayInOrderWithinTheFileAndPlaceTheMarkers)
{
    for (const UINT dpi : { 96u, 144u }) {
        SCOPED_TRACE(dpi);
        CMainWnd& w = OpenCutPage(dpi, L"00:01:40", 100000);
        auto S = [&](int v) { return w.ScaleByDpi(v); };
        SetCutStart(L"00", L"00", L"00", L"000");
        SetCutEnd(L"00", L"00", L"50", L"000");
        EXPECT_EQ(CutEnd(), L"00:00:50.000");
        // 50 s of 100 s: the end marker sits half-way along the 608-wide track, behind the origin marker.
        const int half = static_cast<int>(S(608) * 500 / 1000);
        EXPECT_EQ(w.m_pend->GetPos().left, S(197) + half + S(6));
        EXPECT_EQ(ValueOf(w.m_psliderPlay), 500);

        w.m_pstartsecound->SetText(L"15");  // 15 s: in range
        EXPECT_EQ(w.m_pstart->GetPos().left, S(197) + static_cast<int>(S(608) * 150 / 1000));
        w.m_pstartsecound->SetText(L"55");  // after the end: the start takes the end's time
        EXPECT_EQ(CutStart(), L"00:00:50.000");
        EXPECT_LE(w.m_pstart->GetPos().right, w.m_pend->GetPos().left);
        EXPECT_FALSE(w.m_plabel->IsVisible()) << "markers touching: no range bar";

        SetCutStart(L"00", L"00", L"00", L"000");
        w.m_pOVerMinute->SetText(L"75");  // within the file, above 60: written back as 59 ...
        EXPECT_EQ(Text(w.m_pOVerMinute), L"01");  // ... but 01:75 is past 01:40: the file's end
        EXPECT_EQ(CutEnd(), L"00:01:40.000");
        EXPECT_EQ(w.m_pend->GetPos().left, S(811)) << "at the media's end the end marker takes its end place";
        SetCutEnd(L"00", L"00", L"30", L"000");
        w.m_pOVersecound->SetText(L"60");
        EXPECT_EQ(Text(w.m_pOVersecound), L"60") << "60 is kept";
        w.m_pOVersecound->SetText(L"75");
        EXPECT_EQ(Text(w.m_pOVersecound), L"59");
        TearDown();
    }
}

TEST_F(MainWndFieldsTest, CutEndPastTheFileTakesTheFileLength)
{
    CMainWnd& w = OpenCutPage(96, L"01:20:30", 4830000);
    SetCutStart(L"00", L"00", L"00", L"000");
    SetCutEnd(L"00", L"00", L"00", L"000");
    w.m_pOVertHour->SetText(L"02");
    EXPECT_EQ(CutEnd(), L"01:20:30.000");
    w.m_bCutLoaded = 0;  // without a file the start is not pulled back
    SetCutEnd(L"00", L"00", L"10", L"000");
    w.m_pstartsecound->SetText(L"15");
    EXPECT_EQ(Text(w.m_pstartsecound), L"15");
}

TEST_F(MainWndFieldsTest, AMarkerDragWritesTheEditsWithoutMovingTheMarkersBack)
{
    CMainWnd& w = OpenCutPage(96, L"00:01:40", 100000);
    SetCutEnd(L"00", L"01", L"40", L"000");
    const RECT end = w.m_pend->GetPos();
    RECT start = w.m_pstart->GetPos();
    start.left += 304;
    start.right += 304;
    w.m_pstart->SetPos(start);
    PageKey = L"VideoCut";
    Notify(w.m_pstart, L"progresspos");
    EXPECT_EQ(ValueOf(w.m_psliderPlay), static_cast<int>((start.left - 197) * 1.0 / 608 * 1000));
    EXPECT_EQ(ValueOf(w.m_pprogress), ValueOf(w.m_psliderPlay));
    EXPECT_EQ(w.m_pstart->GetPos().left, start.left) << "the edits written by the drag did not place the marker";
    EXPECT_EQ(w.m_pend->GetPos().left, end.left);
    EXPECT_EQ(w.m_bCutSync, 1);
    EXPECT_TRUE(w.m_plabel->IsVisible());
    const int before = static_cast<int>(w.m_vecPlayRanges.size());
    Notify(w.m_pstart, L"playvideo");
    ASSERT_EQ(static_cast<int>(w.m_vecPlayRanges.size()), before + 1);
    EXPECT_EQ(std::wstring(w.m_vecPlayRanges.back().end[1].GetData()), L"01");
}

TEST_F(MainWndFieldsTest, WithoutAKnownLengthTheMarkersStayAtTheOrigin)
{
    CMainWnd& w = OpenCutPage(96, L"", 0);
    w.PlaceCutMarker(5000, 0, true);
    EXPECT_EQ(w.m_pstart->GetPos().left, 197);
    EXPECT_EQ(ValueOf(w.m_psliderPlay), 0);
    w.PlaceScreenMarker(5, false);  // no screenshot media either
    EXPECT_EQ(ValueOf(w.m_pScreenSlider), 0);
    w.m_strShotDuration = L"";
    w.m_nSplitDuration = 0;
    w.m_pstartSegmensecond->SetText(L"5");  // the split point: no division, nothing moves
    EXPECT_EQ(ValueOf(w.m_pSegmenSliderPlay), 0);
}

TEST_F(MainWndFieldsTest, SplitPointReadsHundredthsAndIsClampedToTheFileInHundredths)
{
    CMainWnd& w = Open();
    struct Case {
        int durationMs;
        const wchar_t* typed[4];  // hours, minutes, seconds, hundredths
        const wchar_t* shown;     // the group after the change
        int slider;
        const wchar_t* label;
    };
    const Case cases[] = {
        { 125678, { L"00", L"09", L"00", L"00" }, L"00:02:05.67", 1000, L"00:02:05/00:02:05" },  // past the file: its length, milliseconds dropped
        { 10500, { L"00", L"00", L"11", L"00" }, L"00:00:10.50", 1000, L"00:00:10/00:00:10" },
        { 60005, { L"00", L"05", L"00", L"00" }, L"00:01:00.00", 1000, L"00:01:00/00:01:00" },
        { 10500, { L"00", L"00", L"10", L"50" }, L"00:00:10.50", 1000, L"00:00:10/00:00:10" },  // exactly the length: kept
        { 125678, { L"00", L"00", L"10", L"50" }, L"00:00:10.50", static_cast<int>(10500.0 / 125678 * 1000), L"00:00:10/00:02:05" },
        { 125678, { L"00", L"00", L"75", L"00" }, L"00:00:75.00", static_cast<int>(75000.0 / 125678 * 1000),
          L"00:01:15/00:02:05" },  // 75 s counts as 75 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.durationMs << " ms, " << WideToUtf8(c.shown));
        w.m_nSplitDuration = 0;  // fill the group without handling, then type its last field
        w.m_pstartSegmenHour->SetText(c.typed[0]);
        w.m_pstartSegmenminute->SetText(c.typed[1]);
        w.m_pstartSegmenMillsecond->SetText(c.typed[3]);
        w.m_pstartSegmensecond->SetText(L"");
        w.m_nSplitDuration = c.durationMs;
        w.m_pstartSegmensecond->SetText(c.typed[2]);
        EXPECT_EQ(Text(w.m_pstartSegmenHour) + L":" + Text(w.m_pstartSegmenminute) + L":" + Text(w.m_pstartSegmensecond)
                      + L"." + Text(w.m_pstartSegmenMillsecond),
                  c.shown);
        EXPECT_EQ(ValueOf(w.m_pSegmenSliderPlay), c.slider);
        EXPECT_EQ(Text(w.m_pSegemshowtime), c.label);
    }
}

TEST_F(MainWndFieldsTest, SubtitleTimesFillTheDefaultItemAndReadTenthsAsTenths)
{
    CMainWnd& w = Open();
    w.m_strSubpageDuration = L"00:00:30";
    w.m_strSubpageDurationMs = L"0";
    w.m_nClipDuration = 30000;
    w.m_psubtitleOverHour->SetText(L"00");
    w.m_psubtitleOverminute->SetText(L"00");
    w.m_psubtitleOversecond->SetText(L"20");
    w.m_psubtitleOverMillsecond->SetText(L"5");
    EXPECT_EQ(w.m_textItem.endText, L"00:00:20.5");
    w.m_psubtitleTimersecond->SetText(L"02");
    EXPECT_EQ(w.m_textItem.startText, L"00:00:02.0");
    // While the layer fills the times no checks apply; with no layer item the default item follows.
    w.m_bSubtitleClampOff = 1;
    w.m_psubtitleTimerMillsecond->SetText(L"5");
    EXPECT_EQ(w.m_textItem.startText, L"00:00:02.5");
    w.m_bSubtitleClampOff = 0;
}

TEST_F(MainWndFieldsTest, KeysAndWheelStepTheFocusedFieldAndWalkTheCutGroups)
{
    CMainWnd& w = OpenCutPage(96, L"00:01:40", 100000);
    SetCutEnd(L"00", L"01", L"40", L"000");
    SetCutStart(L"00", L"00", L"58", L"999");
    w.m_pstartmillsecond->SetFocus();
    ASSERT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartmillsecond);
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(CutStart(), L"00:00:59.000");
    ::SendMessage(w.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(CutStart(), L"00:00:58.999");
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartsecound);
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartmillsecond);
    w.m_pstartHour->SetFocus();
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_LEFT, 0);  // nothing left of the hours
    EXPECT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartHour);

    // The music range steps under the keys by its tenths, as under its spin buttons.
    SkinUI::CControlUI* music[] = { w.m_pStartMusicHour, w.m_pStartMusicMinute, w.m_pStartMusicSecond, w.m_pStartMusicMillSecond };
    const wchar_t* musicTexts[] = { L"00", L"00", L"09", L"9" };
    SetGroup(music[0], music[1], music[2], music[3], musicTexts);
    Reveal(w.m_pStartMusicMillSecond);
    w.m_pStartMusicMillSecond->SetFocus();
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Text(w.m_pStartMusicSecond) + L"." + Text(w.m_pStartMusicMillSecond), L"10.0");

    CropCanvasWidth = 600;
    CropCanvasHeight = 340;
    w.m_pXwidth->SetText(L"586");
    w.m_pcut_width->SetText(L"14");
    w.m_pXwidth->SetFocus();
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Text(w.m_pXwidth), L"586") << "the crop's left keeps 14 pixels from the edge";
    w.m_pcut_width->SetFocus();
    ::SendMessage(w.GetHWND(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Text(w.m_pcut_width), L"14") << "the smallest crop";
    EXPECT_EQ(w.m_bCropFromEdits, 1);
}

TEST_F(MainWndFieldsTest, CropEditsStayOnTheCanvasEvenWhenItIsSmallerThanTheMinimum)
{
    CMainWnd& w = Open();
    struct Case { int canvasW, canvasH; const wchar_t* field; const wchar_t* typed; const wchar_t* x; const wchar_t* y;
                  const wchar_t* width; const wchar_t* height; const wchar_t* wantX; const wchar_t* wantY;
                  const wchar_t* wantW; const wchar_t* wantH; };
    const Case cases[] = {
        { 600, 340, L"Xwidth", L"590", L"0", L"0", L"100", L"100", L"586", L"0", L"14", L"100" },
        { 600, 340, L"cut_width", L"700", L"50", L"0", L"100", L"100", L"0", L"0", L"600", L"100" },
        { 600, 340, L"cut_width", L"200", L"500", L"0", L"100", L"100", L"400", L"0", L"200", L"100" },
        { 600, 340, L"Yheight", L"330", L"0", L"0", L"100", L"100", L"0", L"326", L"100", L"14" },
        { 0, 0, L"Xwidth", L"5", L"0", L"0", L"0", L"0", L"0", L"0", L"0", L"0" },  // no picture size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToAnsi(std::wstring(c.field) + L"=" + c.typed));
        CropCanvasWidth = c.canvasW;
        CropCanvasHeight = c.canvasH;
        w.m_bCropFromEdits = 0;
        w.m_pXwidth->SetText(c.x);
        w.m_pYheight->SetText(c.y);
        w.m_pcut_width->SetText(c.width);
        w.m_pcut_height->SetText(c.height);
        w.m_bCropFromEdits = 1;
        Find(c.field)->SetText(c.typed);
        EXPECT_EQ(Text(w.m_pXwidth), c.wantX);
        EXPECT_EQ(Text(w.m_pYheight), c.wantY);
        EXPECT_EQ(Text(w.m_pcut_width), c.wantW);
        EXPECT_EQ(Text(w.m_pcut_height), c.wantH);
    }
}

TEST_F(MainWndFieldsTest, SuffixAndAdjustBoxesKeepTheirForm)
{
    CMainWnd& w = Open();
    struct Case { const wchar_t* field; const wchar_t* typed; const wchar_t* want; };
    const Case cases[] = {
        { L"ScreenTimeInterval", L"", L"s" }, { L"ScreenTimeInterval", L"10", L"10s" },
        { L"ScreenTimeInterval", L"s2", L"2s" }, { L"ScreenTimeInterval", L"5s", L"5s" },
        { L"PicScaling", L"80%5", L"80%" }, { L"PicScaling", L"75", L"75%" }, { L"PicScaling", L"80%", L"80%" },
        { L"saturationRich", L"250", L"200" }, { L"brighRich", L"150", L"150" },
    };
    for (const Case& c : cases) {
        Find(c.field)->SetText(c.typed);
        EXPECT_EQ(Text(Find(c.field)), c.want) << WideToAnsi(c.field) << " " << WideToAnsi(c.typed);
    }
    EXPECT_EQ(ValueOf(w.m_psaturationPro), 200);
    EXPECT_EQ(ValueOf(Find(L"saturationSlider")), 200);
    EXPECT_EQ(ValueOf(w.m_pbrightPro), 150);
}

TEST_F(MainWndFieldsTest, SlidersDriveTheirBarsLabelsAndStyle)
{
    CMainWnd& w = Open();
    WatermarkSettings = WatermarkStyle();
    auto slide = [&](const wchar_t* name, int value) {
        auto* slider = static_cast<SkinUI::CSliderUI*>(Find(name)->GetInterface(L"Slider"));
        slider->SetValue(value);
        Notify(slider, L"valuechanged");
    };
    slide(L"SoundSlider", 200);
    EXPECT_EQ(ValueOf(w.m_pSoundPro), 200);
    EXPECT_EQ(w.m_nCutVolume, 200);
    auto* soundLabel = static_cast<SkinUI::CLabelUI*>(
        static_cast<SkinUI::CContainerUI*>(w.m_pSoundSlider->GetParent()->GetParent()->GetInterface(L"Container"))->GetItemAt(1));
    EXPECT_EQ(Text(soundLabel), L"200");
    EXPECT_EQ(soundLabel->GetTextPadding().left, 175);
    slide(L"VideoSlider", 200);
    EXPECT_EQ(Text(w.m_pVideoValue), L"200");
    slide(L"MarkSlider", 128);
    EXPECT_EQ(Text(w.m_pMaskInfo), L"50%");
    EXPECT_EQ(WatermarkSettings.textAlpha, 128);
    slide(L"SubtitleMarkSlider", 0);
    EXPECT_EQ(WatermarkSettings.textAlpha, 255);
    auto* sizes = static_cast<SkinUI::CComboUI*>(w.m_pSubtitleFontSize->GetInterface(L"Combo"));
    for (int i = 0; i < sizes->GetCount(); ++i)
        if (sizes->GetItemAt(i)->GetText() == L"28")
            sizes->SelectItem(i);
    ASSERT_EQ(Text(w.m_pSubtitleFontSize), L"28");
    slide(L"SubtitleSizeSlider", 50);
    EXPECT_EQ(WatermarkSettings.size, 14);
    slide(L"brightSlider", 150);
    EXPECT_EQ(Text(w.m_pbrighRich), L"150");
    w.m_nCutDurationMs = 83000;  // no media in the player: the label falls back to the stored length
    slide(L"sliderPlay", 1000);
    EXPECT_EQ(Text(w.m_pshowtime), L"00:00:00/00:01:23");
    w.m_bPlayerReady = 0;  // a player being reopened: sliders do nothing else
    slide(L"SoundSlider", 10);
    EXPECT_EQ(w.m_nCutVolume, 200);
    w.m_bPlayerReady = 1;
    WatermarkSettings = WatermarkStyle();
}

TEST_F(MainWndFieldsTest, FocusIsRememberedPerGroupAndColoursSwap)
{
    CMainWnd& w = Open();
    SkinUI::TNotifyUI msg;
    msg.sType = L"setfocus";
    msg.pSender = w.m_pOVertHour;
    w.OnFieldFocus(msg);
    EXPECT_EQ(w.m_pSplitFocus, nullptr);
    EXPECT_EQ(w.m_pMusicFocus, nullptr);
    msg.pSender = w.m_pOverMusicSecond;
    w.OnFieldFocus(msg);
    EXPECT_EQ(w.m_pMusicFocus, w.m_pOverMusicSecond);
    msg.pSender = w.m_psubtitleTimerMillsecond;
    w.OnFieldFocus(msg);
    EXPECT_EQ(w.m_pSubtitleStartFocus, w.m_psubtitleTimerMillsecond);
    int colour = 0x00112233;
    EXPECT_EQ(CMainWnd::SwapRedBlue(colour), 0x00332211);
    colour = static_cast<int>(0xFF112233);
    EXPECT_EQ(CMainWnd::SwapRedBlue(colour), 0x00332211);
}

TEST_F(MainWndFieldsTest, ACutRangeSetByTypingAndByDraggingReadsBackFromTheFields)
{
    const std::string clip = FreshFolder("clip") + "/in put.mp4";
    const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc=duration=2:size=160x120:rate=25 -pix_fmt yuv420p \""
                             + clip + "\" </dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    CMainWnd& w = Open();
    ASSERT_TRUE(w.WaitForWorkers(10000));  // the start-up's warm-up of the cut preview is over
    static_cast<SkinUI::COptionUI*>(w.m_ptabVideoCut->GetInterface(L"Option"))->Selected(true);
    w.m_strCutFile = AnsiToWide(clip);
    w.LoadCutPageFile(w.m_strCutFile);
    Settle();
    ASSERT_EQ(w.m_bCutLoaded, 1);
    ASSERT_GT(w.m_nCutDurationMs, 1500);
    EXPECT_EQ(CutEnd(), L"00:00:02." + FormatWide(L"%03d", w.m_nCutDurationMs % 1000));

    w.m_pstartsecound->SetText(L"01");  // typed: the start marker moves to 1 s of the file
    EXPECT_EQ(CutStart(), L"00:00:01.000");
    const int x = static_cast<int>(608 * (1000.0 / w.m_nCutDurationMs * 1000) / 1000);
    EXPECT_EQ(w.m_pstart->GetPos().left, 197 + x);
    EXPECT_TRUE(w.m_plabel->IsVisible());

    // Dragged: the end handle is moved and reports; slider, progress and the end fields follow.
    RECT end = w.m_pend->GetPos();
    end.left = 197 + 456;
    end.right = end.left + 6;
    w.m_pend->SetPos(end);
    Notify(w.m_pend, L"progressendpos");
    EXPECT_EQ(ValueOf(w.m_psliderPlay), static_cast<int>((456 - 0) * 1.0 / 608 * 1000));
    EXPECT_EQ(ValueOf(w.m_pprogress), ValueOf(w.m_psliderPlay));
    for (SkinUI::CControlUI* field : { w.m_pOVertHour, w.m_pOVerMinute, w.m_pOVersecound })
        EXPECT_EQ(Text(field).size(), 2u) << "a clock field: " << WideToAnsi(Text(field));
    EXPECT_EQ(Text(w.m_pOVermillsecond).size(), 3u);
    Notify(w.m_pend, L"playvideo");
    ASSERT_FALSE(w.m_vecPlayRanges.empty());
    EXPECT_EQ(std::wstring(w.m_vecPlayRanges.back().start[2].GetData()), L"01");
    EXPECT_EQ(std::wstring(w.m_vecPlayRanges.back().end[3].GetData()), Text(w.m_pOVermillsecond));
}

// Real keys into a two-digit time field: the editing keys pass the window's key filter, and a full
// field takes digits by overwriting.
TEST_F(MainWndFieldsTest, TimeFieldsTakeTheUsualEditingKeys)
{
    namespace hl = platform::headless;
    enum Step { Back, Delete, Home, End, SelectAll };
    const struct {
        const char* name;
        std::vector<Step> keys;
        const wchar_t* typed;
        const wchar_t* want;
    } cases[] = {
        { "backspace then digits", { Back }, L"34", L"34" },
        { "select all then digits", { SelectAll }, L"05", L"05" },
        { "home, delete", { Home, Delete }, L"", L"2" },
        { "end then a digit", { Home, End }, L"3", L"23" },
        { "a letter stays out", { SelectAll }, L"a", L"12" },
    };
    CMainWnd& w = OpenCutPage(96, L"00:01:40", 100000);
    SetCutEnd(L"00", L"01", L"40", L"000");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetCutStart(L"00", L"00", L"12", L"000");
        w.m_pstartsecound->SetFocus();
        Settle();
        for (Step key : c.keys) {
            if (key == SelectAll) {
                hl::KeyDown(VK_CONTROL);
                hl::PressKey('A');
                hl::KeyUp(VK_CONTROL);
            } else {
                hl::PressKey(key == Back ? VK_BACK : key == Delete ? VK_DELETE : key == Home ? VK_HOME : VK_END);
            }
            hl::PumpMessages();
        }
        for (wchar_t ch : std::wstring(c.typed)) {
            const int vk = ch >= L'0' && ch <= L'9' ? ch : 'A';
            hl::KeyDown(vk, std::wstring(1, ch));
            hl::KeyUp(vk);
            hl::PumpMessages();
        }
        EXPECT_EQ(Text(w.m_pstartsecound), c.want);
    }

    SkinUI::CControlUI* interval = Find(L"ScreenTimeInterval");
    Reveal(interval);
    interval->SetFocus();
    Settle();
    hl::KeyDown(VK_CONTROL);
    hl::PressKey('A');
    hl::KeyUp(VK_CONTROL);
    hl::PressKey(VK_BACK);
    hl::PressKey('2');
    hl::PumpMessages();
    EXPECT_EQ(Text(interval), L"2s") << "the unit stays behind the typed digits";
}

// The skin's slider thumbs and combo arrows are pictures drawn for every scale: at 100 % and at
// 150 % the thumb shows white over the bar and the chevron shows light at the combo's right end.
TEST_F(MainWndFieldsTest, SliderThumbsAndComboArrowsAreDrawnAtEveryScale)
{
    namespace hl = platform::headless;
    auto brightest = [](const std::vector<uint32_t>& pixels) {
        int best = 0;
        for (uint32_t p : pixels)
            best = std::max(best, static_cast<int>(std::min({ (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF })));
        return best;
    };
    for (UINT dpi : { 96u, 144u }) {
        SCOPED_TRACE(dpi);
        CMainWnd& w = Open(dpi);
        auto* slider = static_cast<SkinUI::CSliderUI*>(Find(L"brightSlider")->GetInterface(L"Slider"));
        SkinUI::CControlUI* combo = Find(L"Speed");
        ASSERT_NE(slider, nullptr);
        ASSERT_NE(combo, nullptr);
        SkinUI::CControlUI* page = slider;
        while (page && page->GetParent() != w.m_ptab_Tran)
            page = page->GetParent();
        ASSERT_NE(page, nullptr);
        static_cast<SkinUI::CTabLayoutUI*>(w.m_ptab_Tran->GetInterface(L"TabLayout"))->SelectItem(page);
        w.m_pOptimization->SetVisible(false);  // the page with a file loaded
        Reveal(slider);
        Reveal(combo);
        Settle();
        RECT frame {};
        ::GetWindowRect(w.GetHWND(), &frame);
        const RECT thumb = slider->GetThumbRect();
        const int cx = frame.left + (thumb.left + thumb.right) / 2, cy = frame.top + (thumb.top + thumb.bottom) / 2;
        EXPECT_GT(brightest(hl::Capture({ cx - 1, cy - 1, cx + 1, cy + 1 })), 230) << "the thumb's white disc";

        const double s = dpi / 96.0;
        const RECT pos = combo->GetPos();
        const int middle = frame.top + (pos.top + pos.bottom) / 2;
        const RECT arrow { frame.left + pos.right - static_cast<int>(14 * s), middle - static_cast<int>(4 * s),
                           frame.left + pos.right - static_cast<int>(6 * s), middle + static_cast<int>(4 * s) };
        EXPECT_GT(brightest(hl::Capture(arrow)), 110) << "the drop-down chevron";
        ::DestroyWindow(w.GetHWND());
        hl::PumpMessages();
        w.WaitForWorkers(5000);
        delete m_window;
        m_window = nullptr;
    }
}

// A release of the mouse lets the picture size slider take the picture's centre anew a moment
// later; the text watermark's recentring is not touched.
TEST_F(MainWndFieldsTest, AMouseReleaseLetsThePictureSizeTakeANewCentre)
{
    CMainWnd& w = Open();
    PictureRecenterFlag = 0;
    WatermarkRecenterFlag = 0;
    ::SendMessage(w.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    const DWORD start = ::GetTickCount();
    while (PictureRecenterFlag == 0 && ::GetTickCount() - start < 10000)
        platform::headless::PumpMessages();
    EXPECT_EQ(PictureRecenterFlag, 1);
    EXPECT_EQ(WatermarkRecenterFlag, 0);
}
