#pragma once
// The timeline drag handles of the main window's pages: the start handle, the end handle and the
// playhead. Each is a floating button of the skin ("MyButton", "MyButtonEnd", "MoveButton") that the
// main window creates while its skin is built. For now they are buttons under their own class and
// interface names, so the skin, the bind table and the markers' layout code resolve; the dragging
// (the press point, the drag rectangle and the mouse hook) comes with the overlays' work.
// UI thread only; the skin's tree owns every instance.

#include "ui/controls/ButtonUI.h"

class CMyButtonUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};

class CMyButtonEndUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};

class CMoveButtonUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};
