#pragma once
// The editor's main window: the owner of all editing state. A skinned frame window built from
// "main.xml"; it creates the editor's own controls while the skin is built, binds the skin's named
// controls once at start-up, and then answers notifications, window messages and player events.
// The export jobs and the dialogs read and write its members.
//
// Threads: the object and every control live on the UI thread. Workers (export jobs, row
// builders, the warm-up) are started through StartWorker, which counts them; they share only what
// is marked below (atomics, or state under its lock) and reach controls by posting to the window
// (PostUiTask). A page export job returns its result; the UI thread finishes the export.
// Shut-down stops the encoders, then waits (bounded) for every counted worker: the start-up
// deletes the object only after they have all ended, so no worker ever touches a destroyed window.
// Writable files (history, configuration, merge work files, account pictures) live in the
// per-user data folder m_strDataFolder; the program folder m_strAppFolder is only read.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/SDKInstance.h"
#include "base/WeakCallback.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/mainwnd/AccountClient.h"
#include "editor/mainwnd/BoundControls.h"
#include "editor/mainwnd/EditingRecords.h"
#include "editor/mainwnd/PageMedia.h"
#include "media/ClipListExport.h"
#include "media/EncoderRunRequest.h"
#include "media/ExportResult.h"
#include "media/MediaProbe.h"
#include "platform/Ole.h"
#include "platform/WinTypes.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/UIString.h"
#include "ui/core/WindowImplBase.h"

class BoundPageView;
class CPlayerUI;
class CShowProgress;
class ExportPageView;
class ListRowViews;
class MergeListView;
class ScreenshotListView;
struct MergePoolShares;
struct ClipRowFacts;
class CWaterFloatWnd;
class CChildWnd;

// Process-wide export cancel flag: 1 stops the running page export (set by the progress window's
// cancel and by closing the main window, cleared by each job's cancel clean-up and by a page
// export's launch, which first waits for a cancelled page job that is still ending).
extern std::atomic<uint8_t> CancelFlag;

// Process-wide values of the main window's unit.
extern HWND MainWindowHandle;          // set at start-up; the drag handles' mouse hook posts to it
extern std::wstring PageKey;           // key of the current feature page
extern float ScreenScale;              // (work-area width - 416) / 608, set at start-up
extern int VideoRectangle[4];          // the watermark preview's video area, screen coordinates
extern int PictureWatermarkLayout;     // 0 free, 1 tiled, 2 one of nine cells
extern std::atomic<uint8_t> WatermarkRefitFlag;
extern uint8_t WatermarkRecenterFlag;
extern uint8_t TextWatermarkTiled;
extern int EndHandleLimit;             // the end handle's right-most x, unscaled
extern int CropCanvasWidth;
extern int CropCanvasHeight;
extern std::atomic<uint8_t> AvatarDownloadFinished;  // set by OnAvatarDownloadFinished

// The HTTP helper library's download completion: marks the download done and asks the main window
// (by posting, from whatever thread the library calls on) to show the account again.
void OnAvatarDownloadFinished();

struct ExportLaunch;

class CMainWnd : public SkinUI::WindowImplBase, public tbase::SupportWeakCallback {
public:
    // Custom messages of the main window.
    static constexpr UINT kMsgTextItemPosition = WM_USER + 130;
    static constexpr UINT kMsgTextItemText = WM_USER + 131;
    static constexpr UINT kMsgRefreshAccount = WM_USER + 500;
    static constexpr UINT kMsgStartUpdater = WM_USER + 504;
    static constexpr UINT kMsgRunningEditor = 8885;
    // Timers.
    static constexpr UINT_PTR kTimerShotHours = 1121;
    static constexpr UINT_PTR kTimerRecentre = 1124;
    static constexpr UINT_PTR kTimerUnused = 1145;
    static constexpr UINT_PTR kTimerRestoreOverlays = 1146;
    static constexpr UINT_PTR kTimerMarkerLayout = 1171;
    static constexpr UINT_PTR kTimerRefitFlag = 1172;
    static constexpr UINT_PTR kTimerRotationReapply = 1173;
    static constexpr UINT_PTR kTimerMusicPlacement = 1174;
    // How long shut-down waits for the workers after stopping their encoders.
    static constexpr int kWorkerWaitMs = 10000;
    static constexpr int kSentMessageSliceMs = 10;  // how often a wait for workers answers their messages

    CMainWnd();
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // The skinned frame: class "Quillmoor", skin "main.xml"; Enter is swallowed, Escape asks to
    // close as the close button does.
    const wchar_t* GetWindowClassName() const override;
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    void InitWindow() override;
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override;
    void Notify(SkinUI::TNotifyUI& msg) override;
    // Every button's action, found by the sender's exact name (MainWndCommands.cpp).
    void OnClick(SkinUI::TNotifyUI& msg) override;
    // Whether a click on a control of this name runs a command.
    static bool HasClickCommand(const std::wstring& name);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

    // Start-up: binds every name of BoundControls.h; returns the last control found.
    SkinUI::CControlUI* BindControls();
    void WarmUpPlayer();
    // The first paint, then the warm-up: loading the preview engine takes longer than the rest of
    // the start-up, so it waits until the window has been drawn once.
    LRESULT PaintThenWarmUp(WPARAM wParam, LPARAM lParam);
    // Reads the output folder from "Config/VideoConvert.xml", else the desktop's "Tessaly".
    void LoadOutputFolder();
    // The folder of the settings files in the data folder, and the file the output folder is kept in.
    std::wstring ConfigFolder() const;
    std::wstring OutputFolderSettingsPath() const;

    // Workers: a thread the window counts; shut-down waits for it. The task must not outlive
    // the window's promise: it checks CancelFlag / its stop flags and ends soon after they are set.
    void StartWorker(std::function<void()> task);
    int RunningWorkers() const;
    // Waits until every worker has ended or the time is up; true when none is left. Messages that
    // workers send to this thread meanwhile are answered: a worker inside SendMessage (a question,
    // a window it shows or hides) could not end otherwise.
    bool WaitForWorkers(int timeoutMs);
    // A worker's pause that ends at once when the window shuts down; false when it was cut short.
    bool SleepUnlessClosing(int milliseconds);
    // The close path after the user confirmed: stops everything, saves, cleans, destroys.
    void ShutDown();
    bool ConfirmClose();

    // Messages and their helpers.
    LRESULT OnTimer(UINT_PTR id);
    void GetWorkAreaSize(SIZE& size) const;
    static int GetOsVersionClass();
    void EnableSubtitleSave(bool enable);
    int ScaleByDpi(int length);

    // Commands: navigation, export launch and the pages' buttons (MainWndCommands.cpp,
    // MainWndExportLaunch.cpp, MainWndCut.cpp, MainWndAdjust.cpp). UI thread only.
    void OpenFeaturePage(const wchar_t* entry);
    void ReturnFromPage();
    // The multi-clip list with its footer and work area, hidden while a clip's sub-page is shown.
    void ShowClipList(bool shown);
    void RestoreFromMaximised();
    void ShowAccountPopup(SkinUI::CControlUI* sender, int kind);
    // Runs one export button's launch; true when its job was started.
    bool LaunchExport(const wchar_t* button);
    static const ExportLaunch* FindExportLaunch(const wchar_t* button);
    // The export settings dialog of a mode, modally; 0 = export with what it stored in
    // m_exportInfo, any other result is a cancel.
    int RunExportSettingsDialog(const wchar_t* mode, const wchar_t* title);
    using SettingsDialogHook = std::function<int(CMainWnd&, const std::wstring& mode)>;
    static void SetSettingsDialogHook(SettingsDialogHook hook);
    // Starts the job counted and shows the progress window over the window until the job's
    // finisher (a UI task with the job's result) closes it. A cancel closes the window at once;
    // the job may then still be ending on its worker.
    void RunWithProgressWindow(const wchar_t* title, std::function<ExportResult()> job);
    // The end of every page export, on the UI thread: closes the progress window, writes the
    // history entry, asks the job's question (showing the output when accepted) and shows the
    // crop overlays again, in that order. Returns the job's outcome.
    ExportOutcome FinishPageExport(const ExportResult& result);

    // Page buttons (MainWndCutCommands.cpp, MainWndAdjustCommands.cpp, MainWndClipCommands.cpp).
    // A chosen video of a refused format ("qlv", "qsv", "kux") is answered with a notice: true.
    bool RefuseVideoFormat(const std::wstring& path);
    // A file the libraries cannot read as a video (a renamed text file, an empty file, sound only)
    // is answered with the damaged-file notice naming it: true. Asked before a page lets go of what
    // it shows, so a refused file leaves the page as it was.
    bool RefuseUnreadableVideo(const std::wstring& path);
    // The one video a single-file page or sub-page loads: chosen, and neither of a refused format
    // nor unreadable (each answered with its notice); empty otherwise.
    std::wstring ChooseLoadableVideo();
    // A message box over the window with one "确定" button.
    void ShowNotice(const std::wstring& text);
    // The notice for a file that cannot be decoded, naming it as `shownName`.
    void ShowDamagedNotice(const std::wstring& shownName);
    void AddCutPageFile(bool change);
    // Takes the cut preview's time, read once, into the start or end fields; with milliseconds
    // written the range is taken over.
    void TakeCutTime(bool start);
    void PlayCutPreview(bool play);
    void UndoCutRange();
    void StepCutVolume(SkinUI::CControlUI* sender, int step);
    // The preview volume popup "MenuMusic2.xml" above the sender (split and screenshot pages).
    void ShowVolumeMenu(SkinUI::CControlUI* sender);
    void AddAdjustPageFile(bool change);
    // A picture row's reset button: its slider, bar and value back to 100.
    void ResetPictureRow(SkinUI::CControlUI* resetButton);
    // Speed, rotation, aspect and reverse back to their defaults; the picture rows stay.
    void ResetAdjustOptions();
    // The multi-clip page's add button: the chosen videos become clip rows, in the chosen order.
    void AddClipFiles();
    void ShowHistoryWindow();

    // The one way back to the UI thread, from any thread while the window exists: a task runs on
    // the window's thread once its delay is over (never before), by the window's own message or
    // timer, so it also runs inside modal loops. Due tasks run in the order they were posted, one at
    // a time: a task that runs a modal loop (a notice, an export's question) holds the rest back
    // until it returns, so a nested loop never runs a later task first. The queue belongs to the
    // window: once the window is gone its tasks are dropped and never run.
    static constexpr UINT kMsgUiTasks = WM_USER + 620;
    static constexpr UINT_PTR kTimerUiTasks = 1160;
    void PostUiTask(std::function<void()> task) { PostUiTask(0, std::move(task)); }
    void PostUiTask(int delayMs, std::function<void()> task);
    void RunDueUiTasks();
    void EditRefreshTask();
    void OverlayRelayoutTask();
    void MarkerLayoutTask(RECT start, RECT end);

    // Updater and account area.
    std::wstring UpdaterCommandLine() const;
    void StartUpdater();
    void ShowSignedInAccount();
    static std::wstring MaskPhoneNumber(const std::wstring& text);

    // Helpers.
    // The folder dialog: every file below the chosen folder goes to m_vecChosenFiles.
    void ChooseFolder();
    // The open-file dialog for videos: the (last) chosen path, or empty; with multiple, every
    // chosen path is appended to m_vecChosenFiles.
    SkinUI::CUIString ChooseMediaFiles(bool multiple);
    void SetCutEndToDuration();
    BOOL ResizeForPage(int height);
    // The window at 100 % on its tallest page (the home page with its more-tools row): the scale
    // never makes it larger than the work area.
    static constexpr SIZE kTallestWindow { 1024, 720 };
    void ClearRefitFlagLater();
    static std::string GetExeVersion(const std::wstring& path);

    // Page notifications other than clicks: page tabs and option groups, the edit fields, focus,
    // combo choices, the range markers and the sliders. Returns false when the notification must
    // not go on to the base handling.
    bool HandlePageNotify(SkinUI::TNotifyUI& msg);
    void OnSelectChanged(SkinUI::TNotifyUI& msg);
    void OnUnselected(SkinUI::TNotifyUI& msg);
    bool OnPageTabSelected(const SkinUI::CUIString& name);
    void ApplyPreviewRotation(std::wstring rotation);
    void RunMarkerLayout();
    void ScheduleRefitFlagClear();
    bool OnPageTimer(UINT_PTR id);

    // Edit fields: the time groups' change rules, the other edits, focus and combo choices
    // (MainWndFields.cpp); stepping with keys, wheel and spin buttons (MainWndStepping.cpp).
    void OnTextChanged(SkinUI::TNotifyUI& msg);
    void OnFieldFocus(SkinUI::TNotifyUI& msg);
    void OnItemSelect(SkinUI::TNotifyUI& msg);
    void OnFieldKillFocus(SkinUI::TNotifyUI& msg);
    // WM_USER+130: the layer's selected text item (or the default one) takes the position x, y;
    // false when the layer has no selected item.
    bool OnTextItemPosition(WPARAM x, LPARAM y);
    // Steps the focused time or crop field on Up, Down and the wheel, walks the cut page's fields
    // on Left and Right; false when the message must not go on.
    bool StepFocusedField(UINT uMsg, WPARAM wParam);
    void StepTimeEditsUp(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                         SkinUI::CControlUI* tenths, SkinUI::CControlUI* field);
    void StepTimeEditsDown(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                           SkinUI::CControlUI* tenths, SkinUI::CControlUI* field);
    void StepTenthsTimeEditsUp(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                               SkinUI::CControlUI* tenths);
    void StepTenthsTimeEditsDown(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                                 SkinUI::CControlUI* tenths);
    void StepCropX(bool up);
    void StepCropY(bool up);
    void StepCropWidth(bool up);
    void StepCropHeight(bool up);
    static int& SwapRedBlue(int& colour);
    // The colour window's choice: the text colour (textColour) or the swatch beside m_pColorTarget.
    void ApplyChosenColor(DWORD colour, bool textColour);
    // Opening the music sub-page: 200 ms later (on a UI timer) the placement edits and the two
    // volume sliders take the clip's saved values, or start 00:00:00.0 and the given end texts.
    void FillMusicPlacementEdits(bool hasSavedPlacement, int clipVolume, int musicVolume,
                                 std::vector<std::wstring> texts);
    void RunMusicPlacementFill();
    // After a clip sub-page's save: the row shows its start button again and an empty progress.
    void ResetClipRowState();

    // The multi-clip page's edit sub-pages (MainWndCoverPage.cpp, MainWndMusicPage.cpp,
    // MainWndSubtitlePage.cpp, MainWndWatermarkPage.cpp): each opens for a clip row, and its save
    // replaces the clip's record and marks the row. UI thread.
    void OpenCoverPage(SkinUI::CControlUI* row);
    void ChooseCoverPicture();
    void StepCoverTime(bool frameGroup, bool up);
    void SaveCoverPage();
    void ChangeCoverVideo();
    void OpenMusicPage(SkinUI::CControlUI* row);
    void ChooseMusicFile();
    void StepMusicTime(const std::wstring& spin);
    void StepClipVolume(bool music, int delta);
    void SaveMusicPage();
    void ChangeMusicVideo();
    void OpenSubtitlePage(SkinUI::CControlUI* row, SkinUI::CControlUI* sender);
    CWaterFloatWnd* TextLayer() const;
    void StartTextItem(bool samePlace);
    bool RenderTextItems();
    void OpenWatermarkPage(SkinUI::CControlUI* row);
    CChildWnd* WatermarkOverlay() const;
    void FitOverlay(SkinUI::CWindowWnd* overlay, SkinUI::CControlUI* preview, double aspect, bool textLayer);
    void PlaceOverlay(SkinUI::CWindowWnd* overlay, SkinUI::CControlUI* preview, bool textLayer);
    void RestoreWatermark(const ClipRecord& record);
    void ResetTextWatermarkControls();
    void ResetPictureWatermarkControls();
    void PlacePictureInSelectedCell(const RECT& from);
    void ChooseWatermarkColour();
    void LargerWatermarkText();
    void ChooseWatermarkPicture();
    void ChangeWatermarkVideo();
    void SaveWatermarkPage();
    void ShowSubtitleList();
    void InsertSubtitleItem();
    void LargerSubtitleText();
    void OpenSubtitlePalette(SkinUI::CControlUI* button);
    void StepSubtitleTime(bool start, bool up);
    // Where the end would fall before the start, the time that was not changed last follows the
    // one that was, so the fields always show the times an item gets.
    void SettleSubtitleOrder(bool startWins);
    void OnSubtitleTimeLeft(SkinUI::CControlUI* field);
    // A cut end before the start shows the start, where its marker then stands.
    void SettleCutEnd();
    void ChangeSubtitleVideo();
    void TakeSubtitleFile();
    void SaveSubtitlePage();
    // "Change video" on a sub-page: the chosen file (false when cancelled, refused or already in
    // another row), then the clip's record, row, facts and preview move to it.
    bool ChooseReplacementVideo(std::wstring& path);
    ClipRowFacts ReplaceClipVideo(SkinUI::CControlUI* player, const std::wstring& path);
    // Another file takes a clip row's place: the row shows its name and details, the list's
    // information on the clip follows it, and its thumbnail is made anew on a worker.
    void RefillClipRow(SkinUI::CControlUI* row, const std::wstring& path, const MediaDetails& details);

    // Range markers and play range (MainWndRanges.cpp); times in milliseconds unless named.
    void OnMarkerNotify(SkinUI::TNotifyUI& msg);
    void OnCutMarkerMoved(bool isStart);
    void OnMusicMarkerMoved(bool isStart);
    void OnSubtitleMarkerMoved(bool isStart);
    void OnScreenMarkerMoved(bool isStart);
    void OnSplitMarkerMoved();
    void PlaceCutMarker(float time, int seekTime, bool isStart);
    void PlaceMusicMarker(float time, int seekTime, bool isStart);
    void PlaceSubtitleMarker(float time, int seekTime, bool isStart);
    void PlaceScreenMarker(float seconds, bool isStart);
    void UpdateCutPlayRange();
    // Preview sliders; false when the notification must not go on (the subtitle size slider).
    bool OnSliderChanged(SkinUI::TNotifyUI& msg);

    // Encoder runner and the conventions every export shares.
    int RunEncoderWithProgress(EncoderRunRequest request);
    void RunEncoderAndWait(const std::wstring& command);
    std::wstring MakeUniqueOutputPath(const std::wstring& path);
    SkinUI::CUIString MakeUniqueOutputPathUI(const SkinUI::CUIString& path);
    // Puts the entry first in the history (newest first) and saves the history file.
    void RecordHistoryEntry(const std::wstring& sourcePath, const std::wstring& outputPath);
    SkinUI::CUIString RandomDigits(int count);

    // Export jobs; each runs on its own job thread with the copy of the export settings that its
    // launch took when the settings dialog closed, so a later dialog never moves its outputs.
    // A page export job returns its result, and FinishPageExport ends it on the UI thread.
    ExportResult ExportCut(const MediaFileInfo& settings);
    ExportResult ExportSplit(const MediaFileInfo& settings);
    ExportOutcome ExportGif(const MediaFileInfo& settings);

    // Merge export and its pre-conversion pool. The strategies are public so that each can be run
    // on its own; each returns true when its output passes the output check.
    ExportResult ExportMerged(const MediaFileInfo& settings);
    bool MergeInputsShareFormat() const;
    int MergeInputsSizeAgreement() const;
    bool MergeByConcatFilter(const std::wstring& outputPath, bool useConvertedFiles);
    bool MergeByStreamCopy(const std::wstring& outputPath);
    bool MergeConvertedFiles(const std::wstring& outputPath);
    void RunMergePool();
    static int ComputeWorkerCount();
    void ConvertNextMergeInput(MergePoolShares& shares);

    // Adjust export: eq, reverse, rotation and speed passes over m_strAdjustSourcePath.
    ExportResult ExportAdjusted(const MediaFileInfo& settings);

    // Clip-list export: empties m_vecExportQueue, one stage per entry; origin 0 for a row's start
    // button, 1 for "export all".
    void ExportClipList(int origin, const MediaFileInfo& settings);
    void QueueClipExport(const ClipExportEntry& entry);
    bool ExportClipCover(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipMusic(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipWatermark(const ClipExportEntry& entry, const std::wstring& outputPath);
    bool ExportClipSubtitles(const ClipExportEntry& entry, const std::wstring& outputPath);

    // Screenshot page: the thumbnail strip and the export of its frames.
    void BuildScreenshotStrip();
    ExportResult ExportScreenshots(const MediaFileInfo& settings);

    // How files come in: page loading, the preview players, the list rows, dropped files and the
    // related products. UI thread unless a line says otherwise.
    //
    // Media details of a file from the probe and MediaInfo; any thread (each call has its own
    // probe). With startThumbnail a counted worker also makes the page thumbnail, into picture
    // when the caller names one.
    MediaDetails ReadMediaDetails(const std::wstring& path, bool startThumbnail, const std::wstring& picture = {});
    // Saves the file's first frame as a JPEG: for a page into the picture the caller names, else
    // (and always for a list row) into a new "VkFile" picture of the private work folder, with its
    // "@" copy. The picture's path and
    // fitted size come back. Any thread; false, with no encoder run, when the size is unknown,
    // and false when the encoder made no picture.
    bool MakeFirstFrameThumbnail(int width, int height, const std::wstring& source, std::wstring& picture,
                                 bool listRow, ThumbnailSize* fitted = nullptr);
    // The four single-file pages; the caller has stored the path in the page's source member.
    void LoadCutPageFile(const std::wstring& path);
    void LoadSplitPageFile(const std::wstring& path);
    void LoadAdjustPageFile(const std::wstring& path);
    void LoadScreenshotPageFile(const std::wstring& path);
    void NoteSourceName(const std::wstring& path);  // the export's name and format from the loaded file

    // Preview players. Opens run on counted workers, one at a time per player: a newer request
    // replaces an older one that has not started, and an end of media already being answered
    // starts no second reopen. Events are acted on only when they come from the selected page's
    // player and that player still exists.
    void OpenPagePlayer(SkinUI::CControlUI* player, const std::wstring& path);
    void ReopenPlayer(SkinUI::CControlUI* player, std::wstring path);  // worker thread
    // Opens the player here and now (UI thread), once an open of it that is running has ended;
    // opens of it still waiting are dropped, this one being newer.
    void OpenPlayerNow(SkinUI::CControlUI* player, const std::wstring& path, int permille, const std::string& filter);
    // The preview's play and pause buttons as it plays (pause shows) or stands (play shows).
    void ShowPreviewPlaying(SkinUI::CControlUI* player, bool playing);
    void OnPlayerPosition(WPARAM player);
    void OnPlayerEndReached(WPARAM player);
    // The subtitle preview at t ms: each timed text item shows only inside its times; the selected
    // item, while shown, brings the style controls and the time edits in line with it.
    void ShowTextItemsAt(long long t);
    void FollowSelectedTextItem(const TextItem& item);
    static constexpr UINT_PTR kTimerAdjustAfterReopen = 1150;

    // List rows of the merge, GIF and multi-clip pages. Each page has its own queue of pending
    // files under its own lock: AppendPendingFiles adds to it, StartRowBuilder starts the page's
    // builder unless it runs (the busy flag is taken before the thread starts). The builder
    // probes and makes thumbnails on its worker until the queue is empty; the rows are built,
    // filled and added on the UI thread, in queue order.
    enum class RowPage { Merge, Gif, Clip };
    void AppendPendingFiles(RowPage page, const std::vector<std::wstring>& paths);
    void StartRowBuilder(RowPage page);
    // Shows the page's list in place of its placeholder.
    void ShowRowList(RowPage page);
    void UpdateMergeLinkIcons();
    size_t PendingFileCount(RowPage page);

    // Files dropped on the window (WM_DROPFILES): what the selected page does with them.
    LRESULT OnDropFiles(HDROP drop);

    // The related-products buttons: open the product when the per-user registry names its
    // program, else its page in the desktop's browser.
    void OnRelatedProductButton1();
    void OnRelatedProductButton2();


    // File and text utilities; any thread.
    static bool FileExists(const std::wstring& path);
    static void SplitFileName(SkinUI::CUIString& path, SkinUI::CUIString& extension);
    static void SplitFileNameW(std::wstring& path, std::wstring& extension);
    static void SplitFileNameW(std::wstring& path, SkinUI::CUIString& extension);
    static std::wstring FormatDuration(std::wstring seconds);
    static void MakeEvenSize(SkinUI::CUIString& width, SkinUI::CUIString& height);
    static void MakeEvenSizeW(std::wstring& width, std::wstring& height);
    static int ListFolderFiles(const std::wstring& folder, std::vector<std::wstring>& list, bool folders,
                               bool oneLevelDeeper);
    static std::wstring ListInstalledFonts();
    void CloseOverlayWindows();
    void ShowOverlayWindows(bool show);

    // The export history file (Config/History.xml in the data folder), newest first.
    std::wstring HistoryFilePath() const;
    void LoadHistory();
    bool SaveHistory();

    // The running job's progress window: set by the launcher, closed once by whoever finishes
    // first (job, runner or cancel), by posting WM_CLOSE to the handle through the UI thread.
    void SetProgressWindow(CShowProgress* window, HWND handle);
    void CloseProgressWindow();
    // A job's question or message in the message dialog, owned by this window and shown by the UI
    // thread while the asking thread waits; 1 = fifth text.
    // The progress window's cancel: stops the page export it shows and ends that export's
    // encoder at once; the GIF and clip lists run on.
    void CancelPageExport();
    int AskUser(const std::wstring& message, const std::wstring& fourthText, const std::wstring& fifthText);
    // The running page export's encoder (the runner registers it, and clears it before reaping
    // it), so that the progress window's cancel stops that encoder and no other.
    void SetPageEncoder(HANDLE process);
    bool StopPageEncoder();
    void AddGifToQueue(const GifListItem& item);
    // A row's export pressed while its list's job may run: true when the running job took the
    // item; false when no job is taking items any more, and then the caller launches one. This
    // and the job's "no more items, finish" are one step under the queue's lock, so an item is
    // never left in a queue that nobody works through.
    bool OfferGifToRunningJob(const std::vector<GifListItem>& items);
    bool OfferClipToRunningJob(const std::vector<ClipExportEntry>& entries);
    void ClearGifQueue();
    void ClearClipQueue();
    // A row deleted from its list: its items still waiting in the queue are taken out under the
    // queue's lock, so the running job never writes them.
    void RemoveQueuedGif(const std::wstring& rowName);
    void RemoveQueuedClip(const std::wstring& clipPath);
    // Clearing a list: stops its job and waits (bounded) until the job has let go of its rows
    // and removed its partial output; true when no job is left inside.
    bool StopGifJob(int timeoutMs);
    bool StopClipJob(int timeoutMs);
    // The row views the list jobs hold; made on first use, kept for the window's lifetime.
    ListRowViews& RowViews();
    std::vector<HistoryRecord> HistorySnapshot() const;
    // Empties the history under its lock (the history window's "Clear"), safe while jobs append.
    void ClearHistory();

    // Bound controls: one member per name of BoundControls.h, null until BindControls.
#define QUILL_DECLARE_BOUND(name, iface) SkinUI::CControlUI* m_p##name { nullptr };
    QUILL_MAINWND_BOUND_CONTROLS(QUILL_DECLARE_BOUND)
#undef QUILL_DECLARE_BOUND

    // Overlay windows and their saved places.
    RECT m_rcCover {};
    RECT m_rcConceal {};
    HWND m_hConceal { nullptr };  // the cut page's crop frame window
    HWND m_hCover { nullptr };    // the cut page's crop mask window
    POINT m_ptCoverOffset {};     // each window's corner minus the cut player's, taken at a caption press
    POINT m_ptConcealOffset {};
    uint8_t m_bCropByUser { 1 };
    uint8_t m_bCropFromEdits { 0 };
    CChildWnd* m_pWatermarkWnd { nullptr };  // the watermark overlay while it exists; it clears this when it goes
    SkinUI::CWindowWnd* m_pTextLayerWnd { nullptr };  // the text-item layer while it exists
    int m_nSubPagePicWidth { 0 };   // the picture in the watermark and subtitle previews
    int m_nSubPagePicHeight { 0 };
    SkinUI::CControlUI* m_pRenameButton { nullptr };  // the list row whose name is being edited

    // Jobs, libraries and counters.
    testdll::SDKInstance m_httpLibrary;  // the HTTP helper library; never unloaded
    bool m_bHttpLibraryTried { false };  // loaded on first use (HttpFunction), once
    int m_nTextItemIndex { 1000 };       // raised before each use: the first item is "Index1001"
    HDC m_hWindowDC { nullptr };
    SkinUI::CUIString m_strAvatarFile;
    int m_clrPalette { -1 };
    std::wstring m_strCutFile;    // source of the cut page
    std::wstring m_strSplitFile;  // source of the split page
    // The split source's own first-frame picture in the private work folder, which the split rows
    // show: a new file for every source, so no other page's file can take its place.
    std::wstring m_strSplitThumbnail;
    std::wstring m_strAdjustSourcePath;  // source of the adjust page
    int m_nAdjustSourceMs { 0 };         // its duration in milliseconds

    // Encoder and working folders.
    SkinUI::CUIString m_strEncoder;       // the encoder program
    SkinUI::CUIString m_strEncoderExtra;  // extra encoder options ("" or " -max_muxing_queue_size 34500 ")
    uint8_t m_bLegacyEncoder { 0 };
    std::wstring m_strTempFolder;         // the drive's temporary work folder "ZaDaro"
    std::wstring m_strOutFolder;          // the output folder
    std::vector<SkinUI::CUIString> m_vecChosenFiles;  // the last dialog's paths, for the row builders

    // Running job and the GIF list.
    std::atomic<CShowProgress*> m_pProgressWnd { nullptr };
    std::atomic<HWND> m_hProgressWnd { nullptr };
    std::atomic<uint8_t> m_bGifRunning { 0 };
    std::vector<GifListItem> m_vecGifQueue;  // waiting items, the job takes the first; m_gifQueueLock
    std::atomic<uint8_t> m_bClipRunning { 0 };
    std::vector<ClipExportEntry> m_vecExportQueue;  // waiting entries, the job takes the first; m_clipQueueLock
    std::atomic<uint8_t> m_bMergeRowsBusy { 0 };
    std::atomic<uint8_t> m_bGifRowsBusy { 0 };
    std::atomic<uint8_t> m_bClipRowsBusy { 0 };

    // Multi-clip page, history and text items.
    ClipRecord m_clipItem;
    std::vector<ClipRecord> m_vecClips;
    HistoryRecord m_historyItem;              // guarded by m_historyLock
    std::vector<HistoryRecord> m_vecHistory;  // guarded by m_historyLock, newest first
    std::atomic<float> m_fJobPercent { 0 };
    TextItem m_textItem;                      // the form of the next inserted text item
    std::vector<TextItem> m_vecTextItems;
    uint8_t m_bSubtitleClampOff { 0 };       // set while the text layer fills the subtitle time edits

    // View state.
    int m_nDpi { 96 };
    std::atomic<uint8_t> m_bPlayerReady { 1 };
    uint8_t m_bMaximized { 0 };
    int m_nPreviewHeight { 0 };  // the normal layout's preview box (360 x 977 scaled by the DPI)
    int m_nPreviewWidth { 0 };
    MediaProbe m_probe;
    CPlayerUI* m_pLastPlayer { nullptr };  // the player CreateControl made last
    HWND m_hMediaWnd { nullptr };          // its output window
    int m_nCutVolume { 100 };
    std::wstring m_strAppFolder;   // program folder, ending with a separator; read only
    std::wstring m_strDataFolder;  // per-user folder for the files the editor writes, ending with a separator
    PlayRangeTexts m_playRange;
    std::vector<PlayRangeTexts> m_vecPlayRanges;
    MediaFileInfo m_exportInfo;   // export settings: output name, size, format and folder
    SkinUI::CUIString m_strCutDuration;  // "hh:mm:ss" of the cut page's file
    int m_nCutDurationMs { 0 };
    uint8_t m_bCutLoaded { 0 };

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

    // Incoming files: page details, thumbnails, players and list rows.
    std::wstring m_strAdjustWidth;  // the adjust page's picture size
    std::wstring m_strAdjustHeight;
    int m_nCutLength { 0 };         // the cut range's duration in milliseconds
    SkinUI::CUIString m_strCutDurationMs;  // the cut file's duration in milliseconds, as text
    std::wstring m_strCropMaxWidth;  // the cut file's even-sized picture, the largest crop
    std::wstring m_strCropMaxHeight;
    RECT m_rcCropOverlay {};         // where the crop overlay pair lies on the screen
    std::wstring m_strClipFile;      // the clip whose sub-page is open
    std::wstring m_strClipWidth;     // its picture size texts, from its row or its replacement
    std::wstring m_strClipHeight;
    bool m_bCoverSaving { false };   // the cover save's encoder runs are under way
    std::unique_ptr<SkinUI::CWindowWnd> m_textLayer;  // owns the text layer m_pTextLayerWnd names
    std::wstring m_strSubtitleFile;  // the subtitle file taken instead of typed items
    int m_nClipSubpage { 0 };        // 0 subtitle, 1 watermark, 2 cover, 3 music
    GifListItem m_gifItem;
    std::vector<GifListItem> m_vecGifRows;  // one per GIF row, in row order
    MediaFileInfo m_clipInfo;
    std::vector<MediaFileInfo> m_vecClipInfos;  // one per clip row, in row order
    std::wstring m_strGifWidth, m_strGifHeight, m_strMergeWidth, m_strMergeHeight;
    SkinUI::CDialogBuilder m_builderClipRow;
    SkinUI::CDialogBuilder m_builderMergeRow;
    SkinUI::CDialogBuilder m_builderGifRow;

    // The controls the jobs read and the rows they drive; null until the pages are bound.
    ExportPageView* m_pPageView { nullptr };
    std::unique_ptr<BoundPageView> m_boundView;  // the pages over the controls, made at the first export
    MergeListView* m_pMergeList { nullptr };  // the merge page's list "VideoMergeL"
    ScreenshotListView* m_pScreenshotList { nullptr };  // the screenshot page's list "ListScreen"

    // Screenshot page: its video and size, and the thumbnails taken so far.
    std::wstring m_strScreenshotSource;
    std::wstring m_strScreenshotWidth;
    std::wstring m_strScreenshotHeight;
    std::atomic<int> m_nScreenshotCounter { 0 };  // numbers the thumbnail files; never reset
    std::vector<float> m_vecScreenshotTimes;  // every thumbnail's time in seconds

    // Merge state: written by the merge job before its pool starts, read by the workers.
    int m_nMergeWorkerCount { ComputeWorkerCount() };
    int m_nMergeTotalSeconds { 0 };
    int m_nMergeSizeAgreement { 2 };
    uint8_t m_bMergeSameFormat { 0 };
    MediaFileInfo m_mergeSettings;  // the running merge's settings, for its strategies and pool
    int m_nMergeNextRow { 0 };  // guarded by m_csMergeLock
    std::mutex m_csMergeLock;

    // The account library's client, owned by the window, and the signed-in account.
    AccountClient* m_pAccount { nullptr };
    std::unique_ptr<AccountClient> m_account;
    AccountLogonInfo m_accountInfo;

    // Edit-sync flags: 0 while a marker drag writes the page's time edits, so the edits do not
    // move the markers back.
    uint8_t m_bCutSync { 1 };
    uint8_t m_bShotSync { 1 };
    uint8_t m_bMusicSync { 1 };
    uint8_t m_bSubtitleSeekOff { 0 };   // the subtitle page resets its times without seeking
    // Page durations that the loaders set: "hh:mm:ss" texts and whole milliseconds.
    SkinUI::CUIString m_strShotDuration;
    SkinUI::CUIString m_strSubpageDuration;
    SkinUI::CUIString m_strSubpageDurationMs;  // the clip's tenths digit
    int m_nShotDuration { 0 };
    int m_nClipDuration { 0 };
    int m_nAdjustDuration { 0 };
    std::wstring m_strAspect;  // the adjust file's own display aspect, "w:h"
    // The last focused edit of each stepped group, for the spin buttons.
    SkinUI::CControlUI* m_pSplitFocus { nullptr };
    SkinUI::CControlUI* m_pCoverFocus { nullptr };
    SkinUI::CControlUI* m_pMusicFocus { nullptr };
    SkinUI::CControlUI* m_pMusicPlaceFocus { nullptr };
    SkinUI::CControlUI* m_pMusicPlaceEndFocus { nullptr };
    SkinUI::CControlUI* m_pSubtitleStartFocus { nullptr };
    SkinUI::CControlUI* m_pSubtitleEndFocus { nullptr };
    bool m_bSubtitleStartLast { true };  // the subtitle time the user changed last
    SkinUI::CControlUI* m_pColorTarget { nullptr };    // the swatch that opened the colour window
    SkinUI::CControlUI* m_pEditedClipRow { nullptr };  // the clip row whose sub-page is open
    struct MusicPlacement {
        bool hasSaved { false };
        int clipVolume { 100 };
        int musicVolume { 100 };
        std::vector<std::wstring> texts;
    } m_pendingMusicPlacement;

    // Pages: the remembered marker rectangles of the cut page, the end handle's limit rectangle
    // and the adjust page's pending re-application of aspect and speed after a rotation.
    RECT m_rcMarkers[2] {};
    int m_nRotationReapply { 0 };
    RECT m_rcPictureTiled {};  // the picture watermark's rectangle when it was tiled

private:
    bool RunStopRequested(const EncoderRunRequest& request) const;
    void PublishProgress(const EncoderRunRequest& request, float percent);
    void ShowOutputInFileManager(const std::wstring& path);
    ExportResult CancelCut(const std::wstring& outputPath, const std::wstring& tempPath);
    ExportResult FinishCut(const std::wstring& sourcePath, const std::wstring& outputPath, bool written);

    SkinUI::CControlUI* CreatePlayer();
    SkinUI::CControlUI* CreateEditorControl(const wchar_t* tag);
    SkinUI::CControlUI* FindBoundControl(const wchar_t* name, const wchar_t* iface);
    void CreateWorkFolders();
    void OnCaptionPress(LPARAM lParam);
    void CommitRename(LPARAM lParam);
    LRESULT OnMainWindowMoved();
    bool KeyPassesFilter(WPARAM key) const;
    bool CharPassesFilter(WPARAM ch) const;
    bool FreeTextEditHasFocus() const;
    void NoteCropTyping();
    bool OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void RequestAvatar(const std::wstring& file);
    // A function of the HTTP helper library, which the first call loads and initialises: it brings
    // libcurl and its TLS libraries, which a run that downloads nothing need not load. Null when
    // the library or the function is missing.
    void* HttpFunction(const char* name);
    bool IsCutTabSelected() const;
    void DeleteWorkFiles();

    std::mutex m_pageEncoderLock;
    HANDLE m_hPageEncoder { nullptr };  // guarded by m_pageEncoderLock

    struct RowFacts;
    struct PendingRows {
        std::mutex lock;
        std::deque<std::wstring> paths;  // guarded by lock
    };
    struct PlayerSlot;
    PendingRows& PendingFor(RowPage page);
    std::atomic<uint8_t>& RowsBusyFlag(RowPage page);
    void BuildRows(RowPage page);  // worker
    void AddListRow(const RowFacts& facts);
    void FillGifRow(SkinUI::CControlUI* row, const RowFacts& facts);
    void FillMergeRow(SkinUI::CControlUI* row, const RowFacts& facts);
    void FillClipRow(SkinUI::CControlUI* row, const RowFacts& facts);
    void ShowClipFile(SkinUI::CControlUI* row, const RowFacts& facts);  // the row and m_clipInfo show the file
    void FillRowDetails(SkinUI::CControlUI* info, const RowFacts& facts);
    std::shared_ptr<PlayerSlot> SlotFor(SkinUI::CControlUI* player);
    // Runs the step in turn with the player's opens, but only while no file has been asked of the
    // player yet (every request counts itself in the slot, on the UI thread, before its open runs);
    // true when it ran.
    bool RunWhilePlayerUnasked(SkinUI::CControlUI* player, const std::function<void()>& step);
    void StartPlayerOpen(SkinUI::CControlUI* player, std::wstring path, std::string option, bool reopen);
    // Waits, serving the window's messages, until a page job that is still ending has ended; false
    // when it has not within the workers' wait, or the window or the program is going meanwhile.
    bool AwaitEndingPageJob();
    void ApplyAdjustAfterReopen();
    void LayCutOverlay();
    bool DropOnPage(const std::wstring& name, bool& endHandling);
    void OpenRelatedProduct(int product);

    PendingRows m_mergePending;
    PendingRows m_gifPending;
    PendingRows m_clipPending;
    std::atomic<bool> m_bClosing { false };  // set at shut-down: row builders stop early
    std::mutex m_playerSlotLock;
    std::map<SkinUI::CControlUI*, std::shared_ptr<PlayerSlot>> m_playerSlots;  // guarded by m_playerSlotLock

    struct UiTask {
        std::chrono::steady_clock::time_point due;  // exact: a due time in whole ticks could run a task early
        std::function<void()> run;
    };
    // The first due task in posting order, taken out of the queue (empty when none is due), and
    // the milliseconds until the next one that waits (0: none waits).
    std::function<void()> TakeDueUiTask(DWORD& nextWait);
    void DropUiTasks();
    std::mutex m_uiTaskLock;
    std::vector<UiTask> m_vecUiTasks;  // guarded by m_uiTaskLock
    mutable std::mutex m_historyLock;
    std::mutex m_gifQueueLock;
    std::mutex m_clipQueueLock;
    // List jobs inside their run (guarded by the queue's lock); a clear waits until none is left.
    int m_nGifJobsInside { 0 };
    int m_nClipJobsInside { 0 };
    std::condition_variable m_gifJobLeft;
    std::condition_variable m_clipJobLeft;
    std::unique_ptr<ListRowViews> m_listViews;
    mutable std::mutex m_workerLock;
    std::condition_variable m_workersEnded;
    std::condition_variable m_closingStarted;  // wakes SleepUnlessClosing; with m_workerLock
    int m_nWorkers { 0 };  // guarded by m_workerLock
    // Page jobs (the ones that share CancelFlag) from their start until the UI thread has finished
    // them, which may be after a cancel closed their window; and, UI thread only, whether a launch
    // is waiting for them.
    std::atomic<int> m_nPageJobs { 0 };
    bool m_bAwaitingPageJob { false };
    DWORD m_dwDpiTick { 0 };
    bool m_bDpiTickSet { false };
    bool m_bShutDown { false };  // UI thread: the window is going (quit confirmed, or being destroyed)
    bool m_bWarmUpStarted { false };
    int m_nAvatarRequestedFor { 0 };  // the user id whose picture was asked for this run
};

// One export button's launch: its settings dialog, whether a progress window shows, what a
// cancelled dialog puts back, and the job. The table is in MainWndExportLaunch.cpp.
struct ExportLaunch {
    const wchar_t* button;
    const wchar_t* mode;           // the settings dialog's mode
    const wchar_t* dialogTitle;
    const wchar_t* progressTitle;  // null: the job shows its progress in its list rows
    bool cutOverlays;              // hide the crop pair for the dialog, show it again on cancel
    const wchar_t* presetName;     // written into the settings' name before the dialog, or null
    std::atomic<uint8_t> CMainWnd::*runningFlag;  // a row job's own stop state (set = runs), or null
    std::function<void(CMainWnd&, const MediaFileInfo&)> rowJob;  // on the job's own thread
    std::function<ExportResult(CMainWnd&, const MediaFileInfo&)> pageJob;  // the same, then FinishPageExport
};

// The cut picture inside the preview box (screen rectangle): a picture wider than 2.731 that
// fits the box's width fills it and is centred vertically, every other fills its height and is
// centred horizontally. An empty rectangle at the origin without an aspect.
RECT FitCutPicture(double aspect, int boxWidth, int boxHeight, POINT origin);

// The cut page's time fields for one playback time: "%02d" hours, minutes and seconds, and the
// last three digits of the milliseconds, empty below 100 ms (the field then keeps its text).
struct CutTimeTexts {
    std::wstring hours, minutes, seconds, milliseconds;
};
CutTimeTexts CutTimeTextsAt(int64_t ms);

// Whether a bound control answers the interface its entry names ("Player" is the media player).
bool ControlHasInterface(SkinUI::CControlUI* control, const wchar_t* iface);

// Set by the constructor: the one main window of the process.
extern CMainWnd* MainWindowPointer;
