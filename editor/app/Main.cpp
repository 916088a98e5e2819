// The editor's entry point.

#include "editor/app/MainThread.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"

int wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    return RunEditor(hInstance);
}

int main()
{
    return wWinMain(::GetModuleHandle(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
