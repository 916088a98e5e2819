#include "editor/dialogs/EditorButtonsUI.h"

#include <cwchar>

const wchar_t* CVerticalLayoutExUI::GetClass() const
{
    return L"VerticalLayoutEx";
}

void* CVerticalLayoutExUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"VerticalLayoutEx") == 0)
        return this;
    return CVerticalLayoutUI::GetInterface(pstrName);
}
