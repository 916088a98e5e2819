#pragma once

// How a page export job ended, as values the UI thread finishes with. The job runs on its worker
// and touches no window: it removes what it must not leave behind and returns this; the UI
// thread's FinishPageExport closes the progress window, writes the history, asks the question and
// shows the crop overlays again. Every path in here was taken by the job when it started, so a
// file loaded meanwhile never reaches the history.

#include <string>

// A cancelled job has removed what it wrote; a failed one has removed broken output; only a
// succeeded job leaves files and, where it names a source, a history entry.
enum class ExportOutcome { Succeeded, Failed, Cancelled, Refused };

struct ExportResult {
    ExportOutcome outcome { ExportOutcome::Failed };
    std::wstring question;  // asked when the job has ended; empty: nothing is asked
    std::wstring declineText, acceptText;  // the question's two buttons
    std::wstring output;  // what a succeeded job wrote: a file, or the folder of its files
    std::wstring historySource;  // a succeeded job's history entry names this source; empty: none
    bool restoreOverlays { false };  // the crop pair, hidden for the dialog, comes back at the end

    // Success asks whether to show the output ("取消"/"打开"); accepting shows it in the file manager.
    static ExportResult Succeeded(std::wstring question, std::wstring output, std::wstring historySource = {});
    static ExportResult Failed(std::wstring question);  // "不需要"/"联系客服"
    static ExportResult Refused(std::wstring question, std::wstring declineText);  // and "确定"
    static ExportResult Cancelled();
};
