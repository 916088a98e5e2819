#pragma once
// The editor's main window: the owner of all editing state. This is the part of the class that the
// export jobs use: the encoder, the export settings, the page sources, the running job's progress
// window and percentage, the GIF queue and the history. It is a skinned frame window built from
// "main.xml"; the rest of the window joins later. Tests build the object without a native window
// and set its members.
//
// Threads: the object lives on the UI thread. Export jobs run on detached job threads and share
// only what is marked below: the job percentage and the running flags are atomics, the history and
// the GIF queue are guarded by their locks, and the progress window is reached by handle only.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "editor/mainwnd/EditingRecords.h"
#include "media/ClipListExport.h"
#include "media/EncoderRunRequest.h"
#include "media/ExportOutcome.h"
#include "media/MediaProbe.h"
#include "platform/WinTypes.h"
#include "ui/core/UIString.h"
#include "ui/core/WindowImplBase.h"

class CShowProgress;
class ExportPageView;
class MergeListView;
class ScreenshotListView;
struct MergePoolShares;

// Process-wide export cancel flag: 1 stops the running export (set by the progress window's cancel
// and by closing the main window, cleared by the cut's launch and by each job's cancel clean-up).
extern std::atomic<uint8_t> CancelFlag;

class CMainWnd : public SkinUI::WindowImplBase {
public:
    CMainWnd();
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // The skinned frame: class "Quillmoor", skin "main.xml"; Enter is swallowed, Escape closes
    // the window with result 2.
    const wchar_t* GetWindowClassName() const override;
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

    // Encoder runner and the conventions every export shares.
    int RunEncoderWithProgress(EncoderRunRequest request);
    void RunEncoderAndWait(const std::wstring& command);
    std::wstring MakeUniqueOutputPath(const std::wstring& path);
    SkinUI::CUIString MakeUniqueOutputPathUI(const SkinUI::CUIString& path);
    void RecordHistoryEntry(const std::wstring& sourcePath, const std::wstring& outputPath);
    SkinUI::CUIString RandomDigits(int count);

    // Export jobs; each runs on its own job thread.
    ExportOutcome ExportCut();
    ExportOutcome ExportSplit();
    ExportOutcome ExportGif();

    // Merge export and its pre-conversion pool. The strategies are public so that each can be run
    // on its own; each returns true when its output passes the output check.
    ExportOutcome ExportMerged();
    bool MergeInputsShareFormat() const;
    int MergeInputsSizeAgreement() const;
    bool MergeByConcatFilter(const std::wstring& outputPath, bool useConvertedFiles);
    bool MergeByStreamCopy(const std::wstring& outputPath);
    bool MergeConvertedFiles(const std::wstring& outputPath);
    void RunMergePool();
    static int ComputeWorkerCount();
    void ConvertNextMergeInput(MergePoolShares& shares);

    // Adjust export: eq, reverse, rotation and speed passes over m_strAdjustSourcePath.
    ExportOutcome ExportAdjusted();

    // Clip-list export: empties m_vecExportQueue, one stage per entry; origin 0 for a row's start
    // button, 1 for "export all".
    void ExportClipList(int origin);
    void QueueClipExport(const ClipExportEntry& entry);
    bool ExportClipCover(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipMusic(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipWatermark(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipSubtitles(const ClipExportEntry& entry, const std::wstring& outputPath);

    // Screenshot page: the thumbnail strip and the export of its frames.
    void BuildScreenshotStrip();
    ExportOutcome ExportScreenshots();

    // Helpers of the pages and jobs.
    static bool FileExists(const std::wstring& path);
    static void SplitFileName(SkinUI::CUIString& path, SkinUI::CUIString& extension);
    static void SplitFileNameW(std::wstring& path, std::wstring& extension);
    static void MakeEvenSize(SkinUI::CUIString& width, SkinUI::CUIString& height);
    static void MakeEvenSizeW(std::wstring& width, std::wstring& height);
    void ShowOverlayWindows(bool show);

    // The running job's progress window: set by the launcher, closed once by whoever finishes
    // first (job, runner or cancel), by posting WM_CLOSE to the handle through the UI thread.
    void SetProgressWindow(CShowProgress* window, HWND handle);
    void CloseProgressWindow();
    // A job's question or message in the message dialog, owned by this window; 1 = fifth text.
    int AskUser(const std::wstring& message, const std::wstring& fourthText, const std::wstring& fifthText);
    void AddGifToQueue(const GifListItem& item);
    std::vector<HistoryRecord> HistorySnapshot() const;

    // Jobs, libraries and counters.
    std::wstring m_strCutFile;    // source of the cut page
    std::wstring m_strSplitFile;  // source of the split page
    std::wstring m_strAdjustSourcePath;  // source of the adjust page
    int m_nAdjustSourceMs { 0 };         // its duration in milliseconds

    // Encoder and working folders.
    SkinUI::CUIString m_strEncoder;       // the encoder program
    SkinUI::CUIString m_strEncoderExtra;  // extra encoder options ("" or " -max_muxing_queue_size 34500 ")
    std::wstring m_strTempFolder;         // the drive's temporary work folder

    // Running job and the GIF list.
    std::atomic<CShowProgress*> m_pProgressWnd { nullptr };
    std::atomic<HWND> m_hProgressWnd { nullptr };
    std::atomic<uint8_t> m_bGifRunning { 0 };
    std::vector<GifListItem> m_vecGifQueue;  // guarded by m_gifQueueLock
    std::atomic<uint8_t> m_bClipRunning { 0 };
    std::vector<ClipExportEntry> m_vecExportQueue;  // guarded by m_clipQueueLock

    HistoryRecord m_historyItem;              // guarded by m_historyLock
    std::vector<HistoryRecord> m_vecHistory;  // guarded by m_historyLock, oldest first
    std::atomic<float> m_fJobPercent { 0 };

    // View state.
    uint8_t m_bMaximized { 0 };
    int m_nPreviewHeight { 0 };  // the normal layout's preview box (360 x 977 scaled by the DPI)
    int m_nPreviewWidth { 0 };
    MediaProbe m_probe;
    std::wstring m_strAppFolder;  // program folder, ending with a separator
    MediaFileInfo m_exportInfo;   // export settings: output name, size, format and folder

    int m_nSplitDuration { 0 };  // the split page's source duration in milliseconds
    std::wstring m_strCutAspect;     // the cut source's display aspect ratio as a decimal number
    std::wstring m_strCutViewHeight;  // shown picture size in the cut preview, current layout
    std::wstring m_strCutViewWidth;
    std::wstring m_strCutHeight;  // the cut source's picture size (swapped when rotated)
    std::wstring m_strCutWidth;
    uint8_t m_bCutInfo1 { 0 };    // the cut source is MKV with a subtitle stream
    uint8_t m_bCutInfo2 { 0 };    // the cut source has no sound
    std::wstring m_strCutInfo;    // the cut source's frame rate text
    std::wstring m_strSplitInfo;  // the split source's frame rate text
    std::wstring m_strSourceExt;  // extension of the file last loaded into a page

    // The controls the jobs read and the rows they drive; null until the pages are bound.
    ExportPageView* m_pPageView { nullptr };
    MergeListView* m_pMergeList { nullptr };  // the merge page's list "VideoMergeL"
    ScreenshotListView* m_pScreenshotList { nullptr };  // the screenshot page's list "ListScreen"

    // Screenshot page: its video and size, and the thumbnails taken so far.
    std::wstring m_strScreenshotSource;
    std::wstring m_strScreenshotWidth;
    std::wstring m_strScreenshotHeight;
    int m_nScreenshotCounter { 0 };           // numbers the thumbnail files; never reset
    std::vector<float> m_vecScreenshotTimes;  // every thumbnail's time in seconds

    // Merge state: written by the merge job before its pool starts, read by the workers.
    int m_nMergeWorkerCount { ComputeWorkerCount() };
    int m_nMergeTotalSeconds { 0 };
    int m_nMergeSizeAgreement { 2 };
    uint8_t m_bMergeSameFormat { 0 };
    int m_nMergeNextRow { 0 };  // guarded by m_csMergeLock
    std::mutex m_csMergeLock;

private:
    bool RunStopRequested(const EncoderRunRequest& request) const;
    void PublishProgress(const EncoderRunRequest& request, float percent);
    void ShowOutputInFileManager(const std::wstring& path);
    ExportOutcome CancelCut(const std::wstring& outputPath, const std::wstring& tempPath);
    ExportOutcome FinishCut(const std::wstring& outputPath, int lastResult);

    mutable std::mutex m_historyLock;
    std::mutex m_gifQueueLock;
    std::mutex m_clipQueueLock;
};

// Set by the constructor: the one main window of the process.
extern CMainWnd* MainWindowPointer;
