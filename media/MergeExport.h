#pragma once
// The merge page's list as the merge job and its pre-conversion workers see it. The main window
// implements it over the rows of "VideoMergeL" (each value is a control's user data); tests
// implement it with plain values. Called from the job thread and the worker threads: an
// implementation must allow concurrent reads and SetConvertedPath on distinct rows.

#include <atomic>

#include "ui/core/UIString.h"

class MergeListView {
public:
    virtual ~MergeListView() = default;

    virtual int RowCount() const = 0;
    // The input file of the row.
    virtual SkinUI::CUIString RowPath(int row) const = 0;
    // "Video_Time": the input's duration in milliseconds, as decimal text.
    virtual SkinUI::CUIString RowDuration(int row) const = 0;
    // "resolution": width and height joined by "x" ("1920x1080").
    virtual SkinUI::CUIString RowResolution(int row) const = 0;
    // True when the row is marked "mute": the input has no sound.
    virtual bool RowIsMute(int row) const = 0;
    // "VerInfo": the row's pre-converted file, written by the worker that converts the row.
    virtual SkinUI::CUIString ConvertedPath(int row) const = 0;
    virtual void SetConvertedPath(int row, const SkinUI::CUIString& path) = 0;
};

// Numbers the stream-copy join's transport-stream files; rises for the life of the process.
extern std::atomic<int> g_nMergeTsCounter;
