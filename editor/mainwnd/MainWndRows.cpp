// The rows of the merge, GIF and multi-clip lists. Each page has its own queue of pending files
// under its own lock. Its builder is a counted worker that takes one path at a time, probes it and
// makes its thumbnail, and hands what it found to the UI thread, where the row is built from the
// page's row skin, filled and added; rows therefore appear in queue order and controls are only
// ever touched on the UI thread. The builder ends when it finds the queue empty, clearing the
// page's busy flag under the queue's lock, so a path added at that moment starts a new builder
// instead of being left behind.

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <filesystem>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/TextFile.h"
#include "media/CommandText.h"
#include "media/MediaProbe.h"
#include "platform/Windows.h"
#include "ui/controls/ListUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/SkinArchiveItem.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kUnsupportedNotice = L"抱歉！此视频文件格式暂不支持。";
constexpr const wchar_t* kDamagedNotice = L"抱歉！此文件可能为损坏文件！\n%s";
constexpr int kRowScrollStep = 100;

std::atomic<int> GifRowCounter { 0 };  // names GIF rows "Gif%d" for the life of the process

void SetUserData(SkinUI::CControlUI* control, const std::wstring& data)
{
    if (control)
        control->SetUserData(data.c_str());
}

uint64_t FileBytes(const std::wstring& path)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(WideToUtf8(EncoderPath(path)), error);
    return error ? 0 : static_cast<uint64_t>(size);
}

int ToInt(const std::wstring& text)
{
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// The row skin's text from the program's skin archive, which carries the row skins with the rest.
std::wstring RowSkinText(const wchar_t* name)
{
    std::vector<BYTE> bytes;
    if (SkinUI::ReadSkinArchiveItem(name, &bytes) != SkinUI::SkinItemResult::Ok)
        return name;  // the builder reports the missing skin
    return WideFromUtf8(std::string(bytes.begin(), bytes.end()));
}

void ScrollToEnd(SkinUI::CControlUI* list)
{
    auto* container = static_cast<SkinUI::CContainerUI*>(list->GetInterface(L"Container"));
    SkinUI::CScrollBarUI* bar = container ? container->GetVerticalScrollBar() : nullptr;
    if (bar)
        bar->SetScrollPos(container->GetCount() * kRowScrollStep);
}

}  // namespace

// What the worker found for one path.
struct CMainWnd::RowFacts {
    RowPage page = RowPage::Merge;
    std::wstring path;
    std::wstring gifRowName;  // GIF page: "Gif%d"
    MediaDetails details;
    bool thumbnailMade = false;
    std::wstring picture;
    ThumbnailSize fitted;
    std::wstring name;        // file name without folder and extension
    std::wstring extension;   // lower case, without the dot
};

CMainWnd::PendingRows& CMainWnd::PendingFor(RowPage page)
{
    return page == RowPage::Merge ? m_mergePending : page == RowPage::Gif ? m_gifPending : m_clipPending;
}

std::atomic<uint8_t>& CMainWnd::RowsBusyFlag(RowPage page)
{
    return page == RowPage::Merge ? m_bMergeRowsBusy : page == RowPage::Gif ? m_bGifRowsBusy : m_bClipRowsBusy;
}

void CMainWnd::AppendPendingFiles(RowPage page, const std::vector<std::wstring>& paths)
{
    PendingRows& pending = PendingFor(page);
    std::lock_guard lock(pending.lock);
    pending.paths.insert(pending.paths.end(), paths.begin(), paths.end());
}

size_t CMainWnd::PendingFileCount(RowPage page)
{
    PendingRows& pending = PendingFor(page);
    std::lock_guard lock(pending.lock);
    return pending.paths.size();
}

void CMainWnd::StartRowBuilder(RowPage page)
{
    if (RowsBusyFlag(page).exchange(1))
        return;  // the running builder takes the new paths too
    StartWorker([this, page] { BuildRows(page); });
}

void CMainWnd::ShowRowList(RowPage page)
{
    struct Parts { SkinUI::CControlUI* placeholder; SkinUI::CControlUI* list; SkinUI::CControlUI* footer; };
    const Parts parts = page == RowPage::Merge ? Parts { m_pVideoMergeAddFile, m_pVideoMergeL, m_pHorOut }
        : page == RowPage::Gif               ? Parts { m_pVideoVerGif, m_pVideoGif, m_phorGifInfo }
                                             : Parts { m_pVideoAddfile, m_pVideoAddfileL, m_pHorAddfileOut };
    if (parts.placeholder)
        parts.placeholder->SetVisible(false);
    for (SkinUI::CControlUI* control : { parts.list, parts.footer }) {
        if (control == nullptr)
            continue;
        control->SetVisible(true);
        if (control->GetParent() && control->GetParent() != parts.placeholder->GetParent())
            control->GetParent()->SetVisible(true);  // the page's work area that holds the list
    }
}

void CMainWnd::BuildRows(RowPage page)
{
    PendingRows& pending = PendingFor(page);
    for (;;) {
        RowFacts facts;
        facts.page = page;
        {
            std::lock_guard lock(pending.lock);
            if (pending.paths.empty() || m_bClosing) {
                RowsBusyFlag(page) = 0;  // under the lock: an appender now starts a new builder
                return;
            }
            facts.path = pending.paths.front();
            pending.paths.pop_front();
            if (IsRefusedVideoFormat(facts.path)) {
                pending.paths.clear();  // the batch ends here
                PostUiTask([this] { ShowNotice(kUnsupportedNotice); });
                continue;
            }
        }
        if (!IsVideoFileName(facts.path.c_str()))
            continue;
        if (page == RowPage::Gif)
            facts.gifRowName = FormatWide(L"Gif%d", ++GifRowCounter);
        facts.details = ReadMediaDetails(facts.path, false);
        // A file that is no readable video fails as a thumbnail would, without an encoder run.
        facts.thumbnailMade = MediaProbe::HasVideoStream(facts.path)
            && MakeFirstFrameThumbnail(ToInt(facts.details.width), ToInt(facts.details.height), facts.path,
                                       facts.picture, true, &facts.fitted);
        facts.name = facts.path;
        SplitFileNameW(facts.name, facts.extension);
        PostUiTask([this, facts = std::move(facts)] { AddListRow(facts); });
    }
}

void CMainWnd::ShowNotice(const std::wstring& text)
{
    CMessageWnd::Ask(m_hWnd, text, L"", L"", L"确定");
}

void CMainWnd::ShowDamagedNotice(const std::wstring& shownName)
{
    ShowNotice(FormatWide(kDamagedNotice, shownName.c_str()));
}

void CMainWnd::AddListRow(const RowFacts& facts)
{
    SkinUI::CControlUI* list = facts.page == RowPage::Merge ? m_pVideoMergeL
        : facts.page == RowPage::Gif                       ? m_pVideoGif
                                                            : m_pVideoAddfileL;
    auto* rows = list ? static_cast<SkinUI::IContainerUI*>(list->GetInterface(L"IContainer")) : nullptr;
    if (rows == nullptr)
        return;
    if (facts.page == RowPage::Clip) {
        for (int i = 0; i < rows->GetCount(); ++i)
            if (std::wstring(rows->GetItemAt(i)->GetUserData().GetData()) == facts.path)
                return;  // a clip is listed once
    }
    if (!facts.thumbnailMade) {
        const std::wstring shown = facts.page == RowPage::Merge && !facts.extension.empty()
            ? facts.name + L"." + facts.extension
            : facts.name;
        ShowDamagedNotice(shown);
        return;
    }
    SkinUI::CDialogBuilder& builder = facts.page == RowPage::Merge ? m_builderMergeRow
        : facts.page == RowPage::Gif                              ? m_builderGifRow
                                                                   : m_builderClipRow;
    const wchar_t* skin = facts.page == RowPage::Merge ? L"ListQVideoQMerge.xml"
        : facts.page == RowPage::Gif                  ? L"List2QVideoQGi2f.xml"
                                                       : L"ListQVideoQOptimize.xml";
    // The skin is parsed once; later rows are built from the kept markup.
    SkinUI::CControlUI* row = builder.GetMarkup()->IsValid() ? builder.Create(this, &m_pm)
                                                             : builder.Create(RowSkinText(skin).c_str(), nullptr, this, &m_pm);
    if (row == nullptr) {
        wchar_t reason[256] = {};
        builder.GetLastErrorMessage(reason, 256);
        printf("Main window: row skin %s could not be built: %s\n", WideToUtf8(skin).c_str(), WideToUtf8(reason).c_str());
        return;
    }
    row->SetUserData(facts.path.c_str());
    if (!rows->Add(row)) {  // the list owns the row from here
        delete row;
        return;
    }
    if (facts.page == RowPage::Gif)
        FillGifRow(row, facts);
    else if (facts.page == RowPage::Merge)
        FillMergeRow(row, facts);
    else
        FillClipRow(row, facts);
}

void CMainWnd::FillRowDetails(SkinUI::CControlUI* info, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    SetText(RowChild(info, { 1, 0 }), FormatWide(L"格式:%s", Upper(facts.extension).c_str()));
    SkinUI::CControlUI* time = RowChild(info, { 1, 1 });
    SetUserData(time, d.durationMs);
    SetText(time, FormatWide(L"时长:%s", d.clockText.c_str()));
    SetText(RowChild(info, { 2, 0 }), SizeText(FileBytes(facts.path)));
    SkinUI::CControlUI* resolution = RowChild(info, { 2, 1 });
    SetText(resolution, ResolutionText(d.width, d.height));
    SetUserData(resolution, FormatWide(L"%sx%s", d.width.c_str(), d.height.c_str()));
}

void CMainWnd::FillGifRow(SkinUI::CControlUI* row, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    m_strGifWidth = d.width;
    m_strGifHeight = d.height;
    m_gifItem.filePath = facts.path.c_str();
    m_gifItem.rowName = facts.gifRowName.c_str();
    m_gifItem.duration = d.durationMs;
    m_gifItem.width = d.width.c_str();
    m_gifItem.height = d.height.c_str();
    m_pVideoGif->NeedParentUpdate();
    SetUserData(ChildAt(row, 0), facts.gifRowName);
    if (SkinUI::CControlUI* picture = RowChild(row, { 1, 0 }))
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    m_gifItem.outputName = facts.name.c_str();
    m_gifItem.frameRate = d.frameRate.c_str();
    SkinUI::CControlUI* info = RowChild(row, { 2, 0 });
    SetText(RowChild(info, { 0, 0 }), facts.name);
    FillRowDetails(info, facts);
    SkinUI::CControlUI* details = RowChild(row, { 2, 4 });
    SetText(RowChild(details, { 0, 0 }), facts.name);
    SetUserData(RowChild(details, { 0, 0 }), facts.gifRowName);  // the row's exports find their item by it
    SetText(RowChild(details, { 1, 3 }), FormatWide(L"%sx%s", d.width.c_str(), d.height.c_str()));
    SetText(RowChild(details, { 2, 1 }), d.clockText);
    SetUserData(RowChild(details, { 2, 3 }), d.frameRate);
    m_vecGifRows.push_back(m_gifItem);
    ScrollToEnd(m_pVideoGif);
}

void CMainWnd::FillMergeRow(SkinUI::CControlUI* row, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    m_strMergeWidth = d.width;
    m_strMergeHeight = d.height;
    if (d.noAudio)
        SetUserData(ChildAt(row, 3), L"mute");
    if (SkinUI::CControlUI* picture = RowChild(row, { 1, 0 }))
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    SkinUI::CControlUI* info = ChildAt(row, 2);
    SetText(RowChild(info, { 0, 1 }), facts.name);
    FillRowDetails(info, facts);
    row->SetVisible(true);
    UpdateMergeLinkIcons();
    ScrollToEnd(m_pVideoMergeL);
}

void CMainWnd::FillClipRow(SkinUI::CControlUI* row, const RowFacts& facts)
{
    ShowClipFile(row, facts);
    m_vecClipInfos.push_back(m_clipInfo);
    row->SetVisible(true);
}

void CMainWnd::ShowClipFile(SkinUI::CControlUI* row, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    m_clipInfo.path = facts.path.c_str();
    m_clipInfo.frameRate = ToInt(d.frameRate) < 24 ? L"24" : d.frameRate;
    m_clipInfo.width = d.width.c_str();
    m_clipInfo.height = d.height.c_str();
    m_pVideoAddfileL->NeedParentUpdate();
    row->SetUserData(facts.path.c_str());
    SetUserData(ChildAt(row, 1), d.aspect);
    SkinUI::CControlUI* picture = RowChild(row, { 1, 0 });
    if (picture && facts.thumbnailMade)
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    SetUserData(ChildAt(row, 2), d.noAudio ? L"mute" : L"");
    SkinUI::CControlUI* info = RowChild(row, { 2, 0 });
    SetText(RowChild(info, { 0, 0 }), facts.name);
    m_clipInfo.format = Upper(facts.extension).c_str();
    m_clipInfo.name = facts.name;
    m_clipInfo.duration = d.clockText.c_str();
    FillRowDetails(info, facts);
}

void CMainWnd::RefillClipRow(SkinUI::CControlUI* row, const std::wstring& path, const MediaDetails& details)
{
    if (row == nullptr)
        return;
    const std::wstring oldPath = row->GetUserData().GetData();
    RowFacts facts;
    facts.page = RowPage::Clip;
    facts.path = path;
    facts.details = details;
    facts.name = path;
    SplitFileNameW(facts.name, facts.extension);
    ShowClipFile(row, facts);
    for (MediaFileInfo& info : m_vecClipInfos)
        if (std::wstring(info.path.GetData()) == oldPath) {
            info = m_clipInfo;
            break;
        }
    // The old thumbnail stays until the new one is made; a row that took yet another file since
    // keeps that one's.
    StartWorker([this, facts]() mutable {
        const int w = ToInt(facts.details.width), h = ToInt(facts.details.height);
        if (!MakeFirstFrameThumbnail(w, h, facts.path, facts.picture, true, &facts.fitted))
            return;
        PostUiTask([this, facts, w, h] {
            SkinUI::CControlUI* picture = RowChild(FindClipRow(m_pVideoAddfileL, facts.path), { 1, 0 });
            if (picture)
                picture->SetForeImage(ThumbnailImage(facts.picture, w, h, facts.fitted).c_str());
        });
    });
}

void CMainWnd::UpdateMergeLinkIcons()
{
    auto* list = m_pVideoMergeL ? static_cast<SkinUI::IContainerUI*>(m_pVideoMergeL->GetInterface(L"IContainer")) : nullptr;
    if (list == nullptr)
        return;
    const int n = list->GetCount();
    for (int i = 0; i < n; ++i) {
        SkinUI::CControlUI* row = list->GetItemAt(i);
        const bool first = i == 0, last = i == n - 1;
        const wchar_t* upper = n == 1 || first ? L"" : L"file='images/lianjie_02.png' ";
        const wchar_t* lower = n == 1 || last ? L"" : L"file='images/lianjie_01.png' ";
        SkinUI::CControlUI* info = ChildAt(row, 2);
        SkinUI::CControlUI* middle = ChildAt(row, 4);
        for (SkinUI::CControlUI* label : { RowChild(info, { 0, 0 }), ChildAt(middle, 0) })
            if (label)
                label->SetBkImage(upper);
        for (SkinUI::CControlUI* label : { ChildAt(info, 3), ChildAt(middle, 2) })
            if (label)
                label->SetBkImage(lower);
        SkinUI::CControlUI* moves = RowChild(row, { 5, 1 });
        if (SkinUI::CControlUI* down = ChildAt(moves, 1))
            down->SetVisible(n > 1 && !last);
        if (SkinUI::CControlUI* up = ChildAt(moves, 2))
            up->SetVisible(n > 1 && !first);
    }
}
