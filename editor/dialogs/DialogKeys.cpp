#include "editor/dialogs/DialogKeys.h"

#include "platform/WinUser.h"
#include "ui/core/WindowWnd.h"

LRESULT AnswerDialogKey(SkinUI::CWindowWnd& dialog, WPARAM key, UINT cancelResult)
{
    if (key == VK_RETURN)
        return TRUE;
    if (key != VK_ESCAPE)
        return FALSE;
    dialog.Close(cancelResult);
    return TRUE;
}
