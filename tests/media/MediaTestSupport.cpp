#include "MediaTestSupport.h"

#include "platform/WinBase.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace mediatest {
namespace {

std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Removes the process's folder when the test program ends.
struct FolderOwner {
    std::string path;
    ~FolderOwner()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

const std::map<std::string, std::string>& FixtureRecipes()
{
    const std::string encode = " -c:v libx264 -preset ultrafast -pix_fmt yuv420p";
    static const std::map<std::string, std::string> recipes = {
        { "in put.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440 -t 4" + encode + " -c:a aac" },
        { "silent.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -t 4" + encode + " -an" },
        { "ntsc.mp4", "-f lavfi -i testsrc=size=160x120:rate=30000/1001 -f lavfi -i sine -t 1" + encode + " -c:a aac" },
        { "clip.webm", "-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -t 2 -c:v libvpx -deadline realtime "
                       "-cpu-used 8 -c:a libvorbis" },
        { "tone.m4a", "-f lavfi -i sine -t 2 -c:a aac" },
        { "long.mp4", "-f lavfi -i testsrc=size=160x120:rate=10 -f lavfi -i sine -t 40" + encode + " -c:a aac" },
        { "fast.mp4", "-f lavfi -i testsrc=size=160x120:rate=240 -f lavfi -i sine -t 1" + encode + " -c:a aac" },
        { "film.mp4", "-f lavfi -i testsrc=size=160x120:rate=24000/1001 -f lavfi -i sine -t 10" + encode + " -c:a aac" },
        { "small.mp4", "-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -t 1" + encode + " -c:a aac" },
        { "short.mp4", "-f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -t 2" + encode + " -c:a aac" },
        { "twovideo.mkv", "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i testsrc=size=160x120:rate=25 "
                          "-f lavfi -i sine -t 1 -map 0 -map 1 -map 2" + encode + " -c:a aac" },
        { "cover.m4a", "-f lavfi -i sine -f lavfi -i color=c=red:size=32x32 -t 1 -map 0:a -map 1:v -frames:v 1 "
                       "-c:v mjpeg -disposition:v:0 attached_pic -c:a aac" },
        { "red.png", "-f lavfi -i color=c=red:size=160x120 -frames:v 1" },
        { "stream.h264", "-f lavfi -i testsrc=size=160x120:rate=25 -t 1" + encode + " -f h264" },
        // Noise keeps a flat colour from compressing below the size a picture must have.
        { "rgb.mp4", "-filter_complex 'color=c=red:size=160x120:rate=25:duration=1[r];color=c=lime:size=160x120:rate=25:"
                     "duration=1[g];color=c=blue:size=160x120:rate=25:duration=1[b];[r][g][b]concat=n=3,"
                     "noise=alls=12:allf=t'" + encode },
        { "red.mp4", "-f lavfi -i color=c=red:size=160x120:rate=25,noise=alls=12:allf=t -t 3" + encode },
        { "blue.mp4", "-f lavfi -i color=c=blue:size=160x120:rate=25,noise=alls=12:allf=t -f lavfi -i sine -t 6"
                      + encode + " -c:a aac" },
        { "shortsound.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440:duration=2 -t 4"
                            + encode + " -c:a aac" },
        { "corner.mp4", "-f lavfi -i color=c=black:size=320x240:rate=25,drawbox=x=0:y=0:w=80:h=60:color=red:t=fill "
                        "-f lavfi -i sine -t 1" + encode + " -c:a aac" },
    };
    return recipes;
}

bool MakeFixture(const std::string& name, const std::string& path)
{
    if (name == "notmedia.mp4") {
        std::ofstream(path) << "this is a note, not a video\n";
        return true;
    }
    if (name == "empty.mp4") {
        std::ofstream file(path);
        return true;
    }
    if (name == "timedtext.mp4") {  // an MP4 with a timed-text track shown from 0.5 to 5.5 s
        const std::string srt = Folder() + "timed.srt";
        std::ofstream(srt) << "1\n00:00:00,500 --> 00:00:05,500\nHELLO\n\n";
        return Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine -i "
                     + ShellQuote(srt) + " -t 6 -map 0:v -map 1:a -map 2:s -c:v libx264 -preset ultrafast "
                     "-pix_fmt yuv420p -c:a aac -c:s mov_text " + ShellQuote(path));
    }
    if (name == "[a] b'c.mkv") {
        const std::string srt = Folder() + "subs.srt";
        std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:01,000\nHELLO HELLO HELLO\n\n";
        return Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=black:size=320x240:rate=25 -f lavfi -i sine -i "
                     + ShellQuote(srt) + " -t 3 -map 0:v -map 1:a -map 2:s -c:v libx264 -preset ultrafast "
                     "-pix_fmt yuv420p -c:a aac -c:s srt " + ShellQuote(path));
    }
    const auto recipe = FixtureRecipes().find(name);
    return recipe != FixtureRecipes().end()
        && Shell("ffmpeg -nostdin -loglevel error -y " + recipe->second + " " + ShellQuote(path));
}

// The colour of one pixel of a decoded frame, from the layouts our outputs use.
bool FramePixel(const AVFrame* frame, int x, int y, Rgb& colour)
{
    const auto clamp = [](double v) { return static_cast<int>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
    switch (frame->format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P: {
        const double luma = frame->data[0][y * frame->linesize[0] + x];
        const double u = frame->data[1][(y / 2) * frame->linesize[1] + x / 2] - 128.0;
        const double v = frame->data[2][(y / 2) * frame->linesize[2] + x / 2] - 128.0;
        const double l = frame->format == AV_PIX_FMT_YUVJ420P ? luma : (luma - 16) * 255.0 / 219.0;
        const double k = frame->format == AV_PIX_FMT_YUVJ420P ? 1.0 : 255.0 / 224.0;
        colour = { clamp(l + 1.402 * k * v), clamp(l - 0.344 * k * u - 0.714 * k * v), clamp(l + 1.772 * k * u) };
        return true;
    }
    case AV_PIX_FMT_RGB24:
    case AV_PIX_FMT_RGBA: {
        const uint8_t* p = frame->data[0] + y * frame->linesize[0] + x * (frame->format == AV_PIX_FMT_RGB24 ? 3 : 4);
        colour = { p[0], p[1], p[2] };
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

const std::string& Folder()
{
    static FolderOwner owner;
    static std::once_flag once;
    std::call_once(once, [] {
        std::string base = std::filesystem::temp_directory_path().string() + "/quill-media-XXXXXX";
        if (!mkdtemp(base.data()))
            std::abort();
        owner.path = base + "/";
        std::filesystem::create_directories(owner.path + "tmp");
        // Everything the code under test writes stays in here.
        setenv("HOME", base.c_str(), 1);
        setenv("TMPDIR", (owner.path + "tmp").c_str(), 1);
    });
    return owner.path;
}

std::wstring WideFolder()
{
    return Wide(Folder());
}

std::string Narrow(const std::wstring& text)
{
    return platform::WideToUtf8(text);
}

std::wstring Wide(const std::string& text)
{
    return platform::Utf8ToWide(text);
}

bool Shell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::wstring Fixture(const std::string& name)
{
    static std::mutex lock;
    static std::map<std::string, bool> made;
    std::lock_guard guard(lock);
    const std::string path = Folder() + name;
    if (!made[name])
        made[name] = MakeFixture(name, path);
    return made[name] ? Wide(path) : std::wstring();
}

std::wstring RealTimeEncoder()
{
    const std::string path = Folder() + "realtime-encoder.sh";
    if (access(path.c_str(), X_OK) != 0) {
        std::ofstream(path) << "#!/bin/sh\nexec ffmpeg -re \"$@\"\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    return Wide(path);
}

std::wstring SizeLimitedEncoder(long bytes)
{
    // The limit is set on the encoder's own process (prlimit calls setrlimit(RLIMIT_FSIZE) there),
    // not on the test. Its signal is ignored, so a write past the limit fails as on a full disk.
    const std::string path = Folder() + "limited-encoder-" + std::to_string(bytes) + ".sh";
    if (access(path.c_str(), X_OK) != 0) {
        std::ofstream(path) << "#!/bin/sh\ntrap '' XFSZ\nexec prlimit --fsize=" << bytes << " ffmpeg \"$@\"\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    return Wide(path);
}

namespace {

// Opens `path` for reading; a picture's name is its name, not a numbered pattern
// ("shots 100%d/image1.png"). Null when it cannot be opened.
AVFormatContext* OpenByName(const std::wstring& path)
{
    AVFormatContext* format = nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "pattern_type", "none", 0);
    const int opened = avformat_open_input(&format, Narrow(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    return opened == 0 ? format : nullptr;
}

}  // namespace

bool WithFirstFrame(const std::wstring& path, const std::function<void(const AVFrame&)>& use)
{
    AVFormatContext* format = OpenByName(path);
    if (!format)
        return false;
    avformat_find_stream_info(format, nullptr);
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    bool decoded = false;
    if (video >= 0) {
        const AVCodec* codec = avcodec_find_decoder(format->streams[video]->codecpar->codec_id);
        AVCodecContext* decoder = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder, format->streams[video]->codecpar);
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        if (avcodec_open2(decoder, codec, nullptr) == 0) {
            while (!decoded && av_read_frame(format, packet) >= 0) {
                if (packet->stream_index == video && avcodec_send_packet(decoder, packet) >= 0)
                    decoded = avcodec_receive_frame(decoder, frame) == 0;
                av_packet_unref(packet);
            }
            if (!decoded && avcodec_send_packet(decoder, nullptr) >= 0)  // a one-frame file is held back
                decoded = avcodec_receive_frame(decoder, frame) == 0;
        }
        if (decoded)
            use(*frame);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
    }
    avformat_close_input(&format);
    return decoded;
}

bool PixelAt(const std::wstring& path, int x, int y, Rgb& colour)
{
    bool found = false;
    WithFirstFrame(path, [&](const AVFrame& frame) {
        if (x >= 0 && y >= 0 && x < frame.width && y < frame.height)
            found = FramePixel(&frame, x, y, colour);
    });
    return found;
}

OutputInfo Probe(const std::wstring& path)
{
    OutputInfo info;
    AVFormatContext* format = OpenByName(path);
    if (!format)
        return info;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        info.opened = true;
        info.durationSeconds = format->duration == AV_NOPTS_VALUE ? 0 : format->duration / double(AV_TIME_BASE);
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVStream* stream = format->streams[i];
            const AVCodecParameters* codec = stream->codecpar;
            if (codec->codec_type == AVMEDIA_TYPE_VIDEO && info.videoCodec.empty()) {
                info.videoCodec = avcodec_get_name(codec->codec_id);
                info.width = codec->width;
                info.height = codec->height;
                info.videoFrames = stream->nb_frames;
            } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO && info.audioCodec.empty()) {
                info.audioCodec = avcodec_get_name(codec->codec_id);
                if (stream->duration != AV_NOPTS_VALUE)
                    info.audioSeconds = stream->duration * av_q2d(stream->time_base);
            } else if (codec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
                ++info.subtitleStreams;
            }
        }
    }
    avformat_close_input(&format);
    return info;
}

std::string ColourName(const Rgb& c)
{
    const auto high = [](int v) { return v >= 160; };
    const auto low = [](int v) { return v <= 90; };
    if (high(c.r) && low(c.g) && low(c.b))
        return "red";
    if (low(c.r) && high(c.g) && low(c.b))
        return "green";
    if (low(c.r) && low(c.g) && high(c.b))
        return "blue";
    if (low(c.r) && low(c.g) && low(c.b))
        return "black";
    if (high(c.r) && high(c.g) && high(c.b))
        return "white";
    return "other";
}

bool Exists(const std::wstring& path)
{
    std::error_code ignored;
    return std::filesystem::exists(Narrow(path), ignored);
}

int ChildProcessCount()
{
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return -1;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream children(std::string("/proc/self/task/") + entry->d_name + "/children");
        int pid = 0;
        while (children >> pid)
            ++count;
    }
    closedir(tasks);
    return count;
}

void FakeGifRow::ShowProgress(float percent, const std::wstring& text)
{
    std::lock_guard guard(lock);
    percents.push_back(percent);
    lastText = text;
}

void FakeGifRow::BeginRun()
{
    std::lock_guard guard(lock);
    ++begun;
}

void FakeGifRow::FinishRun(const std::wstring& outputPath, bool ok)
{
    std::lock_guard guard(lock);
    ++finished;
    succeeded = ok;
    output = outputPath;
}

SkinUI::CUIString FakePageView::FieldText(const wchar_t* controlName) const
{
    const auto found = fields.find(controlName);
    return SkinUI::CUIString(found == fields.end() ? L"" : found->second.c_str());
}

int FakePageView::SliderValue(const wchar_t* controlName) const
{
    const auto found = sliders.find(controlName);
    return found == sliders.end() ? 100 : found->second;
}

bool FakePageView::SplitTask(int row, SkinUI::CUIString& task, SkinUI::CUIString& baseName) const
{
    if (row < 0 || row >= static_cast<int>(splitTasks.size()))
        return false;
    task = splitTasks[row].first.c_str();
    baseName = splitTasks[row].second.c_str();
    return true;
}

GifRowView* FakePageView::FindGifRow(const SkinUI::CUIString& rowId)
{
    const auto found = gifRows.find(rowId.GetData());
    return found == gifRows.end() ? nullptr : found->second;
}

void FakePageView::SetCutRange(double start, double end)
{
    auto split = [this](double seconds, const wchar_t* h, const wchar_t* m, const wchar_t* s, const wchar_t* ms) {
        const long total = std::lround(seconds * 1000);
        fields[h] = std::to_wstring(total / 3600000);
        fields[m] = std::to_wstring(total / 60000 % 60);
        fields[s] = std::to_wstring(total / 1000 % 60);
        fields[ms] = std::to_wstring(total % 1000);
    };
    split(start, L"startHour", L"startMinute", L"startsecound", L"startmillsecond");
    split(end, L"OVertHour", L"OVerMinute", L"OVersecound", L"OVermillsecond");
    fields[L"Xwidth"] = L"0";
    fields[L"Yheight"] = L"0";
    fields[L"cut_width"] = L"400";
    fields[L"cut_height"] = L"300";
}

MessageRecorder::MessageRecorder(int answer)
{
    CMessageWnd::SetAnswerer([this, answer](const CMessageWnd& dialog) {
        std::lock_guard guard(m_lock);
        m_messages.push_back(dialog.GetMessageText());
        return answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    CMessageWnd::SetAnswerer({});
}

std::vector<std::wstring> MessageRecorder::Messages()
{
    std::lock_guard guard(m_lock);
    return m_messages;
}

}  // namespace mediatest
