// Builds a window from fuzzed skin XML on the headless display: every core control with its
// attributes (image attribute strings, "pos", fonts, includes, scroll bars), then runs it as a
// window runs: painted at two scales, clicked, tabbed through, its deferred work done. Nothing may
// crash, leak, hang or overflow.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

LRESULT CALLBACK ManagedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager != nullptr && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND FuzzWindow()
{
    static HWND window = [] {
        hl::Use();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ManagedProc;
        wc.lpszClassName = L"SkinFuzz";
        ::RegisterClassEx(&wc);
        HWND hwnd = ::CreateWindowEx(0, L"SkinFuzz", L"fuzz", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                     nullptr, nullptr, nullptr);
        ::SetActiveWindow(hwnd);
        return hwnd;
    }();
    return window;
}

// Messages go through the manager first, as the framework's loop does.
void Pump()
{
    MSG msg {};
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CPaintManagerUI::TranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

void Exercise(CPaintManagerUI& manager)
{
    HWND hwnd = FuzzWindow();
    for (const int dpi : { 96, 168 }) {
        manager.GetDPIObj()->SetScale(dpi);
        manager.GetRoot()->NeedUpdate();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        Pump();
        if (manager.GetRoot() == nullptr)
            return;
    }
    hl::Click(kWidth / 3, kHeight / 3);
    hl::PressKey(VK_TAB);
    hl::Click(kWidth * 2 / 3, kHeight / 2);
    hl::PressKey(VK_TAB);
    Pump();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 0x10000)
        return 0;
    // Bytes as Latin-1 characters, behind a "<" so the builder takes them as inline XML.
    std::wstring xml(L"<");
    for (size_t i = 0; i < size; ++i)
        xml += static_cast<wchar_t>(data[i]);
    HWND hwnd = FuzzWindow();
    {
        CPaintManagerUI manager;
        manager.Init(hwnd);
        ::SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
        ::SetFocus(hwnd);
        CDialogBuilder builder;
        if (CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &manager)) {
            manager.AttachDialog(root);  // the manager owns the tree
            Exercise(manager);
        }
        ::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
    }
    Pump();  // nothing left for the manager that is gone
    return 0;
}
