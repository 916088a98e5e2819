#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/MergeExport.h"
#include "media/WorkFiles.h"
#include "platform/WinBase.h"

using namespace mediatest;

namespace {

struct MergeRow {
    MergeRow(std::wstring p, std::wstring d = L"", std::wstring r = L"", bool m = false)
        : path(std::move(p)), durationMs(std::move(d)), resolution(std::move(r)), mute(m) {}
    std::wstring path, durationMs, resolution;
    bool mute = false;
    std::wstring converted;
};

class FakeMergeList : public MergeListView {
public:
    int RowCount() const override { return static_cast<int>(rows.size()); }
    SkinUI::CUIString RowPath(int row) const override { return rows[row].path.c_str(); }
    SkinUI::CUIString RowDuration(int row) const override { return rows[row].durationMs.c_str(); }
    SkinUI::CUIString RowResolution(int row) const override { return rows[row].resolution.c_str(); }
    bool RowIsMute(int row) const override { return rows[row].mute; }
    SkinUI::CUIString ConvertedPath(int row) const override
    {
        std::lock_guard guard(lock);
        return rows[row].converted.c_str();
    }
    void SetConvertedPath(int row, const SkinUI::CUIString& path) override
    {
        std::lock_guard guard(lock);
        rows[row].converted = path.GetData();
        ++conversions;
    }

    std::vector<MergeRow> rows;
    mutable std::mutex lock;
    int conversions = 0;
};

std::string Quoted(const std::string& path)
{
    std::string out = "'";
    for (char c : path)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A one-second clip of one colour; "" as tone gives a clip without sound.
std::wstring Clip(const std::string& name, const std::string& size, const std::string& colour, const std::string& tone)
{
    const std::string path = Folder() + name;
    if (!Exists(Wide(path))) {
        const std::string sound = tone.empty() ? "" : " -f lavfi -i sine=frequency=" + tone + ":sample_rate=44100 -c:a aac";
        const std::string escaped = Quoted(path);
        EXPECT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=" + colour + ":size=" + size
                          + ":rate=24" + sound + " -t 1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -shortest "
                          + escaped));
    }
    return Wide(path);
}

// The mean colour of a small square in the middle of the frame at the given second.
std::array<int, 3> CentreColour(const std::wstring& path, double seconds)
{
    char command[1024];
    std::snprintf(command, sizeof(command),
                  "ffmpeg -nostdin -loglevel error -ss %.2f -i %s -frames:v 1 -vf "
                  "'crop=16:16:(iw-16)/2:(ih-16)/2,scale=1:1' -f rawvideo -pix_fmt rgb24 -",
                  seconds, Quoted(Narrow(path)).c_str());
    std::array<int, 3> rgb { -1, -1, -1 };
    FILE* pipe = popen(command, "r");
    if (!pipe)
        return rgb;
    unsigned char bytes[3] {};
    if (std::fread(bytes, 1, 3, pipe) == 3)
        rgb = { bytes[0], bytes[1], bytes[2] };
    pclose(pipe);
    return rgb;
}

int Dominant(const std::array<int, 3>& rgb)
{
    if (rgb[0] < 0)
        return -1;
    return static_cast<int>(std::max_element(rgb.begin(), rgb.end()) - rgb.begin());
}

class MergeExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring name = Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_appFolder = WideFolder() + L"程序 " + name + L"/";
        m_outFolder = WideFolder() + L"合并 [out] " + name;
        std::filesystem::create_directories(Narrow(m_appFolder + L"TempMerge"));
        std::filesystem::create_directories(Narrow(m_outFolder));
        ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i anullsrc=r=44100:cl=stereo -t 0.2 -c:a aac '"
                          + Narrow(m_appFolder) + "roreravconvert.aac'"));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_strAppFolder = m_appFolder;
        m_main.m_strDataFolder = m_appFolder;
        m_main.m_pMergeList = &m_list;
        m_main.m_mergeSettings.folder = m_outFolder.c_str();
        m_main.m_mergeSettings.name = L"视频合并";
        m_main.m_mergeSettings.format = L"mp4";
        CancelFlag = 0;
        m_earlierWorkFiles = MergeWorkFiles();
    }

    // Red 1280x720 with a 440 Hz tone, green 640x480 without sound, blue 720x480 with 1000 Hz.
    void AddThreeClips(const char* first, const char* second, const char* third)
    {
        m_list.rows = {
            { Clip(first, "1280x720", "red", "440"), L"1000", L"1280x720" },
            { Clip(second, "640x480", "green", ""), L"1000", L"640x480", true },
            { Clip(third, "720x480", "blue", "1000"), L"1000", L"720x480" },
        };
    }

    std::wstring Output() const { return m_outFolder + L"/视频合并.mp4"; }

    // Three seconds with sound, and red, green, blue in that order.
    void ExpectJoinedInOrder(const std::wstring& output, int width, int height)
    {
        const OutputInfo info = Probe(output);
        ASSERT_TRUE(info.opened);
        EXPECT_NEAR(info.durationSeconds, 3.0, 0.35);
        EXPECT_EQ(info.videoCodec, "h264");
        EXPECT_EQ(info.audioCodec, "aac");
        if (width > 0) {
            EXPECT_EQ(info.width, width);
            EXPECT_EQ(info.height, height);
        }
        for (int clip = 0; clip < 3; ++clip) {
            const std::array<int, 3> rgb = CentreColour(output, clip + 0.5);
            EXPECT_EQ(Dominant(rgb), clip) << "clip " << clip << ": " << rgb[0] << "," << rgb[1] << "," << rgb[2];
        }
    }

    // The merge's work files in the private work folder, but those an earlier test left.
    std::vector<std::string> MergeWorkFiles() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(Narrow(platform::PrivateWorkFolder()))) {
            const std::string name = entry.path().filename().string();
            for (const char* stem : { "Videots-", "filelist-", "merge-row-", "convertedlist-" })
                if (name.rfind(stem, 0) == 0 && std::count(m_earlierWorkFiles.begin(), m_earlierWorkFiles.end(), name) == 0)
                    files.push_back(name);
        }
        return files;
    }

    std::wstring m_appFolder, m_outFolder;
    std::vector<std::string> m_earlierWorkFiles;
    FakeMergeList m_list;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

}  // namespace

TEST(MergeChecks, SizeAgreementAndSharedFormat)
{
    struct Case {
        std::vector<std::wstring> resolutions;
        int agreement;
    } cases[] = {
        { { L"1920x1080", L"1280x720" }, 3 },
        { { L"1920x1080", L"1920x800" }, 0 },
        { { L"640x480", L"720x480" }, 1 },
        { { L"640x480", L"640x480" }, 2 },
        { { L"640x480", L"bad", L"720x360" }, 2 },  // the scan stops at a size it cannot read
        { {}, 2 },
    };
    for (const Case& c : cases) {
        FakeMergeList list;
        for (const std::wstring& resolution : c.resolutions)
            list.rows.push_back({ L"a.mp4", L"1000", resolution });
        CMainWnd main;
        main.m_pMergeList = &list;
        EXPECT_EQ(main.MergeInputsSizeAgreement(), c.agreement) << c.resolutions.size();
    }
    FakeMergeList list;
    CMainWnd main;
    main.m_pMergeList = &list;
    list.rows = { { L"/x/a.MP4" }, { L"/y/b.mp4" } };
    EXPECT_TRUE(main.MergeInputsShareFormat());
    list.rows = { { L"/x/a.mp4" }, { L"/y/b.mkv" } };
    EXPECT_FALSE(main.MergeInputsShareFormat());
    EXPECT_GE(CMainWnd::ComputeWorkerCount(), 2);
}

TEST_F(MergeExportTest, SameExtensionJoinsInOneRunWithSilenceForTheMuteClip)
{
    AddThreeClips("m red.mp4", "m green.MP4", "m blue.mp4");
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Succeeded);
    ExpectJoinedInOrder(Output(), 1920, 1080);  // widths and heights both differ
    EXPECT_EQ(m_main.m_bMergeSameFormat, 1);
    EXPECT_FLOAT_EQ(m_main.m_fJobPercent.load(), 100.0f);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0], L"您的视频文件已合并完成，需要现在打开吗？");
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
}

TEST_F(MergeExportTest, ExportSizeIsMadeEvenAndWins)
{
    AddThreeClips("m red.mp4", "m green.MP4", "m blue.mp4");
    m_main.m_mergeSettings.width = L"321";
    m_main.m_mergeSettings.height = L"240";
    m_main.m_nMergeTotalSeconds = 3;
    m_main.m_nMergeSizeAgreement = m_main.MergeInputsSizeAgreement();
    ASSERT_TRUE(m_main.MergeByConcatFilter(Output(), false));
    ExpectJoinedInOrder(Output(), 320, 240);
}

TEST_F(MergeExportTest, StreamCopyJoinsThroughAnEscapedList)
{
    m_list.rows = {
        { Clip("it's [a].mp4", "320x240", "red", "440"), L"1000", L"320x240" },
        { Clip("b, c; d.mp4", "320x240", "lime", "660"), L"1000", L"320x240" },
        { Clip("\"e\".mp4", "320x240", "blue", "1000"), L"1000", L"320x240" },
    };
    m_main.m_nMergeTotalSeconds = 3;
    const int before = g_nMergeTsCounter;
    ASSERT_TRUE(m_main.MergeByStreamCopy(Output()));
    ExpectJoinedInOrder(Output(), 320, 240);
    EXPECT_EQ(g_nMergeTsCounter, before + 3);
    EXPECT_TRUE(MergeWorkFiles().empty());  // the stream files and their list are gone after the join

    // Sizes that differ and a clip without sound: the join re-encodes at the first clip's size.
    AddThreeClips("m red.mp4", "m green.MP4", "m blue.mp4");
    ASSERT_TRUE(m_main.MergeByStreamCopy(Output()));
    ExpectJoinedInOrder(Output(), 1280, 720);
}

TEST_F(MergeExportTest, PoolConvertsEveryRowWithSoundAndTheJoinKeepsOrder)
{
    AddThreeClips("m red.mp4", "m green.MP4", "m blue.mp4");
    m_list.rows.push_back({ Clip("m red.mp4", "1280x720", "red", "440"), L"1000", L"1280x720" });
    m_main.m_nMergeWorkerCount = 3;
    m_main.m_nMergeTotalSeconds = 4;
    m_main.m_mergeSettings.width = L"640";
    m_main.m_mergeSettings.height = L"360";
    m_main.m_nMergeSizeAgreement = 2;
    m_main.RunMergePool();
    EXPECT_EQ(m_list.conversions, 4);
    EXPECT_NEAR(m_main.m_fJobPercent.load(), 50.0f, 0.5f);  // the pool fills the first half
    for (int row = 0; row < 4; ++row) {
        const std::wstring converted = EncoderPath(m_list.rows[row].converted);
        const OutputInfo info = Probe(converted);
        EXPECT_EQ(info.audioCodec, "aac") << row;
        EXPECT_EQ(info.width, 640) << row;
        EXPECT_EQ(info.height, 360) << row;
        EXPECT_NEAR(info.durationSeconds, 1.0, 0.2) << row;
    }
    EXPECT_NE(m_list.rows[0].converted, m_list.rows[3].converted);  // the same input twice
    m_list.rows.pop_back();
    m_main.m_nMergeTotalSeconds = 3;
    ASSERT_TRUE(m_main.MergeByConcatFilter(Output(), true));
    ExpectJoinedInOrder(Output(), 640, 360);
    EXPECT_FLOAT_EQ(m_main.m_fJobPercent.load(), 100.0f);
}

TEST_F(MergeExportTest, MixedExtensionsArePreConvertedAndJoined)
{
    AddThreeClips("m red.mp4", "m green.mkv", "m blue.MP4");
    m_main.m_mergeSettings.width = L"480";
    m_main.m_mergeSettings.height = L"270";
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Succeeded);
    // Widths and heights differ: each file is padded to full HD before the join.
    ExpectJoinedInOrder(Output(), 1920, 1080);
    EXPECT_TRUE(MergeWorkFiles().empty());  // the converted files are gone after the join
}

TEST_F(MergeExportTest, NothingToJoinIsRefused)
{
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Refused);
    m_list.rows = { { Clip("m red.mp4", "1280x720", "red", "440"), L"0", L"1280x720" } };
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Refused);
    EXPECT_EQ(m_messages.Messages().size(), 2u);
    EXPECT_FALSE(Exists(Output()));
}

TEST_F(MergeExportTest, BrokenInputsEndWithTheFailureMessageAndNoOutput)
{
    m_list.rows = { { Fixture("notmedia.mp4"), L"1000", L"320x240" }, { Fixture("notmedia.mp4"), L"1000", L"320x240" } };
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Failed);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0], L"视频文件合并失败，请您联系客服处理！");
    EXPECT_FALSE(Exists(Output()));
}

// A row that cannot be read is never left out of a join that then reports success, and a stream
// file an earlier run left at the very name this run is about to use is never joined: every
// strategy fails, or the join holds the inputs and nothing else.
TEST_F(MergeExportTest, UnreadableRowsAndLeftoverStreamFilesNeverReachTheOutput)
{
    // The leftovers of a fake earlier run: a red clip at the next stream files' names.
    const std::wstring leftover = Clip("l red.mp4", "320x240", "red", "440");
    std::vector<std::string> planted;
    auto plantLeftovers = [&](int count) {
        for (int n = g_nMergeTsCounter + 1; n <= g_nMergeTsCounter + count; ++n) {
            planted.push_back(Narrow(EncoderPath(ExportWorkFile(L"Videots", n, L"ts"))));
            ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -i " + Quoted(Narrow(leftover)) + " -c copy -f mpegts "
                              + Quoted(planted.back())));
        }
    };
    const std::wstring blue = Clip("l blue.mp4", "320x240", "blue", "1000");
    const std::wstring green = Clip("l green.mp4", "320x240", "green", "660");
    struct Case {
        const char* name;
        std::vector<MergeRow> rows;
        bool whole;  // run the whole job, else the stream copy alone
        bool joined;
    } cases[] = {
        { "job", { { blue, L"1000", L"320x240" }, { Fixture("notmedia.mp4"), L"0", L"" } }, true, false },
        { "stream copy", { { blue, L"1000", L"320x240" }, { Fixture("notmedia.mp4"), L"0", L"" } }, false, false },
        { "stream copy of two clips", { { blue, L"1000", L"320x240" }, { green, L"1000", L"320x240" } }, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_list.rows = c.rows;
        m_main.m_nMergeTotalSeconds = static_cast<int>(c.rows.size());
        plantLeftovers(static_cast<int>(c.rows.size()));
        if (c.whole)
            EXPECT_EQ(m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings)), ExportOutcome::Failed);
        else
            EXPECT_EQ(m_main.MergeByStreamCopy(Output()), c.joined);
        EXPECT_EQ(Exists(Output()), c.joined);
        for (const std::string& file : planted)  // those past the row that ended the strategy
            std::filesystem::remove(file);
        EXPECT_TRUE(MergeWorkFiles().empty());
        if (!c.joined)
            continue;
        const OutputInfo info = Probe(Output());
        EXPECT_NEAR(info.durationSeconds, 2.0, 0.2);
        EXPECT_EQ(Dominant(CentreColour(Output(), 0.5)), 2);
        EXPECT_EQ(Dominant(CentreColour(Output(), 1.5)), 1);
    }
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>({ L"视频文件合并失败，请您联系客服处理！" }));
}

TEST_F(MergeExportTest, CancelDuringThePoolLeavesNothing)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    AddThreeClips("m red.mp4", "m green.mkv", "m blue.MP4");
    m_main.m_nMergeWorkerCount = 2;
    std::atomic<bool> finished { false };
    std::thread user([&] {
        while (!finished && m_main.m_fJobPercent.load() <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CancelFlag = 1;
    });
    const ExportOutcome outcome = m_main.FinishPageExport(m_main.ExportMerged(m_main.m_mergeSettings));
    finished = true;
    user.join();
    EXPECT_EQ(outcome, ExportOutcome::Cancelled);
    EXPECT_FALSE(Exists(Output()));
    EXPECT_TRUE(MergeWorkFiles().empty());
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_EQ(CancelFlag.load(), 0);
    EXPECT_TRUE(m_messages.Messages().empty());
}
