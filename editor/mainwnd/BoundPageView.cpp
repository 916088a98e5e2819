#include "editor/mainwnd/BoundPageView.h"

#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/OutputName.h"
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
const wchar_t kDefaultPartName[] = L"视频分割文件";

// A split row: child 1 holds the name line (child 0: the part name) and the value line (child 1:
// the task text as user data).
std::vector<std::pair<std::wstring, std::wstring>> SplitRows(SkinUI::CControlUI* list)
{
    std::vector<std::pair<std::wstring, std::wstring>> tasks;
    SkinUI::IContainerUI* rows = RowsOf(list);
    for (int i = 0; rows && i < rows->GetCount(); ++i) {
        SkinUI::CControlUI* value = RowChild(rows->GetItemAt(i), { 1, 1, 1 });
        SkinUI::CControlUI* name = RowChild(rows->GetItemAt(i), { 1, 0, 0 });
        if (value == nullptr || name == nullptr)
            continue;
        tasks.emplace_back(value->GetUserData().GetData(), SafeOutputName(name->GetText().GetData(), kDefaultPartName));
    }
    return tasks;
}

}  // namespace

void BoundPageView::Capture()
{
    SkinUI::CPaintManagerUI& pm = m_main.GetPaintManager();
    std::vector<std::pair<std::wstring, std::wstring>> splitTasks = SplitRows(m_main.m_pListVideo);
    std::lock_guard lock(m_lock);
    m_splitTasks = std::move(splitTasks);
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

int BoundPageView::SplitTaskCount() const
{
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_splitTasks.size());
}

bool BoundPageView::SplitTask(int row, SkinUI::CUIString& task, SkinUI::CUIString& baseName) const
{
    std::lock_guard lock(m_lock);
    if (row < 0 || row >= static_cast<int>(m_splitTasks.size()))
        return false;
    task = m_splitTasks[row].first.c_str();
    baseName = m_splitTasks[row].second.c_str();
    return true;
}

GifRowView* BoundPageView::FindGifRow(const SkinUI::CUIString& rowId)
{
    return m_main.RowViews().GifRow(rowId.GetData());
}

SIZE BoundPageView::WorkAreaSize() const
{
    SIZE size {};
    m_main.GetWorkAreaSize(size);
    return size;
}

namespace {

// While a list's job runs, its "all" button and every row's delete button take no mouse input.
void SetListBusy(SkinUI::CControlUI* allButton, SkinUI::CControlUI* list, bool busy)
{
    if (allButton)
        allButton->SetMouseEnabled(!busy);
    SkinUI::IContainerUI* rows = RowsOf(list);
    for (int i = 0; rows && i < rows->GetCount(); ++i)
        if (SkinUI::CControlUI* remove = RowChild(rows->GetItemAt(i), { 2, 6, 0 }))
            remove->SetMouseEnabled(!busy);
}

}  // namespace

void BoundPageView::SetGifListBusy(bool busy)
{
    m_main.PostUiTask(0, [main = &m_main, busy] { SetListBusy(main->m_pAllGif, main->m_pVideoGif, busy); });
}

void BoundPageView::SetClipListBusy(bool busy)
{
    m_main.PostUiTask(0, [main = &m_main, busy] {
        SetListBusy(main->m_pAllVideoAddExport, main->m_pVideoAddfileL, busy);
    });
}
