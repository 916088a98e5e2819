// The split page's commands on the real skin: stepping the time groups and the count, the split
// rows as the export reads them, and a real split of a real clip probed afterwards.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "PageCommandsFixture.h"
#include "editor/mainwnd/BoundPageView.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/PlayerTimeFields.h"
#include "media/PlayerUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/core/RenderEngine.h"

namespace hl = platform::headless;

namespace {

class SplitCommands : public pagecmd::PageCommandsFixture {
protected:
    void SetUp() override
    {
        pagecmd::PageCommandsFixture::SetUp();
        incoming::Select(window->m_ptabFenge);
        incoming::ShowPageOf(*window, window->m_pListVideo);
        window->m_pSegmentationAddfile->SetVisible(false);
        window->m_pSegmentationHor->SetVisible(true);
        hl::PumpMessages();
    }
    void SetGroup(std::initializer_list<SkinUI::CControlUI*> fields, std::initializer_list<const wchar_t*> texts)
    {
        auto text = texts.begin();
        for (SkinUI::CControlUI* field : fields)
            field->SetText(*text++);
    }
    std::wstring Group(std::initializer_list<SkinUI::CControlUI*> fields)
    {
        std::wstring out;
        for (SkinUI::CControlUI* field : fields)
            out += (out.empty() ? L"" : L" ") + std::wstring(field->GetText().GetData());
        return out;
    }
    std::vector<std::pair<std::wstring, std::wstring>> Tasks()
    {
        BoundPageView view(*window);
        view.Capture();
        std::vector<std::pair<std::wstring, std::wstring>> tasks;
        for (int i = 0; i < view.SplitTaskCount(); ++i) {
            SkinUI::CUIString task, name;
            EXPECT_TRUE(view.SplitTask(i, task, name));
            tasks.emplace_back(task.GetData(), name.GetData());
        }
        return tasks;
    }
    bool ExportEnabled() { return window->m_pSegmenExport->IsEnabled(); }
    std::wstring CountShown() { return window->GetPaintManager().FindControl(L"SegmenCount")->GetText().GetData(); }
    // The picture a split row shows, as the window loaded it when the row painted.
    const SkinUI::TImageInfo* RowThumbnail(int index)
    {
        ::UpdateWindow(window->GetHWND());
        const std::wstring image = RowChild(Row(window->m_pListVideo, index), { 0 })->GetBkImage().GetData();
        const size_t open = image.find(L'\''), close = image.find(L'\'', open + 1);
        return open == std::wstring::npos ? nullptr : window->GetPaintManager().GetImage(image.substr(open + 1, close - open - 1).c_str());
    }
};

}  // namespace

TEST(PlayerTimeFields, TimesBecomeFieldTextsFromTheNumber)
{
    EXPECT_EQ(SplitPointFields(12345), (std::vector<std::wstring> { L"00", L"00", L"12", L"34" }));
    EXPECT_EQ(SplitPointFields(3725400), (std::vector<std::wstring> { L"01", L"02", L"05", L"40" }));
    EXPECT_EQ(SplitPointFields(100), (std::vector<std::wstring> { L"00", L"00", L"00", L"10" }));
    EXPECT_TRUE(SplitPointFields(99).empty());
    EXPECT_TRUE(SplitPointFields(-5).empty());
    EXPECT_EQ(WholeSecondFields(3725400), (std::vector<std::wstring> { L"01", L"02", L"05" }));
    EXPECT_EQ(WholeSecondFields(-1), (std::vector<std::wstring> { L"00", L"00", L"00" }));
}

TEST_F(SplitCommands, SpinButtonsCarryBorrowAndStopAtTheirBounds)
{
    CMainWnd& w = *window;
    const auto point = { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    const auto interval = { w.m_pstartAverageHour, w.m_pstartAverageminute, w.m_pstartAveragesecond, w.m_pstartAverageMillsecond };
    const struct {
        bool pointGroup;
        std::initializer_list<const wchar_t*> before;
        SkinUI::CControlUI* focus;
        const wchar_t* button;
        const wchar_t* after;
    } cases[] = {
        { true, { L"00", L"00", L"58", L"99" }, w.m_pstartSegmenMillsecond, L"startUpTime", L"00 00 59 00" },
        { true, { L"00", L"00", L"59", L"99" }, w.m_pstartSegmenMillsecond, L"startUpTime", L"00 01 00 00" },
        { true, { L"01", L"00", L"00", L"00" }, w.m_pstartSegmensecond, L"startDownTime", L"00 59 59 00" },
        { true, { L"01", L"00", L"00", L"00" }, w.m_pstartSegmenMillsecond, L"startDownTime", L"00 59 59 99" },
        { true, { L"00", L"00", L"00", L"00" }, w.m_pstartSegmenminute, L"startDownTime", L"00 00 00 00" },
        { true, { L"00", L"00", L"00", L"00" }, w.m_pstartSegmenMillsecond, L"startDownTime", L"00 00 00 00" },
        { true, { L"00", L"00", L"05", L"01" }, w.m_pstartSegmenMillsecond, L"startDownTime", L"00 00 05 00" },
        { true, { L"00", L"00", L"05", L"01" }, w.m_pstartAverageHour, L"startUpTime", L"00 00 05 01" },  // other group
        { false, { L"00", L"00", L"10", L"49" }, w.m_pstartAverageMillsecond, L"AverageUpTime", L"00 00 10 50" },
        { false, { L"00", L"00", L"10", L"50" }, w.m_pstartAverageMillsecond, L"AverageUpTime", L"00 00 10 00" },
        { false, { L"00", L"00", L"30", L"00" }, w.m_pstartSegmenHour, L"AverageUpTime", L"00 00 10 00" },  // capped all the same
    };
    for (const auto& c : cases) {
        // A point past the file's end is pulled back to it; the interval cases use a 10,500 ms file.
        w.m_nSplitDuration = c.pointGroup ? 10 * 3600 * 1000 : 10500;
        SetGroup(c.pointGroup ? point : interval, c.before);
        w.m_pSplitFocus = c.focus;
        Click(c.button);
        EXPECT_EQ(Group(c.pointGroup ? point : interval), c.after) << WideToUtf8(c.button) << " from " << WideToUtf8(*c.before.begin());
    }
    // Without a focus the point's spins step its hundredths; the interval's do nothing.
    SetGroup(point, { L"00", L"00", L"00", L"00" });
    SetGroup(interval, { L"00", L"00", L"05", L"00" });
    w.m_pSplitFocus = nullptr;
    Click(L"AverageUpTime");
    EXPECT_EQ(Group(interval), L"00 00 05 00");
    Click(L"startUpTime");
    EXPECT_EQ(Group(point), L"00 00 00 01");

    const struct { const wchar_t* before; const wchar_t* button; const wchar_t* after; } counts[] = {
        { L"2", L"DownNum", L"2" }, { L"x", L"DownNum", L"2" }, { L"5", L"DownNum", L"4" }, { L"99", L"UpNum", L"100" },
    };
    for (const auto& c : counts) {
        w.m_pstartSegmen->SetText(c.before);
        Click(c.button);
        EXPECT_EQ(std::wstring(w.m_pstartSegmen->GetText().GetData()), c.after) << WideToUtf8(c.before);
    }
}

// A field clicked by the user steps under the arrow keys and the wheel by its own unit, as under the
// spin buttons, which also step that field.
TEST_F(SplitCommands, ArrowKeysWheelAndSpinsStepTheClickedField)
{
    CMainWnd& w = *window;
    const auto point = { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    const auto interval = { w.m_pstartAverageHour, w.m_pstartAverageminute, w.m_pstartAveragesecond, w.m_pstartAverageMillsecond };
    w.m_nSplitDuration = 3600 * 1000;
    ::UpdateWindow(w.GetHWND());
    hl::PumpMessages();
    SetGroup(point, { L"00", L"00", L"58", L"50" });
    SetGroup(interval, { L"00", L"00", L"05", L"00" });
    const POINT seconds = ControlCentre(w.m_pstartSegmensecond);
    hl::Click(seconds.x, seconds.y);
    hl::PumpMessages();
    ASSERT_EQ(w.GetPaintManager().GetFocus(), w.m_pstartSegmensecond);
    hl::PressKey(VK_UP);
    hl::PumpMessages();
    EXPECT_EQ(Group(point), L"00 00 59 50");
    hl::PressKey(VK_UP);
    hl::PumpMessages();
    EXPECT_EQ(Group(point), L"00 01 00 50") << "the seconds carry into the minutes";
    ::SendMessage(w.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Group(point), L"00 00 59 50");
    Click(L"startDownTime");
    EXPECT_EQ(Group(point), L"00 00 58 50") << "the spin steps the clicked field, not the hundredths";

    const POINT average = ControlCentre(w.m_pstartAveragesecond);
    hl::Click(average.x, average.y);
    hl::PressKey(VK_DOWN);
    hl::PumpMessages();
    EXPECT_EQ(Group(interval), L"00 00 04 00");
    EXPECT_EQ(Group(point), L"00 00 58 50");
}

TEST_F(SplitCommands, RowsCarryTheirTasksAndTheExportFollowsTheList)
{
    CMainWnd& w = *window;
    EXPECT_FALSE(ExportEnabled());
    SetGroup({ w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond },
             { L"00", L"00", L"05", L"50" });
    EXPECT_EQ(CountShown(), L"0");
    Click(L"AddSengenTime");
    EXPECT_TRUE(ExportEnabled());
    EXPECT_EQ(CountShown(), L"1");
    Click(L"AddSengenTime");  // the same point again
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0], L"分割时间点相同，请勿重复截取。");
    EXPECT_EQ(CountShown(), L"1");
    incoming::Select(w.m_pAverage);
    w.m_pstartSegmen->SetText(L"3");
    Click(L"AddSengenNum");
    EXPECT_EQ(CountShown(), L"2");
    incoming::Select(w.m_pTimeAverage);
    SetGroup({ w.m_pstartAverageHour, w.m_pstartAverageminute, w.m_pstartAveragesecond, w.m_pstartAverageMillsecond },
             { L"00", L"00", L"05", L"00" });
    Click(L"AddSengenTimeNum");
    Click(L"AddSengenTimeNum");  // the same length may be listed twice
    EXPECT_EQ(Notices().size(), 1u);
    EXPECT_EQ(CountShown(), L"4");
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        { L"1-5.500000", L"视频分割文件" }, { L"2-3", L"视频分割文件" }, { L"3-5.000000", L"视频分割文件" },
        { L"3-5.000000", L"视频分割文件" },
    };
    EXPECT_EQ(Tasks(), expected);
    SkinUI::CControlUI* first = Row(w.m_pListVideo, 0);
    EXPECT_EQ(std::wstring(RowChild(first, { 1, 1, 1 })->GetText().GetData()), L"00:00:00-00:00:05.50");
    EXPECT_EQ(std::wstring(RowChild(first, { 1, 1, 0 })->GetText().GetData()), L"手动分割:");

    // A renamed part becomes a safe file name.
    Click(RowChild(first, { 1, 0, 2 }));
    SkinUI::CControlUI* editor = RowChild(first, { 1, 0, 1 });
    ASSERT_TRUE(editor->IsVisible());
    EXPECT_EQ(std::wstring(editor->GetText().GetData()), L"视频分割文件");
    RowChild(first, { 1, 0, 0 })->SetText(L"a/b");  // what ending the edit commits
    EXPECT_EQ(Tasks()[0].second, L"a_b");

    // Removing rows one by one, and clearing, leave the export disabled exactly when the list is empty.
    Click(RowChild(Row(w.m_pListVideo, 3), { 1, 0, 3 }));
    EXPECT_EQ(Count(w.m_pListVideo), 3);
    EXPECT_EQ(CountShown(), L"3");
    EXPECT_TRUE(ExportEnabled());
    Click(L"ClearVideo");
    EXPECT_EQ(Count(w.m_pListVideo), 0);
    EXPECT_EQ(CountShown(), L"0");
    EXPECT_FALSE(ExportEnabled());
    Click(L"AddSengenTime");
    EXPECT_TRUE(ExportEnabled());
    Click(RowChild(Row(w.m_pListVideo, 0), { 1, 0, 3 }));
    EXPECT_FALSE(ExportEnabled());
}

TEST_F(SplitCommands, ASplitAtPointsAndIntoEqualPartsWritesEveryPartInsideTheFolder)
{
    CMainWnd& w = *window;
    const std::wstring clip = incoming::VideoWithSound("split source.mp4", 3);
    ASSERT_FALSE(clip.empty());
    w.m_strSplitFile = clip;  // as loading the file leaves it
    w.m_nSplitDuration = 3000;
    SetGroup({ w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond },
             { L"00", L"00", L"01", L"00" });
    Click(L"AddSengenTime");
    incoming::Select(w.m_pAverage);
    w.m_pstartSegmen->SetText(L"2");
    Click(L"AddSengenNum");
    RowChild(Row(w.m_pListVideo, 0), { 1, 0, 0 })->SetText(L"../at/point");
    RowChild(Row(w.m_pListVideo, 1), { 1, 0, 0 })->SetText(L"halves");
    const std::string out = FreshFolder("split-out");
    AnswerSettings(0, out);
    Click(L"SegmenExport");
    ASSERT_TRUE(Settle(60000));

    const std::vector<std::string> files = FilesIn(out);
    ASSERT_EQ(files.size(), 4u);
    double total = 0;
    int atPoint = 0, halves = 0;
    for (const std::string& name : files) {
        atPoint += name.rfind("_at_point(", 0) == 0;
        halves += name.rfind("halves(", 0) == 0;
        const pagecmd::Probed part = pagecmd::FfProbe(out + "/" + name);
        EXPECT_EQ(part.videoCodec, "h264") << name;
        EXPECT_EQ(part.width, 320) << name;
        total += part.seconds;
    }
    EXPECT_EQ(atPoint, 2);
    EXPECT_EQ(halves, 2);
    EXPECT_NEAR(total, 6.0, 0.5);  // each task covers the whole clip
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out).parent_path() / "at"));
}

TEST_F(SplitCommands, ChangingTheFileEmptiesTheListAndMovesPointTimelineAndPlayerToTheNewFile)
{
    CMainWnd& w = *window;
    const std::wstring first = incoming::VideoWithSound("split first.mp4", 2);
    const std::wstring second = incoming::MakeMedia("split second.mp4", "-f lavfi -i testsrc=size=320x180:rate=25 -f lavfi "
                                                                       "-i sine -t 5" + incoming::kH264 + " -c:a aac");
    ASSERT_FALSE(first.empty() || second.empty());
    const auto point = { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    CAVPlayer* player = control_access::PlayerOf(w.m_pVideoSegmenPlayer);
    ASSERT_NE(player, nullptr);

    AnswerChooser({ first });
    Click(L"SegmenAddFile");
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Group(point), L"00 00 01 50");
    Click(L"AddSengenTime");
    ASSERT_EQ(Count(w.m_pListVideo), 1);
    const auto* firstThumbnail = RowThumbnail(0);
    ASSERT_NE(firstThumbnail, nullptr);
    EXPECT_EQ(firstThumbnail->nY, 58);  // 4:3 in the 78 cell

    AnswerChooser({ second });
    Click(L"SegmenChangeVideo");
    ::UpdateWindow(w.GetHWND());  // the emptied list lays the page out again
    // The point's marker stands half way along the timeline (511 wide from x 197).
    EXPECT_EQ(w.m_pSegmenCut->GetPos().left, 197 + 255);
    EXPECT_EQ(Count(w.m_pListVideo), 0);
    EXPECT_EQ(CountShown(), L"0");
    EXPECT_FALSE(ExportEnabled());
    EXPECT_TRUE(w.m_pSegembtnPause->IsVisible());
    EXPECT_FALSE(w.m_pSegembtnPlay->IsVisible());
    EXPECT_EQ(w.m_strSplitFile, second);
    EXPECT_EQ(w.m_nSplitDuration, 5000);
    ASSERT_TRUE(Settle());
    ASSERT_TRUE(incoming::PumpUntil([&] { return player->MediaLengthMs() > 4500; }, 20000)) << "the player kept the old file";
    EXPECT_EQ(Group(point), L"00 00 02 50");
    EXPECT_NE(std::wstring(w.m_pSegemshowtime->GetText().GetData()).find(L"/00:00:05"), std::wstring::npos);
    // A row added now shows the new file's picture.
    Click(L"AddSengenTime");
    ASSERT_EQ(Count(w.m_pListVideo), 1);
    const auto* secondThumbnail = RowThumbnail(0);
    ASSERT_NE(secondThumbnail, nullptr);
    EXPECT_EQ(secondThumbnail->nY, 43);  // 16:9 in the 78 cell
    EXPECT_EQ(Tasks()[0].first, L"1-2.500000");
}

TEST_F(SplitCommands, EachSourcesRowsShowThatSourcesPictureWhateverOtherPagesLoad)
{
    CMainWnd& w = *window;
    const std::wstring square = incoming::MakeMedia("split own 4x3.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -t 2" + incoming::kH264);
    const std::wstring wide = incoming::MakeMedia("split own 16x9.mp4", "-f lavfi -i testsrc=size=320x180:rate=25 -t 2" + incoming::kH264);
    ASSERT_FALSE(square.empty() || wide.empty());
    AnswerChooser({ square });
    Click(L"SegmenAddFile");
    ASSERT_TRUE(Settle());
    // Another page's file loaded after the split source must not become the split rows' picture.
    w.LoadAdjustPageFile(wide);
    ASSERT_TRUE(Settle());
    Click(L"AddSengenTime");
    ASSERT_EQ(Count(w.m_pListVideo), 1);
    const SkinUI::TImageInfo* first = RowThumbnail(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->nY, 58);  // 4:3 in the 78 cell

    // A file dropped on the page keeps the rows: the old row keeps its picture, a new row shows the new one.
    w.m_strSplitFile = wide;
    w.LoadSplitPageFile(wide);
    ASSERT_TRUE(Settle());
    incoming::Select(w.m_pAverage);
    Click(L"AddSengenNum");
    ASSERT_EQ(Count(w.m_pListVideo), 2);
    const SkinUI::TImageInfo* second = RowThumbnail(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->nY, 43);  // 16:9 in the 78 cell
    EXPECT_EQ(RowThumbnail(0)->nY, 58);
}

TEST_F(SplitCommands, TheLongestTimeTextsFitTheirRowsBesideTheScrollBar)
{
    CMainWnd& w = *window;
    const auto point = { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    const auto interval = { w.m_pstartAverageHour, w.m_pstartAverageminute, w.m_pstartAveragesecond, w.m_pstartAverageMillsecond };
    // The widest texts the fields take (the hundredths fields take three characters).
    SetGroup(point, { L"99", L"59", L"59", L"999" });
    Click(L"AddSengenTime");
    SetGroup(point, { L"00", L"00", L"05", L"50" });
    Click(L"AddSengenTime");
    incoming::Select(w.m_pTimeAverage);
    SetGroup(interval, { L"99", L"59", L"59", L"999" });
    Click(L"AddSengenTimeNum");
    incoming::Select(w.m_pAverage);
    w.m_pstartSegmen->SetText(L"999");
    for (int i = 0; i < 6; ++i)  // enough rows for the list to show its scroll bar
        Click(L"AddSengenNum");
    ::UpdateWindow(w.GetHWND());
    ASSERT_LT(Row(w.m_pListVideo, 0)->GetPos().right, w.m_pListVideo->GetPos().right) << "no scroll bar";
    HDC dc = w.GetPaintManager().GetPaintDC();
    for (int i = 0; i < 3; ++i) {
        SkinUI::CControlUI* row = Row(w.m_pListVideo, i);
        auto* value = static_cast<SkinUI::CLabelUI*>(RowChild(row, { 1, 1, 1 })->GetInterface(L"Label"));
        ASSERT_NE(value, nullptr);
        SCOPED_TRACE(WideToUtf8(value->GetText().GetData()));
        const SIZE text = SkinUI::CRenderEngine::GetTextSize(dc, &w.GetPaintManager(), value->GetText().GetData(),
                                                             value->GetFont(), DT_SINGLELINE);
        const RECT box = value->GetPos();
        EXPECT_LE(box.right, row->GetPos().right);
        EXPECT_LE(text.cx, box.right - box.left) << "the time is cut off";
    }
}
