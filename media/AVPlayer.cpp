#include "media/AVPlayer.h"

#include "media/MediaLibraries.h"
#include "media/PlayerLog.h"
#include "media/PlayerOutputWindow.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

// Called only where the table is known to be loaded: with an object the libraries made in hand, or
// once NewInstance made an instance.
const MediaLibraryCalls& Libraries()
{
    return *MediaLibraries();
}

constexpr libvlc_event_type_t kPlayerEvents[] = { libvlc_MediaPlayerPlaying, libvlc_MediaPlayerPositionChanged,
                                                   libvlc_MediaPlayerEndReached };
static_assert(libvlc_MediaPlayerPlaying == CAVPlayer::kEventPlaying);
static_assert(libvlc_MediaPlayerPositionChanged == CAVPlayer::kEventPositionChanged);
static_assert(libvlc_MediaPlayerEndReached == CAVPlayer::kEventEndReached);

// Always given to libVLC: it never gets a window of ours, and the file name must not be drawn over
// the preview.
constexpr const char* kFixedArguments[] = { "--no-xlib", "--no-video-title-show" };

std::mutex& LivePlayersLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const void*>& LivePlayers()
{
    static std::set<const void*> players;
    return players;
}

// A local path as a "file://" URI, every byte outside the unreserved set and "/" escaped.
std::string FileUri(const std::string& path)
{
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                        || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += static_cast<char>(c);
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
        uri += escaped;
    }
    return uri;
}

// "W:H" with two positive numbers as W / H; 0 for anything else.
double ParseAspect(const std::string& text)
{
    double width = 0, height = 0;
    char colon = 0;
    if (std::sscanf(text.c_str(), "%lf%c%lf", &width, &colon, &height) != 3 || colon != ':')
        return 0;
    return width > 0 && height > 0 ? width / height : 0;
}

// The shape (width over height, sample aspect included) the file's picture is shown at: 0 when it
// has no picture, nothing when FFmpeg cannot open it. libVLC tells its video callbacks the
// decoder's buffer size, which can hold padding rows, so the frames take their shape from here.
std::optional<double> PictureAspect(const std::string& path)
{
    AVFormatContext* format = nullptr;
    if (Libraries().avformat_open_input(&format, path.c_str(), nullptr, nullptr) != 0)
        return std::nullopt;
    double aspect = 0;
    if (Libraries().avformat_find_stream_info(format, nullptr) >= 0) {
        const int index = Libraries().av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (index >= 0) {
            AVStream* stream = format->streams[index];
            const AVRational sar = Libraries().av_guess_sample_aspect_ratio(format, stream, nullptr);
            const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
            if (stream->codecpar->height > 0)
                aspect = stream->codecpar->width * pixel / stream->codecpar->height;
        }
    }
    Libraries().avformat_close_input(&format);
    return aspect;
}

// Whether an option asks the "transform" filter for a quarter turn: libVLC then hands the frames
// over in the unturned shape unless asked for the turned one.
bool TurnsAQuarter(const std::string& option)
{
    return option.find("transform") != std::string::npos
        && (option.find("type=90") != std::string::npos || option.find("type=270") != std::string::npos);
}

// Sanitizer builds hold one idle instance for the whole run. libVLC unloads its plugins with its
// last instance; LeakSanitizer then looks for every frame of their process-long state among modules
// no longer mapped, re-reading the memory map each time, and a test program's exit took minutes.
// Held, the plugins stay mapped and their state stays reachable.
void HoldPluginsForTheRun()
{
#ifdef __SANITIZE_ADDRESS__
    // volatile: the pointer must stay in memory, where the leak check finds the instance from.
    [[maybe_unused]] static libvlc_instance_t* volatile const held = [] {
        libvlc_instance_t* instance = Libraries().libvlc_new(static_cast<int>(std::size(kFixedArguments)), kFixedArguments);
        player_log::Route(instance);
        return instance;
    }();
#endif
}

libvlc_instance_t* NewInstance(const std::string& option1, const std::string& option2)
{
    if (MediaLibraries() == nullptr)
        return nullptr;
    player_log::RouteFfmpeg();
    HoldPluginsForTheRun();
    std::vector<const char*> arguments(std::begin(kFixedArguments), std::end(kFixedArguments));
    for (const std::string* option : { &option1, &option2 })
        if (!option->empty())  // an empty argument would be taken for a file to play
            arguments.push_back(option->c_str());
    libvlc_instance_t* instance = Libraries().libvlc_new(static_cast<int>(arguments.size()), arguments.data());
    player_log::Route(instance);
    return instance;
}

void AttachEvents(libvlc_media_player_t* player, CAVPlayer* owner)
{
    libvlc_event_manager_t* events = Libraries().libvlc_media_player_event_manager(player);
    for (libvlc_event_type_t type : kPlayerEvents)
        Libraries().libvlc_event_attach(events, type, CAVPlayer::DispatchEvent, owner);
}

void DetachEvents(libvlc_media_player_t* player, CAVPlayer* owner)
{
    libvlc_event_manager_t* events = Libraries().libvlc_media_player_event_manager(player);
    for (libvlc_event_type_t type : kPlayerEvents)
        Libraries().libvlc_event_detach(events, type, CAVPlayer::DispatchEvent, owner);
}

}  // namespace

CAVPlayer::CAVPlayer()
    : m_frames(std::make_shared<VideoFrameStore>())
{
    std::lock_guard guard(LivePlayersLock());
    LivePlayers().insert(this);
}

CAVPlayer::~CAVPlayer()
{
    {
        std::lock_guard guard(LivePlayersLock());
        LivePlayers().erase(this);
    }
    ShutdownEngine();
}

bool CAVPlayer::IsAlive(const void* player)
{
    std::lock_guard guard(LivePlayersLock());
    return LivePlayers().count(player) != 0;
}

bool CAVPlayer::OpenAndPlay(const std::string& path, int startPermille, const std::string& option1,
                            const std::string& option2)
{
    std::lock_guard opening(m_openLock);
    StopPlayback();
    libvlc_instance_t* instance = NewInstance(option1, option2);
    libvlc_instance_t* previous = nullptr;
    {
        std::lock_guard guard(m_lock);
        previous = std::exchange(m_instance, instance);
    }
    if (previous)
        Libraries().libvlc_release(previous);  // a media player keeps its own reference to its instance
    std::error_code ignored;
    if (!instance || path.empty() || !std::filesystem::is_regular_file(path, ignored))
        return false;  // nothing to play: no player, no events
    // libVLC "plays" some files it cannot decode (starts, then ends at once); those are refused here.
    const std::optional<double> aspect = PictureAspect(path);
    if (!aspect)
        return false;

    libvlc_media_t* media = Libraries().libvlc_media_new_path(instance, path.c_str());
    libvlc_media_player_t* player = media ? Libraries().libvlc_media_player_new_from_media(media) : nullptr;
    if (media)
        Libraries().libvlc_media_release(media);
    if (!player) {
        m_valid = true;
        return false;
    }
    auto source = std::make_unique<VideoFrameSource>(m_frames, *aspect,
                                                     TurnsAQuarter(option1) || TurnsAQuarter(option2));
    Libraries().libvlc_video_set_callbacks(player, VideoFrameSource::Lock, nullptr, VideoFrameSource::Display, source.get());
    Libraries().libvlc_video_set_format_callbacks(player, VideoFrameSource::Setup, VideoFrameSource::Cleanup);
    AttachEvents(player, this);  // before starting, so that a quick "playing" is not missed

    libvlc_media_player_t* replaced = nullptr;
    std::unique_ptr<VideoFrameSource> replacedSource;
    {
        std::lock_guard guard(m_lock);
        // A stop from another thread may not have found this player yet: it is replaced here.
        replaced = std::exchange(m_player, player);
        replacedSource = std::exchange(m_source, std::move(source));
        m_valid = true;
        Libraries().libvlc_media_player_play(player);
        if (startPermille > 0 && startPermille <= 1000)
            Libraries().libvlc_media_player_set_position(player, startPermille / 1000.0f);
    }
    ReleaseEngine(replaced, std::move(replacedSource));
    return true;
}

void CAVPlayer::ReleaseEngine(libvlc_media_player_t* player, std::unique_ptr<VideoFrameSource> source)
{
    if (!player)
        return;
    DetachEvents(player, this);  // waits for a callback in progress
    Libraries().libvlc_media_player_stop(player);
    Libraries().libvlc_media_player_release(player);
    source.reset();  // only now: libVLC's video thread is gone
}

void CAVPlayer::StopPlayback()
{
    m_valid = false;
    libvlc_media_player_t* player = nullptr;
    std::unique_ptr<VideoFrameSource> source;
    {
        std::lock_guard guard(m_lock);
        player = std::exchange(m_player, nullptr);
        source = std::move(m_source);
    }
    ReleaseEngine(player, std::move(source));
}

void CAVPlayer::ShutdownEngine()
{
    std::lock_guard opening(m_openLock);
    StopPlayback();
    libvlc_instance_t* instance = nullptr;
    {
        std::lock_guard guard(m_lock);
        instance = std::exchange(m_instance, nullptr);
    }
    if (instance)
        Libraries().libvlc_release(instance);
}

libvlc_media_player_t* CAVPlayer::ValidPlayer() const
{
    return m_valid ? m_player : nullptr;
}

void CAVPlayer::ResumePlayback()
{
    std::lock_guard guard(m_lock);
    if (m_player)
        Libraries().libvlc_media_player_set_pause(m_player, 0);
}

void CAVPlayer::PausePlayback()
{
    std::lock_guard guard(m_lock);
    if (m_player)
        Libraries().libvlc_media_player_set_pause(m_player, 1);
}

bool CAVPlayer::SetSubtitleFile(const std::string& path)
{
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored))
        return false;  // libVLC would take any name and fail later, silently
    std::lock_guard guard(m_lock);
    return m_player
        && Libraries().libvlc_media_player_add_slave(m_player, libvlc_media_slave_type_subtitle, FileUri(path).c_str(), true) == 0;
}

void CAVPlayer::SetVolumeLevel(int volume)
{
    if (volume < 0)
        return;
    std::lock_guard guard(m_lock);
    if (libvlc_media_player_t* player = ValidPlayer())
        Libraries().libvlc_audio_set_volume(player, volume);
}

int CAVPlayer::PositionPermille()
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    if (!player)
        return 0;
    return std::max(0, static_cast<int>(Libraries().libvlc_media_player_get_position(player) * 1000));  // -1 before the media opens
}

void CAVPlayer::SetPositionPermille(float permille)
{
    if (!(permille >= 0 && permille <= 1000))
        return;
    std::lock_guard guard(m_lock);
    if (libvlc_media_player_t* player = ValidPlayer())
        Libraries().libvlc_media_player_set_position(player, permille / 1000.0f);
}

void CAVPlayer::SetPlaybackTimeMs(int ms)
{
    std::lock_guard guard(m_lock);
    if (libvlc_media_player_t* player = ValidPlayer())
        Libraries().libvlc_media_player_set_time(player, std::max(0, ms));
}

void CAVPlayer::SetPlaybackRate(float rate)
{
    std::lock_guard guard(m_lock);
    if (libvlc_media_player_t* player = ValidPlayer())
        Libraries().libvlc_media_player_set_rate(player, rate);
}

bool CAVPlayer::ApplyAdjust(int option, float value)
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    if (!player)
        return false;
    Libraries().libvlc_video_set_adjust_int(player, libvlc_adjust_Enable, 1);
    Libraries().libvlc_video_set_adjust_float(player, static_cast<unsigned>(option), value);
    return true;
}

void CAVPlayer::SetBrightnessLevel(float value)
{
    ApplyAdjust(libvlc_adjust_Brightness, value);
}

void CAVPlayer::SetContrastLevel(float value)
{
    ApplyAdjust(libvlc_adjust_Contrast, value);
}

void CAVPlayer::SetSaturationLevel(float value)
{
    ApplyAdjust(libvlc_adjust_Saturation, value);
}

void CAVPlayer::SetDisplayAspect(const std::string& aspect)
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    if (!player)
        return;
    Libraries().libvlc_video_set_aspect_ratio(player, aspect.c_str());
    // The frames come through memory, where libVLC's own aspect does not reach: the paint applies it.
    m_frames->SetDisplayAspect(ParseAspect(aspect));
}

bool CAVPlayer::IsPlaybackActive()
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    return player && Libraries().libvlc_media_player_is_playing(player) == 1;
}

int64_t CAVPlayer::MediaLengthMs()
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    return player ? std::max<int64_t>(0, Libraries().libvlc_media_player_get_length(player)) : 0;
}

int64_t CAVPlayer::PlaybackTimeMs()
{
    std::lock_guard guard(m_lock);
    libvlc_media_player_t* player = ValidPlayer();
    return player ? std::max<int64_t>(0, Libraries().libvlc_media_player_get_time(player)) : 0;
}

bool CAVPlayer::SetOutputWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return false;
    m_outputWnd = hwnd;
    return PlayerOutputWindow::Attach(hwnd, m_frames);
}

void CAVPlayer::DispatchEvent(const libvlc_event_t* event, void* opaque)
{
    auto* player = static_cast<CAVPlayer*>(opaque);
    if (!player || !event)
        return;
    Handler handler = nullptr;
    switch (event->type) {
    case libvlc_MediaPlayerPlaying: handler = player->m_onPlaying.load(); break;
    case libvlc_MediaPlayerPositionChanged: handler = player->m_onPosition.load(); break;
    case libvlc_MediaPlayerEndReached:
        player->m_valid = false;
        handler = player->m_onEndReached.load();
        break;
    default: return;
    }
    if (handler)
        handler(player);
}
