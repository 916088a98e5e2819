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

const wchar_t* CButtonExtUI::GetClass() const
{
    return L"ButtonExtUI";
}

void* CButtonExtUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"ButtonExtUI") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

const wchar_t* CButtonMouseUI::GetClass() const
{
    return L"ButtonMouseUI";
}

void* CButtonMouseUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"ButtonMouseUI") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}
