#include "media/MediaProbe.h"

#include <algorithm>
#include <cwchar>

#include "base/StringHelpers.h"
#include "media/CommandText.h"
#include "media/MediaLibraries.h"

namespace {

constexpr int kUnknownFrameRate = 24;
constexpr int kHighestFrameRate = 120;

// The stream's base rate, whole frames per second. Some files store it the wrong way round
// (1/25), so the larger of the two numbers is divided by the smaller.
int WholeRate(AVRational rate)
{
    if (rate.den != 0 && rate.num != 0)
        return rate.num < rate.den ? rate.den / rate.num : rate.num / rate.den;
    return rate.num;
}

int WholeFrameRate(AVRational rate)
{
    const int fps = WholeRate(rate);
    return fps >= kHighestFrameRate ? kUnknownFrameRate : fps;
}

// Opens the file with its stream information read, or returns null.
AVFormatContext* OpenWithStreams(const MediaLibraryCalls* av, const std::wstring& path)
{
    AVFormatContext* format = nullptr;
    if (!av || av->avformat_open_input(&format, WideToUtf8(EncoderPath(path)).c_str(), nullptr, nullptr) != 0)
        return nullptr;
    if (av->avformat_find_stream_info(format, nullptr) < 0)
        av->avformat_close_input(&format);
    return format;
}

}  // namespace

std::wstring MediaProbe::EncoderFrameRate(const std::wstring& sourcePath, const std::wstring& wholeRate)
{
    if (wholeRate.empty())
        return {};
    const MediaLibraryCalls* av = MediaLibraries();
    AVFormatContext* format = OpenWithStreams(av, sourcePath);
    if (!format)
        return wholeRate;
    std::wstring exact;
    const int video = av->av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video >= 0) {
        AVRational rate = format->streams[video]->r_frame_rate;
        if (rate.num != 0 && rate.den != 0 && WholeRate(rate) == std::wcstol(wholeRate.c_str(), nullptr, 10)) {
            if (rate.num < rate.den)
                rate = av_inv_q(rate);
            exact = FormatWide(L"%d/%d", rate.num, rate.den);
        }
    }
    av->avformat_close_input(&format);
    return exact.empty() ? wholeRate : exact;
}

double MediaProbe::DurationSeconds(const std::wstring& path)
{
    const MediaLibraryCalls* av = MediaLibraries();
    AVFormatContext* format = OpenWithStreams(av, path);
    if (!format)
        return -1;
    const double seconds = format->duration == AV_NOPTS_VALUE ? -1 : format->duration / double(AV_TIME_BASE);
    av->avformat_close_input(&format);
    return seconds;
}

bool MediaProbe::HasVideoStream(const std::wstring& path)
{
    const MediaLibraryCalls* av = MediaLibraries();
    AVFormatContext* format = OpenWithStreams(av, path);
    if (!format)
        return false;
    bool found = false;
    for (unsigned i = 0; i < format->nb_streams && !found; ++i) {
        const AVStream* stream = format->streams[i];
        found = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && stream->codecpar->width > 0
            && stream->codecpar->height > 0 && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
    }
    av->avformat_close_input(&format);
    return found;
}

double MediaProbe::PictureSeconds(const std::wstring& path)
{
    const MediaLibraryCalls* av = MediaLibraries();
    AVFormatContext* format = OpenWithStreams(av, path);
    if (!format)
        return -1;
    int video = -1;
    for (unsigned i = 0; i < format->nb_streams && video < 0; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            video = static_cast<int>(i);
    }
    int64_t first = AV_NOPTS_VALUE, end = AV_NOPTS_VALUE;
    AVPacket* packet = video >= 0 ? av->av_packet_alloc() : nullptr;
    while (packet && av->av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == video && packet->pts != AV_NOPTS_VALUE) {
            first = first == AV_NOPTS_VALUE ? packet->pts : std::min(first, packet->pts);
            end = end == AV_NOPTS_VALUE ? packet->pts + packet->duration : std::max(end, packet->pts + packet->duration);
        }
        av->av_packet_unref(packet);
    }
    av->av_packet_free(&packet);
    const double seconds = end == AV_NOPTS_VALUE ? -1 : (end - first) * av_q2d(format->streams[video]->time_base);
    av->avformat_close_input(&format);
    return seconds;
}

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
    const MediaLibraryCalls* av = MediaLibraries();
    if (!utf8Path || !av || av->avformat_open_input(&m_format, utf8Path, nullptr, nullptr) != 0) {
        m_format = nullptr;
        return kOpenFailed;
    }
    if (av->avformat_find_stream_info(m_format, nullptr) < 0)
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
    if (m_format)  // only a loaded table opens one
        MediaLibraries()->avformat_close_input(&m_format);
}
