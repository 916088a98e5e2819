#pragma once
// The multi-clip page's export queue as the clip-list job sees it: one entry per queued clip with
// the one setting it carries, and the clip's list row, which shows the entry's progress and then
// its result. The launcher copies the clip's record into the entry; the job reads entries by index
// under the queue's lock, so a clip queued while the job runs is reached too.

#include <string>
#include <vector>

#include "media/RowProgressView.h"

// The setting an entry carries; each names the stage that exports it.
enum ClipEntryKind : int { kClipSubtitles = 0, kClipWatermark = 1, kClipCover = 2, kClipMusic = 3 };

class ClipRowView : public RowProgressView {
public:
    // True when the clip has no sound track (the row's "mute" mark).
    virtual bool IsMute() const = 0;
    // The clip's width and height joined by "x" ("1920x1080").
    virtual std::wstring Resolution() const = 0;
    // Hides the progress; on success the row's open button offers outputPath.
    virtual void FinishRun(const std::wstring& outputPath, bool succeeded) = 0;
};

// Seconds from the music page's four time texts: hours, minutes, seconds and tenths.
float ClipTimeSeconds(const std::wstring& hours, const std::wstring& minutes, const std::wstring& seconds,
                      const std::wstring& tenths);
// The volume filter for a 0 to 200 slider value, half a decibel per step away from 100; empty at
// 100, which leaves the sound unchanged.
std::wstring ClipVolumeFilter(int volume);

// A picture file's size as the media libraries read it; false when it cannot be read.
bool PictureSize(const std::wstring& path, long& width, long& height);

// A typed subtitle, rendered by the subtitle page into a transparent picture of the preview's size.
struct ClipSubtitle {
    std::wstring picturePath;
    float startSeconds = 0, endSeconds = 0;
};

struct ClipExportEntry {
    int kind = -1;
    std::wstring clipPath;
    std::wstring durationMsText;  // the clip's duration in milliseconds
    std::wstring frameRate;       // from the clip's media information; empty when it has none
    float coverDuration = 0;      // seconds the cover is shown
    std::wstring coverPicture;    // the prepared cover picture (JPEG or PNG)
    std::wstring musicPath;       // the background music file
    float musicStart = 0, musicEnd = 0;  // the cut of the music, seconds
    float placeStart = 0, placeEnd = 0;  // where in the clip the music sounds, seconds
    int soundVolume = 100;        // the clip's own sound, 0 to 200; 100 unchanged
    int musicVolume = 100;        // the music, 0 to 200; 100 unchanged
    bool loopMusic = false;       // repeat the cut until it fills the placement
    std::wstring videoWidth, videoHeight;  // the clip's frame size, decimal texts
    std::wstring watermarkPicture;         // the rendered watermark (a PNG of any size)
    bool useSubtitleFile = false;          // burn subtitleFile in, else lay the typed subtitles over
    std::wstring subtitleFile;
    std::vector<ClipSubtitle> subtitles;
    ClipRowView* row = nullptr;   // the row outlives the job's use of it
};
