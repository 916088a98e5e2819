#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"

using namespace mediatest;

namespace {

class FakeClipRow : public ClipRowView {
public:
    FakeClipRow(std::wstring size, bool silent) : resolution(std::move(size)), mute(silent) {}
    void ShowProgress(float percent, const std::wstring&) override
    {
        lastPercent = percent;
        if (percent > 0 && onProgress)
            onProgress();
    }
    bool IsMute() const override { return mute; }
    std::wstring Resolution() const override { return resolution; }
    void FinishRun(const std::wstring& path, bool ok) override
    {
        output = path;
        succeeded = ok;
        ++finished;
    }

    std::wstring resolution;
    bool mute;
    float lastPercent = 0;
    std::function<void()> onProgress;  // runs when the row shows progress
    std::wstring output;
    bool succeeded = false;
    int finished = 0;
};

// ffprobe's view of the output's streams, one "type attached" pair per line.
std::string StreamKinds(const std::wstring& path)
{
    const std::string command = "ffprobe -v error -show_entries stream=codec_type:stream_disposition=attached_pic "
                                "-of csv=p=0 '" + Narrow(EncoderPath(path)) + "'";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof(buffer), pipe))
            text += buffer;
        pclose(pipe);
    }
    return text;
}

// Mean loudness in dB of the output's sound between two times; about -91 for silence.
double MeanVolume(const std::wstring& path, double start, double seconds)
{
    char command[1024];
    std::snprintf(command, sizeof(command),
                  "ffmpeg -nostdin -hide_banner -ss %.2f -t %.2f -i '%s' -vn -af volumedetect -f null - 2>&1",
                  start, seconds, Narrow(EncoderPath(path)).c_str());
    double mean = 0;
    bool found = false;
    if (FILE* pipe = popen(command, "r")) {
        char line[512];
        while (std::fgets(line, sizeof(line), pipe))
            if (const char* at = std::strstr(line, "mean_volume:"))
                found = std::sscanf(at, "mean_volume: %lf", &mean) == 1;
        pclose(pipe);
    }
    return found ? mean : 1000;
}

// The mean colour of the 16x16 square at (x, y) of the frame at the given second.
std::array<int, 3> SquareColour(const std::wstring& path, double seconds, int x, int y)
{
    char command[1024];
    std::snprintf(command, sizeof(command),
                  "ffmpeg -nostdin -loglevel error -ss %.2f -i '%s' -frames:v 1 -vf 'crop=16:16:%d:%d,scale=1:1' "
                  "-f rawvideo -pix_fmt rgb24 -",
                  seconds, Narrow(EncoderPath(path)).c_str(), x, y);
    std::array<int, 3> rgb { -1, -1, -1 };
    if (FILE* pipe = popen(command, "r")) {
        unsigned char bytes[3] {};
        if (std::fread(bytes, 1, 3, pipe) == 3)
            rgb = { bytes[0], bytes[1], bytes[2] };
        pclose(pipe);
    }
    return rgb;
}

int BrightestLuma(const std::wstring& path, double seconds)
{
    char command[1024];
    std::snprintf(command, sizeof(command),
                  "ffmpeg -nostdin -loglevel error -ss %.2f -i '%s' -frames:v 1 -f rawvideo -pix_fmt gray -",
                  seconds, Narrow(EncoderPath(path)).c_str());
    int brightest = -1;
    if (FILE* pipe = popen(command, "r")) {
        int c = 0;
        while ((c = std::fgetc(pipe)) != EOF)
            brightest = std::max(brightest, c);
        pclose(pipe);
    }
    return brightest;
}

bool IsRed(const std::array<int, 3>& rgb)
{
    return rgb[0] > 180 && rgb[1] < 80 && rgb[2] < 80;
}

class ClipListExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring name = Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_appFolder = WideFolder() + L"程序 " + name + L"/";
        m_outFolder = WideFolder() + L"多段 [out] " + name;
        std::filesystem::create_directories(Narrow(m_appFolder + L"TempMerge"));
        std::filesystem::create_directories(Narrow(m_outFolder));
        ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i anullsrc=r=44100:cl=stereo -t 0.2 -c:a aac '"
                          + Narrow(m_appFolder) + "roreravconvert.aac'"));
        m_cover = m_appFolder + L"cover 50%.JPEG";  // a "%" the picture reader must not take for a pattern
        ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=red:size=640x360 -frames:v 1 -f image2 -update 1 '"
                          + Narrow(m_cover) + "'"));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_strAppFolder = m_appFolder;
        m_main.m_strDataFolder = m_appFolder;
        m_main.m_pPageView = &m_view;
        m_main.m_exportInfo.folder = m_outFolder.c_str();
    }

    ClipExportEntry Cover(const std::string& fixture, float seconds, FakeClipRow* row)
    {
        ClipExportEntry entry;
        entry.kind = kClipCover;
        entry.clipPath = Fixture(fixture);
        entry.durationMsText = L"4000";
        entry.frameRate = L"25";
        entry.coverDuration = seconds;
        entry.coverPicture = m_cover;
        entry.row = row;
        return entry;
    }

    std::wstring m_appFolder, m_outFolder, m_cover;
    FakePageView m_view;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

}  // namespace

TEST_F(ClipListExportTest, CoverBecomesAttachedPictureOrLeadingStill)
{
    FakeClipRow attached(L"320x240", false), leading(L"320x240", false), silent(L"320x240", true), unknown(L"320x240", false);
    m_main.QueueClipExport(Cover("in put.mp4", 0.19f, &attached));
    m_main.QueueClipExport(Cover("in put.mp4", 1.0f, &leading));  // same name: the output gets "(1)"
    m_main.QueueClipExport(Cover("silent.mp4", 1.0f, &silent));
    ClipExportEntry other = Cover("in put.mp4", 1.0f, &unknown);
    other.kind = 7;
    m_main.QueueClipExport(other);
    m_main.m_bClipRunning = 1;  // as the launcher does
    m_main.ExportClipList(1, m_main.m_exportInfo);

    ASSERT_TRUE(attached.succeeded);
    EXPECT_EQ(StreamKinds(attached.output), "video,0\naudio,0\nvideo,1\n");
    EXPECT_NEAR(Probe(EncoderPath(attached.output)).durationSeconds, 4.0, 0.2);

    ASSERT_TRUE(leading.succeeded);
    EXPECT_NE(leading.output, attached.output);
    const OutputInfo withStill = Probe(EncoderPath(leading.output));
    EXPECT_NEAR(withStill.durationSeconds, 5.0, 0.3);
    EXPECT_EQ(withStill.width, 640);  // each side the larger of cover and clip
    EXPECT_EQ(withStill.height, 360);
    EXPECT_EQ(withStill.audioCodec, "aac");
    EXPECT_FLOAT_EQ(leading.lastPercent, 100.0f);

    ASSERT_TRUE(silent.succeeded);
    EXPECT_EQ(Probe(EncoderPath(silent.output)).audioCodec, "aac");

    EXPECT_EQ(unknown.finished, 1);
    EXPECT_FALSE(unknown.succeeded);
    EXPECT_FALSE(Exists(EncoderPath(unknown.output)));
    EXPECT_EQ(m_main.HistorySnapshot().size(), 3u);
    EXPECT_TRUE(std::filesystem::is_empty(Narrow(m_appFolder + L"TempMerge")));
    EXPECT_EQ(m_main.m_bClipRunning.load(), 0);
    EXPECT_TRUE(m_main.m_vecExportQueue.empty());
}

TEST_F(ClipListExportTest, ClearingTheListStopsAndLeavesNothing)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    FakeClipRow first(L"160x120", false), second(L"160x120", false);
    ClipExportEntry entry = Cover("long.mp4", 0.1f, &first);
    entry.durationMsText = L"40000";
    m_main.QueueClipExport(entry);
    m_main.QueueClipExport(Cover("in put.mp4", 0.1f, &second));
    // The user clears the list once the first job shows progress, while its encoder runs.
    first.onProgress = [&] { m_main.m_bClipRunning = 0; };
    m_main.m_bClipRunning = 1;  // as the launcher does
    m_main.ExportClipList(0, m_main.m_exportInfo);
    EXPECT_GT(first.lastPercent, 0);
    EXPECT_EQ(second.finished, 0);
    EXPECT_TRUE(std::filesystem::is_empty(Narrow(m_outFolder)));
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
    EXPECT_EQ(ChildProcessCount(), 0);
}

TEST_F(ClipListExportTest, AClipDeletedWhileQueuedIsNeverWritten)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    FakeClipRow first(L"320x240", false), deleted(L"160x120", false), kept(L"160x120", false);
    m_main.QueueClipExport(Cover("in put.mp4", 0.1f, &first));
    m_main.QueueClipExport(Cover("small.mp4", 0.1f, &deleted));
    m_main.QueueClipExport(Cover("ntsc.mp4", 0.1f, &kept));
    // The user deletes the second clip's row while the first one is exported.
    first.onProgress = [&] { m_main.RemoveQueuedClip(Fixture("small.mp4")); };
    m_main.m_bClipRunning = 1;  // as the launcher does
    m_main.ExportClipList(0, m_main.m_exportInfo);
    EXPECT_EQ(deleted.finished, 0);
    std::vector<std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(Narrow(m_outFolder)))
        files.push_back(file.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, std::vector<std::string>({ "in put.mp4", "ntsc.mp4" }));
    std::vector<std::wstring> sources;
    for (const HistoryRecord& record : m_main.HistorySnapshot())
        sources.push_back(record.sourcePath);
    EXPECT_EQ(sources, std::vector<std::wstring>({ Fixture("ntsc.mp4"), Fixture("in put.mp4") }));  // newest first
}

TEST(ClipMusicValues, VolumeAndTimeTexts)
{
    const std::pair<int, const wchar_t*> volumes[] = {
        { 100, L"" }, { 101, L"volume=0dB" }, { 99, L"volume=-0dB" }, { 102, L"volume=1dB" }, { 0, L"volume=-50dB" },
        { 200, L"volume=50dB" },
    };
    for (const auto& [volume, filter] : volumes)
        EXPECT_EQ(ClipVolumeFilter(volume), filter) << volume;
    EXPECT_FLOAT_EQ(ClipTimeSeconds(L"1", L"2", L"3", L"4"), 3723.4f);
}

TEST_F(ClipListExportTest, MusicReplacesOrMixesOverItsPlacement)
{
    const std::wstring music = m_appFolder + L"music [1].m4a";
    ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=880:sample_rate=44100 -t 2 -c:a aac '"
                      + Narrow(music) + "'"));
    struct Case {
        const char* clip;
        bool mute;
        int soundVolume;
        float musicStart, musicEnd, placeStart, placeEnd;
        bool loop;
        bool soundAt[4];  // is there sound in each second of the 4-second output
    } cases[] = {
        { "in put.mp4", false, 0, 0, 2, 1, 3, false, { false, true, true, false } },     // replace after silence
        { "silent.mp4", true, 100, 0.5f, 1.5f, 0, 3, true, { true, true, true, false } },  // loop fills 0..3
        { "in put.mp4", false, 100, 0, 1, 1, 2, false, { true, true, true, true } },     // mix keeps the clip's sound
        { "shortsound.mp4", false, 100, 0, 2, 1, 3, false, { true, true, true, false } },  // music outlasts the sound
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clip) + " volume " + std::to_string(c.soundVolume));
        FakeClipRow row(L"320x240", c.mute);
        ClipExportEntry entry;
        entry.kind = kClipMusic;
        entry.clipPath = Fixture(c.clip);
        entry.durationMsText = L"4000";
        entry.musicPath = music;
        entry.musicStart = c.musicStart;
        entry.musicEnd = c.musicEnd;
        entry.placeStart = c.placeStart;
        entry.placeEnd = c.placeEnd;
        entry.soundVolume = c.soundVolume;
        entry.loopMusic = c.loop;
        entry.row = &row;
        m_main.QueueClipExport(entry);
        m_main.m_bClipRunning = 1;  // as the launcher does
        m_main.ExportClipList(0, m_main.m_exportInfo);
        ASSERT_TRUE(row.succeeded);
        const OutputInfo info = Probe(EncoderPath(row.output));
        EXPECT_NEAR(info.durationSeconds, 4.0, 0.3);
        EXPECT_EQ(info.audioCodec, "aac");
        EXPECT_NEAR(info.audioSeconds, 4.0, 0.05);  // the sound lasts as long as the clip
        for (int second = 0; second < 4; ++second) {
            const double mean = MeanVolume(row.output, second + 0.1, 0.8);
            EXPECT_EQ(mean > -60, c.soundAt[second]) << "second " << second << ": " << mean << " dB";
        }
        std::filesystem::remove(Narrow(EncoderPath(row.output)));
    }

    FakeClipRow empty(L"320x240", false);
    ClipExportEntry zero;
    zero.kind = kClipMusic;
    zero.clipPath = Fixture("in put.mp4");
    zero.durationMsText = L"4000";
    zero.musicPath = music;
    zero.placeEnd = 2;  // a cut from 0 to 0: nothing to place
    zero.row = &empty;
    m_main.QueueClipExport(zero);
    m_main.m_bClipRunning = 1;  // as the launcher does
    m_main.ExportClipList(0, m_main.m_exportInfo);
    EXPECT_EQ(empty.finished, 1);
    EXPECT_FALSE(empty.succeeded);
    EXPECT_TRUE(std::filesystem::is_empty(Narrow(m_outFolder)));
}

TEST_F(ClipListExportTest, WatermarkAndSubtitlesAreLaidOverThePicture)
{
    const std::string app = Narrow(m_appFolder);
    const std::wstring clip = m_appFolder + L"black clip.mp4";
    ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=black:size=320x240:rate=25 -f lavfi -i "
                      "sine -t 3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest '" + Narrow(clip) + "'"));
    // A quarter-size opaque red box in the top left corner of an otherwise transparent picture.
    const std::wstring mark = m_appFolder + L"wm [1],a;b.png";
    ASSERT_TRUE(Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=red:size=32x24 -vf "
                      "format=rgba,pad=64:48:0:0:color=black@0 -frames:v 1 '" + Narrow(mark) + "'"));
    const std::string srt = app + "subs [x].srt";
    std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:02,000\nHELLO HELLO\n\n";

    FakeClipRow watermarked(L"320x240", false), typed(L"320x240", false), burnt(L"320x240", false);
    ClipExportEntry base;
    base.clipPath = clip;
    base.durationMsText = L"3000";
    base.videoWidth = L"320";
    base.videoHeight = L"240";
    ClipExportEntry watermark = base;
    watermark.kind = kClipWatermark;
    watermark.watermarkPicture = mark;
    watermark.row = &watermarked;
    ClipExportEntry subtitles = base;
    subtitles.kind = kClipSubtitles;
    subtitles.subtitles = { { mark, 1.0f, 2.0f } };
    subtitles.row = &typed;
    ClipExportEntry file = base;
    file.kind = kClipSubtitles;
    file.useSubtitleFile = true;
    file.subtitleFile = Wide(srt);
    file.row = &burnt;
    for (const ClipExportEntry& entry : { watermark, subtitles, file })
        m_main.QueueClipExport(entry);
    m_main.m_bClipRunning = 1;  // as the launcher does
    m_main.ExportClipList(1, m_main.m_exportInfo);

    ASSERT_TRUE(watermarked.succeeded);
    EXPECT_TRUE(IsRed(SquareColour(watermarked.output, 0.5, 72, 52)));
    EXPECT_FALSE(IsRed(SquareColour(watermarked.output, 0.5, 240, 180)));
    EXPECT_EQ(Probe(EncoderPath(watermarked.output)).audioCodec, "aac");
    EXPECT_TRUE(Exists(mark));  // the record's picture is left for the next export

    ASSERT_TRUE(typed.succeeded);
    EXPECT_FALSE(IsRed(SquareColour(typed.output, 0.5, 72, 52)));
    EXPECT_TRUE(IsRed(SquareColour(typed.output, 1.5, 72, 52)));
    EXPECT_FALSE(IsRed(SquareColour(typed.output, 2.5, 72, 52)));

    ASSERT_TRUE(burnt.succeeded);
    EXPECT_GT(BrightestLuma(burnt.output, 0.5), 128);  // the white text on the black picture
    EXPECT_LT(BrightestLuma(burnt.output, 2.5), 64);   // and gone after its time
}
