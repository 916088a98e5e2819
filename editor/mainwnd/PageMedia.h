#pragma once
// The arithmetic of loading a file into the editor, kept apart from the window so that each rule
// can be checked on its own: the media details a page or list row shows (composed from what the
// FFmpeg probe and the MediaInfo library report), the fitted thumbnail sizes, the cut page's crop
// overlay placement, and the texts of a list row. Pure functions of their arguments; any thread.

#include <cstdint>
#include <string>
#include <vector>

#include "media/MediaInfoLibrary.h"

// What the FFmpeg probe reported for a file (MediaProbe::Open's result and values).
struct ProbeFacts {
    int result = 0;          // MediaProbe::Result
    int frameRate = 0;
    uint8_t hasSubtitles = 0;
    int durationMs = 0;
};

// A file's details as the pages and list rows keep them; every text is decimal unless noted.
struct MediaDetails {
    std::wstring frameRate;   // whole frames per second
    std::wstring durationMs;  // "3600000" when neither library knows the duration
    std::wstring clockText;   // "hh:mm:ss" of the duration
    std::wstring aspect;      // display aspect as a decimal number ("1.778")
    std::wstring report;      // MediaInfo's full text report
    uint8_t hasSubtitles = 0;  // an MKV file with a subtitle stream
    uint8_t noAudio = 0;
    std::wstring width;       // picture size, made even unless the report gives a stored size
    std::wstring height;
    std::wstring bitRate;     // kb/s
};

// The rules that turn the two libraries' answers into the details. The file's name is only read
// (for its extension): a file is never renamed to be loaded.
MediaDetails ComposeMediaDetails(const std::wstring& path, const ProbeFacts& probe, const MediaInfoDetails& info);

// "hh:mm:ss" of whole seconds; hours grow past 23.
std::wstring ClockText(long long seconds);
// The three parts of a clock text split at ':'; empty unless there are exactly three.
std::vector<std::wstring> ClockParts(const std::wstring& clock);

// A thumbnail's picture size. The list-row form fits the 128 x 80 cell (by width above the cell's
// own ratio 1.6, else by height); the page form gives the longer side 78. False, with nothing
// written, when either side of the source is not positive: such a file has no picture to shrink.
struct ThumbnailSize {
    int width = 0;
    int height = 0;
};
bool FitThumbnail(int width, int height, bool listRow, ThumbnailSize& fitted);
// The thumbnail button's fore image for a row: centred in the 128 x 80 cell.
std::wstring ThumbnailImage(const std::wstring& picture, int sourceWidth, int sourceHeight, ThumbnailSize fitted);

// The cut page's crop overlay over the preview box: its screen rectangle for a display aspect
// (0 for an empty or unreadable one), the box's size and its top-left corner on the screen.
struct OverlayPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
OverlayPlace PlaceCutOverlay(double aspect, int boxWidth, int boxHeight, int originX, int originY);

// List-row texts: "大小: 1.50 MB" (two decimals cut toward zero) and "分辨率:1920x1080" ("分辨率:"
// when both sides are unknown).
std::wstring SizeText(uint64_t bytes);
std::wstring ResolutionText(const std::wstring& width, const std::wstring& height);
// The last three characters of a path, lower-cased: "qlv", "qsv" and "kux" files are refused.
bool IsRefusedVideoFormat(const std::wstring& path);
