#include "editor/mainwnd/SkinArchive.h"

#include "platform/Resource.h"
#include "ui/core/PaintManagerUI.h"

bool InstallSkinArchive(HINSTANCE instance)
{
    HRSRC resource = ::FindResource(instance, MAKEINTRESOURCE(kSkinArchiveId), L"ZIP");
    if (resource == nullptr)
        return false;
    const DWORD size = ::SizeofResource(instance, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(::LoadResource(instance, resource)), size);
    return true;
}
