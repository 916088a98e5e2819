#pragma once
// The screenshot page's thumbnail list "ListScreen" as the strip and export jobs see it. The main
// window implements it over its controls (a row per frame: the frame's time as user data, a
// delete bar and a 232-wide label showing the thumbnail); tests implement it with plain values.
// Called from the job thread.

#include <atomic>
#include <string>

class ScreenshotListView {
public:
    virtual ~ScreenshotListView() = default;

    // Appends a row for the frame at timeText ("%.2f" seconds) showing picture, thumbnailHeight
    // high below its delete bar, or without the bar for a tall stitched picture; scrolls to it.
    virtual void AddThumbnailRow(const std::wstring& timeText, const std::wstring& picture, int thumbnailHeight,
                                 bool longPicture) = 0;
    virtual int RowCount() const = 0;
    // The row's frame time in seconds ("%.2f").
    virtual std::wstring RowTime(int row) const = 0;
    // Enables or disables the page's button with this name ("CutOutPic", "ScreenChange", "ScreenExport").
    virtual void SetButtonEnabled(const wchar_t* name, bool enabled) = 0;
};

// The thumbnail height that keeps a width x height video's aspect at width 232; 0 for a size
// that cannot be read.
int ScreenshotThumbnailHeight(const std::wstring& width, const std::wstring& height);

// Numbers every exported frame; rises for the life of the process.
extern std::atomic<int> g_nExportImageCounter;
