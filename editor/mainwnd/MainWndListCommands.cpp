// The merge, GIF and multi-clip pages' buttons and their rows' buttons: adding files and folders,
// renaming a row's output in place, removing and moving rows, clearing a list, opening an output,
// and the exports of the three lists.
//
// The GIF and clip-list exports show their progress in their rows, and a row's export pressed
// while such a job runs hands the row to that job. Clearing a list stops its job and waits for it
// to let go before the rows go; the job's rows are reached only through views that look the row
// up again on the UI thread, so a removed row is never touched.

#include <algorithm>
#include <chrono>
#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/WaterTextUI.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/OutputName.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/PageMedia.h"
#include "platform/Windows.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kRowNotSetNotice = L"抱歉！您未进行添加设置请先进行添加设置\n";
constexpr const wchar_t* kNoneSetNotice = L"抱歉！您未进行添加设置请先进行添加设置！\n";
// Clearing a list waits this long at most for its job to stop its encoder and remove its file.
constexpr int kJobStopWaitMs = 10000;

using RowPage = CMainWnd::RowPage;

// Items join a list export's queue only while it runs, under the queue's lock, so that an item is
// either taken by the running export or starts a new one.
template <class Item>
bool AppendWhileRunning(std::mutex& lock, const std::atomic<uint8_t>& running, std::vector<Item>& queue,
                        const std::vector<Item>& items)
{
    std::lock_guard guard(lock);
    if (!running)
        return false;
    queue.insert(queue.end(), items.begin(), items.end());
    return true;
}

template <class Item, class Matches>
void RemoveWaiting(std::mutex& lock, std::vector<Item>& queue, Matches matches)
{
    std::lock_guard guard(lock);
    queue.erase(std::remove_if(queue.begin(), queue.end(), matches), queue.end());
}

// Ends a list export and waits, at most `timeoutMs`, until its job has let go of its rows.
template <class Item>
bool StopListJob(std::mutex& lock, std::atomic<uint8_t>& running, std::vector<Item>& queue,
                 std::condition_variable& left, const int& inside, int timeoutMs)
{
    std::unique_lock guard(lock);
    running = 0;
    queue.clear();  // its rows are going: a later export starts from an empty queue
    return left.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&inside] { return inside == 0; });
}

RowPage SelectedListPage(CMainWnd& main)
{
    return IsChecked(main.m_ptabGIF) ? RowPage::Gif : IsChecked(main.m_ptabAdd) ? RowPage::Clip : RowPage::Merge;
}

std::wstring UserData(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetUserData().GetData()) : std::wstring();
}

// The list goes back to its empty state: placeholder shown, list and bottom bar hidden.
void ShowEmptyState(SkinUI::CControlUI* placeholder, SkinUI::CControlUI* list, SkinUI::CControlUI* footer)
{
    Show(placeholder, true);
    Show(list, false);
    Show(footer, false);
    // The page's work area that holds the list goes with it.
    if (list && placeholder && list->GetParent() && list->GetParent() != placeholder->GetParent())
        list->GetParent()->SetVisible(false);
}

// ---- adding ----

void AddFiles(CMainWnd& main, SkinUI::CControlUI*)
{
    const size_t before = main.m_vecChosenFiles.size();
    const std::wstring last = main.ChooseMediaFiles(true).GetData();
    std::vector<std::wstring> chosen;
    for (size_t i = before; i < main.m_vecChosenFiles.size(); ++i)
        if (!(IsVideoFileName(main.m_vecChosenFiles[i].GetData()) && IsRefusedVideoFormat(main.m_vecChosenFiles[i].GetData())))
            chosen.emplace_back(main.m_vecChosenFiles[i].GetData());
    main.m_vecChosenFiles.resize(before);
    const RowPage page = SelectedListPage(main);
    // Refused files are left out; the others wait for the next builder run.
    main.AppendPendingFiles(page, chosen);
    if (last.empty() || main.RefuseVideoFormat(last))
        return;
    main.ShowRowList(page);
    main.StartRowBuilder(page);
    if (page == RowPage::Gif && main.m_pVideoGif)
        main.m_pVideoGif->NeedParentUpdate();
}

void AddFolder(CMainWnd& main, SkinUI::CControlUI*)
{
    const size_t before = main.m_vecChosenFiles.size();
    main.ChooseFolder();
    if (main.m_vecChosenFiles.size() > before)
        main.ShowRowList(SelectedListPage(main));
    main.m_vecChosenFiles.resize(before);
}

// ---- clearing and removing ----

void ClearList(CMainWnd& main, SkinUI::CControlUI*)
{
    SkinUI::IContainerUI* rows = nullptr;
    switch (SelectedListPage(main)) {
    case RowPage::Gif:
        main.StopGifJob(kJobStopWaitMs);
        if ((rows = RowsOf(main.m_pVideoGif)))
            rows->RemoveAll();
        ShowEmptyState(main.m_pVideoVerGif, main.m_pVideoGif, main.m_phorGifInfo);
        main.m_vecGifRows.clear();
        return;
    case RowPage::Clip:
        main.StopClipJob(kJobStopWaitMs);
        if ((rows = RowsOf(main.m_pVideoAddfileL)))
            rows->RemoveAll();
        ShowEmptyState(main.m_pVideoAddfile, main.m_pVideoAddfileL, main.m_pHorAddfileOut);
        main.m_vecClips.clear();
        main.m_vecClipInfos.clear();
        return;
    case RowPage::Merge:
        if ((rows = RowsOf(main.m_pVideoMergeL)))
            rows->RemoveAll();
        ShowEmptyState(main.m_pVideoMergeAddFile, main.m_pVideoMergeL, main.m_pHorOut);
        return;
    }
}

void RemoveMergeRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoMergeL);
    if (rows == nullptr || !rows->Remove(RowOfButton(sender)))
        return;
    if (rows->GetCount() == 0)
        ShowEmptyState(main.m_pVideoMergeAddFile, main.m_pVideoMergeL, main.m_pHorOut);
    main.UpdateMergeLinkIcons();
}

// A move past either end keeps the order: the row stays where it is.
void MoveMergeRow(CMainWnd& main, SkinUI::CControlUI* sender, int step)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoMergeL);
    SkinUI::CControlUI* row = RowOfButton(sender);
    if (rows == nullptr || row == nullptr)
        return;
    const int to = rows->GetItemIndex(row) + step;
    if (to >= 0 && to < rows->GetCount())
        rows->SetItemIndex(row, to);
    main.UpdateMergeLinkIcons();
}

void RemoveGifRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::CControlUI* row = RowOfButton(sender);
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoGif);
    const std::wstring tag = UserData(RowChild(row, { 2, 4, 0, 0 }));
    if (rows == nullptr || !rows->Remove(row))
        return;
    main.RemoveQueuedGif(tag);
    if (rows->GetCount() == 0)
        ShowEmptyState(main.m_pVideoVerGif, main.m_pVideoGif, main.m_phorGifInfo);
    for (auto item = main.m_vecGifRows.begin(); item != main.m_vecGifRows.end(); ++item)
        if (std::wstring(item->rowName.GetData()) == tag) {
            main.m_vecGifRows.erase(item);
            break;
        }
}

void RemoveClipRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::CControlUI* row = RowOfButton(sender);
    const std::wstring path = UserData(row);
    for (auto record = main.m_vecClips.begin(); record != main.m_vecClips.end(); ++record)
        if (std::wstring(record->path.GetData()) == path) {
            main.m_vecClips.erase(record);
            break;
        }
    for (auto info = main.m_vecClipInfos.begin(); info != main.m_vecClipInfos.end(); ++info)
        if (std::wstring(info->path.GetData()) == path) {
            main.m_vecClipInfos.erase(info);
            break;
        }
    SkinUI::IContainerUI* rows = RowsOf(main.m_pVideoAddfileL);
    if (rows == nullptr || !rows->Remove(row))
        return;
    main.RemoveQueuedClip(path);
    if (rows->GetCount() == 0)
        ShowEmptyState(main.m_pVideoAddfile, main.m_pVideoAddfileL, main.m_pHorAddfileOut);
}

void OpenOutput(CMainWnd&, SkinUI::CControlUI* sender)
{
    const std::wstring parameters = L" /select, \"" + UserData(sender) + L"\"";
    ::ShellExecuteW(nullptr, L"open", L"explorer", parameters.c_str(), nullptr, SW_SHOWDEFAULT);
}

// ---- GIF and clip-list exports ----

// How a list's export reaches its job (hand items to the running job, empty the queue, queue one
// item) and how its rows show that they wait and that they are ready again.
template <typename Item>
struct RowExport {
    bool (CMainWnd::*offerToRunningJob)(const std::vector<Item>&);
    void (CMainWnd::*clearQueue)();
    void (CMainWnd::*queue)(const Item&);
    void (*showWaiting)(SkinUI::CControlUI* row);
    void (*showReady)(SkinUI::CControlUI* row);
};

// The rows' items go to their list's running job, or start the export `launch` with a queue of
// just these. A cancelled dialog takes back what it queued: a later export must not convert these
// rows, which are ready again.
template <typename Item>
void ExportRows(CMainWnd& main, const RowExport<Item>& list, const std::vector<Item>& items,
                const std::vector<SkinUI::CControlUI*>& rows, const wchar_t* launch)
{
    for (SkinUI::CControlUI* row : rows)
        list.showWaiting(row);
    if ((main.*list.offerToRunningJob)(items))
        return;
    (main.*list.clearQueue)();
    for (const Item& item : items)
        (main.*list.queue)(item);
    if (main.LaunchExport(launch))
        return;
    (main.*list.clearQueue)();
    for (SkinUI::CControlUI* row : rows)
        list.showReady(row);
}

constexpr wchar_t kRowPercentAtStart[] = L"00.00%";

// Column 6 of a GIF or clip row: close, export, open, progress box, (spacer), failure note.
enum RowButton { kRowClose = 0, kRowExport = 1, kRowOpen = 2, kRowProgressBox = 3, kRowFailure = 5 };

SkinUI::CControlUI* RowButtonAt(SkinUI::CControlUI* row, RowButton which)
{
    return RowChild(row, { 2, 6, which });
}

void ShowRowQueued(SkinUI::CControlUI* row)
{
    Show(RowButtonAt(row, kRowExport), false);
    Show(RowButtonAt(row, kRowOpen), false);
    Show(RowButtonAt(row, kRowFailure), false);
    Show(RowButtonAt(row, kRowProgressBox), true);
    SkinUI::CControlUI* percent = RowChild(row, { 2, 6, kRowProgressBox, 0 });
    Show(percent, true);
    if (percent)
        percent->SetText(kRowPercentAtStart);  // not an earlier run's figure
}

void ShowRowReady(SkinUI::CControlUI* row)
{
    Show(RowButtonAt(row, kRowExport), true);
    Show(RowButtonAt(row, kRowOpen), false);
    Show(RowButtonAt(row, kRowProgressBox), false);
    if (SkinUI::CControlUI* fill = RowChild(row, { 0 })) {
        fill->SetFixedWidth(0);
        fill->SetVisible(false);
    }
}

// The queued copy of a GIF row's item: its output name is what the row's name button shows now
// (an in-place rename counts), made safe for a file name.
bool GifQueueItem(CMainWnd& main, SkinUI::CControlUI* row, GifListItem& item)
{
    SkinUI::CControlUI* nameButton = RowChild(row, { 2, 4, 0, 0 });
    const std::wstring tag = UserData(nameButton);
    for (const GifListItem& listed : main.m_vecGifRows) {
        if (tag.empty() || std::wstring(listed.rowName.GetData()) != tag)
            continue;
        item = listed;
        item.outputName = SafeOutputName(nameButton->GetText().GetData(), listed.outputName.GetData()).c_str();
        return true;
    }
    return false;
}

constexpr RowExport<GifListItem> kGifExport { &CMainWnd::OfferGifToRunningJob, &CMainWnd::ClearGifQueue,
                                              &CMainWnd::AddGifToQueue, ShowRowQueued, ShowRowReady };

void ExportGifRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::CControlUI* row = RowOfButton(sender);
    GifListItem item;
    if (GifQueueItem(main, row, item))
        ExportRows(main, kGifExport, { item }, { row }, L"VideoGIF");
}

void ExportAllGifs(CMainWnd& main, SkinUI::CControlUI*)
{
    std::vector<GifListItem> items;
    std::vector<SkinUI::CControlUI*> queuedRows;
    for (const GifListItem& listed : main.m_vecGifRows) {
        SkinUI::CControlUI* row = FindGifRowControl(main, listed.rowName.GetData());
        GifListItem item;
        if (row == nullptr || !GifQueueItem(main, row, item))
            continue;
        items.push_back(item);
        queuedRows.push_back(row);
    }
    if (!items.empty())
        ExportRows(main, kGifExport, items, queuedRows, L"AllGif");
}

// ---- clip-list exports ----

void SetSubPageButtonsUsable(SkinUI::CControlUI* row, bool usable)
{
    for (int i = 0; i < 4; ++i)
        if (SkinUI::CControlUI* button = RowChild(row, { 2, 5, i }))
            button->SetMouseEnabled(usable);
}

// The export entries of the clip in this row: one per saved record of its path, with the row's
// size ("resolution" split at "x") and frame rate, and the row's view for the job.
std::vector<ClipExportEntry> ClipEntries(CMainWnd& main, SkinUI::CControlUI* row)
{
    const std::wstring path = UserData(row);
    const std::wstring resolution = UserData(RowChild(row, { 2, 0, 2, 1 }));
    const std::vector<SkinUI::CUIString> size = SplitUIString(resolution.c_str(), L"x");
    const bool splits = size.size() == 2;
    std::wstring frameRate;
    for (const MediaFileInfo& info : main.m_vecClipInfos)
        if (std::wstring(info.path.GetData()) == path)
            frameRate = info.frameRate;
    std::vector<ClipExportEntry> entries;
    for (const ClipRecord& record : main.m_vecClips) {
        if (std::wstring(record.path.GetData()) != path)
            continue;
        ClipExportEntry entry = MakeClipExportEntry(record, splits ? size[0].GetData() : L"", splits ? size[1].GetData() : L"",
                                                    frameRate);
        entry.row = main.RowViews().ClipRow(path, UserData(RowChild(row, { 2 })) == L"mute", resolution);
        entries.push_back(std::move(entry));
    }
    return entries;
}

void ShowClipRowWaiting(SkinUI::CControlUI* row)
{
    ShowRowQueued(row);
    SetSubPageButtonsUsable(row, false);
}

void ShowClipRowReady(SkinUI::CControlUI* row)
{
    ShowRowReady(row);
    Show(RowChild(row, { 2, 6, kRowProgressBox, 0 }), false);
    SetSubPageButtonsUsable(row, true);
}

constexpr RowExport<ClipExportEntry> kClipExport { &CMainWnd::OfferClipToRunningJob, &CMainWnd::ClearClipQueue,
                                                   &CMainWnd::QueueClipExport, ShowClipRowWaiting, ShowClipRowReady };

void ExportClipRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::CControlUI* row = RowOfButton(sender);
    SetSubPageButtonsUsable(row, false);
    const std::vector<ClipExportEntry> entries = ClipEntries(main, row);
    if (entries.empty()) {
        main.ShowNotice(kRowNotSetNotice);
        SetSubPageButtonsUsable(row, true);
        return;
    }
    ExportRows(main, kClipExport, entries, { row }, L"OptimizeStart");
}

void ExportAllClips(CMainWnd& main, SkinUI::CControlUI*)
{
    std::vector<ClipExportEntry> entries;
    std::vector<SkinUI::CControlUI*> queuedRows;
    for (const ClipRecord& record : main.m_vecClips) {
        SkinUI::CControlUI* row = FindClipRowControl(main, record.path.GetData());
        if (row == nullptr || std::find(queuedRows.begin(), queuedRows.end(), row) != queuedRows.end())
            continue;
        for (ClipExportEntry& entry : ClipEntries(main, row))
            entries.push_back(std::move(entry));
        queuedRows.push_back(row);
    }
    if (entries.empty()) {
        main.ShowNotice(kNoneSetNotice);
        return;
    }
    ExportRows(main, kClipExport, entries, queuedRows, L"AllVideoAddExport");
}

// ---- merge export ----

void ExportMerge(CMainWnd& main, SkinUI::CControlUI*)
{
    BoundMergeList& inputs = main.RowViews().Merge();
    inputs.Capture(main);
    if (main.m_pMergeList == nullptr)
        main.m_pMergeList = &inputs;
    main.LaunchExport(L"AllMerge");
}

const PageCommandTable& Commands()
{
    static const PageCommandTable commands = {
        { L"addFile", AddFiles },
        { L"AddMergeFile", AddFiles },
        { L"GIFAddFile", AddFiles },
        { L"addFolder", AddFolder },
        { L"transfrom_Text_pic", StartRowRename },
        { L"clearList", ClearList },
        { L"CloseList", RemoveMergeRow },
        { L"Down", [](CMainWnd& m, SkinUI::CControlUI* s) { MoveMergeRow(m, s, 1); } },
        { L"up", [](CMainWnd& m, SkinUI::CControlUI* s) { MoveMergeRow(m, s, -1); } },
        { L"CloseGifList", RemoveGifRow },
        { L"CloseVideoAdd", RemoveClipRow },
        { L"GifOpen", OpenOutput },
        { L"Open", OpenOutput },
        { L"AllMerge", ExportMerge },
        { L"VideoGIF", ExportGifRow },
        { L"AllGif", ExportAllGifs },
        { L"OptimizeStart", ExportClipRow },
        { L"AllVideoAddExport", ExportAllClips },
    };
    return commands;
}

}  // namespace

void RunListPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunPageCommand(Commands(), main, msg);
}

ListRowViews& CMainWnd::RowViews()
{
    return *m_listViews;
}

bool CMainWnd::OfferGifToRunningJob(const std::vector<GifListItem>& items)
{
    return AppendWhileRunning(m_gifQueueLock, m_bGifRunning, m_vecGifQueue, items);
}

bool CMainWnd::OfferClipToRunningJob(const std::vector<ClipExportEntry>& entries)
{
    return AppendWhileRunning(m_clipQueueLock, m_bClipRunning, m_vecExportQueue, entries);
}

void CMainWnd::ClearGifQueue()
{
    std::lock_guard lock(m_gifQueueLock);
    m_vecGifQueue.clear();
}

void CMainWnd::ClearClipQueue()
{
    std::lock_guard lock(m_clipQueueLock);
    m_vecExportQueue.clear();
}

void CMainWnd::RemoveQueuedGif(const std::wstring& rowName)
{
    RemoveWaiting(m_gifQueueLock, m_vecGifQueue,
                  [&rowName](const GifListItem& item) { return std::wstring(item.rowName.GetData()) == rowName; });
}

void CMainWnd::RemoveQueuedClip(const std::wstring& clipPath)
{
    RemoveWaiting(m_clipQueueLock, m_vecExportQueue,
                  [&clipPath](const ClipExportEntry& entry) { return entry.clipPath == clipPath; });
}

bool CMainWnd::StopGifJob(int timeoutMs)
{
    return StopListJob(m_gifQueueLock, m_bGifRunning, m_vecGifQueue, m_gifJobLeft, m_nGifJobsInside, timeoutMs);
}

bool CMainWnd::StopClipJob(int timeoutMs)
{
    return StopListJob(m_clipQueueLock, m_bClipRunning, m_vecExportQueue, m_clipJobLeft, m_nClipJobsInside, timeoutMs);
}
