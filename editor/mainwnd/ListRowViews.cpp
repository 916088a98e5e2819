#include "editor/mainwnd/ListRowViews.h"

#include <algorithm>

#include "base/StringHelpers.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/core/BoxLayoutUI.h"
#include "ui/core/ScrollBarUI.h"

using control_access::Show;

namespace {

constexpr int kCaptureWidth = 232;
constexpr int kCaptureBarHeight = 32;

// A row's progress fill: a floating label whose width is the row's share done. A fixed width of
// 0 would mean "the whole row", so the fill shows only once there is something to show.
void ShowFill(SkinUI::CControlUI* row, float percent)
{
    SkinUI::CControlUI* fill = RowChild(row, { 0 });
    if (fill == nullptr)
        return;
    const RECT rc = row->GetPos();
    const int width = static_cast<int>((rc.right - rc.left) * std::clamp(percent, 0.0f, 100.0f) / 100.0f);
    fill->SetFixedWidth(std::max(1, width));
    fill->SetVisible(width > 0);
}

void HideFill(SkinUI::CControlUI* row)
{
    if (SkinUI::CControlUI* fill = RowChild(row, { 0 })) {
        fill->SetFixedWidth(0);
        fill->SetVisible(false);
    }
}

std::wstring Text(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetUserData().GetData()) : std::wstring();
}

// A job's change to a row: on the UI thread, on the row found again by its key, if it is still there.
template <typename Step>
void PostToRow(CMainWnd& main, SkinUI::CControlUI* (*find)(CMainWnd&, const std::wstring&), const std::wstring& key,
               Step step)
{
    main.PostUiTask([main = &main, find, key, step] {
        if (SkinUI::CControlUI* row = find(*main, key))
            step(row);
    });
}

void ShowRowProgress(SkinUI::CControlUI* row, float percent, const std::wstring& text)
{
    ShowFill(row, percent);
    if (SkinUI::CControlUI* label = RowChild(row, { 2, 6, 3, 0 }))
        label->SetText(text.c_str());
}

// The end of a row's run: fill and progress box go; a success shows the open button on the
// output, a failure the note and the export button, so the row can be exported again.
void ShowRowResult(SkinUI::CControlUI* row, const std::wstring& outputPath, bool succeeded)
{
    HideFill(row);
    SkinUI::CControlUI* buttons = RowChild(row, { 2, 6 });
    Show(RowChild(buttons, { 3 }), false);
    if (SkinUI::CControlUI* percent = RowChild(buttons, { 3, 0 }))
        percent->SetText(L"00.00%");
    if (succeeded) {
        if (SkinUI::CControlUI* open = RowChild(buttons, { 2 })) {
            open->SetUserData(outputPath.c_str());
            open->SetVisible(true);
        }
        return;
    }
    Show(RowChild(buttons, { 5 }), true);
    Show(RowChild(buttons, { 1 }), true);
}

}  // namespace

SkinUI::IContainerUI* RowsOf(SkinUI::CControlUI* list)
{
    return list ? static_cast<SkinUI::IContainerUI*>(list->GetInterface(L"IContainer")) : nullptr;
}

SkinUI::CControlUI* RowChild(SkinUI::CControlUI* control, std::initializer_list<int> path)
{
    for (int index : path) {
        SkinUI::IContainerUI* children = RowsOf(control);
        control = children ? children->GetItemAt(index) : nullptr;
    }
    return control;
}

SkinUI::CButtonUI* MakeRemoveRowButton(const wchar_t* name, RECT padding)
{
    auto* remove = new SkinUI::CButtonUI;
    remove->SetName(name);
    remove->SetPadding(padding);
    remove->SetFixedWidth(12);
    remove->SetFixedHeight(12);
    remove->SetNormalImage(L"file='images/deleteList-1.png' ");
    remove->SetHotImage(L"file='images/deleteList-2.png' ");
    remove->SetPushedImage(L"file='images/deleteList-3.png' ");
    remove->SetAttribute(L"cursor", L"hand");
    return remove;
}

SkinUI::CControlUI* FindGifRowControl(CMainWnd& main, const std::wstring& rowId)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoGif);
    for (int i = 0; rows && i < rows->GetCount(); ++i)
        if (Text(RowChild(rows->GetItemAt(i), { 2, 4, 0, 0 })) == rowId)
            return rows->GetItemAt(i);
    return nullptr;
}

SkinUI::CControlUI* FindClipRowControl(CMainWnd& main, const std::wstring& path)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoAddfileL);
    for (int i = 0; rows && i < rows->GetCount(); ++i)
        if (Text(rows->GetItemAt(i)) == path)
            return rows->GetItemAt(i);
    return nullptr;
}

// ---- GIF rows: column 6 holds close, convert, open, the progress box and the failure note ----

void BoundGifRow::BeginRun()
{
    PostToRow(m_main, FindGifRowControl, m_rowId, [](SkinUI::CControlUI* row) {
        SkinUI::CControlUI* buttons = RowChild(row, { 2, 6 });
        Show(RowChild(buttons, { 1 }), false);
        Show(RowChild(buttons, { 2 }), false);
        Show(RowChild(buttons, { 5 }), false);
        Show(RowChild(buttons, { 3 }), true);
    });
}

void BoundGifRow::ShowProgress(float percent, const std::wstring& text)
{
    PostToRow(m_main, FindGifRowControl, m_rowId,
              [percent, text](SkinUI::CControlUI* row) { ShowRowProgress(row, percent, text); });
}

void BoundGifRow::FinishRun(const std::wstring& outputPath, bool succeeded)
{
    PostToRow(m_main, FindGifRowControl, m_rowId, [outputPath, succeeded](SkinUI::CControlUI* row) {
        Show(RowChild(row, { 1, 1 }), succeeded);  // the done mark on the thumbnail
        ShowRowResult(row, outputPath, succeeded);
    });
}

// ---- clip rows: the same column layout, found by the clip's path; a failure keeps an earlier
// run's done mark ----

void BoundClipRow::ShowProgress(float percent, const std::wstring& text)
{
    PostToRow(m_main, FindClipRowControl, m_path,
              [percent, text](SkinUI::CControlUI* row) { ShowRowProgress(row, percent, text); });
}

void BoundClipRow::FinishRun(const std::wstring& outputPath, bool succeeded)
{
    PostToRow(m_main, FindClipRowControl, m_path, [outputPath, succeeded](SkinUI::CControlUI* row) {
        for (int i = 0; i < 4; ++i)
            if (SkinUI::CControlUI* subPage = RowChild(row, { 2, 5, i }))
                subPage->SetMouseEnabled(true);
        if (succeeded)
            Show(RowChild(row, { 1, 1 }), true);
        ShowRowResult(row, outputPath, succeeded);
    });
}

// ---- merge inputs ----

void BoundMergeList::Capture(CMainWnd& main)
{
    std::vector<Input> inputs;
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoMergeL);
    for (int i = 0; rows && i < rows->GetCount(); ++i) {
        SkinUI::CControlUI* row = rows->GetItemAt(i);
        Input input;
        input.path = Text(row);
        input.durationMs = Text(RowChild(row, { 2, 1, 1 }));
        input.resolution = Text(RowChild(row, { 2, 2, 1 }));
        input.mute = Text(RowChild(row, { 3 })) == L"mute";
        inputs.push_back(std::move(input));
    }
    std::lock_guard lock(m_lock);
    m_inputs = std::move(inputs);
}

const BoundMergeList::Input* BoundMergeList::At(int row) const
{
    return row >= 0 && row < static_cast<int>(m_inputs.size()) ? &m_inputs[row] : nullptr;
}

int BoundMergeList::RowCount() const
{
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_inputs.size());
}

SkinUI::CUIString BoundMergeList::RowPath(int row) const
{
    std::lock_guard lock(m_lock);
    const Input* input = At(row);
    return input ? SkinUI::CUIString(input->path.c_str()) : SkinUI::CUIString();
}

SkinUI::CUIString BoundMergeList::RowDuration(int row) const
{
    std::lock_guard lock(m_lock);
    const Input* input = At(row);
    return input ? SkinUI::CUIString(input->durationMs.c_str()) : SkinUI::CUIString();
}

SkinUI::CUIString BoundMergeList::RowResolution(int row) const
{
    std::lock_guard lock(m_lock);
    const Input* input = At(row);
    return input ? SkinUI::CUIString(input->resolution.c_str()) : SkinUI::CUIString();
}

bool BoundMergeList::RowIsMute(int row) const
{
    std::lock_guard lock(m_lock);
    const Input* input = At(row);
    return input && input->mute;
}

SkinUI::CUIString BoundMergeList::ConvertedPath(int row) const
{
    std::lock_guard lock(m_lock);
    const Input* input = At(row);
    return input ? SkinUI::CUIString(input->converted.c_str()) : SkinUI::CUIString();
}

void BoundMergeList::SetConvertedPath(int row, const SkinUI::CUIString& path)
{
    std::lock_guard lock(m_lock);
    if (row >= 0 && row < static_cast<int>(m_inputs.size()))
        m_inputs[row].converted = path.GetData();
}

// ---- the capture list ----

void BoundScreenshotList::Capture()
{
    std::vector<std::wstring> times;
    SkinUI::IContainerUI* rows = RowsOf(m_main.m_pListScreen);
    for (int i = 0; rows && i < rows->GetCount(); ++i)
        times.push_back(Text(rows->GetItemAt(i)));
    std::lock_guard lock(m_lock);
    m_times = std::move(times);
}

void BoundScreenshotList::AddRow(CMainWnd& main, const std::wstring& timeText, const std::wstring& picture,
                                 int thumbnailHeight, bool longPicture)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen);
    if (rows == nullptr)
        return;
    auto* row = new SkinUI::CListContainerElementUI;
    row->SetUserData(timeText.c_str());
    row->SetFixedWidth(kCaptureWidth);
    row->SetFixedHeight(longPicture ? thumbnailHeight : thumbnailHeight + kCaptureBarHeight);
    row->SetPadding({ 6, 0, 0, 0 });
    auto* column = new SkinUI::CVerticalLayoutUI;
    row->Add(column);  // each parent owns what it holds
    auto* bar = new SkinUI::CHorizontalLayoutUI;
    bar->SetFixedHeight(kCaptureBarHeight);
    bar->SetVisible(!longPicture);
    column->Add(bar);
    bar->Add(new SkinUI::CButtonUI);
    bar->Add(MakeRemoveRowButton(L"screendelete", { 0, 10, 0, 0 }));
    auto* shot = new SkinUI::CLabelUI;
    shot->SetFixedWidth(kCaptureWidth);
    shot->SetFixedHeight(thumbnailHeight);
    shot->SetBkImage(FormatWide(L"file='%s' ", picture.c_str()).c_str());
    column->Add(shot);
    if (!rows->Add(row)) {
        delete row;
        return;
    }
    auto* list = static_cast<SkinUI::CContainerUI*>(main.m_pListScreen->GetInterface(L"Container"));
    if (SkinUI::CScrollBarUI* scroll = list ? list->GetVerticalScrollBar() : nullptr)
        scroll->SetScrollPos(rows->GetCount() * (thumbnailHeight + kCaptureBarHeight));
    main.m_pListScreen->NeedParentUpdate();
}

void BoundScreenshotList::UpdateExportButton(CMainWnd& main)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen);
    if (main.m_pScreenExport)
        main.m_pScreenExport->SetEnabled(rows && rows->GetCount() > 0);
}

void BoundScreenshotList::AddThumbnailRow(const std::wstring& timeText, const std::wstring& picture,
                                          int thumbnailHeight, bool longPicture)
{
    m_main.PostUiTask([main = &m_main, timeText, picture, thumbnailHeight, longPicture] {
        AddRow(*main, timeText, picture, thumbnailHeight, longPicture);
        UpdateExportButton(*main);
    });
}

int BoundScreenshotList::RowCount() const
{
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_times.size());
}

std::wstring BoundScreenshotList::RowTime(int row) const
{
    std::lock_guard lock(m_lock);
    return row >= 0 && row < static_cast<int>(m_times.size()) ? m_times[row] : std::wstring();
}

void BoundScreenshotList::SetButtonEnabled(const wchar_t* name, bool enabled)
{
    m_main.PostUiTask([main = &m_main, button = std::wstring(name), enabled] {
        if (button == L"ScreenExport") {
            UpdateExportButton(*main);
            return;
        }
        if (SkinUI::CControlUI* control = main->GetPaintManager().FindControl(button.c_str()))
            control->SetEnabled(enabled);
    });
}

// ---- the views the window keeps ----

GifRowView* ListRowViews::GifRow(const std::wstring& rowId)
{
    std::lock_guard lock(m_lock);
    std::unique_ptr<BoundGifRow>& view = m_gifRows[rowId];
    if (!view)
        view = std::make_unique<BoundGifRow>(m_main, rowId);
    return view.get();
}

ClipRowView* ListRowViews::ClipRow(const std::wstring& path, bool mute, const std::wstring& resolution)
{
    std::lock_guard lock(m_lock);
    m_clipRows.push_back(std::make_unique<BoundClipRow>(m_main, path, mute, resolution));
    return m_clipRows.back().get();
}
