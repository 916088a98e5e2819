#pragma once
// The colour picker: a small popup of 90 swatches beside a colour button. A click on a swatch hands
// its colour and the target code to the main window (CMainWnd::ApplyChosenColor) and closes the
// popup; losing the focus or Escape closes it without a choice.
//
// Threads and ownership: UI thread only, not modal. The opener makes the object with `new`,
// creates and places the window and keeps no pointer: the object deletes itself when its window
// is gone.

#include "ui/core/WindowImplBase.h"

class CMainWnd;

class CColorWnd : public SkinUI::WindowImplBase {
public:
    CColorWnd(CMainWnd* owner, int target);

    // Creates the popup as the commands do: owned by the main window, popup tool window.
    HWND CreateOwned(HWND owner);

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    ~CColorWnd() override = default;

    CMainWnd* m_pOwner;
    int m_nTarget;
};
