#pragma once
// The list pages' rows as the export jobs see them: a GIF row and a clip row that show their own
// progress and result, the merge list's inputs and the screenshot page's capture list.
//
// Threads: the jobs call these views from their own threads and never touch a control. A row view
// keeps only the row's key (the GIF row's tag, the clip's path) and hands every change to the UI
// thread, where the row is looked up again by that key: a row removed or cleared meanwhile is
// simply skipped. The main window owns every view for its own lifetime, so a job may keep a view
// pointer for as long as it runs. What a job reads (the merge inputs, the capture times) is taken
// on the UI thread when the export is launched.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/ClipListExport.h"
#include "media/MergeExport.h"
#include "media/RowProgressView.h"
#include "media/ScreenshotStrip.h"
#include "ui/controls/ButtonUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"

class CMainWnd;

// Controls inside list rows are reached by their place among their parent's children.
SkinUI::CControlUI* RowChild(SkinUI::CControlUI* control, std::initializer_list<int> path);
SkinUI::IContainerUI* RowsOf(SkinUI::CControlUI* list);
// The small cross that removes a row built in code (split parts, screenshots); the caller adds it.
SkinUI::CButtonUI* MakeRemoveRowButton(const wchar_t* name, RECT padding);

// The GIF row whose name button carries rowId; null when it is gone. UI thread.
SkinUI::CControlUI* FindGifRowControl(CMainWnd& main, const std::wstring& rowId);
// The clip row whose user data is the clip's path; null when it is gone. UI thread.
SkinUI::CControlUI* FindClipRowControl(CMainWnd& main, const std::wstring& path);

class BoundGifRow : public GifRowView {
public:
    BoundGifRow(CMainWnd& main, std::wstring rowId) : m_main(main), m_rowId(std::move(rowId)) {}
    void BeginRun() override;
    void ShowProgress(float percent, const std::wstring& text) override;
    void FinishRun(const std::wstring& outputPath, bool succeeded) override;

private:
    CMainWnd& m_main;
    const std::wstring m_rowId;
};

class BoundClipRow : public ClipRowView {
public:
    BoundClipRow(CMainWnd& main, std::wstring path, bool mute, std::wstring resolution)
        : m_main(main), m_path(std::move(path)), m_mute(mute), m_resolution(std::move(resolution))
    {
    }
    bool IsMute() const override { return m_mute; }
    std::wstring Resolution() const override { return m_resolution; }
    void ShowProgress(float percent, const std::wstring& text) override;
    void FinishRun(const std::wstring& outputPath, bool succeeded) override;

private:
    CMainWnd& m_main;
    const std::wstring m_path;
    const bool m_mute;
    const std::wstring m_resolution;
};

// The merge inputs in list order, taken when the merge is launched; the converted paths are
// written by the pool's workers.
class BoundMergeList : public MergeListView {
public:
    struct Input {
        std::wstring path, durationMs, resolution;
        bool mute = false;
        std::wstring converted;
    };
    // UI thread: takes the rows of "VideoMergeL".
    void Capture(CMainWnd& main);

    int RowCount() const override;
    SkinUI::CUIString RowPath(int row) const override;
    SkinUI::CUIString RowDuration(int row) const override;
    SkinUI::CUIString RowResolution(int row) const override;
    bool RowIsMute(int row) const override;
    SkinUI::CUIString ConvertedPath(int row) const override;
    void SetConvertedPath(int row, const SkinUI::CUIString& path) override;

private:
    const Input* At(int row) const;  // under m_lock
    mutable std::mutex m_lock;
    std::vector<Input> m_inputs;  // guarded by m_lock
};

// The capture list "ListScreen": the export reads the times taken at its launch; the strip job's
// rows and button changes go to the UI thread. The export button is only ever enabled while the
// list holds rows.
class BoundScreenshotList : public ScreenshotListView {
public:
    explicit BoundScreenshotList(CMainWnd& main) : m_main(main) {}
    // UI thread: takes every row's time.
    void Capture();
    // UI thread: builds a capture row at the end of the list and scrolls to it.
    static void AddRow(CMainWnd& main, const std::wstring& timeText, const std::wstring& picture, int thumbnailHeight,
                       bool longPicture);
    // UI thread: "ScreenExport" takes input exactly while the list holds rows.
    static void UpdateExportButton(CMainWnd& main);

    void AddThumbnailRow(const std::wstring& timeText, const std::wstring& picture, int thumbnailHeight,
                         bool longPicture) override;
    int RowCount() const override;
    std::wstring RowTime(int row) const override;
    void SetButtonEnabled(const wchar_t* name, bool enabled) override;

private:
    CMainWnd& m_main;
    mutable std::mutex m_lock;
    std::vector<std::wstring> m_times;  // guarded by m_lock
};

// Every row view the window's jobs hold, kept for the window's lifetime.
class ListRowViews {
public:
    explicit ListRowViews(CMainWnd& main) : m_main(main), m_screenshots(main) {}
    GifRowView* GifRow(const std::wstring& rowId);
    // A clip row's view with what the job reads of it, taken now on the UI thread.
    ClipRowView* ClipRow(const std::wstring& path, bool mute, const std::wstring& resolution);
    BoundMergeList& Merge() { return m_merge; }
    BoundScreenshotList& Screenshots() { return m_screenshots; }

private:
    CMainWnd& m_main;
    std::mutex m_lock;
    std::map<std::wstring, std::unique_ptr<BoundGifRow>> m_gifRows;  // guarded by m_lock
    std::vector<std::unique_ptr<BoundClipRow>> m_clipRows;           // guarded by m_lock
    BoundMergeList m_merge;
    BoundScreenshotList m_screenshots;
};
