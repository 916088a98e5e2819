#pragma once
// The subtitle list: one row per timed text item of the main window (text, start, end), where the
// user selects an item (selected on the text layer too, its times shown in the page's edits),
// renames it in place and deletes it.
//
// Threads and ownership: UI thread only, modal over the main window. The subtitle command owns the
// object (usually on its stack) and runs ShowModal; the window does not delete the object. Rows
// are built from "subtitlelist.xml", parsed once; each row's user data is its record's name, and
// the code reaches the row's parts by position (cells 0 to 3; the labels of cells 1 and 2 are
// their first children) and, inside cell 0, by name. A deleted row takes nothing with it that
// someone still points at: the layer's current item and the row being renamed are let go first.

#include "ui/core/DialogBuilder.h"
#include "ui/core/WindowImplBase.h"

class CMainWnd;
class CWaterFloatWnd;
struct TextItem;

namespace SkinUI {
class CListUI;
}

class CSubtitleWnd : public SkinUI::WindowImplBase {
public:
    explicit CSubtitleWnd(CMainWnd* owner);
    ~CSubtitleWnd() override;

    // Creates the window as the subtitle command does: owned by the main window, popup tool window.
    HWND CreateOwned(HWND owner);

    // The width a label gets for its text: the text's width plus 25, at most 160.
    static int LabelWidthFor(int textWidth);

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;
    void Notify(SkinUI::TNotifyUI& msg) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

private:
    bool AddRow(const TextItem& record);
    int MeasuredLabelWidth(SkinUI::CControlUI* label, const wchar_t* text);
    void StartRename(SkinUI::CControlUI* button);
    SkinUI::CControlUI* OpenRenameEdit() const;  // null while no row's text is being edited
    void EndRenameAt(POINT point);                // a click outside the open edit ends it
    void FinishRename(bool keep);
    void DeleteRow(SkinUI::CControlUI* button);
    void SelectRecord(SkinUI::CControlUI* row);
    void RenameRecord(SkinUI::CControlUI* edit);
    CWaterFloatWnd* Layer() const;

    HDC m_hPaintDC { nullptr };
    SkinUI::CControlUI* m_pRenameButton { nullptr };
    SkinUI::CUIString m_strRenameBefore;  // the text the open edit started from
    CMainWnd* m_pOwner;
    SkinUI::CListUI* m_pList { nullptr };
    SkinUI::CDialogBuilder m_rowBuilder;
};
