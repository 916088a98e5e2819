// The adjust page's buttons: loading or changing its file, play and pause, the picture rows'
// resets and the reset of the playback options. Every selection goes through the control's own
// operation, so a real change raises its usual notification and the preview follows it, and a
// control already at its default raises nothing.

#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/PlayerUI.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"

using namespace control_access;

namespace {

constexpr int kNormalSpeedItem = 5;  // "1.0x"
constexpr int kNeutralLevel = 100;

// A picture row's children: caption, bar, slider, value, reset.
constexpr int kRowBar = 1;
constexpr int kRowSlider = 2;
constexpr int kRowValue = 3;

}  // namespace

void CMainWnd::AddAdjustPageFile(bool change)
{
    const std::wstring path = ChooseLoadableVideo();
    if (path.empty())
        return;
    if (change) {
        Show(m_pOptimizationbtnPlay, false);
        Show(m_pOptimizationbtnPause, true);
    }
    if (CAVPlayer* player = PlayerOf(m_pOptimizationPlayer))
        player->StopPlayback();
    Show(m_pOptimization, false);
    Show(m_pOptimizationSet, true);
    m_strAdjustSourcePath = path;
    LoadAdjustPageFile(path);
    ResetAdjustOptions();
    // The texts' notifications bring the sliders, bars and the preview back to neutral.
    for (SkinUI::CControlUI* level : { m_pduibiRich, m_pbrighRich, m_psaturationRich })
        if (level)
            level->SetText(L"100");
}

void CMainWnd::ResetPictureRow(SkinUI::CControlUI* resetButton)
{
    SkinUI::CControlUI* row = resetButton ? resetButton->GetParent() : nullptr;
    if (SkinUI::CControlUI* slider = ChildAt(row, kRowSlider))
        if (auto* s = static_cast<SkinUI::CSliderUI*>(slider->GetInterface(L"Slider")))
            s->SetValue(kNeutralLevel);
    if (SkinUI::CControlUI* bar = ChildAt(row, kRowBar))
        if (auto* b = static_cast<SkinUI::CProgressUI*>(bar->GetInterface(L"Progress")))
            b->SetValue(kNeutralLevel);
    // Its "textchanged" applies the level to the preview.
    if (SkinUI::CControlUI* value = ChildAt(row, kRowValue))
        value->SetText(L"100");
}

void CMainWnd::ResetAdjustOptions()
{
    SelectEntry(m_pSpeed, kNormalSpeedItem);
    SelectEntry(m_pm.FindControl(L"Comspin"), 0);
    Check(m_pSpin, false);
    SelectEntry(m_pVideoAcpect, 0);
    Check(m_pUpsideDown, false);
}
