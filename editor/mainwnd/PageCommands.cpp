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
    editor->SetText(name->GetText());
    editor->SetVisible(true);
    name->SetVisible(false);
    editor->SetFocus();
}
