#pragma once
// Null-safe access to a bound or found control: the main window's pages run with controls a skin
// may lack, so every step on one that is missing does nothing.

#include <string>

#include "media/PlayerUI.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"

namespace control_access {

inline CAVPlayer* PlayerOf(SkinUI::CControlUI* control)
{
    auto* player = dynamic_cast<CPlayerUI*>(control);
    return player ? &player->Player() : nullptr;
}

inline void Show(SkinUI::CControlUI* control, bool show)
{
    if (control)
        control->SetVisible(show);
}

inline void Enable(SkinUI::CControlUI* control, bool enable)
{
    if (control)
        control->SetEnabled(enable);
}

inline void SetText(SkinUI::CControlUI* control, const std::wstring& text)
{
    if (control)
        control->SetText(text.c_str());
}

inline std::wstring TextOf(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetText().GetData()) : std::wstring();
}

inline SkinUI::CControlUI* ChildAt(SkinUI::CControlUI* container, int index)
{
    auto* box = container ? static_cast<SkinUI::IContainerUI*>(container->GetInterface(L"IContainer")) : nullptr;
    return box ? box->GetItemAt(index) : nullptr;
}

inline SkinUI::COptionUI* OptionOf(SkinUI::CControlUI* control)
{
    return control ? static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

inline bool IsChecked(SkinUI::CControlUI* control)
{
    SkinUI::COptionUI* option = OptionOf(control);
    return option && option->IsSelected();
}

inline void Check(SkinUI::CControlUI* control, bool selected)
{
    if (SkinUI::COptionUI* option = OptionOf(control))
        option->Selected(selected);
}

inline SkinUI::CComboUI* ComboOf(SkinUI::CControlUI* control)
{
    return control ? static_cast<SkinUI::CComboUI*>(control->GetInterface(L"Combo")) : nullptr;
}

// Selects the combo's entry; its notification goes out as for a user's choice.
inline void SelectEntry(SkinUI::CControlUI* control, int index)
{
    if (SkinUI::CComboUI* combo = ComboOf(control))
        combo->SelectItem(index, false);
}

inline SkinUI::CProgressUI* BarOf(SkinUI::CControlUI* control)
{
    return control ? static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress")) : nullptr;
}

inline int BarValue(SkinUI::CControlUI* control)
{
    SkinUI::CProgressUI* bar = BarOf(control);
    return bar ? bar->GetValue() : 0;
}

// A slider takes the value through its own setter, which leaves a thumb the user holds alone.
inline void SetBarValue(SkinUI::CControlUI* control, int value)
{
    if (auto* slider = control ? static_cast<SkinUI::CSliderUI*>(control->GetInterface(L"Slider")) : nullptr)
        slider->SetValue(value);
    else if (SkinUI::CProgressUI* bar = BarOf(control))
        bar->SetValue(value);
}

inline void SetTextColour(SkinUI::CControlUI* control, DWORD colour)
{
    if (auto* label = control ? static_cast<SkinUI::CLabelUI*>(control->GetInterface(L"Label")) : nullptr)
        label->SetTextColor(colour);
}

// A preview's play and pause buttons: exactly one of the two shows. Pausing leaves a player that
// is not playing alone.
inline void PlayPreview(SkinUI::CControlUI* play, SkinUI::CControlUI* pause, SkinUI::CControlUI* player, bool resume)
{
    Show(play, !resume);
    Show(pause, resume);
    CAVPlayer* av = PlayerOf(player);
    if (av == nullptr)
        return;
    if (resume)
        av->ResumePlayback();
    else if (av->IsPlaybackActive())
        av->PausePlayback();
}

}  // namespace control_access
