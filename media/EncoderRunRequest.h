#pragma once
// One run of the encoder as a job hands it to the runner (CMainWnd::RunEncoderWithProgress).

#include <string>

#include "ui/core/UIString.h"

class RowProgressView;

// The job a run belongs to decides when it stops early and where its percentage goes, whatever
// page the user is looking at.
enum class EncoderJobKind {
    Page,      // a page export with the progress window: percentage into m_fJobPercent
    GifList,   // a GIF row: percentage on the row; stops when the GIF list is cleared
    ClipList,  // a clip row: percentage on the row; stops when the clip list is cleared
    MergeRow,  // a merge pre-conversion: this run's share goes to its row, which sums the job's
};

// Results of a run.
enum : int {
    kEncoderRunProgressed = 0,  // the encoder ran and reported at least one position
    kEncoderRunNotStarted = 1,  // the pipe or the process could not be created
    kEncoderRunNoProgress = 3,  // it ran (or was stopped) without one position above zero
};

struct EncoderRunRequest {
    SkinUI::CUIString command;         // the whole command line, beginning with the encoder
    std::wstring outputPath;           // the file this run writes
    float durationSeconds = 0;         // length of what this run produces: the percentage's base
    int partCount = 1;                 // the job is this many equal shares ...
    int basePercent = 0;               // ... and earlier runs reached this much
    bool closeProgressAtEnd = false;   // close the progress window when the run ends
    EncoderJobKind job = EncoderJobKind::Page;
    RowProgressView* row = nullptr;    // the list row that shows this run, if any
};
