#pragma once
// Decoded preview frames on their way from libVLC to the player's output window.
//
// libVLC never draws into a window here: each media player decodes into memory through its video
// callbacks (a VideoFrameSource, one per libVLC media player, called on libVLC's video thread),
// and every finished frame is published to the player's VideoFrameStore, which keeps only the
// latest one and invalidates the output window. The window's paint (UI thread) takes the latest
// frame and draws it. Frames are shared, never copied between threads: a frame handed out stays
// untouched while anyone holds it, and the source writes only into frames nobody else holds.

#include "platform/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// One picture as 32-bit pixels, blue in the lowest byte, rows top down without padding. `aspect`
// is the width over height it is shown at (0: its own shape).
struct VideoFrame {
    int width { 0 };
    int height { 0 };
    double aspect { 0.0 };
    std::vector<uint32_t> pixels;
};

class VideoFrameStore {
public:
    // The window whose size the decoded frames take and which is repainted for each new frame.
    void SetWindow(HWND hwnd) { m_window.store(hwnd); }
    HWND Window() const { return m_window.load(); }

    void Publish(std::shared_ptr<const VideoFrame> frame);
    std::shared_ptr<const VideoFrame> Latest() const;
    void Clear();
    uint64_t FramesPublished() const { return m_published.load(); }

    // Width over height that the picture is shown at; 0 shows it at the frame's own shape.
    void SetDisplayAspect(double ratio) { m_aspect.store(ratio); }
    double DisplayAspect() const { return m_aspect.load(); }

private:
    mutable std::mutex m_lock;
    std::shared_ptr<const VideoFrame> m_latest;  // guarded by m_lock
    std::atomic<HWND> m_window { nullptr };
    std::atomic<uint64_t> m_published { 0 };
    std::atomic<double> m_aspect { 0.0 };
};

// The video callbacks of one libVLC media player. The frame size is chosen when libVLC starts
// its video: libVLC's picture size fitted into the store's window (its own size while the window
// has none), so libVLC does the scaling and the paint mostly copies. libVLC's size can include
// the decoder's padding rows, and libVLC fills a frame of that shape with the visible picture, so
// each frame is marked with the picture's real shape for the paint.
class VideoFrameSource {
public:
    // `aspect`: the picture's shape as the file states it, width over height (0: libVLC's shape);
    // `quarterTurn`: a filter turns the picture by 90 or 270 degrees, which libVLC does not tell
    // its video callbacks, so width and height are swapped here.
    VideoFrameSource(std::shared_ptr<VideoFrameStore> store, double aspect, bool quarterTurn);
    VideoFrameSource(const VideoFrameSource&) = delete;
    VideoFrameSource& operator=(const VideoFrameSource&) = delete;

    // The size a width x height picture is decoded at for a window of the given client size.
    static SIZE FitIntoWindow(unsigned width, unsigned height, const RECT& client);

    // libVLC's callbacks; `opaque` is the source.
    static unsigned Setup(void** opaque, char* chroma, unsigned* width, unsigned* height, unsigned* pitches,
                          unsigned* lines);
    static void Cleanup(void* opaque);
    static void* Lock(void* opaque, void** planes);
    static void Display(void* opaque, void* picture);

private:
    std::shared_ptr<VideoFrame> FreeFrame();

    std::shared_ptr<VideoFrameStore> m_store;
    double m_aspect { 0.0 };  // the picture's real shape as shown, 0 when unknown
    bool m_quarterTurn { false };
    int m_width { 0 };
    int m_height { 0 };
    std::vector<std::shared_ptr<VideoFrame>> m_pool;  // video thread only
    std::shared_ptr<VideoFrame> m_writing;
};
