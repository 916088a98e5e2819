#pragma once
// The list, split and screenshot pages' buttons, each found by the sender's exact name. The click
// dispatch hands these names here; every command runs on the UI thread.

#include <string>
#include <unordered_map>

#include "ui/core/ControlUI.h"
#include "ui/core/UIDefines.h"

class CMainWnd;

void RunListPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg);
void RunSplitPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg);
void RunScreenshotPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg);
// The arrow keys and the wheel step a focused field of the split page's groups as its spin buttons
// do; false when the field is not one of them.
bool StepSplitField(CMainWnd& main, SkinUI::CControlUI* field, bool up);

// What each page's files share: its table of commands by button name, and the rows' buttons.
using PageCommand = void (*)(CMainWnd& main, SkinUI::CControlUI* sender);
using PageCommandTable = std::unordered_map<std::wstring, PageCommand>;

// Runs the sender's command; a name the table lacks does nothing.
void RunPageCommand(const PageCommandTable& commands, CMainWnd& main, SkinUI::TNotifyUI& msg);

// The row a button of a list row belongs to: three levels up (button, column, row part, row).
SkinUI::CControlUI* RowOfButton(SkinUI::CControlUI* button);

// A row's rename button: the name's editor takes the name's place and text and the focus.
void StartRowRename(CMainWnd& main, SkinUI::CControlUI* renameButton);
// A row's name editor: Return, a click elsewhere (the editor loses the focus) and the window's
// Escape end the rename; the name then shows the typed text, or its old text when cancelled.
bool IsRowRenameEditor(SkinUI::CControlUI* control);
void EndRowRename(SkinUI::CControlUI* editor, bool keep);
SkinUI::CControlUI* OpenRowRenameEditor(CMainWnd& main);  // null while no row is being renamed
