#pragma once
// CAVPlayer: the libVLC player of one preview. One libVLC instance and one media player at a time;
// decoded frames go to the player's frame store, which its output window paints (libVLC never
// draws into a window). Paths and texts given to libVLC are UTF-8.
//
// Threads: a player is opened from the UI thread or from a worker thread, and queried and driven
// from the UI thread; an internal lock keeps the libVLC objects whole while one thread replaces
// them and another queries them, and is never held while libVLC stops or starts. Opens and
// shut-downs of one player take turns, so none releases the instance another is still building
// a media player on. libVLC calls DispatchEvent on its own threads; the handlers must only post
// messages.
//
// Validity: each player has its own flag. It is cleared by construction, by stopping (so also by
// every open) and by the end of the media, and set by a successful open. While it is clear every
// query answers 0 and every setter but pause, resume and subtitle file does nothing.
//
// Ownership: the player owns its libVLC instance and media player; stopping, shutting down and
// destruction detach its events before releasing them, so no event reaches a player that is gone.

#include "media/VideoFrameStore.h"
#include "platform/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;

class CAVPlayer {
public:
    using Handler = void (*)(CAVPlayer* player);

    // libVLC event numbers the player listens to.
    static constexpr int kEventPlaying = 260;
    static constexpr int kEventPositionChanged = 268;
    static constexpr int kEventEndReached = 265;

    CAVPlayer();
    ~CAVPlayer();
    CAVPlayer(const CAVPlayer&) = delete;
    CAVPlayer& operator=(const CAVPlayer&) = delete;

    // Stops what plays, starts `path` with a new libVLC instance made from the two options (empty
    // ones are left out) and, when `startPermille` is not 0, seeks there. True when a media player
    // was made and started; a missing file or one that is not media is refused before libVLC
    // sees it, so it sends no events.
    bool OpenAndPlay(const std::string& path, int startPermille, const std::string& option1, const std::string& option2);
    void StopPlayback();    // the instance stays
    void ShutdownEngine();  // stop, then release the instance

    void ResumePlayback();
    void PausePlayback();
    bool SetSubtitleFile(const std::string& path);  // true when the file exists and libVLC took it

    void SetVolumeLevel(int volume);  // negative: ignored
    int PositionPermille();
    void SetPositionPermille(float permille);  // outside 0..1000: ignored
    void SetPlaybackTimeMs(int ms);
    void SetPlaybackRate(float rate);
    void SetBrightnessLevel(float value);
    void SetContrastLevel(float value);
    void SetSaturationLevel(float value);
    void SetDisplayAspect(const std::string& aspect);  // "16:9"; anything else shows the picture's own shape
    bool IsPlaybackActive();
    int64_t MediaLengthMs();
    int64_t PlaybackTimeMs();

    bool SetOutputWindow(HWND hwnd);  // true when it is a window; that window then shows the frames
    HWND GetOutputWindow() const { return m_outputWnd.load(); }
    const std::shared_ptr<VideoFrameStore>& Frames() const { return m_frames; }

    void SetPlayingHandler(Handler handler) { m_onPlaying.store(handler); }
    void SetPositionHandler(Handler handler) { m_onPosition.store(handler); }
    void SetEndReachedHandler(Handler handler) { m_onEndReached.store(handler); }

    bool IsValid() const { return m_valid.load(); }
    // Whether `player` is a player that exists now: a receiver of a posted player message checks
    // its wParam with this before using it.
    static bool IsAlive(const void* player);

    // libVLC's event callback; `player` is the CAVPlayer.
    static void DispatchEvent(const libvlc_event_t* event, void* player);

private:
    void ReleaseEngine(libvlc_media_player_t* player, std::unique_ptr<VideoFrameSource> source);
    bool ApplyAdjust(int option, float value);
    libvlc_media_player_t* ValidPlayer() const;  // lock held

    mutable std::mutex m_lock;
    std::mutex m_openLock;  // held for a whole open or shut-down; never taken by queries or handlers
    libvlc_instance_t* m_instance { nullptr };     // guarded by m_lock
    libvlc_media_player_t* m_player { nullptr };  // guarded by m_lock
    std::unique_ptr<VideoFrameSource> m_source;   // the callbacks of m_player; guarded by m_lock
    std::atomic<HWND> m_outputWnd { nullptr };  // read by libVLC's threads through the handlers
    std::atomic<Handler> m_onPlaying { nullptr };
    std::atomic<Handler> m_onPosition { nullptr };
    std::atomic<Handler> m_onEndReached { nullptr };
    std::atomic<bool> m_valid { false };
    std::shared_ptr<VideoFrameStore> m_frames;
};
