// The merge, GIF and multi-clip pages' commands on the real skin, with rows built from real clips
// and real exports probed afterwards.
#include <gtest/gtest.h>

#include <thread>

#include "PageCommandsFixture.h"
#include "editor/mainwnd/OutputName.h"

namespace hl = platform::headless;
using pagecmd::FfProbe;
using pagecmd::RealTimeEncoderScript;

namespace {

std::wstring ClipOf(const std::string& name, const std::string& size, double seconds)
{
    return incoming::MakeMedia(name, "-f lavfi -i testsrc=size=" + size + ":rate=25 -f lavfi -i sine -t "
                                         + std::to_string(seconds) + incoming::kH264 + " -c:a aac");
}

class ListCommands : public pagecmd::PageCommandsFixture {
protected:
    // Rows for the files on a page, built as the add button's builder builds them.
    void AddRows(CMainWnd::RowPage page, SkinUI::CControlUI* list, const std::vector<std::wstring>& files)
    {
        const int before = Count(list);
        window->ShowRowList(page);
        window->AppendPendingFiles(page, files);
        window->StartRowBuilder(page);
        ASSERT_TRUE(incoming::PumpUntil([&] { return Count(list) == before + static_cast<int>(files.size()); }));
        Settle();
    }
    void OpenTab(SkinUI::CControlUI* tab, SkinUI::CControlUI* list)
    {
        incoming::Select(tab);
        incoming::ShowPageOf(*window, list);
        hl::PumpMessages();
    }
    std::vector<std::wstring> MergeOrder()
    {
        std::vector<std::wstring> paths;
        for (int i = 0; i < Count(window->m_pVideoMergeL); ++i)
            paths.emplace_back(Row(window->m_pVideoMergeL, i)->GetUserData().GetData());
        return paths;
    }
    // Column 6 of a GIF or clip row: 1 export, 2 open, 3 progress box.
    SkinUI::CControlUI* RowButton(SkinUI::CControlUI* row, int which) { return RowChild(row, { 2, 6, which }); }
    SkinUI::CControlUI* GifName(SkinUI::CControlUI* row) { return RowChild(row, { 2, 4, 0, 0 }); }
    // The file's row on the page, exported through its own button into `folder`: its open button
    // shows, named `openName`.
    SkinUI::CControlUI* ExportOneRow(SkinUI::CControlUI* tab, SkinUI::CControlUI* list, CMainWnd::RowPage page,
                                     const std::wstring& file, const std::string& folder, const wchar_t* openName)
    {
        OpenTab(tab, list);
        AddRows(page, list, { file });
        AnswerSettings(0, folder);
        SkinUI::CControlUI* row = Row(list, 0);
        Click(RowButton(row, 1));
        EXPECT_TRUE(Settle(30000));
        EXPECT_TRUE(RowButton(row, 2)->IsVisible());
        EXPECT_EQ(std::wstring(RowButton(row, 2)->GetName().GetData()), openName);
        return row;
    }

    void TearDown() override
    {
        platform::SetShellCommandHook(nullptr);
        pagecmd::PageCommandsFixture::TearDown();
    }
    // The desktop's commands are recorded instead of run; the file manager answers or not.
    void RecordDesktopCommands()
    {
        platform::SetShellCommandHook([this](const std::vector<std::string>& command) {
            desktop.push_back(command);
            return command.front() != "dbus-send" || fileManagerAnswers;
        });
    }
    std::vector<std::vector<std::string>> desktop;  // UI thread
    bool fileManagerAnswers = true;
};

}  // namespace

TEST(OutputName, TypedNamesStayInsideTheOutputFolder)
{
    const struct { const wchar_t* typed; const wchar_t* safe; } cases[] = {
        { L"holiday", L"holiday" },
        { L"a/b", L"a_b" },
        { L"../x", L"_x" },
        { L"..\\..\\evil", L"_.._evil" },
        { L"c:*?\"<>|d", L"c_______d" },
        { L"  spaced name. ", L"spaced name" },
        { L"", L"fallback" },
        { L"...", L"fallback" },
        { L"line\nbreak", L"line_break" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeOutputName(c.typed, L"fallback"), c.safe) << WideToUtf8(c.typed);
}

TEST_F(ListCommands, MovesKeepEveryRowAndRemovingTheLastBringsBackTheEmptyPage)
{
    const std::wstring clip = ClipOf("move.mp4", "160x120", 1);
    ASSERT_FALSE(clip.empty());
    std::vector<std::wstring> files;
    for (const char* name : { "m0.mp4", "m1.mp4", "m2.mp4" }) {
        const std::string path = EditorScratchFolder() + "/media/" + name;
        std::filesystem::copy_file(WideToUtf8(clip), path, std::filesystem::copy_options::overwrite_existing);
        files.push_back(AnsiToWide(path));
    }
    OpenTab(window->m_ptabmerge, window->m_pVideoMergeL);
    AddRows(CMainWnd::RowPage::Merge, window->m_pVideoMergeL, files);
    const std::wstring a = files[0], b = files[1], c = files[2];
    // "up" is child 2 and "Down" child 1 of the row's move box (child 5, child 1).
    const auto press = [&](int row, int button) { Click(RowChild(Row(window->m_pVideoMergeL, row), { 5, 1, button })); };
    const struct { int row, button; std::vector<std::wstring> order; } moves[] = {
        { 0, 2, { a, b, c } },  // up on the first row
        { 2, 1, { a, b, c } },  // down on the last row
        { 1, 1, { a, c, b } },  // down in the middle
        { 1, 2, { c, a, b } },  // up in the middle
    };
    for (const auto& m : moves) {
        press(m.row, m.button);
        EXPECT_EQ(MergeOrder(), m.order) << "row " << m.row << " button " << m.button;
    }
    // The connectors follow the order: the first row offers no "up", the last no "Down".
    EXPECT_FALSE(RowChild(Row(window->m_pVideoMergeL, 0), { 5, 1, 2 })->IsVisible());
    EXPECT_TRUE(RowChild(Row(window->m_pVideoMergeL, 0), { 5, 1, 1 })->IsVisible());
    EXPECT_FALSE(RowChild(Row(window->m_pVideoMergeL, 2), { 5, 1, 1 })->IsVisible());

    for (int left = 3; left > 0; --left)
        Click(RowChild(Row(window->m_pVideoMergeL, 0), { 5, 0, 1 }));
    EXPECT_EQ(Count(window->m_pVideoMergeL), 0);
    EXPECT_TRUE(window->m_pVideoMergeAddFile->IsVisible());
    EXPECT_FALSE(window->m_pHorOut->IsVisible());
}

TEST_F(ListCommands, MergeJoinsThreeSizesInTheOrderTheMovesGave)
{
    const std::vector<std::wstring> files = { ClipOf("merge a.mp4", "320x240", 1), ClipOf("merge b.mp4", "160x120", 2),
                                              ClipOf("merge c.mp4", "240x180", 1) };
    for (const std::wstring& f : files)
        ASSERT_FALSE(f.empty());
    OpenTab(window->m_ptabmerge, window->m_pVideoMergeL);
    AddRows(CMainWnd::RowPage::Merge, window->m_pVideoMergeL, files);
    Click(RowChild(Row(window->m_pVideoMergeL, 2), { 5, 1, 2 }));  // c up: a, c, b
    const std::string out = FreshFolder("merge-out");
    AnswerSettings(0, out);
    Click(L"AllMerge");
    ASSERT_TRUE(Settle(60000));

    ASSERT_NE(window->m_pMergeList, nullptr);
    ASSERT_EQ(window->m_pMergeList->RowCount(), 3);
    EXPECT_EQ(std::wstring(window->m_pMergeList->RowPath(1).GetData()), files[2]) << "the job reads the moved order";
    EXPECT_EQ(std::wstring(window->m_pMergeList->RowResolution(0).GetData()), L"320x240");
    const std::vector<std::string> written = FilesIn(out);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], "视频合并.mp4");
    const pagecmd::Probed merged = FfProbe(out + "/" + written[0]);
    EXPECT_NEAR(merged.seconds, 4.0, 0.3);
    EXPECT_GT(merged.width, 0);
    EXPECT_TRUE(merged.sound);
}

TEST_F(ListCommands, GifRowsExportUnderTheirSafeNamesAndACancelledRowIsNotExportedLater)
{
    const std::wstring first = ClipOf("gif a.mp4", "160x120", 1), second = ClipOf("gif b.mp4", "160x120", 1);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    OpenTab(window->m_ptabGIF, window->m_pVideoGif);
    AddRows(CMainWnd::RowPage::Gif, window->m_pVideoGif, { first, second });
    SkinUI::CControlUI* rowA = Row(window->m_pVideoGif, 0);
    SkinUI::CControlUI* rowB = Row(window->m_pVideoGif, 1);
    const std::string out = FreshFolder("gif-out");

    // Row A is renamed in place to a name that tries to leave the folder, then its dialog is cancelled.
    Click(RowChild(rowA, { 2, 4, 0, 2 }));
    SkinUI::CControlUI* editor = RowChild(rowA, { 2, 4, 0, 1 });
    ASSERT_TRUE(editor->IsVisible());
    editor->SetText(L"../escape");
    GifName(rowA)->SetText(editor->GetText());  // what ending the edit commits
    AnswerSettings(1);
    Click(RowButton(rowA, 1));
    EXPECT_TRUE(RowButton(rowA, 1)->IsVisible()) << "a cancelled dialog puts the row back";
    EXPECT_FALSE(RowButton(rowA, 3)->IsVisible());

    AnswerSettings(0, out);
    Click(RowButton(rowB, 1));
    ASSERT_TRUE(Settle(30000));
    EXPECT_EQ(FilesIn(out), std::vector<std::string>({ "gif b.gif" })) << "row A's cancelled export came along";
    EXPECT_TRUE(RowButton(rowB, 2)->IsVisible());
    EXPECT_EQ(std::wstring(RowButton(rowB, 2)->GetUserData().GetData()), AnsiToWide(out) + L"/gif b.gif");

    Click(RowButton(rowA, 1));
    ASSERT_TRUE(Settle(30000));
    EXPECT_EQ(FilesIn(out), std::vector<std::string>({ "_escape.gif", "gif b.gif" }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out).parent_path() / "escape.gif"));
    const pagecmd::Probed gif = FfProbe(out + "/_escape.gif");
    EXPECT_EQ(gif.videoCodec, "gif");
    EXPECT_EQ(gif.width, 160);
    EXPECT_NEAR(gif.seconds, 1.0, 0.2);
}

TEST_F(ListCommands, ARowPressedWhileAGifExportsIsTakenByThatExport)
{
    const std::wstring slow = ClipOf("gif slow.mp4", "160x120", 3), quick = ClipOf("gif quick.mp4", "160x120", 1);
    ASSERT_FALSE(slow.empty());
    ASSERT_FALSE(quick.empty());
    window->m_strEncoder = RealTimeEncoderScript().c_str();
    OpenTab(window->m_ptabGIF, window->m_pVideoGif);
    AddRows(CMainWnd::RowPage::Gif, window->m_pVideoGif, { slow, quick });
    const std::string out = FreshFolder("gif-taken");
    AnswerSettings(0, out);
    Click(RowButton(Row(window->m_pVideoGif, 0), 1));
    ASSERT_EQ(window->m_bGifRunning.load(), 1);
    Click(RowButton(Row(window->m_pVideoGif, 1), 1));  // while the first converts
    ASSERT_TRUE(Settle(30000));
    {
        std::lock_guard lock(m_lock);
        EXPECT_EQ(modes.size(), 1u) << "the second row started no second export";
    }
    EXPECT_EQ(FilesIn(out), std::vector<std::string>({ "gif quick.gif", "gif slow.gif" }));
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(RowButton(Row(window->m_pVideoGif, row), 2)->IsVisible()) << row;
        EXPECT_FALSE(RowButton(Row(window->m_pVideoGif, row), 3)->IsVisible()) << "left in progress: " << row;
    }
}

TEST_F(ListCommands, ClearingTheGifListWhileItExportsLeavesNoRowNoJobAndNoFile)
{
    const std::wstring slow = ClipOf("gif long.mp4", "160x120", 8);
    ASSERT_FALSE(slow.empty());
    window->m_strEncoder = RealTimeEncoderScript().c_str();
    OpenTab(window->m_ptabGIF, window->m_pVideoGif);
    AddRows(CMainWnd::RowPage::Gif, window->m_pVideoGif, { slow, ClipOf("gif b.mp4", "160x120", 1) });
    const std::string out = FreshFolder("gif-cleared");
    AnswerSettings(0, out);
    Click(L"AllGif");
    SkinUI::CControlUI* fill = RowChild(Row(window->m_pVideoGif, 0), { 0 });
    ASSERT_TRUE(incoming::PumpUntil([&] { return fill->IsVisible(); }, 20000)) << "no progress shown";

    Click(L"clearList");
    EXPECT_EQ(window->m_bGifRunning.load(), 0);
    EXPECT_TRUE(window->StopGifJob(0)) << "the clear returned before the job let go";
    EXPECT_EQ(Count(window->m_pVideoGif), 0);
    EXPECT_TRUE(window->m_vecGifRows.empty());
    EXPECT_TRUE(window->m_pVideoVerGif->IsVisible());
    EXPECT_TRUE(FilesIn(out).empty()) << "a half-written GIF was left";
    ASSERT_TRUE(Settle());  // the job's last row updates find no row
    EXPECT_TRUE(FilesIn(out).empty());
}

TEST_F(ListCommands, ClipRowsQueueTheirSavedSettingsAndStayUsable)
{
    const std::wstring clip = ClipOf("clip row.mp4", "320x240", 1);
    ASSERT_FALSE(clip.empty());
    OpenTab(window->m_ptabAdd, window->m_pVideoAddfileL);
    AddRows(CMainWnd::RowPage::Clip, window->m_pVideoAddfileL, { clip });
    SkinUI::CControlUI* row = Row(window->m_pVideoAddfileL, 0);
    SkinUI::CControlUI* start = RowButton(row, 1);
    const auto subPagesUsable = [&] {
        for (int i = 0; i < 4; ++i)
            if (!RowChild(row, { 2, 5, i })->IsMouseEnabled())
                return false;
        return true;
    };

    Click(start);  // nothing saved for this clip yet
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0], L"抱歉！您未进行添加设置请先进行添加设置\n");
    EXPECT_TRUE(subPagesUsable());

    ClipRecord record;
    record.kind = kClipMusic;
    record.path = clip.c_str();
    record.durationMsText = L"1000";
    record.musicStart[2] = L"01";
    record.musicStart[3] = L"5";
    record.musicVolume = 150;
    window->m_vecClips.push_back(record);
    // The size comes from the row's "resolution"; a value without "x" gives none.
    const struct { const wchar_t* resolution; const wchar_t* width; const wchar_t* height; } sizes[] = {
        { L"320x240", L"320", L"240" },
        { L"320", L"", L"" },
    };
    for (const auto& size : sizes) {
        RowChild(row, { 2, 0, 2, 1 })->SetUserData(size.resolution);
        std::vector<ClipExportEntry> queued;
        CMainWnd::SetSettingsDialogHook([&queued](CMainWnd& main, const std::wstring&) {
            queued = main.m_vecExportQueue;  // filled before the dialog; the job has not started
            return 1;
        });
        Click(start);
        ASSERT_EQ(queued.size(), 1u) << WideToUtf8(size.resolution);
        EXPECT_EQ(queued[0].kind, kClipMusic);
        EXPECT_EQ(queued[0].clipPath, clip);
        EXPECT_FLOAT_EQ(queued[0].musicStart, 1.5f);
        EXPECT_EQ(queued[0].musicVolume, 150);
        EXPECT_EQ(queued[0].videoWidth, size.width);
        EXPECT_EQ(queued[0].videoHeight, size.height);
        ASSERT_NE(queued[0].row, nullptr);
        EXPECT_EQ(queued[0].row->Resolution(), size.resolution);
        // The cancel empties the queue and gives the row back, sub-page buttons included.
        EXPECT_TRUE(window->m_vecExportQueue.empty());
        EXPECT_TRUE(start->IsVisible());
        EXPECT_FALSE(RowButton(row, 3)->IsVisible());
        EXPECT_TRUE(subPagesUsable());
    }
    EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(ListCommands, RefusedFormatsAreNamedAndNeverQueued)
{
    OpenTab(window->m_ptabGIF, window->m_pVideoGif);
    const struct { const wchar_t* chosen; bool refused; } cases[] = {
        { L"/v/a.QLV", true }, { L"/v/a.qsv", true }, { L"/v/a.kux", true }, { L"/v/a.mp4", false }, { L"/v/a", false },
    };
    for (const auto& c : cases) {
        AnswerChooser({ L"/v/first.mp4", c.chosen });
        const size_t before = Notices().size();
        Click(L"GIFAddFile");
        ASSERT_TRUE(Settle());
        const std::vector<std::wstring> seen = Notices();
        const bool named = std::find(seen.begin() + before, seen.end(), L"抱歉！此视频文件格式暂不支持。") != seen.end();
        EXPECT_EQ(named, c.refused) << WideToUtf8(c.chosen);
        // A refused choice starts no builder: its companion waits; an accepted one is built at once.
        EXPECT_EQ(window->PendingFileCount(CMainWnd::RowPage::Gif), c.refused ? 1u : 0u) << WideToUtf8(c.chosen);
        window->StartRowBuilder(CMainWnd::RowPage::Gif);
        ASSERT_TRUE(Settle());
    }
}

TEST_F(ListCommands, OpenButtonsShowTheExportedFileOrElseItsFolder)
{
    const std::wstring clip = ClipOf("open me.mp4", "160x120", 1);
    const std::wstring mark = incoming::MakeMedia("open mark.png", "-f lavfi -i color=c=white:size=16x16 -frames:v 1");
    ASSERT_FALSE(clip.empty() || mark.empty());
    RecordDesktopCommands();
    const auto showItem = [](const std::string& path) {
        std::string uri = "array:string:file://";
        for (char c : path)
            uri += c == ' ' ? std::string("%20") : std::string(1, c);
        return std::vector<std::string> { "dbus-send", "--session", "--print-reply", "--type=method_call",
                                          "--dest=org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                          "org.freedesktop.FileManager1.ShowItems", uri, "string:" };
    };

    // A GIF row: the file manager shows the GIF selected.
    const std::string gifOut = FreshFolder("open-gif");
    SkinUI::CControlUI* gifRow = ExportOneRow(window->m_ptabGIF, window->m_pVideoGif, CMainWnd::RowPage::Gif, clip, gifOut,
                                              L"GifOpen");
    ASSERT_FALSE(HasFailure());
    Click(RowButton(gifRow, 2));
    ASSERT_EQ(desktop.size(), 1u);
    EXPECT_EQ(desktop[0], showItem(gifOut + "/open me.gif"));
    EXPECT_TRUE(std::filesystem::exists(gifOut + "/open me.gif"));

    // A clip row, with no file manager on the desktop: its folder opens instead.
    ClipRecord record;
    record.kind = kClipWatermark;
    record.path = clip.c_str();
    record.durationMsText = L"1000";
    record.watermarkPng = mark;
    window->m_vecClips.push_back(record);
    const std::string clipOut = FreshFolder("open-clip");
    SkinUI::CControlUI* clipRow = ExportOneRow(window->m_ptabAdd, window->m_pVideoAddfileL, CMainWnd::RowPage::Clip, clip,
                                               clipOut, L"Open");
    ASSERT_FALSE(HasFailure());
    const std::vector<std::string> outputs = FilesIn(clipOut);
    ASSERT_EQ(outputs.size(), 1u);
    fileManagerAnswers = false;
    desktop.clear();
    Click(RowButton(clipRow, 2));
    ASSERT_EQ(desktop.size(), 2u);
    EXPECT_EQ(desktop[0], showItem(clipOut + "/" + outputs[0]));
    EXPECT_EQ(desktop[1], (std::vector<std::string> { "xdg-open", clipOut }));
}
