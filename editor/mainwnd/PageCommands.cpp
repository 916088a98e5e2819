#include "editor/mainwnd/PageCommands.h"

#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"

void RunPageCommand(const PageCommandTable& commands, CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    const auto command = commands.find(msg.pSender->GetName().GetData());
    if (command != commands.end())
        command->second(main, msg.pSender);
}

SkinUI::CControlUI* RowOfButton(SkinUI::CControlUI* button)
{
    SkinUI::CControlUI* row = button;
    for (int i = 0; i < 3 && row; ++i)
        row = row->GetParent();
    return row;
}

void StartRowRename(CMainWnd& main, SkinUI::CControlUI* renameButton)
{
    main.m_pRenameButton = renameButton;
    SkinUI::CControlUI* line = renameButton->GetParent();
    SkinUI::CControlUI* name = RowChild(line, { 0 });
    SkinUI::CControlUI* editor = RowChild(line, { 1 });
    if (name == nullptr || editor == nullptr)
        return;
    editor->SetUserData(name->GetText());  // the name to go back to when the rename is cancelled
    editor->SetText(name->GetText());
    editor->SetVisible(true);
    name->SetVisible(false);
    editor->SetFocus();
}

bool IsRowRenameEditor(SkinUI::CControlUI* control)
{
    return control != nullptr && (control->GetName() == L"EditName" || control->GetName() == L"str_input_name");
}

void EndRowRename(SkinUI::CControlUI* editor, bool keep)
{
    if (!IsRowRenameEditor(editor) || !editor->IsVisible())
        return;
    SkinUI::CControlUI* name = RowChild(editor->GetParent(), { 0 });
    if (!keep)
        editor->SetText(editor->GetUserData());
    if (name) {
        name->SetText(editor->GetText());
        name->SetToolTip(editor->GetText());
        name->SetVisible(true);
    }
    editor->SetVisible(false);
}

SkinUI::CControlUI* OpenRowRenameEditor(CMainWnd& main)
{
    SkinUI::CControlUI* button = main.m_pRenameButton;
    SkinUI::CControlUI* editor = button ? RowChild(button->GetParent(), { 1 }) : nullptr;
    return IsRowRenameEditor(editor) && editor->IsVisible() ? editor : nullptr;
}
