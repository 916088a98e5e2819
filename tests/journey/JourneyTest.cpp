// A new user's journeys through the real program, one export each, checked as the user would:
// the file written (probed), the export in the history, the windows on the screen.
#include "JourneyFixture.h"

namespace {

using journey::ChildrenOf;
using journey::Journey;
namespace fs = std::filesystem;
using mediatest::Narrow;

std::string Fixture(const char* name)
{
    return Narrow(mediatest::Fixture(name));
}

void ExpectVideo(const std::string& path, double seconds, int width, int height)
{
    SCOPED_TRACE(path);
    const mediatest::OutputInfo info = mediatest::Probe(mediatest::Wide(path));
    ASSERT_TRUE(info.opened);
    EXPECT_NEAR(info.durationSeconds, seconds, 0.3);
    EXPECT_EQ(info.videoCodec, "h264");
    EXPECT_EQ(info.width, width);
    EXPECT_EQ(info.height, height);
    EXPECT_EQ(info.audioCodec, "aac");
}

}  // namespace

TEST_F(Journey, CutWithADraggedCrop)
{
    StartProgram();
    OpenPage("VideoCut", "TranAddFile", Fixture("short.mp4"));
    WaitControl("CutVideo");
    // The crop is drawn on a window of its own over the preview, from the press to the release:
    // from near the lower right corner to the middle. The frame window then shows the new band;
    // a drag the program did not see (the press came before the window took the mouse) is drawn
    // again, as a user would.
    const RECT canvas = WaitControl("HDC");
    const auto framed = [&] {
        for (const journey::WindowDump& window : Windows()) {
            const RECT& f = window.frame;
            if (f.left >= canvas.left && f.top >= canvas.top && f.right <= canvas.right && f.bottom <= canvas.bottom
                && f.right - f.left < (canvas.right - canvas.left) * 3 / 4)
                return true;
        }
        return false;
    };
    for (int attempt = 0; attempt < 5 && !framed(); ++attempt) {
        Drag({ canvas.right - 3, canvas.bottom - 3 }, journey::Centre(canvas));
        journey::WaitUntil(framed, 5000);
    }
    ASSERT_TRUE(framed()) << "the crop frame never showed the dragged band";
    ClickFor("CutVideo", "Open");
    ConfirmExport();
    const std::string output = OutputFolder() + "short.mp4";
    ASSERT_TRUE(WaitOutput(output));
    const mediatest::OutputInfo info = mediatest::Probe(mediatest::Wide(output));
    ASSERT_TRUE(info.opened);
    EXPECT_NEAR(info.durationSeconds, 2.0, 0.3);
    // The drag took the corner about half way in: the picture is cut to a part of itself.
    EXPECT_GT(info.width, 40);
    EXPECT_LT(info.width, 130);
    EXPECT_GT(info.height, 30);
    EXPECT_LT(info.height, 100);
    ExpectOnScreenAndRemembered("short.mp4");
}

TEST_F(Journey, SplitInEqualParts)
{
    StartProgram();
    OpenPage("VideoFenge", "SegmenAddFile", Fixture("short.mp4"));
    Click("Average");
    Click("AddSengenNum");  // two parts, the count offered
    WaitControl("VideoClose");
    ClickFor("SegmenExport", "Open");
    ConfirmExport();
    for (const char* part : { "视频分割文件(1).mp4", "视频分割文件(2).mp4" }) {
        ASSERT_TRUE(WaitOutput(OutputFolder() + part));
        ExpectVideo(OutputFolder() + part, 1.0, 160, 120);
    }
    ExpectOnScreenAndRemembered();
}

TEST_F(Journey, MergeOfTwoClips)
{
    StartProgram();
    OpenPage("VideoMerge", "AddMergeFile", Fixture("short.mp4"));
    Click("addFile");
    ChooseFile(Fixture("small.mp4"));
    ASSERT_TRUE(journey::WaitUntil([&] { return CountNamed("CloseList") == 2; })) << "the second clip never showed";
    ClickFor("AllMerge", "Open");
    ConfirmExport();
    ASSERT_TRUE(journey::WaitUntil([&] { return OutputFiles(".mp4").size() == 1; }));
    const std::string output = OutputFiles(".mp4").front();
    ASSERT_TRUE(WaitOutput(output));
    ExpectVideo(output, 3.0, 160, 120);
    ExpectOnScreenAndRemembered();
}

TEST_F(Journey, GifOfOneRow)
{
    StartProgram();
    OpenPage("Videogif", "GIFAddFile", Fixture("short.mp4"));
    ClickFor("VideoGIF", "Open");
    ConfirmExport(false);  // a GIF row reports in the row, not in a message
    const std::string output = OutputFolder() + "short.gif";
    ASSERT_TRUE(WaitOutput(output));
    const mediatest::OutputInfo info = mediatest::Probe(mediatest::Wide(output));
    ASSERT_TRUE(info.opened);
    EXPECT_EQ(info.videoCodec, "gif");
    EXPECT_GT(info.videoFrames + info.durationSeconds, 0);
    ExpectOnScreenAndRemembered("short.gif");
}

TEST_F(Journey, ScreenshotStrip)
{
    StartProgram();
    OpenPage("videoScreen", "PicAddfile", Fixture("short.mp4"));
    ClickFor("Succseeion", "LongPic");
    ClickUntil("LongPic", [&] { return ShowsAccent("LongPic"); }, "the long picture chosen");
    Click("CutOutPic");
    ASSERT_TRUE(journey::WaitUntil([&] { return ShowsPicture("ListScreen"); })) << "no frame in the list";
    ClickFor("ScreenExport", "Open");
    ConfirmExport();
    const std::string output = OutputFolder() + "视频截图.jpg";
    ASSERT_TRUE(WaitOutput(output));
    const mediatest::OutputInfo info = mediatest::Probe(mediatest::Wide(output));
    ASSERT_TRUE(info.opened);
    EXPECT_EQ(info.width, 160);
    EXPECT_GE(info.height, 120) << "a strip is at least one frame high";
    ExpectOnScreenAndRemembered();
}

TEST_F(Journey, AdjustRotate90)
{
    StartProgram();
    OpenPage("videoadjustment", "OptimizationAddFile", Fixture("short.mp4"));
    ClickUntil("Spin", [&] { return ShowsAccent("Spin"); }, "a tick");
    // The angle is picked in the combo's own list window with the keys: one down from "原始".
    ClickUntil("Comspin", [&] { return Windows().size() > 1; }, "the list of angles");
    Key(XK_Down);
    Key(XK_Return);
    ClickFor("CutAdjustVideo", "Open");
    ConfirmExport();
    ASSERT_TRUE(journey::WaitUntil([&] { return OutputFiles(".mp4").size() == 1; }));
    const std::string output = OutputFiles(".mp4").front();
    ASSERT_TRUE(WaitOutput(output));
    ExpectVideo(output, 2.0, 120, 160);
    ExpectOnScreenAndRemembered(fs::path(output).filename().string());
}

TEST_F(Journey, BatchPageCoverExport)
{
    StartProgram();
    OpenPage("videoAdd", "VideoBuAddFile", Fixture("short.mp4"));
    Click("VideoCover");
    Click("SoundTrackbtnAdd");
    ChooseFile(Fixture("red.png"));
    ClickFor("CorverVideoExport", "OptimizeStart");  // saved, back to the list
    ClickFor("OptimizeStart", "Open");
    ConfirmExport(false);  // a list row reports in the row, not in a message
    const std::string output = OutputFolder() + "short.mp4";
    ASSERT_TRUE(WaitOutput(output));
    ExpectVideo(output, 2.0, 160, 120);
    ExpectOnScreenAndRemembered("short.mp4");
}

// The quit must stop the export at once: the process gone within 3 s of the user's answer, no
// partial output and no encoder left. A GIF row's export leaves the window free to quit (the
// others hold it behind their progress window). The encoder here runs at the clip's own speed (an
// "ffmpeg" of the test's own first on PATH), so the 40 s export is surely running at the quit.
TEST_F(Journey, QuitWhileAnExportRuns)
{
    const std::string encoders = m_folder + "encoders";
    fs::create_directories(encoders);
    std::ofstream(encoders + "/ffmpeg") << "#!/bin/sh\nexec /usr/bin/ffmpeg -re \"$@\"\n";
    fs::permissions(encoders + "/ffmpeg", fs::perms::owner_all);
    StartProgram(encoders);
    OpenPage("Videogif", "GIFAddFile", Fixture("long.mp4"));
    ClickFor("VideoGIF", "Open");
    Click("Open");
    const std::string output = OutputFolder() + "long.gif";
    ASSERT_TRUE(journey::WaitUntil([&] { return !ChildrenOf(m_program, "ffmpeg").empty(); })) << "the export never started";
    Click("closeBtn");
    ASSERT_TRUE(AnswerQuestion()) << "the quit was never asked";
    const auto answered = std::chrono::steady_clock::now();
    const bool gone = journey::WaitUntil([&] { return waitpid(m_program, nullptr, WNOHANG) == m_program; }, 30000);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - answered);
    ASSERT_TRUE(gone) << "the program is still there 30 s after the quit";
    m_program = -1;
    EXPECT_LE(took.count(), 3000) << "the program took " << took.count() << " ms to go";
    EXPECT_TRUE(ChildrenOf(getpid(), "ffmpeg").empty()) << "an encoder outlived the program";
    EXPECT_FALSE(fs::exists(output)) << "a partial output was left";
    EXPECT_TRUE(OutputFiles().empty());
}
