#pragma once
// Helpers of the dialog tests: the editor's embedded skins and clicks on named controls of a
// window on the headless display.

#include <gtest/gtest.h>

#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

inline bool InstallEditorSkins()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

// The screen point at the middle of a control of a top-level window.
inline POINT ControlCentre(SkinUI::CControlUI* control)
{
    RECT window {};
    ::GetWindowRect(control->GetManager()->GetPaintWindow(), &window);
    const RECT pos = control->GetPos();
    return POINT { window.left + (pos.left + pos.right) / 2, window.top + (pos.top + pos.bottom) / 2 };
}

// Queues a click on the control; the window's thread handles it when it next takes its messages.
inline void ClickControl(SkinUI::CControlUI* control)
{
    ASSERT_NE(control, nullptr);
    const POINT at = ControlCentre(control);
    platform::headless::Click(at.x, at.y);
}
