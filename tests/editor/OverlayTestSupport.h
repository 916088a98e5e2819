#pragma once
// Helpers of the overlay and editor-control tests: a headless skinned window built from an inline
// skin whose editor tags are made by a factory the test gives, placed at the screen's top-left
// corner (client and screen coordinates agree), logging every notification not ignored as
// "type:sender". Input goes through the headless display, as a user's would.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Resource.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/WindowImplBase.h"

namespace overlaytest {

namespace hl = platform::headless;

inline bool InstallEditorSkins()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

using Factory = std::function<SkinUI::CControlUI*(const wchar_t* tag)>;

class SkinHost : public SkinUI::WindowImplBase {
public:
    SkinHost(std::wstring skin, Factory factory) : m_skin(std::move(skin)), m_factory(std::move(factory)) {}
    ~SkinHost() override
    {
        if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        hl::PumpMessages();
    }

    bool Open(int width, int height, int dpi = 96)
    {
        m_pm.SetDPI(dpi);
        if (Create(nullptr, L"overlay test", WS_VISIBLE | WS_POPUP, 0) == nullptr)
            return false;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER);
        ::SetActiveWindow(m_hWnd);
        Settle();
        log.clear();
        return true;
    }
    template <class T = SkinUI::CControlUI>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(m_pm.FindControl(name));
    }
    SkinUI::CPaintManagerUI& Manager() { return m_pm; }
    static void Settle()
    {
        hl::PumpMessages();
        hl::PumpMessages();
    }
    // Presses at `from`, moves through `path` and releases at the last point.
    void Drag(POINT from, const std::vector<POINT>& path)
    {
        hl::MoveMouse(from.x, from.y);
        hl::PressButton(hl::Left, from.x, from.y);
        Settle();
        for (const POINT& p : path) {
            hl::MoveMouse(p.x, p.y);
            Settle();
        }
        const POINT last = path.empty() ? from : path.back();
        hl::ReleaseButton(hl::Left, last.x, last.y);
        Settle();
    }

    void Notify(SkinUI::TNotifyUI& msg) override
    {
        const std::wstring type = msg.sType.GetData();
        if (std::find(ignored.begin(), ignored.end(), type) == ignored.end())
            log.push_back(type + L":" + (msg.pSender ? msg.pSender->GetName().GetData() : L"(none)"));
        WindowImplBase::Notify(msg);
    }
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override { return m_factory(pstrClass); }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (std::find(watched.begin(), watched.end(), uMsg) != watched.end())
            seen.push_back(uMsg);
        return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    }

    std::vector<std::wstring> log;
    std::vector<UINT> watched;  // window messages to record in `seen`
    std::vector<UINT> seen;
    std::vector<std::wstring> ignored { L"windowinit", L"timer", L"setfocus", L"killfocus", L"windowsize" };

protected:
    const wchar_t* GetWindowClassName() const override { return L"OverlayTestHost"; }
    SkinUI::CUIString GetSkinFileName() override { return m_skin.c_str(); }

private:
    std::wstring m_skin;
    Factory m_factory;
};

}  // namespace overlaytest
