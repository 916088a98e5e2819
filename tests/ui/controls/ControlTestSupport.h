#pragma once
// A headless skinned window for control tests: built from an inline skin string at a chosen DPI,
// placed at the screen's top-left corner (so client and screen coordinates agree), with every
// notification not in `ignored` (by default "windowinit", "timer" and the focus pair) written to
// one log as "type:sender" or "type:sender:wParam". Input goes through the headless display, as a user's would.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../SkinTestSupport.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/WindowImplBase.h"

namespace ctltest {

using namespace SkinUI;
namespace hl = platform::headless;

class SkinHost : public WindowImplBase {
public:
    explicit SkinHost(std::wstring skin) : m_skin(std::move(skin)) {}

    // Creates, places and paints the window; false when the skin could not be built.
    bool Open(int width, int height, int dpi = 96)
    {
        m_pm.SetDPI(dpi);
        if (Create(nullptr, L"control test", WS_VISIBLE | WS_POPUP, 0) == nullptr)
            return false;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER);
        ::SetActiveWindow(m_hWnd);
        ::SetFocus(m_hWnd);
        Settle();
        log.clear();
        return true;
    }
    ~SkinHost() override
    {
        if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        hl::PumpMessages();
    }

    template <class T = CControlUI>
    T* Find(const wchar_t* name)
    {
        return static_cast<T*>(m_pm.FindControl(name));
    }
    POINT Centre(const wchar_t* name)
    {
        const RECT rc = Find(name)->GetPos();
        return { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    }
    void ClickAt(POINT pt)
    {
        hl::MoveMouse(pt.x, pt.y);
        hl::PressButton(hl::Left, pt.x, pt.y);
        hl::ReleaseButton(hl::Left, pt.x, pt.y);
        Settle();
    }
    void Click(const wchar_t* name) { ClickAt(Centre(name)); }
    // Dispatches everything waiting, paints included.
    static void Settle()
    {
        hl::PumpMessages();
        hl::PumpMessages();
    }

    void Notify(TNotifyUI& msg) override
    {
        if (std::find(ignored.begin(), ignored.end(), msg.sType.GetData()) == ignored.end()) {
            std::wstring line = std::wstring(msg.sType.GetData()) + L":"
                                + (msg.pSender ? msg.pSender->GetName().GetData() : L"(none)");
            if (msg.wParam != 0)
                line += L":" + std::to_wstring(msg.wParam);
            log.push_back(line);
        }
        if (onNotify)
            onNotify(msg);
        WindowImplBase::Notify(msg);
    }

    std::vector<std::wstring> log;
    std::vector<std::wstring> ignored { L"windowinit", L"timer", L"setfocus", L"killfocus" };
    std::function<void(TNotifyUI&)> onNotify;

protected:
    const wchar_t* GetWindowClassName() const override { return L"ControlTestHost"; }
    CUIString GetSkinFileName() override { return m_skin.c_str(); }

private:
    std::wstring m_skin;
};

class ControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        skintest::UseHeadless();
        ASSERT_TRUE(skintest::InstallSkinArchive());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
    }
};

// A skin whose window is w x h with the given body inside one vertical layout.
inline std::wstring Skin(const std::wstring& body, const std::wstring& fonts = L"")
{
    return L"<Window size=\"400,300\">" + fonts + L"<VerticalLayout name=\"root\" bkcolor=\"#FF000000\">" + body
           + L"</VerticalLayout></Window>";
}

inline uint32_t Rgb(uint32_t argb)
{
    return argb & 0x00FFFFFFu;
}

// A timer tick as the paint manager delivers it. Tests that count ticks send these themselves:
// the window system's clock also follows real time, so pumped timers tick at the machine's pace.
inline TEventUI TimerEvent(UINT id)
{
    TEventUI event;
    event.Type = UiEventTimer;
    event.wParam = id;
    return event;
}

// A 32-bit memory surface to paint one control into, without pumping the window's messages.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_dc(::CreateCompatibleDC(nullptr))
    {
        m_bitmap = CRenderEngine::CreateARGB32Bitmap(m_dc, width, height, &m_bits);
        m_old = ::SelectObject(m_dc, m_bitmap);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }
    void Paint(CControlUI* control)
    {
        const RECT rc = control->GetPos();
        control->DoPaint(m_dc, rc);
    }
    // The bitmap is bottom-up.
    uint32_t Pixel(int x, int y) const
    {
        ::GdiFlush();
        return reinterpret_cast<const uint32_t*>(m_bits)[(m_height - 1 - y) * m_width + x] & 0x00FFFFFFu;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap { nullptr };
    HGDIOBJ m_old { nullptr };
    BYTE* m_bits { nullptr };
};

}  // namespace ctltest
