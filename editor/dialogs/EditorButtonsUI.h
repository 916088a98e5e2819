#pragma once
// The editor's own animated controls of the main window's skin. CVerticalLayoutExUI is a tab
// column: a vertical layout whose selected tab shows its underline ("xxx") across the column.
// The hover animations come with the overlays' work; for now each class is the layout or button it
// derives from, under its own class and interface names, so the skin and the bind table resolve.
// UI thread only; the skin's tree owns every instance.

#include "ui/controls/ButtonUI.h"
#include "ui/core/BoxLayoutUI.h"

class CVerticalLayoutExUI : public SkinUI::CVerticalLayoutUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};

class CButtonExtUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};

class CButtonMouseUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};
