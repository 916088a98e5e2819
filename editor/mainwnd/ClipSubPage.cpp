#include "editor/mainwnd/ClipSubPage.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <unistd.h>

#include "base/StringHelpers.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "platform/GdiPlus.h"
#include "platform/Windows.h"
#include "editor/dialogs/WaterTextUI.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/PaintManagerUI.h"

using control_access::ChildAt;

namespace {

constexpr DWORD kMarkedColour = 0xFF347AEB;

std::wstring DataOf(SkinUI::CControlUI* control)
{
    return control ? control->GetUserData().GetData() : L"";
}

// Row layout (the row skin fixes it): child 1 "HorVideo" carries the aspect, child 2 the "mute"
// mark; in child 2, child 0 holds the details and child 5 the four edit buttons.
SkinUI::CControlUI* DurationButton(SkinUI::CControlUI* row) { return RowChild(row, { 2, 0, 1, 1 }); }
SkinUI::CControlUI* ResolutionButton(SkinUI::CControlUI* row) { return RowChild(row, { 2, 0, 2, 1 }); }

}  // namespace

ClipRowFacts ReadClipRow(SkinUI::CControlUI* row)
{
    ClipRowFacts facts;
    if (row == nullptr)
        return facts;
    facts.path = DataOf(row);
    facts.durationMs = DataOf(DurationButton(row));
    const std::wstring resolution = DataOf(ResolutionButton(row));
    const size_t x = resolution.find(L'x');
    if (x != std::wstring::npos && resolution.find(L'x', x + 1) == std::wstring::npos) {
        facts.width = resolution.substr(0, x);
        facts.height = resolution.substr(x + 1);
    }
    facts.aspect = std::wcstod(DataOf(ChildAt(row, 1)).c_str(), nullptr);
    facts.mute = !DataOf(ChildAt(row, 2)).empty();
    return facts;
}

SkinUI::CControlUI* FindClipRow(SkinUI::CControlUI* list, const std::wstring& path)
{
    auto* rows = list ? static_cast<SkinUI::IContainerUI*>(list->GetInterface(L"IContainer")) : nullptr;
    for (int i = 0; rows && i < rows->GetCount(); ++i)
        if (DataOf(rows->GetItemAt(i)) == path)
            return rows->GetItemAt(i);
    return nullptr;
}

void MarkClipRowKind(SkinUI::CControlUI* row, int kind)
{
    SkinUI::CControlUI* buttons = RowChild(row, { 2, 5 });
    for (int i = 0; i < 4; ++i)
        if (auto* button = static_cast<SkinUI::CLabelUI*>(ChildAt(buttons, i)))
            button->SetTextColor(i == kind ? kMarkedColour : kClipEditPlainColour);
}

void ReplaceClipRecord(std::vector<ClipRecord>& records, const ClipRecord& record)
{
    for (auto it = records.begin(); it != records.end(); ++it)
        if (it->path == record.path) {
            records.erase(it);
            break;
        }
    records.push_back(record);
}

ClipRowFacts TakeRowClip(CMainWnd& main, SkinUI::CControlUI* row, int subPage)
{
    const ClipRowFacts facts = ReadClipRow(row);
    main.m_nClipSubpage = subPage;
    main.m_pEditedClipRow = row;
    main.m_strClipFile = facts.path;
    main.m_nClipDuration = static_cast<int>(DurationMsOf(facts.durationMs));
    if (!facts.width.empty()) {
        main.m_strClipWidth = facts.width;
        main.m_strClipHeight = facts.height;
    }
    return facts;
}

void KeepSubPageSave(CMainWnd& main, ClipRecord work, int kind, SkinUI::CControlUI* subPage)
{
    if (SkinUI::CControlUI* row = FindClipRow(main.m_pVideoAddfileL, work.path.GetData())) {
        main.m_pEditedClipRow = row;
        main.ResetClipRowState();
        work.durationMsText = ReadClipRow(row).durationMs.c_str();
        MarkClipRowKind(row, kind);
    }
    main.m_clipItem = work;
    ReplaceClipRecord(main.m_vecClips, work);
    control_access::Show(main.m_pVideoAddfile, false);
    main.ShowClipList(true);
    control_access::Show(subPage, false);
}

long long DurationMsOf(const std::wstring& text)
{
    const double ms = std::wcstod(text.c_str(), nullptr);
    return ms > 0 ? static_cast<long long>(ms) : 0;
}

std::wstring DurationTenthsText(long long ms)
{
    return FormatWide(L"%lld", ms > 0 ? (ms / 100) % 10 : 0);
}

std::wstring DurationClockText(long long ms)
{
    return ms >= 1000 ? ClockText(ms / 1000) : std::wstring();
}

SIZE FitPictureInBox(double aspect, int clipWidth, int clipHeight, int boxWidth, int boxHeight)
{
    if (!(aspect > 0) && clipWidth > 0 && clipHeight > 0)
        aspect = static_cast<double>(clipWidth) / clipHeight;
    if (!(aspect > 0) || boxWidth <= 0 || boxHeight <= 0)
        return { boxWidth, boxHeight };
    if (aspect > static_cast<double>(boxWidth) / boxHeight) {
        const int pad = static_cast<int>((boxHeight - boxWidth / aspect) / 2);
        return { boxWidth, boxHeight - 2 * pad };
    }
    return { static_cast<int>(aspect * boxHeight), boxHeight };
}

RECT PictureRectOnControl(HWND window, SkinUI::CControlUI* preview, SIZE picture)
{
    if (preview == nullptr)
        return {};
    const RECT box = preview->GetPos();
    POINT origin { box.left, box.top };
    ::ClientToScreen(window, &origin);
    const int left = origin.x + (box.right - box.left - picture.cx) / 2;
    const int top = origin.y + (box.bottom - box.top - picture.cy) / 2;
    return { left, top, left + picture.cx, top + picture.cy };
}

void SetVideoRectangle(const RECT& rc)
{
    VideoRectangle[0] = rc.left;
    VideoRectangle[1] = rc.top;
    VideoRectangle[2] = rc.right;
    VideoRectangle[3] = rc.bottom;
}

SIZE PictureSizeOnControl(SkinUI::CControlUI* preview, double aspect, const std::wstring& clipWidth,
                          const std::wstring& clipHeight)
{
    // A page shown just now has not been laid out yet: lay it out before taking its box.
    if (preview && preview->GetManager() && ::IsRectEmpty(&preview->GetPos()))
        ::UpdateWindow(preview->GetManager()->GetPaintWindow());
    const RECT box = preview ? preview->GetPos() : RECT {};
    return FitPictureInBox(aspect, static_cast<int>(std::wcstol(clipWidth.c_str(), nullptr, 10)),
                           static_cast<int>(std::wcstol(clipHeight.c_str(), nullptr, 10)), box.right - box.left,
                           box.bottom - box.top);
}

std::wstring NewWorkPicturePath(const wchar_t* stem, const wchar_t* extension)
{
    static std::atomic<unsigned> counter { 0 };
    const std::wstring folder = platform::PrivateWorkFolder();
    if (folder.empty())
        return {};
    for (;;) {
        const std::wstring path = FormatWide(L"%s/%s-%d-%u%s", folder.c_str(), stem, static_cast<int>(::getpid()),
                                             ++counter, extension);
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return path;
    }
}

int FontComboPosition(const std::vector<std::wstring>& families, const std::wstring& preferred)
{
    const int n = static_cast<int>(families.size());
    for (int i = n - 1; i >= 1; --i)
        if (families[static_cast<size_t>(i)] == preferred)
            return n - 1 - i;
    return 0;
}

void FillFontCombo(SkinUI::CControlUI* control, const std::wstring& familyList, const std::wstring& preferred)
{
    SkinUI::CComboUI* combo = control_access::ComboOf(control);
    if (combo == nullptr)
        return;
    std::vector<std::wstring> families;
    for (const SkinUI::CUIString& name : SplitUIString(familyList.c_str(), L","))
        families.emplace_back(name.GetData());
    combo->RemoveAll();
    for (size_t i = families.size(); i-- > 1;) {
        auto* item = new SkinUI::CListLabelElementUI;
        item->SetText(families[i].c_str());
        item->SetFixedHeight(24);
        item->SetAttribute(L"endellipsis", L"true");
        combo->Add(item);  // the combo owns it
    }
    // A face that is not installed is drawn with its substitute: the combo shows that one.
    const bool installed = std::find(families.begin(), families.end(), preferred) != families.end();
    const std::wstring shown = installed ? preferred : Gdiplus::InstalledFontCollection::DrawnFamily(preferred);
    combo->SelectItem(FontComboPosition(families, shown), false);
}

POINT PlacePalette(POINT button, const RECT& workArea, bool swatchButton, SIZE popup)
{
    const bool above = button.y + 221 >= workArea.bottom || button.x + 310 >= workArea.right;
    POINT at = button;
    at.x += swatchButton ? (above ? -363 : -53) : 0;
    at.y += above ? -221 : 30;
    at.x = std::max(workArea.left, std::min(at.x, workArea.right - popup.cx));
    at.y = std::max(workArea.top, std::min(at.y, workArea.bottom - popup.cy));
    return at;
}
