// The cut, adjust and multi-clip pages' buttons, clicked by name on the real skin on the headless
// display, with the file chooser answered by the desktop-dialog hook and real clips.
#include <gtest/gtest.h>

#include <filesystem>

#include "DialogTestSupport.h"
#include "IncomingFilesFixture.h"
#include "PageCommandsFixture.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "editor/dialogs/ShowProgress.h"
#include "media/MediaProbe.h"
#include "platform/CommDlg.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/RichEditUI.h"
#include "ui/controls/SliderUI.h"

namespace hl = platform::headless;

namespace {

int ValueOf(SkinUI::CControlUI* control)
{
    auto* bar = control ? static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress")) : nullptr;
    return bar ? bar->GetValue() : -1;
}

std::wstring TextOf(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

int SelectedIndex(SkinUI::CControlUI* combo)
{
    return static_cast<SkinUI::CComboUI*>(combo->GetInterface(L"Combo"))->GetCurSel();
}

bool IsSelected(SkinUI::CControlUI* option)
{
    return static_cast<SkinUI::COptionUI*>(option->GetInterface(L"Option"))->IsSelected();
}

// Counts the selection notifications the window's controls raise.
class SelectionCounter : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyUI& msg) override
    {
        if (msg.sType == L"itemselect" || msg.sType == L"selectchanged" || msg.sType == L"unselected")
            ++count;
    }
    int count = 0;
};

class PageCommands : public incoming::MainWindowFixture {
protected:
    void SetUp() override
    {
        incoming::MainWindowFixture::SetUp();
        // Record every notice; never ask to open a file manager.
        CMessageWnd::SetAnswerer([this](const CMessageWnd& box) {
            notices.push_back(box.GetMessageText());
            return 2;
        });
    }
    void TearDown() override
    {
        platform::SetDesktopDialogHook(nullptr);
        CMainWnd::SetSettingsDialogHook(nullptr);
        incoming::MainWindowFixture::TearDown();
    }
    // The file chooser answers these paths (none: cancelled), and counts its questions.
    void Choose(std::vector<std::wstring> paths)
    {
        platform::SetDesktopDialogHook([this, paths](const std::vector<std::string>&, std::string& out) {
            ++chooserRuns;
            out.clear();
            for (size_t i = 0; i < paths.size(); ++i)
                out += (i ? "//" : "") + WideToUtf8(paths[i]);
            out += "\n";
            return paths.empty() ? 1 : 0;
        });
    }
    SkinUI::CControlUI* Find(const wchar_t* name) { return window->GetPaintManager().FindControl(name); }
    void Click(const wchar_t* name)
    {
        SkinUI::TNotifyUI msg;
        msg.sType = L"click";
        msg.pSender = Find(name);
        ASSERT_NE(msg.pSender, nullptr) << WideToUtf8(name);
        window->OnClick(msg);
    }
    std::vector<std::wstring> CutFields()
    {
        std::vector<std::wstring> texts;
        for (SkinUI::CControlUI* edit : { window->m_pstartHour, window->m_pstartMinute, window->m_pstartsecound,
                                          window->m_pstartmillsecond, window->m_pOVertHour, window->m_pOVerMinute,
                                          window->m_pOVersecound, window->m_pOVermillsecond })
            texts.push_back(TextOf(edit));
        return texts;
    }
    void SetCutFields(const std::vector<std::wstring>& texts)
    {
        SkinUI::CControlUI* edits[] = { window->m_pstartHour, window->m_pstartMinute, window->m_pstartsecound,
                                        window->m_pstartmillsecond, window->m_pOVertHour, window->m_pOVerMinute,
                                        window->m_pOVersecound, window->m_pOVermillsecond };
        for (size_t i = 0; i < texts.size(); ++i)
            edits[i]->SetText(texts[i].c_str());
    }
    void SetAdjustOptions()
    {
        static_cast<SkinUI::CComboUI*>(window->m_pSpeed->GetInterface(L"Combo"))->SelectItem(10, false);  // 1.5x
        static_cast<SkinUI::COptionUI*>(window->m_pSpin->GetInterface(L"Option"))->Selected(true);
        static_cast<SkinUI::CComboUI*>(Find(L"Comspin")->GetInterface(L"Combo"))->SelectItem(1, false);  // 90°
        static_cast<SkinUI::CComboUI*>(window->m_pVideoAcpect->GetInterface(L"Combo"))->SelectItem(4, false);  // 16:9
        static_cast<SkinUI::COptionUI*>(window->m_pUpsideDown->GetInterface(L"Option"))->Selected(true);
    }
    void ExpectAdjustDefaults()
    {
        EXPECT_EQ(TextOf(window->m_pSpeed), L"1.0x");
        EXPECT_EQ(SelectedIndex(Find(L"Comspin")), 0);
        EXPECT_FALSE(IsSelected(window->m_pSpin));
        EXPECT_EQ(SelectedIndex(window->m_pVideoAcpect), 0);
        EXPECT_FALSE(IsSelected(window->m_pUpsideDown));
    }

    int chooserRuns = 0;
};

}  // namespace

TEST(CutTimeTexts, OneReadingGivesEveryField)
{
    struct Case {
        int64_t ms;
        const wchar_t *hours, *minutes, *seconds, *milliseconds;
    };
    const Case cases[] = {
        { 0, L"00", L"00", L"00", L"" },           // below 100 ms: the milliseconds stay as they were
        { 99, L"00", L"00", L"00", L"" },
        { 100, L"00", L"00", L"00", L"100" },
        { 65432, L"00", L"01", L"05", L"432" },
        { 1999, L"00", L"00", L"01", L"999" },     // never the next second's milliseconds
        { 2003, L"00", L"00", L"02", L"003" },
        { 3723004, L"01", L"02", L"03", L"004" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        const CutTimeTexts texts = CutTimeTextsAt(c.ms);
        EXPECT_EQ(texts.hours, c.hours);
        EXPECT_EQ(texts.minutes, c.minutes);
        EXPECT_EQ(texts.seconds, c.seconds);
        EXPECT_EQ(texts.milliseconds, c.milliseconds);
    }
}

TEST_F(PageCommands, CutPageLoadsChosenFilesAndRefusesTheRest)
{
    const std::wstring clip = incoming::VideoWithSound("cut source.mp4", 2);
    ASSERT_FALSE(clip.empty());
    incoming::ShowPageOf(*window, window->m_pVideoCutShow);

    Choose({});  // cancelled
    Click(L"TranAddFile");
    Choose({ L"/nowhere/film.QLV" });
    Click(L"TranAddFile");
    EXPECT_EQ(chooserRuns, 2);
    EXPECT_TRUE(window->m_strCutFile.empty());
    EXPECT_FALSE(window->m_pVideoCutShow->IsVisible());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], L"抱歉！此视频文件格式暂不支持。");

    Choose({ clip });
    Click(L"TranAddFile");
    EXPECT_EQ(window->m_strCutFile, clip);
    EXPECT_TRUE(window->m_pVideoCutShow->IsVisible());
    EXPECT_EQ(CutFields(), (std::vector<std::wstring> { L"00", L"00", L"00", L"000", L"00", L"00", L"02", L"000" }));

    // Changing the file: the pause button shows while the new file plays.
    window->m_pbtnPause->SetVisible(false);
    window->m_pbtnPlay->SetVisible(true);
    const std::wstring second = incoming::VideoWithSound("second cut.mp4", 3);
    Choose({ second });
    Click(L"ChangeVideo");
    EXPECT_EQ(window->m_strCutFile, second);
    EXPECT_TRUE(window->m_pbtnPause->IsVisible());
    EXPECT_FALSE(window->m_pbtnPlay->IsVisible());
    EXPECT_EQ(TextOf(window->m_pOVersecound), L"03");
    EXPECT_TRUE(Settle());
}

TEST_F(PageCommands, TakingTheTimeOfAStoppedPreviewKeepsTheMillisecondsAndTheRange)
{
    SetCutFields({ L"01", L"02", L"03", L"456" });
    const size_t ranges = window->m_vecPlayRanges.size();
    Click(L"start_bu");  // nothing plays: 0 ms
    EXPECT_EQ(CutFields()[0], L"00");
    EXPECT_EQ(CutFields()[1], L"00");
    EXPECT_EQ(CutFields()[2], L"00");
    EXPECT_EQ(CutFields()[3], L"456");
    EXPECT_EQ(window->m_vecPlayRanges.size(), ranges) << "the range is taken over only with milliseconds";
}

TEST_F(PageCommands, UndoStepsBackThroughTheRangesAndEndsAtTheWholeFile)
{
    window->m_strCutDuration = L"00:00:10";
    window->m_nCutDurationMs = 10250;
    const std::vector<std::wstring> whole { L"00", L"00", L"00", L"000", L"00", L"00", L"10", L"250" };
    const std::vector<std::vector<std::wstring>> ranges {
        { L"00", L"00", L"01", L"000", L"00", L"00", L"02", L"000" },
        { L"00", L"00", L"03", L"000", L"00", L"00", L"04", L"000" },
        { L"00", L"00", L"05", L"000", L"00", L"00", L"06", L"000" },
    };
    for (const auto& range : ranges) {
        SetCutFields(range);
        window->UpdateCutPlayRange();
    }
    Click(L"videoPlayReturn");
    EXPECT_EQ(CutFields(), ranges[1]);
    ASSERT_EQ(window->m_vecPlayRanges.size(), 1u);
    EXPECT_EQ(std::wstring(window->m_vecPlayRanges[0].start[2].GetData()), L"01");

    Click(L"videoPlayReturn");  // one entry: the whole file
    EXPECT_EQ(CutFields(), whole);
    EXPECT_TRUE(window->m_vecPlayRanges.empty());

    SetCutFields(ranges[2]);
    Click(L"videoPlayReturn");  // none: the whole file as well
    EXPECT_EQ(CutFields(), whole);
    SetCutFields(ranges[2]);
    Click(L"videoPlayReset");
    EXPECT_EQ(CutFields(), whole);
}

TEST_F(PageCommands, VolumeStepsStayWithinTheirRangeAndMoveTheNumber)
{
    struct Case {
        int from;
        const wchar_t* button;
        int to, padding;
    };
    const Case cases[] = {
        { 200, L"increase", 200, 175 }, { 0, L"Reduce", 0, 35 }, { 99, L"increase", 100, 105 }, { 150, L"Reduce", 149, 139 },
    };
    auto* slider = static_cast<SkinUI::CSliderUI*>(window->m_pSoundSlider->GetInterface(L"Slider"));
    SkinUI::CControlUI* box = window->m_pSoundSlider->GetParent()->GetParent();
    auto* number = static_cast<SkinUI::CLabelUI*>(
        static_cast<SkinUI::IContainerUI*>(box->GetInterface(L"IContainer"))->GetItemAt(1)->GetInterface(L"Label"));
    ASSERT_NE(number, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + WideToUtf8(c.button));
        slider->SetValue(c.from);
        Click(c.button);
        EXPECT_EQ(slider->GetValue(), c.to);
        EXPECT_EQ(ValueOf(window->m_pSoundPro), c.to);
        EXPECT_EQ(window->m_nCutVolume, c.to);
        EXPECT_EQ(TextOf(number), std::to_wstring(c.to));
        EXPECT_EQ(number->GetTextPadding().left, c.padding);
    }
}

TEST_F(PageCommands, AdjustPageLoadsAndItsResetsPutEachPartBack)
{
    const std::wstring clip = incoming::VideoWithSound("adjust source.mp4", 2);
    ASSERT_FALSE(clip.empty());
    incoming::ShowPageOf(*window, window->m_pOptimization);
    Choose({ L"/nowhere/a.kux" });
    Click(L"OptimizationAddFile");
    EXPECT_TRUE(window->m_pOptimization->IsVisible()) << "a refused file leaves the placeholder";
    EXPECT_EQ(notices.size(), 1u);

    Choose({ clip });
    Click(L"OptimizationAddFile");
    EXPECT_FALSE(window->m_pOptimization->IsVisible());
    EXPECT_TRUE(window->m_pOptimizationSet->IsVisible());
    EXPECT_EQ(window->m_strAdjustSourcePath, clip);

    // A picture row's reset: slider, bar and value back to 100.
    window->m_pbrighRich->SetText(L"150");
    ASSERT_EQ(ValueOf(Find(L"brightSlider")), 150);
    Click(L"brightReset");
    EXPECT_EQ(ValueOf(Find(L"brightSlider")), 100);
    EXPECT_EQ(ValueOf(window->m_pbrightPro), 100);
    EXPECT_EQ(TextOf(window->m_pbrighRich), L"100");

    // "AllReset" puts the playback options back, leaves the picture rows, and a second press is quiet.
    window->m_psaturationRich->SetText(L"40");
    SetAdjustOptions();
    SelectionCounter counter;
    window->GetPaintManager().AddNotifier(&counter);
    Click(L"AllReset");
    ExpectAdjustDefaults();
    EXPECT_EQ(ValueOf(Find(L"saturationSlider")), 40);
    EXPECT_GT(counter.count, 0);
    counter.count = 0;
    Click(L"AllReset");
    EXPECT_EQ(counter.count, 0);
    window->GetPaintManager().RemoveNotifier(&counter);

    // Another file: the pause button, the defaults and neutral levels, and the page stays.
    SetAdjustOptions();
    window->m_pOptimizationbtnPlay->SetVisible(true);
    window->m_pOptimizationbtnPause->SetVisible(false);
    Choose({ incoming::VideoWithSound("adjust second.mp4", 2) });
    Click(L"ChangeAdjustVideo");
    EXPECT_TRUE(window->m_pOptimizationbtnPause->IsVisible());
    EXPECT_FALSE(window->m_pOptimizationbtnPlay->IsVisible());
    ExpectAdjustDefaults();
    EXPECT_EQ(TextOf(window->m_psaturationRich), L"100");
    EXPECT_EQ(ValueOf(Find(L"saturationSlider")), 100);
    EXPECT_TRUE(window->m_pOptimizationSet->IsVisible());
    EXPECT_TRUE(Settle());
}

TEST_F(PageCommands, AdjustExportRotatesTheClip)
{
    const std::wstring clip = incoming::MakeMedia("small with sound.mp4", "-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -t 1"
                                                                                + incoming::kH264 + " -c:a aac");
    ASSERT_FALSE(clip.empty());
    Choose({ clip });
    Click(L"OptimizationAddFile");
    static_cast<SkinUI::COptionUI*>(window->m_pSpin->GetInterface(L"Option"))->Selected(true);
    static_cast<SkinUI::CComboUI*>(Find(L"Comspin")->GetInterface(L"Combo"))->SelectItem(1, false);  // 90°
    const std::string out = FreshFolder("adjust-out");
    CMainWnd::SetSettingsDialogHook([out](CMainWnd& main, const std::wstring&) {
        main.m_exportInfo.folder = AnsiToWide(out).c_str();
        main.m_exportInfo.name = L"turned";
        main.m_exportInfo.format = L"mp4";
        return 0;
    });
    Click(L"CutAdjustVideo");  // returns when its progress window has closed
    ASSERT_TRUE(Settle(30000));
    int rate = 0, durationMs = 0, width = 0, height = 0;
    uint8_t subtitles = 0;
    MediaProbe probe;
    ASSERT_NE(probe.Open((out + "/turned.mp4").c_str(), rate, subtitles, durationMs, width, height), MediaProbe::kOpenFailed)
        << (notices.empty() ? std::string() : WideToUtf8(notices.back()));
    probe.Close();
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 160);
    EXPECT_NEAR(durationMs, 1000, 150);
}

TEST_F(PageCommands, ChosenClipsBecomeRowsInOrderAndARefusedChoiceAddsNothing)
{
    const std::wstring clip = incoming::VideoWithSound("row.mp4", 1);
    ASSERT_FALSE(clip.empty());
    std::vector<std::wstring> files;
    for (const char* name : { "first.mp4", "second.mp4", "third.mp4", "fourth.mp4" }) {
        const std::string path = EditorScratchFolder() + "/media/" + name;
        std::filesystem::copy_file(WideToUtf8(clip), path, std::filesystem::copy_options::overwrite_existing);
        files.push_back(AnsiToWide(path));
    }
    incoming::ShowPageOf(*window, window->m_pVideoAddfile);

    Choose({ files[0], L"/nowhere/b.qsv" });
    Click(L"VideoBuAddFile");
    EXPECT_TRUE(window->m_pVideoAddfile->IsVisible()) << "the page is unchanged";
    EXPECT_EQ(window->PendingFileCount(CMainWnd::RowPage::Clip), 0u);
    ASSERT_EQ(notices.size(), 1u);

    Choose({ files[0], files[1], files[2] });
    Click(L"VideoBuAddFile");
    Choose({ files[3] });
    Click(L"VideoBuAddFile");  // while the first choice's builder still runs
    EXPECT_FALSE(window->m_pVideoAddfile->IsVisible());
    EXPECT_TRUE(window->m_pVideoAddfileL->IsVisible());
    EXPECT_TRUE(window->m_pHorAddfileOut->IsVisible());
    ASSERT_TRUE(Settle());
    auto* rows = static_cast<SkinUI::IContainerUI*>(window->m_pVideoAddfileL->GetInterface(L"IContainer"));
    ASSERT_EQ(rows->GetCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::wstring(rows->GetItemAt(i)->GetUserData().GetData()), files[static_cast<size_t>(i)]);
}

TEST_F(PageCommands, HistoryAndVolumePopupsOpenFromTheirButtons)
{
    bool historyShown = false;
    window->PostUiTask(100, [&] {
        historyShown = ::IsWindowVisible(::GetActiveWindow()) && ::GetActiveWindow() != window->GetHWND();
        hl::PressKey(VK_ESCAPE);
    });
    Click(L"history");  // modal until Escape
    EXPECT_TRUE(historyShown);

    Click(L"MusicMenu");
    hl::PumpMessages();
    SkinUI::CStdPtrArray* managers = SkinUI::CPaintManagerUI::GetPaintManagers();
    SkinUI::CControlUI* slider = nullptr;
    for (int i = 0; managers && i < managers->GetSize() && slider == nullptr; ++i) {
        auto* pm = static_cast<SkinUI::CPaintManagerUI*>(managers->GetAt(i));
        if (pm != &window->GetPaintManager() && ::IsWindowVisible(pm->GetPaintWindow()))
            slider = pm->FindControl(L"MusicVSlider");
    }
    ASSERT_NE(slider, nullptr) << "the volume popup is open";
    EXPECT_EQ(ValueOf(slider), 80);
    RECT menu {};
    ::GetWindowRect(slider->GetManager()->GetPaintWindow(), &menu);
    const RECT pos = Find(L"MusicMenu")->GetPos();
    POINT at { pos.left, pos.top };
    ::ClientToScreen(window->GetHWND(), &at);
    EXPECT_LE(menu.bottom, at.y) << "above its button";
    ::PostMessage(slider->GetManager()->GetPaintWindow(), WM_CLOSE, 0, 0);
    hl::PumpMessages();
}

// The cut page's fields and what stands on its preview always agree: a crop typed key by key moves
// the crop frame and is what the export cuts out; an end typed before the start shows the time its
// marker then stands at.
TEST_F(PageCommands, TypedCropAndRangeAreWhatThePreviewShowsAndTheExportCuts)
{
    const std::wstring clip = incoming::MakeMedia("crop source.mp4", "-f lavfi -i testsrc=size=320x180:rate=25 -f lavfi "
                                                                     "-i sine -t 2" + incoming::kH264 + " -c:a aac");
    ASSERT_FALSE(clip.empty());
    incoming::ShowPageOf(*window, window->m_pVideoCutShow);
    Choose({ clip });
    Click(L"TranAddFile");
    ASSERT_TRUE(Settle(30000));
    CMainWnd& w = *window;
    ASSERT_NE(w.m_hConceal, nullptr);
    ASSERT_GT(CropCanvasWidth, 100);
    // Types a field's new text as the keyboard does: select it all, then the digits one by one.
    auto type = [&w](SkinUI::CControlUI* field, const wchar_t* digits) {
        field->SetFocus();
        static_cast<SkinUI::CRichEditUI*>(field->GetInterface(L"RichEdit"))->SetSelAll();
        for (const wchar_t* key = digits; *key; ++key)
            ::SendMessage(w.GetHWND(), WM_CHAR, *key, 0);
        EXPECT_EQ(TextOf(field), digits);
    };
    RECT before {};
    ::GetWindowRect(w.m_hConceal, &before);

    const int x = ReadFieldNumber(w.m_pXwidth->GetText()), y = ReadFieldNumber(w.m_pYheight->GetText());
    struct Case { SkinUI::CControlUI* field; int value; };
    const int width = CropCanvasWidth / 2, height = CropCanvasHeight / 2;
    const Case cases[] = { { w.m_pcut_width, width }, { w.m_pcut_height, height }, { w.m_pXwidth, 20 }, { w.m_pYheight, 10 } };
    for (const Case& c : cases)
        type(c.field, std::to_wstring(c.value).c_str());
    RECT frame {};
    ::GetWindowRect(w.m_hConceal, &frame);
    EXPECT_EQ(frame.right - frame.left, width);
    EXPECT_EQ(frame.bottom - frame.top, height);
    EXPECT_EQ(frame.left - before.left, 20 - x);
    EXPECT_EQ(frame.top - before.top, 10 - y);

    // The range: a start of 1.5 s, then an end typed as 1 s, which the end marker refuses: once
    // the field is left it shows the time its marker stands at. Typed digit by digit, a later end
    // then goes in whole.
    SetCutFields({ L"00", L"00", L"01", L"500" });
    auto leave = [&w](SkinUI::CControlUI* field) { w.GetPaintManager().SendNotify(field, L"killfocus"); };
    type(w.m_pOVersecound, L"01");
    type(w.m_pOVermillsecond, L"0");
    leave(w.m_pOVermillsecond);
    EXPECT_EQ(CutFields(), (std::vector<std::wstring> { L"00", L"00", L"01", L"500", L"00", L"00", L"01", L"500" }));
    SkinUI::CControlUI* startMarker = Find(L"start");
    SkinUI::CControlUI* endMarker = Find(L"end");
    ASSERT_TRUE(startMarker && endMarker);
    EXPECT_EQ(endMarker->GetPos().left, startMarker->GetPos().right) << "the end marker stands at the start";
    type(w.m_pOVermillsecond, L"900");
    type(w.m_pOVersecound, L"01");  // "0" on the way is before the start, yet "01" goes in
    leave(w.m_pOVersecound);
    EXPECT_EQ(CutFields()[6], L"01");
    EXPECT_EQ(CutFields()[7], L"900");
    // An end still before the start when the export is pressed is exported as the fields then show.
    type(w.m_pOVermillsecond, L"000");
    type(w.m_pOVersecound, L"02");

    const std::string out = FreshFolder("crop-out");
    CMainWnd::SetSettingsDialogHook([out](CMainWnd& main, const std::wstring&) {
        main.m_exportInfo.folder = AnsiToWide(out).c_str();
        main.m_exportInfo.name = L"cropped";
        main.m_exportInfo.format = L"mp4";
        return 0;
    });
    Click(L"CutVideo");
    ASSERT_TRUE(Settle(30000));
    const pagecmd::Probed probed = pagecmd::FfProbe(out + "/cropped.mp4");
    EXPECT_NEAR(probed.width, 320 * width / CropCanvasWidth, 2) << (notices.empty() ? "" : WideToUtf8(notices.back()));
    EXPECT_NEAR(probed.height, 180 * height / CropCanvasHeight, 2);
    EXPECT_NEAR(probed.seconds, 0.5, 0.15);

    type(w.m_pOVersecound, L"01");  // 1.000, before the start: the export cuts nothing
    Click(L"CutVideo");
    EXPECT_EQ(CutFields()[6], L"01");
    EXPECT_EQ(CutFields()[7], L"500");
}
