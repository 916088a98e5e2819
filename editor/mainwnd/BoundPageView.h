#pragma once
// The pages as export jobs see them, over the main window's controls. Jobs run on their own
// threads and never touch a control: the launcher captures, on the UI thread, every field,
// slider and option a job reads just before the job starts, and the job reads that capture. What
// a job shows (busy lists) is handed to the UI thread as a deferred task.

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "media/ExportPageView.h"

class CMainWnd;

class BoundPageView : public ExportPageView {
public:
    explicit BoundPageView(CMainWnd& main) : m_main(main) {}

    // UI thread: takes the current values of the controls the jobs read.
    void Capture();

    SkinUI::CUIString FieldText(const wchar_t* controlName) const override;
    bool OptionSelected(const wchar_t* controlName) const override;
    int SliderValue(const wchar_t* controlName) const override;
    SIZE WorkAreaSize() const override;
    // The main window shows and hides the crop pair itself.
    void ShowCropOverlays(bool) override {}
    // The split list's rows as they stood at the capture: task text and a safe part name each.
    int SplitTaskCount() const override;
    bool SplitTask(int row, SkinUI::CUIString& task, SkinUI::CUIString& baseName) const override;
    // The GIF row's view; it finds its row by the tag on the UI thread and skips a removed one.
    GifRowView* FindGifRow(const SkinUI::CUIString& rowId) override;
    void SetGifListBusy(bool busy) override;
    void SetClipListBusy(bool busy) override;

private:
    CMainWnd& m_main;
    mutable std::mutex m_lock;
    std::map<std::wstring, std::wstring> m_fields;  // guarded by m_lock
    std::map<std::wstring, int> m_sliders;          // guarded by m_lock
    std::map<std::wstring, bool> m_options;         // guarded by m_lock
    std::vector<std::pair<std::wstring, std::wstring>> m_splitTasks;  // guarded by m_lock
};
