#pragma once
// A headless window run by a CPaintManagerUI whose tree is built from an inline skin, for the
// list family's tests: input goes in through the headless screen (the window's client area
// starts at screen 0,0), notifications are logged as "type:sender:wParam".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"

namespace listtest {

using namespace SkinUI;
namespace hl = platform::headless;

inline LRESULT CALLBACK ManagedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager != nullptr && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

// Dispatches every waiting message the way the framework's loop does, paints included.
inline void Pump()
{
    for (int round = 0; round < 4; ++round) {
        MSG msg {};
        while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CPaintManagerUI::TranslateMessage(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
        hl::PumpMessages();
    }
}

class SkinWindow : public INotifyUI {
public:
    explicit SkinWindow(const wchar_t* xml, RECT at = { 0, 0, 400, 300 })
    {
        hl::Use();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ManagedProc;
        wc.lpszClassName = L"ListTestWnd";
        ::RegisterClassEx(&wc);
        hwnd = ::CreateWindowEx(0, L"ListTestWnd", L"list test", WS_POPUP | WS_VISIBLE, at.left, at.top,
                                at.right - at.left, at.bottom - at.top, nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&pm));
        pm.Init(hwnd, L"listtest");
        pm.AddNotifier(this);
        CDialogBuilder builder;
        root = builder.Create(xml, nullptr, nullptr, &pm);
        EXPECT_NE(root, nullptr) << "the test skin does not parse";
        if (root != nullptr)
            pm.AttachDialog(root);
        ::SetActiveWindow(hwnd);
        ::SetFocus(hwnd);
        Pump();
        log.clear();
    }
    ~SkinWindow() override
    {
        if (hwnd != nullptr && ::IsWindow(hwnd)) {
            ::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
            ::DestroyWindow(hwnd);
        }
        Pump();
    }
    SkinWindow(const SkinWindow&) = delete;
    SkinWindow& operator=(const SkinWindow&) = delete;

    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == L"windowinit" || msg.sType == L"setfocus" || msg.sType == L"killfocus"
            || msg.sType == L"scroll")
            return;
        const std::wstring sender = msg.pSender != nullptr ? msg.pSender->GetName().GetData() : L"";
        log.push_back(std::wstring(msg.sType.GetData()) + L":" + sender + L":" + std::to_wstring(msg.wParam));
    }

    template <class T>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(pm.FindControl(name));
    }
    // Lays out again what changed and paints.
    void Refresh()
    {
        pm.Invalidate();
        Pump();
    }

    CPaintManagerUI pm;
    HWND hwnd { nullptr };
    CControlUI* root { nullptr };
    std::vector<std::wstring> log;
};

inline POINT Centre(const RECT& rc)
{
    return { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
}

// A single click: far enough from the last one not to make a double click.
inline void ClickAt(POINT pt)
{
    hl::Advance(1000);
    hl::Click(pt.x, pt.y);
    Pump();
}

}  // namespace listtest
