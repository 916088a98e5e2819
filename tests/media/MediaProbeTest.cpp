#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "MediaTestSupport.h"
#include "media/MediaProbe.h"

using namespace mediatest;

namespace {

constexpr int kUntouched = -7;

struct ProbeOutputs {
    int result = 0, frameRate = kUntouched, durationMs = kUntouched, width = kUntouched, height = kUntouched;
    uint8_t subtitles = 0;
};

ProbeOutputs ProbeFixture(const std::string& name)
{
    ProbeOutputs out;
    MediaProbe probe;
    out.result = probe.Open(Narrow(Fixture(name)).c_str(), out.frameRate, out.subtitles, out.durationMs, out.width,
                            out.height);
    probe.Close();
    return out;
}

}  // namespace

TEST(MediaProbe, ResultsAndOutputsOverFixtures)
{
    MediaProbe::RegisterFormats();
    struct Case { std::string name; int result, frameRate, durationMs, width, height; uint8_t subtitles; };
    const Case cases[] = {
        { "in put.mp4", MediaProbe::kOpened, 25, 4000, 320, 240, 0 },
        { "silent.mp4", MediaProbe::kNoAudio, 24, kUntouched, kUntouched, kUntouched, 0 },
        { "ntsc.mp4", MediaProbe::kOpened, 29, 1000, 160, 120, 0 },        // 30000/1001 gives 29
        { "film.mp4", MediaProbe::kOpened, 23, 10010, 160, 120, 0 },       // 24000/1001 gives 23
        { "[a] b'c.mkv", MediaProbe::kOpened, 25, 3000, 320, 240, 1 },
        { "clip.webm", MediaProbe::kOpened, 25, 2000, 160, 120, 0 },
        { "fast.mp4", MediaProbe::kOpened, 24, 1000, 160, 120, 0 },        // 240 fps is not believed
        { "tone.m4a", MediaProbe::kOpened, 24, kUntouched, kUntouched, kUntouched, 0 },  // sound only
        { "twovideo.mkv", MediaProbe::kOpened, 25, 1000, 160, 120, 0 },    // the last video stream
        { "notmedia.mp4", MediaProbe::kOpenFailed, kUntouched, kUntouched, kUntouched, kUntouched, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProbeOutputs out = ProbeFixture(c.name);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.frameRate, c.frameRate);
        EXPECT_EQ(out.width, c.width);
        EXPECT_EQ(out.height, c.height);
        EXPECT_EQ(out.subtitles, c.subtitles);
        if (c.durationMs == kUntouched)
            EXPECT_EQ(out.durationMs, kUntouched);
        else
            EXPECT_NEAR(out.durationMs, c.durationMs, 100);
    }
}

TEST(MediaProbe, MissingFileAndReopen)
{
    MediaProbe probe;
    int rate = 0, duration = 0, width = 0, height = 0;
    uint8_t subtitles = 0;
    EXPECT_EQ(probe.Open((Folder() + "missing.mp4").c_str(), rate, subtitles, duration, width, height),
              MediaProbe::kOpenFailed);
    EXPECT_EQ(probe.Open(nullptr, rate, subtitles, duration, width, height), MediaProbe::kOpenFailed);
    // One probe opens file after file; each Open closes what the last one left open.
    EXPECT_EQ(probe.Open(Narrow(Fixture("small.mp4")).c_str(), rate, subtitles, duration, width, height),
              MediaProbe::kOpened);
    EXPECT_EQ(probe.Open(Narrow(Fixture("in put.mp4")).c_str(), rate, subtitles, duration, width, height),
              MediaProbe::kOpened);
    EXPECT_EQ(width, 320);
    probe.Close();
    probe.Close();
}

// The probe reports the picture size, not the decoder's coded size: an H.264 picture 120 rows
// high is coded in 128 rows, and crop limits and output sizes are about the picture.
TEST(MediaProbe, SizeIsThePictureNotTheCodedSize)
{
    const std::string path = Narrow(Fixture("small.mp4"));
    AVFormatContext* format = nullptr;
    ASSERT_EQ(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    ASSERT_GE(video, 0);
    const AVCodec* codec = avcodec_find_decoder(format->streams[video]->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    ASSERT_GE(avcodec_parameters_to_context(decoder, format->streams[video]->codecpar), 0);
    ASSERT_EQ(avcodec_open2(decoder, codec, nullptr), 0);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool decoded = false;
    while (!decoded && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == video && avcodec_send_packet(decoder, packet) >= 0)
            decoded = avcodec_receive_frame(decoder, frame) == 0;
        av_packet_unref(packet);
    }
    EXPECT_EQ(decoder->coded_height, 128);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);

    ProbeOutputs out = ProbeFixture("small.mp4");
    EXPECT_EQ(out.width, 160);
    EXPECT_EQ(out.height, 120);
}

// The whole-number rate is the probe's; the encoder gets the source's exact rate when the whole
// number is the source's own, and the whole number as it stands when it is not.
TEST(MediaProbe, EncoderGetsTheExactRate)
{
    struct Case { std::string fixture; std::wstring wholeRate, encoderRate; } cases[] = {
        { "film.mp4", L"23", L"24000/1001" },
        { "ntsc.mp4", L"29", L"30000/1001" },
        { "in put.mp4", L"25", L"25/1" },
        { "fast.mp4", L"24", L"24" },        // the probe's stand-in for 240 fps
        { "in put.mp4", L"30", L"30" },      // not the source's own rate
        { "in put.mp4", L"", L"" },
        { "notmedia.mp4", L"25", L"25" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MediaProbe::EncoderFrameRate(Fixture(c.fixture), c.wholeRate), c.encoderRate) << c.fixture;
    EXPECT_NEAR(MediaProbe::DurationSeconds(Fixture("small.mp4")), 1.0, 0.05);
    EXPECT_LT(MediaProbe::DurationSeconds(Fixture("notmedia.mp4")), 0);
    EXPECT_LT(MediaProbe::DurationSeconds(WideFolder() + L"missing.mp4"), 0);
}

// What the pages may load: a picture stream, whether or not there is sound or a known duration;
// a file named like a video with no picture in it is not one.
TEST(MediaProbe, OnlyFilesWithAPictureStreamCountAsVideo)
{
    struct Case { std::string fixture; bool video; } cases[] = {
        { "in put.mp4", true },
        { "silent.mp4", true },
        { "clip.webm", true },
        { "[a] b'c.mkv", true },
        { "stream.h264", true },      // no duration: the page assumes one
        { "tone.m4a", false },
        { "cover.m4a", false },       // its one picture is the cover, not a video
        { "notmedia.mp4", false },
        { "empty.mp4", false },
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(Fixture(c.fixture).empty()) << c.fixture;
        EXPECT_EQ(MediaProbe::HasVideoStream(Fixture(c.fixture)), c.video) << c.fixture;
    }
    EXPECT_FALSE(MediaProbe::HasVideoStream(WideFolder() + L"missing.mp4"));
}
