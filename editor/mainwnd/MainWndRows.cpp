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
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/TextFile.h"
#include "media/CommandText.h"
#include "platform/Windows.h"
#include "ui/controls/ListUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/SkinArchiveItem.h"

namespace {

constexpr const wchar_t* kUnsupportedNotice = L"抱歉！此视频文件格式暂不支持。";
constexpr const wchar_t* kDamagedNotice = L"抱歉！此文件可能为损坏文件！\n%s";
constexpr int kRowScrollStep = 100;

std::atomic<int> GifRowCounter { 0 };  // names GIF rows "Gif%d" for the life of the process

SkinUI::CControlUI* Child(SkinUI::CControlUI* control, int index)
{
    auto* container = control ? static_cast<SkinUI::IContainerUI*>(control->GetInterface(L"IContainer")) : nullptr;
    return container ? container->GetItemAt(index) : nullptr;
}

SkinUI::CControlUI* Path(SkinUI::CControlUI* control, std::initializer_list<int> indexes)
{
    for (int index : indexes)
        control = Child(control, index);
    return control;
}

void SetText(SkinUI::CControlUI* control, const std::wstring& text)
{
    if (control)
        control->SetText(text.c_str());
}

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
        facts.thumbnailMade = MakeFirstFrameThumbnail(ToInt(facts.details.width), ToInt(facts.details.height),
                                                      facts.path, facts.picture, true, &facts.fitted);
        facts.name = facts.path;
        SplitFileNameW(facts.name, facts.extension);
        PostUiTask([this, facts = std::move(facts)] { AddListRow(facts); });
    }
}

void CMainWnd::ShowNotice(const std::wstring& text)
{
    CMessageWnd::Ask(m_hWnd, text, L"", L"", L"确定");
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
        ShowNotice(FormatWide(kDamagedNotice, shown.c_str()));
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
    SetText(Path(info, { 1, 0 }), FormatWide(L"格式:%s", Upper(facts.extension).c_str()));
    SkinUI::CControlUI* time = Path(info, { 1, 1 });
    SetUserData(time, d.durationMs);
    SetText(time, FormatWide(L"时长:%s", d.clockText.c_str()));
    SetText(Path(info, { 2, 0 }), SizeText(FileBytes(facts.path)));
    SkinUI::CControlUI* resolution = Path(info, { 2, 1 });
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
    SetUserData(Child(row, 0), facts.gifRowName);
    if (SkinUI::CControlUI* picture = Path(row, { 1, 0 }))
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    m_gifItem.outputName = facts.name.c_str();
    m_gifItem.frameRate = d.frameRate.c_str();
    SkinUI::CControlUI* info = Path(row, { 2, 0 });
    SetText(Path(info, { 0, 0 }), facts.name);
    FillRowDetails(info, facts);
    SkinUI::CControlUI* details = Path(row, { 2, 4 });
    SetText(Path(details, { 0, 0 }), facts.name);
    SetText(Path(details, { 1, 3 }), FormatWide(L"%sx%s", d.width.c_str(), d.height.c_str()));
    SetText(Path(details, { 2, 1 }), d.clockText);
    SetUserData(Path(details, { 2, 3 }), d.frameRate);
    m_vecGifRows.push_back(m_gifItem);
    ScrollToEnd(m_pVideoGif);
}

void CMainWnd::FillMergeRow(SkinUI::CControlUI* row, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    m_strMergeWidth = d.width;
    m_strMergeHeight = d.height;
    if (d.noAudio)
        SetUserData(Child(row, 3), L"mute");
    if (SkinUI::CControlUI* picture = Path(row, { 1, 0 }))
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    SkinUI::CControlUI* info = Child(row, 2);
    SetText(Path(info, { 0, 1 }), facts.name);
    FillRowDetails(info, facts);
    row->SetVisible(true);
    UpdateMergeLinkIcons();
    ScrollToEnd(m_pVideoMergeL);
}

void CMainWnd::FillClipRow(SkinUI::CControlUI* row, const RowFacts& facts)
{
    const MediaDetails& d = facts.details;
    m_clipInfo.path = facts.path.c_str();
    m_clipInfo.frameRate = ToInt(d.frameRate) < 24 ? L"24" : d.frameRate;
    m_clipInfo.width = d.width.c_str();
    m_clipInfo.height = d.height.c_str();
    m_pVideoAddfileL->NeedParentUpdate();
    SetUserData(Child(row, 1), d.aspect);
    if (SkinUI::CControlUI* picture = Path(row, { 1, 0 }))
        picture->SetForeImage(ThumbnailImage(facts.picture, ToInt(d.width), ToInt(d.height), facts.fitted).c_str());
    if (d.noAudio)
        SetUserData(Child(row, 2), L"mute");
    SkinUI::CControlUI* info = Path(row, { 2, 0 });
    SetText(Path(info, { 0, 0 }), facts.name);
    m_clipInfo.format = Upper(facts.extension).c_str();
    m_clipInfo.name = facts.name;
    m_clipInfo.duration = d.clockText.c_str();
    FillRowDetails(info, facts);
    m_vecClipInfos.push_back(m_clipInfo);
    row->SetVisible(true);
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
        SkinUI::CControlUI* info = Child(row, 2);
        SkinUI::CControlUI* middle = Child(row, 4);
        for (SkinUI::CControlUI* label : { Path(info, { 0, 0 }), Child(middle, 0) })
            if (label)
                label->SetBkImage(upper);
        for (SkinUI::CControlUI* label : { Child(info, 3), Child(middle, 2) })
            if (label)
                label->SetBkImage(lower);
        SkinUI::CControlUI* moves = Path(row, { 5, 1 });
        if (SkinUI::CControlUI* down = Child(moves, 1))
            down->SetVisible(n > 1 && !last);
        if (SkinUI::CControlUI* up = Child(moves, 2))
            up->SetVisible(n > 1 && !first);
    }
}
