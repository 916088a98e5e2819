#pragma once
// The progress window of a running export: shows the main window's job percentage and offers
// cancel. The main window creates it before the job starts and runs it modally on the UI thread;
// the job never touches the object: it closes the window by posting WM_CLOSE to its handle
// (CMainWnd::CloseProgressWindow), since the window may already have closed itself.

#include <string>

#include "platform/WinTypes.h"

class CMainWnd;

class CShowProgress {
public:
    explicit CShowProgress(CMainWnd* mainWnd);

    HWND GetHWND() const { return m_hWnd; }

    // What a timer tick shows: the bar value (the percentage truncated) and the text "%.2f%".
    int BarValue() const;
    std::wstring PercentText() const;

    // "cancel" and "closebtn": the job is told to stop before its encoders are killed, so it
    // never mistakes the killed encoder's end for a finished run.
    void Cancel();

private:
    CMainWnd* m_pMainWnd;
    HWND m_hWnd { nullptr };
};
