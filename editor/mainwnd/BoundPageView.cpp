#include "editor/mainwnd/BoundPageView.h"

#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"

namespace {

// What the export jobs read of the pages.
const wchar_t* const kFields[] = {
    L"startHour", L"startMinute", L"startsecound", L"startmillsecond", L"OVertHour", L"OVerMinute", L"OVersecound",
    L"OVermillsecond", L"Xwidth", L"Yheight", L"cut_width", L"cut_height", L"Comspin", L"VideoAcpect", L"Speed",
    L"SPictureScaling", L"PicScaling", L"ScreenTimeInterval", L"startPicHour", L"startPicMinute", L"startPicsecound",
    L"OVerPictHour", L"OVerPicMinute", L"OVerPicsecound",
};
const wchar_t* const kSliders[] = { L"SoundSlider", L"brightSlider", L"saturationSlider", L"duibiProSlider" };
const wchar_t* const kOptions[] = { L"UpsideDown", L"Spin", L"SingleScreen", L"singJpg", L"PIcJpg", L"LongPic" };

}  // namespace

void BoundPageView::Capture()
{
    SkinUI::CPaintManagerUI& pm = m_main.GetPaintManager();
    std::lock_guard lock(m_lock);
    m_fields.clear();
    m_sliders.clear();
    m_options.clear();
    for (const wchar_t* name : kFields)
        if (SkinUI::CControlUI* control = pm.FindControl(name))
            m_fields[name] = control->GetText().GetData();
    for (const wchar_t* name : kSliders)
        if (SkinUI::CControlUI* control = pm.FindControl(name))
            if (auto* slider = static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress")))
                m_sliders[name] = slider->GetValue();
    for (const wchar_t* name : kOptions)
        if (SkinUI::CControlUI* control = pm.FindControl(name))
            if (auto* option = static_cast<SkinUI::COptionUI*>(control->GetInterface(L"Option")))
                m_options[name] = option->IsSelected();
}

SkinUI::CUIString BoundPageView::FieldText(const wchar_t* controlName) const
{
    std::lock_guard lock(m_lock);
    const auto found = m_fields.find(controlName);
    return found == m_fields.end() ? SkinUI::CUIString() : SkinUI::CUIString(found->second.c_str());
}

bool BoundPageView::OptionSelected(const wchar_t* controlName) const
{
    std::lock_guard lock(m_lock);
    const auto found = m_options.find(controlName);
    return found != m_options.end() && found->second;
}

int BoundPageView::SliderValue(const wchar_t* controlName) const
{
    std::lock_guard lock(m_lock);
    const auto found = m_sliders.find(controlName);
    return found == m_sliders.end() ? 0 : found->second;
}

SIZE BoundPageView::WorkAreaSize() const
{
    SIZE size {};
    m_main.GetWorkAreaSize(size);
    return size;
}

void BoundPageView::SetGifListBusy(bool busy)
{
    m_main.PostUiTask(0, [main = &m_main, busy] {
        if (main->m_pAllGif)
            main->m_pAllGif->SetMouseEnabled(!busy);
    });
}

void BoundPageView::SetClipListBusy(bool busy)
{
    m_main.PostUiTask(0, [main = &m_main, busy] {
        if (main->m_pAllVideoAddExport)
            main->m_pAllVideoAddExport->SetMouseEnabled(!busy);
    });
}
