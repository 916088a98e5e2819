// The editor's entry point.

#include "base/MainThread.h"
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
