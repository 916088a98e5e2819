#include "editor/mainwnd/MainWnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/TextFile.h"

namespace {

// A main window object whose data folder is a fresh folder with its "Config" inside.
struct HistoryFixture {
    explicit HistoryFixture(const std::string& name)
        : folder(FreshFolder(name))
    {
        std::filesystem::create_directories(folder + "/Config");
        main.m_strDataFolder = AnsiToWide(folder) + L"/";
    }
    std::string File() const { return folder + "/Config/History.xml"; }

    std::string folder;
    CMainWnd main;
};

std::vector<HistoryRecord> Reloaded(const std::string& folder)
{
    CMainWnd again;
    again.m_strDataFolder = AnsiToWide(folder) + L"/";
    again.LoadHistory();
    return again.HistorySnapshot();
}

}  // namespace

TEST(HistoryFile, ExportsComeBackNewestFirstWithAnyCharacters)
{
    HistoryFixture f("history-roundtrip");
    f.main.RecordHistoryEntry(L"/v/first clip.mp4", L"/out/first.gif");
    f.main.RecordHistoryEntry(L"/v/第二 ☃ 😀.mkv", L"/out/第二 ☃ 😀.mp4");
    const std::string text = ReadFileText(f.File());
    EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_LT(text.find("root0"), text.find("root1"));
    EXPECT_LT(text.find("第二"), text.find("first clip"));  // the newer export is root0

    const std::vector<HistoryRecord> back = Reloaded(f.folder);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].sourcePath, L"/v/第二 ☃ 😀.mkv");
    EXPECT_EQ(back[0].outputName, L"第二 ☃ 😀.mp4");
    EXPECT_EQ(back[1].sourceName, L"first clip.mp4");
    EXPECT_EQ(back[1].outputPath, L"/out/first.gif");
    for (const auto& entry : std::filesystem::directory_iterator(f.folder + "/Config"))
        EXPECT_EQ(entry.path().filename(), "History.xml") << "no temporary file is left";
}

// Saves from several threads never overlap: once an export's entry is recorded, the file holds it
// (an overlapping save that printed the list earlier and renamed its file later would drop it),
// and at the end file and memory agree.
TEST(HistoryFile, EntriesFromSeveralThreadsAreAllKept)
{
    HistoryFixture f("history-threads");
    constexpr int kThreads = 8, kEach = 25;
    std::atomic<int> waiting { kThreads }, dropped { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&f, &waiting, &dropped, t] {
            for (--waiting; waiting > 0;)  // all start together, so that their saves meet
                std::this_thread::yield();
            for (int i = 0; i < kEach; ++i) {
                const std::wstring source = FormatWide(L"/v/t%d-%d.mp4", t, i);
                f.main.RecordHistoryEntry(source, FormatWide(L"/o/t%d-%d.mp4", t, i));
                dropped += ReadFileText(f.File()).find(WideToUtf8(source)) == std::string::npos;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(dropped, 0) << "entries missing from the file right after they were recorded";
    const std::vector<HistoryRecord> memory = f.main.HistorySnapshot();
    const std::vector<HistoryRecord> back = Reloaded(f.folder);
    ASSERT_EQ(back.size(), static_cast<size_t>(kThreads * kEach));
    for (size_t i = 0; i < back.size(); ++i)
        EXPECT_EQ(back[i].sourcePath, memory[i].sourcePath) << "file and memory keep one order";
    for (int t = 0; t < kThreads; ++t) {  // each thread's entries: its later ones first
        std::vector<std::wstring> mine;
        for (const HistoryRecord& r : back)
            if (r.sourcePath.rfind(FormatWide(L"/v/t%d-", t), 0) == 0)
                mine.push_back(r.sourcePath);
        ASSERT_EQ(mine.size(), static_cast<size_t>(kEach));
        EXPECT_EQ(mine.front(), FormatWide(L"/v/t%d-%d.mp4", t, kEach - 1));
    }
}

TEST(HistoryFile, OlderGbkFileIsRead)
{
    HistoryFixture f("history-gbk");
    // "视频" in GBK: d3 ca c6 b5; written by an older version without a declaration.
    const std::string gbk = "\xca\xd3\xc6\xb5";
    WriteFileText(f.File(), "<root0><Element0 Data=\"2024-5-6\" /><Element1 oriFile=\"" + gbk
                                + ".mp4\" /><Element2 OutFile=\"b.gif\" /><Element3 OriPath=\"C:\\" + gbk
                                + ".mp4\" /><Element4 OutPath=\"D:\\b.gif\" /></root0>");
    f.main.LoadHistory();
    const std::vector<HistoryRecord> back = f.main.HistorySnapshot();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].date, L"2024-5-6");
    EXPECT_EQ(back[0].sourceName, L"视频.mp4");
    EXPECT_EQ(back[0].sourcePath, L"C:\\视频.mp4");
    EXPECT_EQ(back[0].outputPath, L"D:\\b.gif");
}

TEST(HistoryFile, ForeignNamesAndMissingPartsAreReadAsTheyStand)
{
    HistoryFixture f("history-foreign");
    WriteFileText(f.File(), "<root0><Element3 OriPath=\"/a.mp4\"/><Element9 OriPath=\"/x\"/></root0>"
                            "<whatever><Element0 Data=\"2025-1-2\"/><Element3/></whatever>");
    f.main.LoadHistory();
    const std::vector<HistoryRecord> back = f.main.HistorySnapshot();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].sourcePath, L"/a.mp4");
    EXPECT_EQ(back[1].date, L"2025-1-2");
    // A record never borrows another's fields: a missing attribute is empty.
    EXPECT_EQ(back[1].sourcePath, L"");
}

TEST(HistoryFile, CommentOnlyFileIsDeletedEmptyOrBrokenFileKept)
{
    struct Case { const char* name; const char* text; bool kept; };
    const Case cases[] = {
        { "comment only", "<!-- nothing here -->", false },
        { "empty", "", true },
        { "malformed", "<root0><Element0", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryFixture f("history-odd");
        WriteFileText(f.File(), c.text);
        f.main.LoadHistory();
        EXPECT_TRUE(f.main.HistorySnapshot().empty());
        EXPECT_EQ(std::filesystem::exists(f.File()), c.kept);
    }
}

TEST(HistoryFile, EmptyHistorySavesAnEmptyFile)
{
    HistoryFixture f("history-empty");
    WriteFileText(f.File(), "old");
    EXPECT_TRUE(f.main.SaveHistory());
    EXPECT_TRUE(std::filesystem::exists(f.File()));
    EXPECT_EQ(ReadFileText(f.File()), "");
}

TEST(HistoryFile, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    const std::string folder = FreshFolder("history-fail");
    // A folder where the file should be: the rename over it fails.
    std::filesystem::create_directories(folder + "/History.xml/inside");
    EXPECT_FALSE(ReplaceFileContents(AnsiToWide(folder + "/History.xml"), "new"));
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/History.xml/inside"));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "the temporary file is removed";
    EXPECT_FALSE(ReplaceFileContents(AnsiToWide(folder + "/missing/History.xml"), "new"));
}
