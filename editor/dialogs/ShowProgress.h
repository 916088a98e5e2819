#pragma once
// The progress window of a running page export: every 200 ms it shows the main window's job
// percentage as a bar and as "%.2f%", and it offers cancel.
//
// Threads and ownership: the launcher owns the object (on its stack or in a unique_ptr around
// ShowModal) and runs it modally on the UI thread; the window does not delete itself. The job
// never touches the object: it closes the window by posting WM_CLOSE to its handle
// (CMainWnd::CloseProgressWindow), and since handles are never reused, a close that comes after
// a cancel finds no window and does nothing. Cancel tells the job to stop before it stops that
// job's own encoder; encoders of other exports (GIF and clip rows) keep running. The process's
// current directory is never changed.

#include <string>

#include "platform/WinTypes.h"
#include "ui/core/WindowImplBase.h"

class CMainWnd;

class CShowProgress : public SkinUI::WindowImplBase {
public:
    static constexpr UINT_PTR kRefreshTimer = 1121;
    static constexpr UINT kRefreshMs = 200;

    explicit CShowProgress(CMainWnd* mainWnd);

    // What a tick shows: the bar value (the percentage truncated) and the text "%.2f%".
    int BarValue() const;
    std::wstring PercentText() const;

    // "cancel" and "closebtn": the job's stop flag first, then its encoder, so the job never
    // takes the stopped encoder's end for a finished run.
    void Cancel();

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    void ShowPercent();

    CMainWnd* m_pMainWnd;
    SkinUI::CControlUI* m_pProgressBar { nullptr };
    SkinUI::CControlUI* m_pPercentLabel { nullptr };
};
