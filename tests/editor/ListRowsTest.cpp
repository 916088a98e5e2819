// The list rows of the merge, GIF and multi-clip pages, and files dropped on the window: rows are
// built from the row skins in queue order with their texts, records and connectors, and a drop
// reaches the page that is showing.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "IncomingFilesFixture.h"

namespace hl = platform::headless;

namespace {

SkinUI::IContainerUI* Rows(SkinUI::CControlUI* list)
{
    return static_cast<SkinUI::IContainerUI*>(list->GetInterface(L"IContainer"));
}

SkinUI::CControlUI* At(SkinUI::CControlUI* control, std::initializer_list<int> path)
{
    for (int i : path)
        control = control ? Rows(control)->GetItemAt(i) : nullptr;
    return control;
}

std::wstring Text(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

// Copies of one made clip under distinct names.
std::vector<std::wstring> Copies(const std::wstring& clip, const std::string& stem, int count)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        const std::string path = EditorScratchFolder() + "/media/" + stem + std::to_string(i) + ".mp4";
        std::filesystem::copy_file(WideToUtf8(clip), path, std::filesystem::copy_options::overwrite_existing);
        paths.push_back(AnsiToWide(path));
    }
    return paths;
}

class ListRows : public incoming::MainWindowFixture {
protected:
    void Queue(CMainWnd::RowPage page, const std::vector<std::wstring>& paths)
    {
        window->ShowRowList(page);
        window->AppendPendingFiles(page, paths);
        window->StartRowBuilder(page);
    }
    void Drop(const std::vector<std::wstring>& files)
    {
        RECT rc {};
        ::GetWindowRect(window->GetHWND(), &rc);
        hl::DropFiles((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, files);
    }
};

}  // namespace

TEST_F(ListRows, FilesAddedFromSeveralThreadsEachGetOneRowInQueueOrder)
{
    const std::wstring clip = incoming::VideoWithSound("row.mp4", 1);
    ASSERT_FALSE(clip.empty());
    const std::vector<std::wstring> files = Copies(clip, "many ", 24);
    CMainWnd& w = *window;
    for (CMainWnd::RowPage page : { CMainWnd::RowPage::Merge, CMainWnd::RowPage::Gif, CMainWnd::RowPage::Clip })
        w.ShowRowList(page);
    // Three threads append eight files each to every page and start its builder, while the
    // builders already run.
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&w, &files, t] {
            for (int i = 0; i < 8; ++i)
                for (CMainWnd::RowPage page : { CMainWnd::RowPage::Merge, CMainWnd::RowPage::Gif, CMainWnd::RowPage::Clip }) {
                    w.AppendPendingFiles(page, { files[t * 8 + i] });
                    w.StartRowBuilder(page);
                }
        });
    for (std::thread& t : threads)
        t.join();
    ASSERT_TRUE(Settle(120000));
    for (SkinUI::CControlUI* list : { w.m_pVideoMergeL, w.m_pVideoGif, w.m_pVideoAddfileL }) {
        SCOPED_TRACE(Text(list) + list->GetName().GetData());
        ASSERT_EQ(Rows(list)->GetCount(), 24);
        std::set<std::wstring> seen;
        for (int i = 0; i < 24; ++i)
            seen.insert(Rows(list)->GetItemAt(i)->GetUserData().GetData());
        EXPECT_EQ(seen, std::set<std::wstring>(files.begin(), files.end()));
    }
    ASSERT_EQ(w.m_vecGifRows.size(), 24u);
    ASSERT_EQ(w.m_vecClipInfos.size(), 24u);
    for (int i = 0; i < 24; ++i) {  // the records follow their rows
        EXPECT_EQ(std::wstring(w.m_vecGifRows[i].filePath.GetData()), Rows(w.m_pVideoGif)->GetItemAt(i)->GetUserData().GetData());
        EXPECT_EQ(std::wstring(w.m_vecClipInfos[i].path.GetData()),
                  Rows(w.m_pVideoAddfileL)->GetItemAt(i)->GetUserData().GetData());
        EXPECT_EQ(std::wstring(At(Rows(w.m_pVideoGif)->GetItemAt(i), { 0 })->GetUserData().GetData()),
                  std::wstring(w.m_vecGifRows[i].rowName.GetData()));
    }
    EXPECT_EQ(w.m_bMergeRowsBusy, 0);
    EXPECT_EQ(w.PendingFileCount(CMainWnd::RowPage::Gif), 0u);
}

TEST_F(ListRows, RowsCarryTheirTextsAndTheMergeConnectors)
{
    const std::wstring clip = incoming::VideoWithSound("wide.mp4", 1);
    const std::wstring silent = incoming::MakeMedia("mute.mp4", "-f lavfi -i testsrc=size=320x240 -t 1" + incoming::kH264);
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    Queue(CMainWnd::RowPage::Merge, { clip, silent, clip });
    Queue(CMainWnd::RowPage::Clip, { clip, clip, silent });
    Queue(CMainWnd::RowPage::Gif, { clip, clip });
    ASSERT_TRUE(Settle(60000));

    ASSERT_EQ(Rows(w.m_pVideoMergeL)->GetCount(), 3);
    incoming::ShowPageOf(w, w.m_pVideoMergeL);
    ASSERT_EQ(Rows(w.m_pVideoAddfileL)->GetCount(), 2);  // a clip is listed once
    ASSERT_EQ(Rows(w.m_pVideoGif)->GetCount(), 2);
    SkinUI::CControlUI* first = Rows(w.m_pVideoMergeL)->GetItemAt(0);
    EXPECT_TRUE(first->IsVisible());
    EXPECT_EQ(Text(At(first, { 2, 0, 1 })), L"wide");
    EXPECT_EQ(Text(At(first, { 2, 1, 0 })), L"格式:MP4");
    EXPECT_EQ(Text(At(first, { 2, 1, 1 })), L"时长:00:00:01");
    EXPECT_EQ(Text(At(first, { 2, 2, 1 })), L"分辨率:320x240");
    EXPECT_EQ(std::wstring(At(first, { 2, 2, 1 })->GetUserData().GetData()), L"320x240");
    EXPECT_EQ(Text(At(first, { 2, 2, 0 })).rfind(L"大小: 0.0", 0), 0u);
    EXPECT_EQ(std::wstring(At(first, { 3 })->GetUserData().GetData()), L"");
    EXPECT_EQ(std::wstring(At(Rows(w.m_pVideoMergeL)->GetItemAt(1), { 3 })->GetUserData().GetData()), L"mute");
    // Connectors and move buttons: first row only "Down", last only "up", the middle both.
    struct Want { bool down, up; std::wstring upper, lower; };
    const Want wants[] = { { true, false, L"", L"file='images/lianjie_01.png' " },
                           { true, true, L"file='images/lianjie_02.png' ", L"file='images/lianjie_01.png' " },
                           { false, true, L"file='images/lianjie_02.png' ", L"" } };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        SkinUI::CControlUI* row = Rows(w.m_pVideoMergeL)->GetItemAt(i);
        EXPECT_EQ(At(row, { 5, 1, 1 })->IsVisible(), wants[i].down);
        EXPECT_EQ(At(row, { 5, 1, 2 })->IsVisible(), wants[i].up);
        EXPECT_EQ(std::wstring(At(row, { 4, 0 })->GetBkImage().GetData()), wants[i].upper);
        EXPECT_EQ(std::wstring(At(row, { 2, 3 })->GetBkImage().GetData()), wants[i].lower);
    }
    SkinUI::CControlUI* gif = Rows(w.m_pVideoGif)->GetItemAt(0);
    EXPECT_EQ(Text(At(gif, { 2, 4, 0, 0 })), L"wide");
    EXPECT_EQ(Text(At(gif, { 2, 4, 1, 3 })), L"320x240");
    EXPECT_EQ(Text(At(gif, { 2, 4, 2, 1 })), L"00:00:01");
    EXPECT_EQ(std::wstring(At(gif, { 2, 4, 2, 3 })->GetUserData().GetData()), L"25");
    EXPECT_NE(std::wstring(At(gif, { 1, 0 })->GetForeImage().GetData()).find(L"dest='11,0,117,80'"), std::wstring::npos);
    SkinUI::CControlUI* clipRow = Rows(w.m_pVideoAddfileL)->GetItemAt(1);
    EXPECT_EQ(std::wstring(At(clipRow, { 2 })->GetUserData().GetData()), L"mute");
    EXPECT_EQ(Text(At(clipRow, { 2, 0, 0, 0 })), L"mute");
    EXPECT_TRUE(notices.empty());
}

// A row's thumbnail is its own file in the private work folder: the shared temporary folder is
// never written (a name planted there, here a link, is left alone), and no two rows share a picture.
TEST_F(ListRows, ThumbnailsArePrivateFilesOfTheirOwn)
{
    const std::wstring clip = incoming::VideoWithSound("thumb.mp4", 1);
    ASSERT_FALSE(clip.empty());
    const std::string shared = EditorScratchFolder();
    const std::string victim = FreshFolder("victim") + "/kept.txt";
    WriteFileText(victim, "kept");
    for (const char* name : { "/VkFile.jpg", "/VkFile1.jpg", "/VkFile2.jpg" }) {
        std::filesystem::remove(shared + name);
        std::filesystem::create_symlink(victim, shared + name);
    }
    CMainWnd& w = *window;
    Queue(CMainWnd::RowPage::Gif, Copies(clip, "thumb ", 2));
    ASSERT_TRUE(Settle(60000));
    ASSERT_EQ(Rows(w.m_pVideoGif)->GetCount(), 2);

    const std::string folder = WideToUtf8(platform::PrivateWorkFolder()) + "/";
    std::set<std::string> pictures;
    for (int i = 0; i < 2; ++i) {
        const std::string image = WideToUtf8(At(Rows(w.m_pVideoGif)->GetItemAt(i), { 1, 0 })->GetForeImage().GetData());
        const size_t start = image.find("file='") + 6;
        const std::string picture = image.substr(start, image.find('\'', start) - start);
        EXPECT_EQ(picture.rfind(folder, 0), 0u) << picture;
        EXPECT_TRUE(std::filesystem::is_regular_file(picture)) << picture;
        pictures.insert(picture);
    }
    EXPECT_EQ(pictures.size(), 2u);
    for (const auto& entry : std::filesystem::directory_iterator(shared)) {
        if (entry.path().filename().string().rfind("VkFile", 0) == 0) {
            EXPECT_TRUE(entry.is_symlink()) << entry.path() << " was written in the shared folder";
        }
    }
    EXPECT_EQ(ReadFileText(victim), "kept");
    for (const char* name : { "/VkFile.jpg", "/VkFile1.jpg", "/VkFile2.jpg" })
        EXPECT_TRUE(std::filesystem::remove(shared + name)) << name << " was left alone";
}

TEST_F(ListRows, BadFilesGiveNoticesAndNoRows)
{
    const std::wstring clip = incoming::VideoWithSound("good.mp4", 1);
    const std::string broken = EditorScratchFolder() + "/media/broken one.mp4";
    WriteFileText(broken, "not a video");
    CMainWnd& w = *window;
    Queue(CMainWnd::RowPage::Gif, { clip, AnsiToWide(broken), clip });
    ASSERT_TRUE(Settle(60000));
    ASSERT_EQ(Rows(w.m_pVideoGif)->GetCount(), 2);
    const int a = std::stoi(WideToUtf8(w.m_vecGifRows[0].rowName.GetData()).substr(3));
    EXPECT_EQ(std::wstring(w.m_vecGifRows[1].rowName.GetData()), FormatWide(L"Gif%d", a + 2));  // a number skipped
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], L"抱歉！此文件可能为损坏文件！\nbroken one");

    notices.clear();
    Queue(CMainWnd::RowPage::Merge, { AnsiToWide(broken), L"/v/x.qsv", clip });
    ASSERT_TRUE(Settle(60000));
    EXPECT_EQ(Rows(w.m_pVideoMergeL)->GetCount(), 0);  // the refused format ends the batch
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], L"抱歉！此文件可能为损坏文件！\nbroken one.mp4");
    EXPECT_EQ(notices[1], L"抱歉！此视频文件格式暂不支持。");
}

TEST_F(ListRows, DropsReachTheShowingPage)
{
    const std::wstring clip = incoming::VideoWithSound("drop.mp4", 1);
    ASSERT_FALSE(clip.empty());
    const std::string text = EditorScratchFolder() + "/media/notes.txt";
    WriteFileText(text, "x");
    const std::string folder = EditorScratchFolder() + "/media";
    CMainWnd& w = *window;

    incoming::Select(w.m_ptabGIF);
    Drop({ clip, clip, clip });
    ASSERT_TRUE(Settle(60000));
    EXPECT_EQ(Rows(w.m_pVideoGif)->GetCount(), 3);
    EXPECT_FALSE(w.m_pVideoVerGif->IsVisible());

    incoming::Select(w.m_ptabmerge);
    Drop({ AnsiToWide(folder), clip });
    Drop({ AnsiToWide(text), clip });
    ASSERT_TRUE(Settle(60000));
    EXPECT_EQ(Rows(w.m_pVideoMergeL)->GetCount(), 1);  // the folder is skipped, the text file stops the drop

    incoming::Select(w.m_ptabVideoCut);
    Drop({ AnsiToWide(folder), clip });
    EXPECT_EQ(w.m_strCutFile, L"");
    WriteFileText(folder + "/a.qsv", "x");
    Drop({ AnsiToWide(folder + "/a.qsv"), clip });
    EXPECT_EQ(notices, std::vector<std::wstring> { L"抱歉！此视频文件格式暂不支持。" });
    EXPECT_EQ(w.m_strCutFile, L"");  // the rest of that drop is ignored
    // A name far longer than the old 260-character buffer arrives whole.
    std::string deep = EditorScratchFolder() + "/media";
    while (deep.size() < 300)
        deep += "/" + std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const std::string longName = deep + "/clip.mp4";
    std::filesystem::copy_file(WideToUtf8(clip), longName);
    Drop({ AnsiToWide(longName), clip });
    EXPECT_EQ(w.m_strCutFile, AnsiToWide(longName));  // only the first is loaded
    EXPECT_EQ(w.m_bCutLoaded, 1);
    ASSERT_TRUE(Settle());
}
