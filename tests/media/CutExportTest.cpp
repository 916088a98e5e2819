#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "MediaTestSupport.h"
#include "editor/dialogs/ShowProgress.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"

using namespace mediatest;

namespace {

const std::wstring kCutDone = L"您的视频文件已剪切完成,需要现在打开吗？";
const std::wstring kCutFailed = L"视频文件剪切失败，请您联系客服处理！";

// A cut page loaded with a 320x240 source, exporting into an awkwardly named folder.
class CutExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_outFolder = WideFolder() + L"输出 [x], y'z" + Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Narrow(m_outFolder));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_pPageView = &m_view;
        m_main.m_strCutWidth = L"320";
        m_main.m_strCutHeight = L"240";
        m_main.m_strCutAspect = L"1.333333";
        m_main.m_strCutInfo = L"25";
        m_main.m_strCutViewWidth = L"400";
        m_main.m_strCutViewHeight = L"300";
        m_main.m_nPreviewWidth = 977;
        m_main.m_nPreviewHeight = 360;
        m_main.m_exportInfo.folder = m_outFolder.c_str();
        m_main.m_exportInfo.name = L"剪切 it's";
        m_main.m_exportInfo.format = L"mp4";
        CancelFlag = 0;
    }

    std::wstring Output(const std::wstring& suffix = L"") const
    {
        return m_outFolder + L"/剪切 it's" + suffix + L".mp4";
    }

    std::wstring m_outFolder;
    FakePageView m_view;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

// The brightest luma of the output's first picture: the fixture is black, burnt-in text is white.
int FirstFrameMaxLuma(const std::wstring& path)
{
    int brightest = -1;
    WithFirstFrame(path, [&](const AVFrame& frame) {
        brightest = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                brightest = std::max<int>(brightest, frame.data[0][y * frame.linesize[0] + x]);
    });
    return brightest;
}

}  // namespace

TEST_F(CutExportTest, RangeOfAnAwkwardlyNamedSource)
{
    const std::wstring source = WideFolder() + L"源 [1], it's; a:b.mp4";
    std::filesystem::copy_file(Narrow(Fixture("in put.mp4")), Narrow(source));
    m_main.m_strCutFile = source;
    m_view.SetCutRange(1.0, 3.0);

    const ExportResult result = m_main.ExportCut(m_main.m_exportInfo);
    m_main.m_strCutFile = Fixture("in put.mp4");  // loaded before the UI thread finishes the job
    ASSERT_EQ(m_main.FinishPageExport(result), ExportOutcome::Succeeded);
    const OutputInfo out = Probe(Output());
    EXPECT_EQ(out.videoCodec, "h264");
    EXPECT_EQ(out.audioCodec, "aac");
    EXPECT_EQ(out.width, 320);
    EXPECT_EQ(out.height, 240);
    EXPECT_NEAR(out.durationSeconds, 2.0, 0.1);
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>({ kCutDone }));
    EXPECT_TRUE(m_view.overlaysShown);
    ASSERT_EQ(m_main.HistorySnapshot().size(), 1u);
    EXPECT_EQ(m_main.HistorySnapshot()[0].sourcePath, source);

    // The same export again does not overwrite the first.
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    EXPECT_TRUE(Probe(Output(L"(1)")).opened);
    EXPECT_EQ(ChildProcessCount(), 0);
}

TEST_F(CutExportTest, CropMuteAndSize)
{
    m_main.m_strCutFile = Fixture("in put.mp4");
    m_view.SetCutRange(0.5, 2.5);
    // 200 x 150 of the 400 x 300 preview: two thirds of a source pixel each, 133 lowered to 132.
    m_view.fields[L"cut_width"] = L"200";
    m_view.fields[L"cut_height"] = L"150";
    m_view.sliders[L"SoundSlider"] = 0;
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    OutputInfo out = Probe(Output());
    EXPECT_EQ(out.width, 132);
    EXPECT_EQ(out.height, 100);
    EXPECT_TRUE(out.audioCodec.empty());

    m_main.m_exportInfo.width = L"160";
    m_main.m_exportInfo.height = L"120";
    m_view.sliders[L"SoundSlider"] = 50;
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    out = Probe(Output(L"(1)"));
    EXPECT_EQ(out.width, 160);
    EXPECT_EQ(out.height, 120);
    EXPECT_EQ(out.audioCodec, "aac");
}

TEST_F(CutExportTest, WebmGoesThroughTwoPasses)
{
    m_main.m_strCutFile = Fixture("clip.webm");
    m_main.m_strCutWidth = L"160";
    m_main.m_strCutHeight = L"120";
    m_view.SetCutRange(0.2, 1.9);
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    const OutputInfo out = Probe(Output());
    EXPECT_EQ(out.videoCodec, "h264");
    EXPECT_EQ(out.audioCodec, "mp3");
    EXPECT_NEAR(out.durationSeconds, 1.7, 0.1);
    EXPECT_FALSE(Exists(Wide(std::string(getenv("TMPDIR"))) + L"/vkEditTemp.ts"));
}

// Judged by the file: a cut too short to report a position keeps its re-encoded file (its size
// shows no stream copy replaced it), and a 23.976 fps source keeps every frame although the
// page knows its rate only as 23.
TEST_F(CutExportTest, ShortAndFractionalRateCutsKeepEveryFrame)
{
    struct Case { std::string fixture; std::wstring rate; double start, end; long long frames; } cases[] = {
        { "in put.mp4", L"25", 1.0, 1.8, 20 },
        { "film.mp4", L"23", 0.0, 10.0, 240 },
    };
    m_main.m_exportInfo.width = L"160";
    m_main.m_exportInfo.height = L"120";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        m_main.m_strCutFile = Fixture(c.fixture);
        m_main.m_strCutInfo = c.rate;
        m_view.SetCutRange(c.start, c.end);
        ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
        const OutputInfo out = Probe(EncoderPath(m_main.HistorySnapshot().front().outputPath));
        EXPECT_EQ(out.videoFrames, c.frames);
        EXPECT_NEAR(out.durationSeconds, c.end - c.start, 0.05);
        EXPECT_EQ(out.width, 160);
    }
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>(2, kCutDone));
}

TEST_F(CutExportTest, FailedReencodeRetriesAsStreamCopy)
{
    m_main.m_strCutFile = Fixture("in put.mp4");
    m_main.m_exportInfo.width = L"abc";  // the encoder refuses this size before it encodes anything
    m_main.m_exportInfo.height = L"def";
    m_view.SetCutRange(0.0, 2.0);
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    const OutputInfo out = Probe(Output());
    EXPECT_EQ(out.videoCodec, "h264");
    EXPECT_EQ(out.width, 320);
    EXPECT_EQ(out.audioCodec, "aac");
    EXPECT_NEAR(out.durationSeconds, 2.0, 0.1);
}

TEST_F(CutExportTest, BurntSubtitlesFollowTheSourceClock)
{
    // The fixture shows its subtitle from 0 to 1 s only, on black. (Ranges of at least a second
    // and a half: a shorter run may never report a position and end in the stream-copy retry.)
    // A double quote and a semicolon in the name, too: the filter argument is escaped for the
    // command line as well as for the filtergraph.
    const std::wstring quoted = WideFolder() + L"say \"hi\"; [a] b'c.mkv";
    std::filesystem::copy_file(Narrow(Fixture("[a] b'c.mkv")), Narrow(quoted));
    m_main.m_bCutInfo1 = 1;
    struct Case { std::wstring source; double start, end; bool textVisible; };
    const Case cases[] = { { Fixture("[a] b'c.mkv"), 0.2, 2.2, true }, { quoted, 1.4, 3.0, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        m_main.m_strCutFile = c.source;
        m_view.SetCutRange(c.start, c.end);
        ASSERT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Succeeded);
        const std::wstring output = m_main.HistorySnapshot().front().outputPath;  // newest first
        const int luma = FirstFrameMaxLuma(EncoderPath(output));
        EXPECT_EQ(luma > 128, c.textVisible) << "brightest luma " << luma;
    }
}

TEST_F(CutExportTest, CancelMidwayLeavesNothing)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    m_main.m_strCutFile = Fixture("long.mp4");
    m_main.m_strCutWidth = L"160";
    m_main.m_strCutHeight = L"120";
    m_view.SetCutRange(0.0, 40.0);
    CShowProgress progress(&m_main);
    m_main.SetProgressWindow(&progress, nullptr);
    std::atomic<bool> finished { false };
    std::thread user([&] {
        while (!finished && m_main.m_fJobPercent.load() <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!finished)
            progress.Cancel();
    });
    const ExportOutcome outcome = m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo));
    finished = true;
    user.join();
    EXPECT_EQ(outcome, ExportOutcome::Cancelled);
    EXPECT_FALSE(Exists(Output()));
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_EQ(CancelFlag.load(), 0);
    EXPECT_EQ(m_main.m_pProgressWnd.load(), nullptr);
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
}

TEST_F(CutExportTest, UnreadableSourceFailsWithItsMessage)
{
    m_main.m_strCutFile = Fixture("notmedia.mp4");  // both the re-encode and the stream copy fail
    m_view.SetCutRange(0.0, 2.0);
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Failed);
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>({ kCutFailed }));
    EXPECT_FALSE(Exists(Output()));
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
    EXPECT_TRUE(m_view.overlaysShown);
}

TEST_F(CutExportTest, EndBeforeStartIsRefused)
{
    m_main.m_strCutFile = Fixture("in put.mp4");
    m_view.SetCutRange(3.0, 1.0);
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportCut(m_main.m_exportInfo)), ExportOutcome::Refused);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].find(L"结束时间"), std::wstring::npos);
    EXPECT_FALSE(Exists(Output()));
}

TEST(ShowProgress, ShowsTheJobPercentage)
{
    CMainWnd main;
    CShowProgress progress(&main);
    main.m_fJobPercent = 37.256f;
    EXPECT_EQ(progress.BarValue(), 37);
    EXPECT_EQ(progress.PercentText(), L"37.26%");
}
