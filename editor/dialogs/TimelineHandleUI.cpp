#include "editor/dialogs/TimelineHandleUI.h"

#include <cwchar>

namespace {

// The handles answer their own interface name exactly, then the button's.
bool Is(const wchar_t* asked, const wchar_t* name)
{
    return asked != nullptr && ::wcscmp(asked, name) == 0;
}

}  // namespace

const wchar_t* CMyButtonUI::GetClass() const
{
    return L"MyButtonUI";
}

void* CMyButtonUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MyButton") ? this : CButtonUI::GetInterface(pstrName);
}

const wchar_t* CMyButtonEndUI::GetClass() const
{
    return L"MyButtonEndUI";
}

void* CMyButtonEndUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MyButtonEnd") ? this : CButtonUI::GetInterface(pstrName);
}

const wchar_t* CMoveButtonUI::GetClass() const
{
    return L"MoveButtonUI";
}

void* CMoveButtonUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MoveButton") ? this : CButtonUI::GetInterface(pstrName);
}
