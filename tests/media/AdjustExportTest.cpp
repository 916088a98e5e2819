#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/AdjustExport.h"
#include "media/CommandText.h"

using namespace mediatest;

namespace {

const std::wstring kTemp[2] = { L"/t/one.mp4", L"/t/two.mp4" };

std::vector<AdjustRun> Plan(const AdjustSettings& settings)
{
    return PlanAdjustRuns(settings, L"ffmpeg.exe", L"/in/src.mp4", L"/out/dst.mp4", kTemp);
}

AdjustSettings Sliders(int brightness, int saturation, int contrast)
{
    AdjustSettings s;
    s.brightness = brightness;
    s.saturation = saturation;
    s.contrast = contrast;
    return s;
}

}  // namespace

TEST(AdjustPlan, EqTermsAreFormattedAsTheFilterTakesThem)
{
    const struct {
        AdjustSettings settings;
        const wchar_t* graph;
    } cases[] = {
        { Sliders(150, 100, 100), L"[0:v]eq=brightness=0.500000 " },
        { Sliders(40, 100, 100), L"[0:v]eq=brightness=-0.600000 " },
        { Sliders(0, 100, 100), L"[0:v]eq=brightness=-1.000000 " },
        { Sliders(100, 50, 100), L"[0:v]eq=saturation=0.749625 " },
        { Sliders(150, 200, 100), L"[0:v]eq=brightness=0.500000:saturation=2.998501 " },
        { Sliders(100, 100, 150), L"[0:v]eq=contrast=1.500000 " },
    };
    for (const auto& c : cases) {
        const std::vector<AdjustRun> runs = Plan(c.settings);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_NE(runs[0].command.find(c.graph), std::wstring::npos) << Narrow(runs[0].command);
        EXPECT_EQ(runs[0].output, L"/out/dst.mp4");
    }
}

TEST(AdjustPlan, RunsChainThroughDistinctFilesInEqualShares)
{
    AdjustSettings nothing;
    nothing.width = L"640";
    nothing.height = L"360";
    std::vector<AdjustRun> runs = Plan(nothing);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].command, L"ffmpeg.exe -y -i  \"/in/src.mp4\"   -s 640x360  -vcodec h264 -acodec aac -pix_fmt "
                               L"yuv420p  -preset superfast \"/out/dst.mp4\" ");

    AdjustSettings reverseSlow;
    reverseSlow.reverse = true;
    reverseSlow.speed = L"0.8x";
    runs = Plan(reverseSlow);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[0].command.find(L"[0:v]reverse;[0:a]areverse"), std::wstring::npos);
    EXPECT_NE(runs[1].command.find(L"setpts=PTS/0.8 -af atempo=0.8"), std::wstring::npos);
    EXPECT_EQ(runs[1].input, runs[0].output);
    EXPECT_EQ(runs[1].basePercent, 50);

    AdjustSettings all = Sliders(120, 100, 100);
    all.reverse = true;
    all.rotate = true;
    all.rotation = L"90°";
    all.sourceHasSound = false;  // reversing picture only; no tempo filter without sound
    all.speed = L"1.5x";
    runs = Plan(all);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].basePercent + runs[1].basePercent + runs[2].basePercent, 0 + 33 + 66);
    EXPECT_NE(runs[0].output, runs[1].output);
    EXPECT_EQ(runs[2].input, runs[1].output);
    EXPECT_EQ(runs[2].output, L"/out/dst.mp4");
    EXPECT_EQ(runs[0].command.find(L"atempo"), std::wstring::npos);
    EXPECT_EQ(runs[1].command.find(L"areverse"), std::wstring::npos);

    AdjustSettings angleWithoutSpin = Sliders(120, 100, 100);
    angleWithoutSpin.rotation = L"180°";
    angleWithoutSpin.width = L"640";
    angleWithoutSpin.height = L"360";
    runs = Plan(angleWithoutSpin);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].command.find(L"transpose"), std::wstring::npos);
    EXPECT_EQ(runs[0].command.find(L"-s 640x360"), std::wstring::npos);
}

namespace {

class AdjustExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring name = Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_appFolder = WideFolder() + L"程序 " + name + L"/";
        m_outFolder = WideFolder() + L"调整 'out' " + name;
        std::filesystem::create_directories(Narrow(m_appFolder));
        std::filesystem::create_directories(Narrow(m_outFolder));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_strAppFolder = m_appFolder;
        m_main.m_strDataFolder = m_appFolder;
        m_main.m_pPageView = &m_view;
        m_main.m_exportInfo.folder = m_outFolder.c_str();
        m_main.m_exportInfo.name = L"adjusted";
        m_main.m_exportInfo.format = L"mp4";
        m_view.fields = { { L"Comspin", L"原始" }, { L"VideoAcpect", L"原始" }, { L"Speed", L"1.0x" } };
        CancelFlag = 0;
    }

    std::wstring Output() const { return m_outFolder + L"/adjusted.mp4"; }
    bool TempMergeEmpty() const { return std::filesystem::is_empty(Narrow(m_appFolder + L"TempMerge")); }

    std::wstring m_appFolder, m_outFolder;
    FakePageView m_view;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

}  // namespace

TEST_F(AdjustExportTest, RotationSpeedAndReverseOnRealFiles)
{
    const struct {
        const char* fixture;
        bool reverse;
        const wchar_t* rotation;
        const wchar_t* speed;
        int width, height;
        double seconds;
        bool sound;
    } cases[] = {
        { "in put.mp4", false, L"90°", L"1.0x", 240, 320, 4.0, true },
        { "in put.mp4", false, L"原始", L"2.0x", 320, 240, 2.0, true },
        { "in put.mp4", true, L"原始", L"1.0x", 320, 240, 4.0, true },
        { "silent.mp4", true, L"180°", L"1.0x", 320, 240, 0, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + (c.reverse ? " reversed " : " ") + Narrow(c.rotation) + Narrow(c.speed));
        m_main.m_strAdjustSourcePath = Fixture(c.fixture);
        m_main.m_nAdjustSourceMs = 4000;
        m_view.options.clear();
        if (c.reverse)
            m_view.options.insert(L"UpsideDown");
        m_view.options.insert(L"Spin");
        m_view.fields[L"Comspin"] = c.rotation;
        m_view.fields[L"Speed"] = c.speed;
        std::filesystem::remove(Narrow(Output()));
        ASSERT_EQ(m_main.FinishPageExport(m_main.ExportAdjusted(m_main.m_exportInfo)), ExportOutcome::Succeeded);
        const OutputInfo info = Probe(Output());
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        if (c.seconds > 0) {
            EXPECT_NEAR(info.durationSeconds, c.seconds, 0.3);
        }
        EXPECT_EQ(info.audioCodec.empty(), !c.sound);
        EXPECT_TRUE(TempMergeEmpty());
    }
    EXPECT_EQ(m_main.HistorySnapshot().size(), 4u);
}

TEST_F(AdjustExportTest, RotationTurnsTheRightWay)
{
    // The source's red corner is its top left; 90 degrees turn clockwise, 270 the other way.
    const struct {
        const wchar_t* rotation;
        int width, height;
        int redX, redY;  // the corner where the red lands
    } cases[] = {
        { L"90°", 240, 320, 220, 20 },
        { L"180°", 320, 240, 300, 220 },
        { L"270°", 240, 320, 20, 300 },
    };
    m_main.m_strAdjustSourcePath = Fixture("corner.mp4");
    m_main.m_nAdjustSourceMs = 1000;
    m_view.options = { L"Spin" };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.rotation));
        m_view.fields[L"Comspin"] = c.rotation;
        std::filesystem::remove(Narrow(Output()));
        ASSERT_EQ(m_main.FinishPageExport(m_main.ExportAdjusted(m_main.m_exportInfo)), ExportOutcome::Succeeded);
        const OutputInfo info = Probe(Output());
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        const int corners[4][2] = { { 20, 20 }, { c.width - 20, 20 }, { 20, c.height - 20 }, { c.width - 20, c.height - 20 } };
        for (const auto& corner : corners) {
            Rgb colour;
            ASSERT_TRUE(PixelAt(Output(), corner[0], corner[1], colour));
            const bool red = corner[0] == c.redX && corner[1] == c.redY;
            EXPECT_EQ(ColourName(colour), red ? "red" : "black") << "at " << corner[0] << "," << corner[1];
        }
    }
}

TEST_F(AdjustExportTest, UnreadableSourceFailsWithoutHistory)
{
    m_main.m_strAdjustSourcePath = Fixture("notmedia.mp4");
    m_main.m_nAdjustSourceMs = 4000;
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportAdjusted(m_main.m_exportInfo)), ExportOutcome::Failed);
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring> { L"视频文件调整失败，请您联系客服处理！" });
    EXPECT_FALSE(Exists(Output()));
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
}

TEST_F(AdjustExportTest, CancelMidwayLeavesNothing)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    m_main.m_strAdjustSourcePath = Fixture("long.mp4");
    m_main.m_nAdjustSourceMs = 40000;
    m_view.sliders[L"brightSlider"] = 150;
    m_view.options.insert(L"Spin");
    m_view.fields[L"Comspin"] = L"90°";
    std::atomic<bool> finished { false };
    std::thread user([&] {
        while (!finished && m_main.m_fJobPercent.load() <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CancelFlag = 1;
    });
    const ExportOutcome outcome = m_main.FinishPageExport(m_main.ExportAdjusted(m_main.m_exportInfo));
    finished = true;
    user.join();
    EXPECT_EQ(outcome, ExportOutcome::Cancelled);
    EXPECT_FALSE(Exists(Output()));
    EXPECT_TRUE(TempMergeEmpty());
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
}
