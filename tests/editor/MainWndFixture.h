#pragma once
// The main window built from the real skin on the headless display, for the tests of its pages,
// fields, markers and sliders; the window and its workers are gone when the test ends.

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/PaintManagerUI.h"

class MainWndFixture : public testing::Test {
protected:
    void SetUp() override
    {
        namespace hl = platform::headless;
        ASSERT_TRUE(hl::Use());
        HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
        ASSERT_NE(resource, nullptr);
        SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(::LoadResource(nullptr, resource)),
                                                ::SizeofResource(nullptr, resource));
        hl::SetMessageBoxAnswer(IDOK);
    }
    void TearDown() override
    {
        namespace hl = platform::headless;
        if (m_window && ::IsWindow(m_window->GetHWND()))
            ::DestroyWindow(m_window->GetHWND());
        hl::PumpMessages();
        if (m_window && m_window->WaitForWorkers(5000))
            delete m_window;
        m_window = nullptr;
        hl::SetMonitorDpi(96);
    }
    CMainWnd& Open(UINT dpi = 96)
    {
        namespace hl = platform::headless;
        hl::SetMonitorDpi(dpi);
        m_window = new CMainWnd();
        m_window->m_strAppFolder = AnsiToWide(FreshFolder("program")) + L"/";
        m_window->m_strDataFolder = AnsiToWide(FreshFolder("data")) + L"/";
        EXPECT_NE(m_window->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
        // The feature area, as a home page entry shows it.
        if (m_window->m_pctnClient && m_window->m_pmainwnd && m_window->m_pmainkong) {
            m_window->m_pmainwnd->SetVisible(false);
            m_window->m_pmainkong->SetVisible(false);
            m_window->m_pctnClient->SetVisible(true);
        }
        hl::PumpMessages();
        return *m_window;
    }
    SkinUI::CControlUI* Find(const wchar_t* name) { return m_window->GetPaintManager().FindControl(name); }
    // Shows every container above the control, as loading a file into its page does.
    static void Reveal(SkinUI::CControlUI* control)
    {
        for (SkinUI::CControlUI* p = control ? control->GetParent() : nullptr; p; p = p->GetParent())
            p->SetVisible(true);
    }
    // Lays the window out and paints it, as the screen would before the user acts.
    void Settle()
    {
        ::UpdateWindow(m_window->GetHWND());
        platform::headless::PumpMessages();
    }

    CMainWnd* m_window { nullptr };
};
