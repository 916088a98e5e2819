// Loading files into the single-file pages: the details composed from the two libraries, the
// thumbnail sizes and command, the crop overlay place, and the real pages filled from made clips.
#include "editor/mainwnd/PageMedia.h"

#include <gtest/gtest.h>

#include "IncomingFilesFixture.h"
#include "editor/dialogs/ConcealWnd.h"
#include "media/MediaProbe.h"
#include "media/PlayerUI.h"

using incoming::MakeMedia;

namespace {

ProbeFacts Probed(int durationMs, uint8_t subtitles = 0, int result = MediaProbe::kOpened)
{
    ProbeFacts facts;
    facts.result = result;
    facts.frameRate = 25;
    facts.hasSubtitles = subtitles;
    facts.durationMs = durationMs;
    return facts;
}

MediaInfoDetails Info(std::wstring width, std::wstring height, std::wstring report = L"", std::wstring duration = L"")
{
    MediaInfoDetails info;
    info.width = std::move(width);
    info.height = std::move(height);
    info.report = std::move(report);
    info.duration = std::move(duration);
    info.aspect = L"1.778";
    return info;
}

// Width and height from a baseline JPEG's frame header; 0, 0 when there is none.
std::pair<int, int> JpegSize(const std::string& path)
{
    const std::string bytes = ReadFileText(path);
    for (size_t i = 0; i + 9 < bytes.size(); ++i) {
        const auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
        if (at(i) == 0xFF && (at(i + 1) == 0xC0 || at(i + 1) == 0xC2))
            return { at(i + 7) << 8 | at(i + 8), at(i + 5) << 8 | at(i + 6) };
    }
    return { 0, 0 };
}

}  // namespace

TEST(PageMedia, DetailsFollowTheLibrariesRules)
{
    struct Case {
        const char* name;
        std::wstring path;
        ProbeFacts probe;
        MediaInfoDetails info;
        std::wstring durationMs, clock, width, height;
    };
    const Case cases[] = {
        { "probe duration", L"/v/a.mp4", Probed(61234), Info(L"320", L"240"), L"61234", L"00:01:01", L"320", L"240" },
        { "MediaInfo duration cut at the point", L"/v/a.mp4", Probed(0), Info(L"320", L"240", L"", L"93456.789"),
          L"93456", L"00:01:33", L"320", L"240" },
        { "no duration at all", L"/v/a.mp4", Probed(0, 0, MediaProbe::kOpenFailed), Info(L"", L""), L"3600000",
          L"01:00:00", L"", L"" },
        { "odd sizes made even", L"/v/a.mp4", Probed(1000), Info(L"1281", L"721"), L"1000", L"00:00:01", L"1280", L"720" },
        { "stored width kept odd", L"/v/a.mp4", Probed(1000),
          Info(L"1281", L"721", L"Width : 1 280 pixels\nOriginal width : 1 441 pixels\n"), L"1000", L"00:00:01",
          L"1441", L"720" },
        { "a stored width without its unit is ignored", L"/v/a.mp4", Probed(1000),
          Info(L"1280", L"720", L"Original width : 1 441"), L"1000", L"00:00:01", L"1280", L"720" },
        { "quarter turn swaps", L"/v/a.mp4", Probed(1000), Info(L"1920", L"1080", L"Rotation : 90°\n"), L"1000",
          L"00:00:01", L"1080", L"1920" },
        { "long duration keeps its hours", L"/v/a.mp4", Probed(90000000), Info(L"2", L"2"), L"90000000", L"25:00:00",
          L"2", L"2" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MediaDetails d = ComposeMediaDetails(c.path, c.probe, c.info);
        EXPECT_EQ(d.durationMs, c.durationMs);
        EXPECT_EQ(d.clockText, c.clock);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
    }
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1000), Info(L"1920", L"1080", L"Rotation : 90°")).aspect,
              L"0.562500");
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1000), Info(L"0", L"0", L"Rotation : 270°")).aspect, L"1.778");
}

TEST(PageMedia, SubtitlesOnlyForMkvAndSoundFromTheProbe)
{
    EXPECT_EQ(ComposeMediaDetails(L"/v/[a].mkv", Probed(1, 1), {}).hasSubtitles, 1);
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.MKV", Probed(1, 1), {}).hasSubtitles, 1);
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1, 1), {}).hasSubtitles, 0);
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1, 0, MediaProbe::kNoAudio), {}).noAudio, 1);
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1), {}).noAudio, 0);
    EXPECT_EQ(ComposeMediaDetails(L"/v/a.mp4", Probed(1, 0, MediaProbe::kOpenFailed), {}).frameRate, L"24");
}

TEST(PageMedia, BitRateInKilobits)
{
    struct Case { std::wstring video, audio, want; };
    const Case cases[] = { { L"128000", L"", L"128" }, { L"", L"96000", L"96" }, { L"123456789", L"", L"48" } };
    for (const Case& c : cases) {
        MediaInfoDetails info;
        info.videoBitRate = c.video;
        info.audioBitRate = c.audio;
        EXPECT_EQ(ComposeMediaDetails(L"/a.mp4", Probed(1), info).bitRate, c.want) << c.video << c.audio;
    }
}

TEST(PageMedia, ThumbnailsFitTheirCellAndRefuseUnknownSizes)
{
    struct Case { int w, h; bool listRow; int wantW, wantH; std::wstring dest; };
    const Case cases[] = {
        { 1920, 1080, true, 128, 72, L"dest='0,4,128,76' " },
        { 1080, 1920, true, 45, 80, L"dest='41,0,86,80' " },
        { 1920, 1080, false, 78, 43, L"" },
        { 1080, 1920, false, 43, 78, L"" },
        { 500, 500, false, 78, 78, L"" },
        { 10000, 2, true, 128, 1, L"dest='0,39,128,40' " },  // never a side of 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " row " << c.listRow);
        ThumbnailSize fitted;
        ASSERT_TRUE(FitThumbnail(c.w, c.h, c.listRow, fitted));
        EXPECT_EQ(fitted.width, c.wantW);
        EXPECT_EQ(fitted.height, c.wantH);
        if (!c.dest.empty()) {
            EXPECT_EQ(ThumbnailImage(L"/t/p.jpg", c.w, c.h, fitted), L"file='/t/p.jpg' " + c.dest);
        }
    }
    ThumbnailSize untouched { 7, 7 };
    for (auto [w, h] : { std::pair { 0, 0 }, { 1920, 0 }, { 0, 1080 }, { -4, 3 } }) {
        EXPECT_FALSE(FitThumbnail(w, h, true, untouched));
        EXPECT_FALSE(FitThumbnail(w, h, false, untouched));
    }
    EXPECT_EQ(untouched.width, 7);
}

TEST(PageMedia, CutOverlayFitsThePreviewBox)
{
    struct Case { double aspect; int x, y, w, h; };
    const Case cases[] = {
        { 2.35, 1000 + 65, 500, 846, 360 },     // by height, centred across
        { 3.0, 1000, 500 + 17, 977, 325 },      // by width, centred down
        { 16.0 / 9, 1000 + 168, 500, 640, 360 },
        { 0.0, 1000 + 488, 500, 0, 360 },       // an unknown aspect: nothing wide
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aspect);
        const OverlayPlace place = PlaceCutOverlay(c.aspect, 977, 360, 1000, 500);
        EXPECT_EQ(place.x, c.x);
        EXPECT_EQ(place.y, c.y);
        EXPECT_EQ(place.width, c.w);
        EXPECT_EQ(place.height, c.h);
    }
}

TEST(PageMedia, RowTexts)
{
    EXPECT_EQ(SizeText(1572864), L"大小: 1.50 MB");
    EXPECT_EQ(SizeText(1048575), L"大小: 0.99 MB");
    EXPECT_EQ(SizeText(5ull << 30), L"大小: 5120.00 MB");
    EXPECT_EQ(SizeText(0), L"大小: 0.00 MB");
    EXPECT_EQ(ResolutionText(L"", L""), L"分辨率:");
    EXPECT_EQ(ResolutionText(L"1920", L"1080"), L"分辨率:1920x1080");
    EXPECT_TRUE(IsRefusedVideoFormat(L"/a/b.QSV"));
    EXPECT_FALSE(IsRefusedVideoFormat(L"/a/b.mp4"));
    EXPECT_EQ(ClockParts(L"01:02:03"), (std::vector<std::wstring> { L"01", L"02", L"03" }));
    EXPECT_TRUE(ClockParts(L"01:02").empty());
}

class PageFiles : public incoming::MainWindowFixture {};

TEST_F(PageFiles, EachPageFillsItsFieldsFromAMadeClip)
{
    const std::wstring clip = MakeMedia("page clip.mp4", "-f lavfi -i testsrc=size=321x241:rate=25 -f lavfi -i sine -t 3"
                                                             " -c:v libx264 -preset ultrafast -pix_fmt yuv444p -c:a aac");
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    w.m_strCutFile = clip;
    incoming::ShowPageOf(w, w.m_pVideoCutShow);
    w.LoadCutPageFile(clip);
    EXPECT_TRUE(w.m_pVideoCutShow->IsVisible());
    EXPECT_FALSE(w.m_pVideoCutAddFile->IsVisible());
    EXPECT_EQ(w.m_strCutWidth, L"320");  // made even
    EXPECT_EQ(w.m_strCutHeight, L"240");
    EXPECT_EQ(w.m_strCutInfo, L"25");
    EXPECT_EQ(w.m_bCutInfo2, 0);
    EXPECT_EQ(w.m_bCutLoaded, 1);
    EXPECT_NEAR(w.m_nCutDurationMs, 3000, 100);
    EXPECT_EQ(std::wstring(w.m_strCutDuration.GetData()), L"00:00:03");
    EXPECT_EQ(std::wstring(w.m_pstartmillsecond->GetText().GetData()), L"000");
    EXPECT_EQ(std::wstring(w.m_pOVersecound->GetText().GetData()), L"03");
    EXPECT_EQ(w.m_exportInfo.name, L"page clip");
    EXPECT_EQ(std::wstring(w.m_exportInfo.format.GetData()), L"mp4");
    EXPECT_EQ(CropCanvasHeight, w.m_nPreviewHeight);
    EXPECT_GT(CropCanvasWidth, 0);

    w.m_strSplitFile = clip;
    incoming::ShowPageOf(w, w.m_pSegmentationHor);
    w.LoadSplitPageFile(clip);
    EXPECT_TRUE(w.m_pSegmentationHor->IsVisible());
    EXPECT_EQ(std::wstring(w.m_pstartSegmensecond->GetText().GetData()), L"01");
    EXPECT_EQ(std::wstring(w.m_pstartSegmenMillsecond->GetText().GetData()), L"50");
    EXPECT_EQ(w.m_strSplitInfo, L"25");

    w.LoadAdjustPageFile(clip);
    EXPECT_EQ(w.m_strAdjustWidth, L"320");
    EXPECT_NEAR(w.m_nAdjustSourceMs, 3000, 100);

    w.LoadScreenshotPageFile(clip);
    EXPECT_EQ(w.m_strScreenshotHeight, L"240");
    EXPECT_EQ(std::wstring(w.m_pOVerPicsecound->GetText().GetData()), L"03");
    ASSERT_TRUE(Settle());
    // The page thumbnail and its "@" copy are private work pictures, never in the shared folder.
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(WideToUtf8(platform::PrivateWorkFolder())))
        pictures += entry.path().filename().string().rfind("VkFile-", 0) == 0;
    EXPECT_GE(pictures, 2);
    EXPECT_FALSE(std::filesystem::exists(EditorScratchFolder() + "/VkFile.jpg"));
}

TEST_F(PageFiles, OddFilesLoadWithoutSurprises)
{
    const std::wstring silent = MakeMedia("silent.mp4", "-f lavfi -i testsrc=size=160x120:rate=25 -t 1" + incoming::kH264);
    const std::wstring tone = MakeMedia("tone.m4a", "-f lavfi -i sine -t 1 -c:a aac");
    const std::wstring broken = AnsiToWide(EditorScratchFolder() + "/media/broken.mp4");
    WriteFileText(WideToUtf8(broken), "not a video at all");
    const std::string subtitles = EditorScratchFolder() + "/media/subs.srt";
    WriteFileText(subtitles, "1\n00:00:00,000 --> 00:00:01,000\nhi\n");
    const std::wstring mkv = MakeMedia("[字幕] 片'段.mkv", "-f lavfi -i testsrc=size=160x120:rate=25 -i " + subtitles
                                                          + " -map 0 -map 1 -t 1" + incoming::kH264 + " -c:s srt");
    ASSERT_FALSE(mkv.empty());
    CMainWnd& w = *window;
    incoming::Select(w.m_ptabVideoCut);

    w.LoadCutPageFile(silent);
    EXPECT_EQ(w.m_bCutInfo2, 1);
    w.LoadCutPageFile(tone);
    EXPECT_EQ(w.m_strCutWidth, L"");
    EXPECT_EQ(CropCanvasWidth, 0);
    w.LoadCutPageFile(broken);
    EXPECT_EQ(w.m_nCutDurationMs, 3600000);
    EXPECT_EQ(std::wstring(w.m_pOVertHour->GetText().GetData()), L"01");
    w.m_strCutFile = mkv;
    w.LoadCutPageFile(mkv);
    EXPECT_EQ(w.m_bCutInfo1, 1);
    EXPECT_TRUE(std::filesystem::exists(WideToUtf8(mkv)));  // never renamed to be loaded
    EXPECT_EQ(w.m_strCutFile, mkv);
    EXPECT_EQ(w.m_exportInfo.name, L"[字幕] 片'段");
    EXPECT_TRUE(Settle());
    EXPECT_TRUE(notices.empty());
}

TEST_F(PageFiles, ThumbnailCommandKeepsAUsersNameOneArgument)
{
    // Unquoted, this name would read the clip "a.mp4" and add a second output "b.jpg" in the working
    // folder, which the test points at its scratch folder.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(EditorScratchFolder());
    const std::wstring real = incoming::VideoWithSound("a.mp4");
    const std::wstring clip = MakeMedia("a.mp4\" -y \"b.jpg", "-f lavfi -i testsrc=size=320x240 -t 1 -f mp4" + incoming::kH264);
    ASSERT_FALSE(real.empty());
    ASSERT_FALSE(clip.empty());
    std::wstring picture;
    ThumbnailSize fitted;
    ASSERT_TRUE(window->MakeFirstFrameThumbnail(320, 240, clip, picture, true, &fitted));
    EXPECT_FALSE(std::filesystem::exists(EditorScratchFolder() + "/b.jpg"));
    std::filesystem::current_path(before);
    EXPECT_EQ(fitted.width, 106);
    EXPECT_EQ(fitted.height, 80);
    EXPECT_EQ(JpegSize(WideToUtf8(picture)), std::make_pair(106, 80));

    std::wstring second;
    ASSERT_TRUE(window->MakeFirstFrameThumbnail(320, 240, clip, second, true));
    EXPECT_NE(second, picture);  // numbered files are never reused
    EXPECT_FALSE(window->MakeFirstFrameThumbnail(0, 0, clip, second, true));
}

namespace {

RECT WindowRect(HWND window)
{
    RECT rc {};
    ::GetWindowRect(window, &rc);
    return rc;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring TextOf(SkinUI::CControlUI* control)
{
    return control->GetText().GetData();
}

}  // namespace

TEST_F(PageFiles, CutLoadLaysTheCropPairThatFollowsTheWindow)
{
    const std::wstring clip = incoming::VideoWithSound("crop.mp4", 1);
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    ASSERT_TRUE(Settle());  // the start-up's warm-up of the cut preview is over
    incoming::ShowPageOf(w, w.m_pVideoCutShow);
    incoming::Select(w.m_ptabVideoCut);
    w.m_strCutFile = clip;
    w.LoadCutPageFile(clip);
    platform::headless::PumpMessages();
    ASSERT_TRUE(::IsWindow(w.m_hCover));
    ASSERT_TRUE(::IsWindow(w.m_hConceal));

    // A 4:3 picture fills the preview's height and is centred in its width (the place's own
    // arithmetic is the table above).
    POINT origin { w.ScaleByDpi(24), w.ScaleByDpi(130) };
    ::ClientToScreen(w.GetHWND(), &origin);
    const OverlayPlace place = PlaceCutOverlay(std::wcstod(w.m_strCutAspect.c_str(), nullptr), w.m_nPreviewWidth,
                                               w.m_nPreviewHeight, origin.x, origin.y);
    const int width = place.width;
    EXPECT_NEAR(width, w.m_nPreviewHeight * 4 / 3, 1);
    const RECT picture { place.x, place.y, place.x + width, place.y + place.height };
    EXPECT_TRUE(SameRect(WindowRect(w.m_hCover), picture));
    EXPECT_TRUE(SameRect(WindowRect(w.m_hConceal), picture));
    EXPECT_TRUE(SameRect(CropDragBounds, picture));
    EXPECT_EQ(CropCanvasWidth, width);
    EXPECT_EQ(TextOf(w.m_pcut_width), std::to_wstring(width));  // the frame starts on the whole picture
    EXPECT_EQ(TextOf(w.m_pcut_height), std::to_wstring(w.m_nPreviewHeight));

    // Another page hides the pair, the cut page shows it again.
    incoming::Select(w.m_ptabFenge);
    EXPECT_FALSE(::IsWindowVisible(w.m_hCover));
    EXPECT_FALSE(::IsWindowVisible(w.m_hConceal));
    incoming::Select(w.m_ptabVideoCut);
    EXPECT_TRUE(::IsWindowVisible(w.m_hCover));
    EXPECT_TRUE(::IsWindowVisible(w.m_hConceal));

    // A caption drag carries the pair along, the edits stay as the user left them.
    const RECT main = WindowRect(w.GetHWND());
    ::SendMessage(w.GetHWND(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(main.left + 5, main.top + 5));
    ::SetWindowPos(w.GetHWND(), nullptr, main.left + 30, main.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT moved = picture;
    ::OffsetRect(&moved, 30, 20);
    EXPECT_TRUE(SameRect(WindowRect(w.m_hCover), moved));
    EXPECT_TRUE(SameRect(WindowRect(w.m_hConceal), moved));
    EXPECT_TRUE(SameRect(CropDragBounds, moved));
    EXPECT_EQ(TextOf(w.m_pXwidth), L"0");
    EXPECT_EQ(TextOf(w.m_pcut_width), std::to_wstring(width));

    // Minimised the pair hides; restored it shows and comes back to its place.
    ::SendMessage(w.GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(::IsWindowVisible(w.m_hCover));
    EXPECT_FALSE(::IsWindowVisible(w.m_hConceal));
    ::SendMessage(w.GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(::IsWindowVisible(w.m_hCover));
    EXPECT_TRUE(::IsWindowVisible(w.m_hConceal));
    EXPECT_TRUE(incoming::PumpUntil([&] { return SameRect(WindowRect(w.m_hCover), moved); }));

    // A new file closes the old pair (the caller's part, as a drop does) and lays a new one.
    const HWND oldCover = w.m_hCover, oldFrame = w.m_hConceal;
    w.CloseOverlayWindows();
    w.LoadCutPageFile(clip);
    platform::headless::PumpMessages();
    EXPECT_FALSE(::IsWindow(oldCover));
    EXPECT_FALSE(::IsWindow(oldFrame));
    EXPECT_TRUE(::IsWindow(w.m_hCover));
    EXPECT_TRUE(::IsWindow(w.m_hConceal));

    // The list pages close it; the window's end takes any pair still open with it.
    incoming::Select(w.m_ptabmerge);
    platform::headless::PumpMessages();
    EXPECT_FALSE(::IsWindow(w.m_hCover));
    EXPECT_FALSE(::IsWindow(w.m_hConceal));
    incoming::Select(w.m_ptabVideoCut);
    w.LoadCutPageFile(clip);
    EXPECT_TRUE(Settle());
}
