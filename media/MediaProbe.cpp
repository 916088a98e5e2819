#include "media/MediaProbe.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

constexpr int kUnknownFrameRate = 24;
constexpr int kHighestFrameRate = 120;

// The stream's base rate, whole frames per second. Some files store it the wrong way round
// (1/25), so the larger of the two numbers is divided by the smaller.
int WholeFrameRate(AVRational rate)
{
    int fps = rate.num;
    if (rate.den != 0 && fps != 0)
        fps = fps < rate.den ? rate.den / fps : fps / rate.den;
    return fps >= kHighestFrameRate ? kUnknownFrameRate : fps;
}

}  // namespace

MediaProbe::~MediaProbe()
{
    Close();
}

void MediaProbe::RegisterFormats()
{
}

int MediaProbe::Open(const char* utf8Path, int& frameRate, uint8_t& hasSubtitles, int& durationMs,
                     int& width, int& height)
{
    Close();
    if (!utf8Path || avformat_open_input(&m_format, utf8Path, nullptr, nullptr) != 0) {
        m_format = nullptr;
        return kOpenFailed;
    }
    if (avformat_find_stream_info(m_format, nullptr) < 0)
        return kNoStreamInfo;

    int audio = -1, video = -1;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVMediaType type = m_format->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_SUBTITLE)
            hasSubtitles = 1;
        else if (type == AVMEDIA_TYPE_AUDIO)
            audio = static_cast<int>(i);
        else if (type == AVMEDIA_TYPE_VIDEO)
            video = static_cast<int>(i);
    }
    frameRate = kUnknownFrameRate;
    if (audio < 0)
        return kNoAudio;
    if (video >= 0) {
        const AVStream* stream = m_format->streams[video];
        // The picture size, not the decoder's coded size: an H.264 picture 120 rows high is coded
        // in 128, and every export crops and scales by the picture.
        width = stream->codecpar->width;
        height = stream->codecpar->height;
        durationMs = m_format->duration == AV_NOPTS_VALUE ? 0 : static_cast<int>(m_format->duration / 1000);
        frameRate = WholeFrameRate(stream->r_frame_rate);
    }
    return kOpened;
}

void MediaProbe::Close()
{
    if (m_format)
        avformat_close_input(&m_format);
}
