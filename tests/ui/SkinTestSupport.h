#pragma once
// What the skin-building tests share: the test skin archive linked into this program, a button
// stand-in registered with the control factory as "TestButton" (the real button family is not
// part of the framework core), and a plain headless window for a paint manager to run.

#include "platform/WinUser.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

namespace skintest {

// Hands the archive "ZIP" 132 of this program to the paint manager; false when it is missing.
bool InstallSkinArchive();

// Selects the headless display; every skin test calls it first.
void UseHeadless();

// A release inside the control sends "click", as a button does.
class CTestButtonUI : public SkinUI::CControlUI {
public:
    static SkinUI::CControlUI* CreateControl() { return new CTestButtonUI(); }
    const wchar_t* GetClass() const override { return L"TestButtonUI"; }
    UINT GetControlFlags() const override { return SkinUI::ControlFlagTabStop; }
    void DoEvent(SkinUI::TEventUI& event) override;
};

// A visible top-level window with the default procedure, destroyed with the object.
class PlainWindow {
public:
    explicit PlainWindow(int width = 400, int height = 300);
    ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd { nullptr };
};

}  // namespace skintest
