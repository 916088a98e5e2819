#pragma once
// What the export pages need to know about a media file before they load it, read with the FFmpeg
// libraries: can it be opened, has it sound, does it carry subtitles, its frame rate, duration and
// picture size. One probe holds at most one open file; the caller closes it after every result
// but kOpenFailed. Paths are UTF-8. Not thread-safe: one probe per thread.

#include <cstdint>
#include <string>

struct AVFormatContext;

class MediaProbe {
public:
    enum Result : int {
        kNoStreamInfo = 0,  // opened, but the stream information could not be read
        kOpenFailed = 3,    // not a file the libraries can open
        kNoAudio = 11,      // no audio stream: only the frame rate (24) and subtitle flag are set
        kOpened = 12,       // opened with an audio stream
    };

    MediaProbe() = default;
    ~MediaProbe();
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;

    // Formats and codecs register themselves when the libraries are first loaded (by the first
    // probe); kept so that start-up has one place to call before any probe.
    static void RegisterFormats();

    // Frame rate is whole frames per second (24 when unknown or 120 and above); the subtitle flag
    // is only ever set, never cleared; duration is the container's, in milliseconds; width and
    // height are the video stream's picture size (the last video stream wins).
    int Open(const char* utf8Path, int& frameRate, uint8_t& hasSubtitles, int& durationMs,
             int& width, int& height);
    void Close();

    // The rate to hand the encoder for a source whose whole-number rate, as Open reported it, is
    // wholeRate: the source's exact rate ("24000/1001") when wholeRate is that rate rounded down,
    // so a 23.976 fps source is not cut at 23; wholeRate itself when it is not the source's own
    // (the 24 standing for an unknown or very high rate); empty for an empty wholeRate.
    static std::wstring EncoderFrameRate(const std::wstring& sourcePath, const std::wstring& wholeRate);
    // The container's duration in seconds; below 0 when the file cannot be read as media.
    static double DurationSeconds(const std::wstring& path);
    // Whether the file is a video the pages can load: the libraries open it, read its stream
    // information and find a picture stream of a known size that is not an attached cover picture.
    // A file named like a video that fails this (a text file, an empty file, a sound file) would
    // load as an empty clip of the assumed hour; the one answer every loader asks.
    static bool HasVideoStream(const std::wstring& path);
    // How long the file's picture plays, in seconds: from its first video packet to the end of its
    // last, read packet by packet. A file cut off by a full disk may keep the length its header
    // promised; its packets cannot. Below 0 when the file cannot be read or has no picture stream.
    static double PictureSeconds(const std::wstring& path);

private:
    AVFormatContext* m_format { nullptr };
};
