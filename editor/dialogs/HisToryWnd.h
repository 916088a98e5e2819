#pragma once
// The history window: the editor's finished exports, one row per record (date, source file,
// output file), newest first. A click on a file name shows that file selected in the file
// manager; "Clear" empties the window and the main window's history.
//
// Threads and ownership: UI thread only. The history command owns the object (usually on its
// stack), creates it owned by the main window and runs ShowModal (1 "closebtn", 2 Escape); the
// window does not delete the object. The rows are built once from a snapshot of the history, and
// the history itself is only ever changed through the main window's locked methods, so export
// jobs may append meanwhile.

#include "ui/core/WindowImplBase.h"

class CMainWnd;
struct HistoryRecord;

namespace SkinUI {
class CListUI;
}

class CHisToryWnd : public SkinUI::WindowImplBase {
public:
    explicit CHisToryWnd(CMainWnd* owner);

    // Creates the window as the history command does: owned by the main window, popup tool window.
    HWND CreateOwned(HWND owner);

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

private:
    void AddRow(const HistoryRecord& record);

    SkinUI::CListUI* m_pList { nullptr };
    SkinUI::CControlUI* m_pMessage { nullptr };
    CMainWnd* m_pOwner;
};
