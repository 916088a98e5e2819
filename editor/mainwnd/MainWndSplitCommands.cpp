// The split page's buttons: loading and changing the file, play and pause, the player's time into
// the split point, the spin buttons of the two time groups and of the number of parts, and the
// split list: adding (one row per instruction), renaming, removing, clearing, exporting.
//
// A split row is built here, not from a skin, and the split export reads it by position: child 1
// holds the name line (child 0 the part name, child 1 its editor, then rename and remove) and the
// value line (child 0 the mode label, child 1 the value with the task text "1-%f", "2-%d" or
// "3-%f" as user data). "SegmenExport" takes input exactly while the list holds rows, and the
// header's count shows how many rows it holds.

#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/PlayerTimeFields.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/PlayerUI.h"
#include "platform/GdiPlus.h"
#include "platform/Windows.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/EditUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/TextUI.h"
#include "ui/core/BoxLayoutUI.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kDuplicatePointNotice = L"分割时间点相同，请勿重复截取。";
constexpr int kThumbCell = 78;
// The row's texts on the dark list: the part name bright, the mode label muted.
constexpr DWORD kNameColour = 0xFFE6E8EE;
constexpr DWORD kLabelColour = 0xFF9AA0AC;
constexpr int kValueFont = 2;

CAVPlayer* SplitPlayer(CMainWnd& main)
{
    return PlayerOf(main.m_pVideoSegmenPlayer);
}

void PlaySplitPreview(CMainWnd& main, bool resume)
{
    PlayPreview(main.m_pSegembtnPlay, main.m_pSegembtnPause, main.m_pVideoSegmenPlayer, resume);
}

int Number(SkinUI::CControlUI* field)
{
    return field ? ReadFieldNumber(field->GetText()) : 0;
}

TimeGroup PointGroup(CMainWnd& main)
{
    return { main.m_pstartSegmenHour, main.m_pstartSegmenminute, main.m_pstartSegmensecond, main.m_pstartSegmenMillsecond };
}

TimeGroup IntervalGroup(CMainWnd& main)
{
    return { main.m_pstartAverageHour, main.m_pstartAverageminute, main.m_pstartAveragesecond,
             main.m_pstartAverageMillsecond };
}

// The group's value in seconds: hours, minutes, seconds and hundredths.
double GroupSeconds(const TimeGroup& group)
{
    return Number(group.hours) * 3600.0 + Number(group.minutes) * 60.0 + Number(group.seconds)
        + Number(group.fraction) * 0.01;
}

// After every change of the list: the export takes input while there are rows, and the header
// counts them.
void FollowRows(CMainWnd& main)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo);
    const int count = rows ? rows->GetCount() : 0;
    if (main.m_pSegmenExport)
        main.m_pSegmenExport->SetEnabled(count > 0);
    if (SkinUI::CControlUI* shown = main.GetPaintManager().FindControl(L"SegmenCount"))
        shown->SetText(FormatWide(L"%d", count).c_str());
}

// ---- the file and the player ----

void LoadFile(CMainWnd& main, SkinUI::CControlUI* sender)
{
    const std::wstring path = main.ChooseLoadableVideo();
    if (path.empty())
        return;
    if (sender->GetName() == L"SegmenAddFile") {
        Show(main.m_pSegmentationAddfile, false);
        Show(main.m_pSegmentationHor, true);
    } else {
        Show(main.m_pSegembtnPlay, false);
        Show(main.m_pSegembtnPause, true);
        if (SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo))
            rows->RemoveAll();
        main.m_pRenameButton = nullptr;
        FollowRows(main);
    }
    if (CAVPlayer* player = SplitPlayer(main))
        player->StopPlayback();
    // No row shows the old source's picture any more; the new source gets a picture of its own.
    if (!main.m_strSplitThumbnail.empty()) {
        main.GetPaintManager().RemoveImage(main.m_strSplitThumbnail.c_str());
        ::DeleteFileW(main.m_strSplitThumbnail.c_str());
    }
    main.m_strSplitFile = path;
    main.LoadSplitPageFile(path);
}

// The player's time into the split point. Under 100 ms there is no time to take.
void TakePlayerTime(CMainWnd& main, SkinUI::CControlUI*)
{
    CAVPlayer* player = SplitPlayer(main);
    const std::vector<std::wstring> texts = SplitPointFields(player ? player->PlaybackTimeMs() : 0);
    if (texts.empty())
        return;
    const TimeGroup point = PointGroup(main);
    SkinUI::CControlUI* const fields[] = { point.hours, point.minutes, point.seconds, point.fraction };
    for (int i = 0; i < 4; ++i)
        if (fields[i])
            fields[i]->SetText(texts[i].c_str());
    PlaySplitPreview(main, false);
}

// ---- spin buttons ----

void StepPoint(CMainWnd& main, bool up)
{
    const TimeGroup point = PointGroup(main);
    if (main.m_pSplitFocus == nullptr)
        main.m_pSplitFocus = point.fraction;
    if (point.hours == nullptr || !point.hours->IsMouseEnabled())
        return;
    StepTimeField(point, main.m_pSplitFocus, up, kHundredths);
}

// A part longer than the file is cut back to the file's whole seconds.
void KeepIntervalWithinFile(CMainWnd& main)
{
    const TimeGroup interval = IntervalGroup(main);
    const float ms = static_cast<float>(Number(interval.hours)) * 3600000.0f + static_cast<float>(Number(interval.minutes)) * 60000.0f
        + static_cast<float>(Number(interval.seconds)) * 1000.0f + static_cast<float>(Number(interval.fraction)) * 10.0f;
    if (!(ms > static_cast<float>(main.m_nSplitDuration)))
        return;
    const std::vector<std::wstring> parts =
        ClockParts(CMainWnd::FormatDuration(FormatWide(L"%d", main.m_nSplitDuration / 1000)));
    if (parts.size() != 3)
        return;
    SkinUI::CControlUI* const fields[] = { interval.hours, interval.minutes, interval.seconds };
    for (int i = 0; i < 3; ++i)
        if (fields[i])
            fields[i]->SetText(parts[i].c_str());
    if (interval.fraction)
        interval.fraction->SetText(L"00");
}

void StepInterval(CMainWnd& main, bool up)
{
    if (main.m_pSplitFocus == nullptr)
        return;
    StepTimeField(IntervalGroup(main), main.m_pSplitFocus, up, kHundredths);
    if (up)
        KeepIntervalWithinFile(main);
}

void StepCount(CMainWnd& main, bool up)
{
    SkinUI::CControlUI* count = main.m_pstartSegmen;
    if (count == nullptr)
        return;
    const int n = Number(count);
    count->SetText(FormatWide(L"%d", up ? n + 1 : std::max(n, 3) - 1).c_str());
}

// ---- rows ----

// The split source's picture placed in the 78 x 78 cell by its own picture size.
std::wstring ThumbnailCellImage(const std::wstring& file)
{
    if (file.empty())
        return {};
    Gdiplus::Bitmap picture(file.c_str());
    const int w = picture.GetLastStatus() == Gdiplus::Ok ? static_cast<int>(picture.GetWidth()) : 0;
    const int h = picture.GetLastStatus() == Gdiplus::Ok ? static_cast<int>(picture.GetHeight()) : 0;
    if (h < w)
        return FormatWide(L"file='%s' dest='0,%d,78,%d'", file.c_str(), (kThumbCell - h) / 2, (kThumbCell - h) / 2 + h);
    if (h > w)
        return FormatWide(L"file='%s' dest='%d,0,%d,78'", file.c_str(), (kThumbCell - w) / 2, (kThumbCell - w) / 2 + w);
    return FormatWide(L"file='%s' ", file.c_str());
}

struct SplitInstruction {
    std::wstring task;     // "1-%f", "2-%d" or "3-%f"
    std::wstring display;  // what the value line shows
    const wchar_t* label;  // the mode label
};

SplitInstruction InstructionFromPage(CMainWnd& main)
{
    if (IsChecked(main.m_phandSegmen)) {
        const TimeGroup p = PointGroup(main);
        return { FormatWide(L"1-%f", GroupSeconds(p)),
                 FormatWide(L"00:00:00-%s:%s:%s.%s", TextOf(p.hours).c_str(), TextOf(p.minutes).c_str(), TextOf(p.seconds).c_str(),
                            TextOf(p.fraction).c_str()),
                 L"手动分割:" };
    }
    if (IsChecked(main.m_pTimeAverage)) {
        const TimeGroup g = IntervalGroup(main);
        return { FormatWide(L"3-%f", GroupSeconds(g)),
                 FormatWide(L"%s:%s:%s.%s", TextOf(g.hours).c_str(), TextOf(g.minutes).c_str(), TextOf(g.seconds).c_str(),
                            TextOf(g.fraction).c_str()),
                 L"时间段分割:" };
    }
    return { FormatWide(L"2-%d", Number(main.m_pstartSegmen)), TextOf(main.m_pstartSegmen), L"平均分割:" };
}

bool PointAlreadyListed(CMainWnd& main, const std::wstring& task)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo);
    const std::wstring point = task.substr(2);
    for (int i = 0; rows && i < rows->GetCount(); ++i) {
        SkinUI::CControlUI* value = RowChild(rows->GetItemAt(i), { 1, 1, 1 });
        const std::wstring listed = value ? value->GetUserData().GetData() : L"";
        const size_t dash = listed.find(L'-');
        if (dash != std::wstring::npos && listed.substr(dash + 1) == point)
            return true;
    }
    return false;
}

SkinUI::CControlUI* MakeNameLine()
{
    auto* line = new SkinUI::CHorizontalLayoutUI;
    line->SetFixedHeight(38);
    auto* name = new SkinUI::CButtonUI;
    name->SetText(L"视频分割文件");
    name->SetFont(5);
    name->SetTextColor(kNameColour);
    name->SetFixedWidth(140);
    name->SetAttribute(L"endellipsis", L"true");
    name->SetAttribute(L"align", L"left");
    name->SetAttribute(L"cursor", L"hand");
    name->SetPadding({ 8, 17, 0, 0 });
    line->Add(name);  // each parent owns what it holds
    auto* editor = new SkinUI::CEditUI;
    editor->SetName(L"EditName");
    editor->SetFont(5);
    editor->SetFixedWidth(140);
    editor->SetAttribute(L"autovscroll", L"true");
    editor->SetBorderColor(0xFFD7D7D7);
    editor->SetBorderSize(1);
    editor->SetVisible(false);
    editor->SetPadding({ 8, 17, 0, 0 });
    line->Add(editor);
    auto* rename = new SkinUI::CButtonUI;
    rename->SetName(L"TextChange");
    rename->SetFixedWidth(14);
    rename->SetFixedHeight(16);
    rename->SetNormalImage(L"file='images/bianji-1.png'  dest='0,0,14,15'");
    rename->SetHotImage(L"file='images/bianji-2.png'  dest='0,1,14,16'");
    rename->SetPushedImage(L"file='images/bianji-3.png'  dest='0,0,14,15' ");
    rename->SetAttribute(L"cursor", L"hand");
    rename->SetPadding({ 0, 17, 0, 0 });
    line->Add(rename);
    line->Add(MakeRemoveRowButton(L"VideoClose", { 10, 6, 0, 0 }));
    return line;
}

SkinUI::CControlUI* MakeValueLine(const SplitInstruction& instruction)
{
    auto* line = new SkinUI::CHorizontalLayoutUI;
    line->SetAttribute(L"padding", L"0,18");
    line->SetFixedHeight(24);
    auto* label = new SkinUI::CTextUI;
    label->SetAttribute(L"align", L"left");
    label->SetPadding({ 8, 0, 0, 0 });
    label->SetFont(5);
    label->SetAutoCalcWidth(true);
    label->SetText(instruction.label);
    label->SetTextColor(kLabelColour);
    line->Add(label);
    auto* value = new SkinUI::CTextUI;
    value->SetUserData(instruction.task.c_str());
    value->SetFixedHeight(24);
    value->SetText(instruction.display.c_str());
    // The longest time the fields can hold must fit beside the list's scroll bar, and whatever
    // does not fit ends in an ellipsis inside the row instead of running past it.
    value->SetFont(kValueFont);
    value->SetAttribute(L"endellipsis", L"true");
    value->SetTextColor(0xFF347AEB);
    value->SetTextPadding({ 0, 2, 0, 0 });
    line->Add(value);
    return line;
}

void AddRow(CMainWnd& main, SkinUI::CControlUI*)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo);
    if (rows == nullptr)
        return;
    const SplitInstruction instruction = InstructionFromPage(main);
    if (instruction.task[0] == L'1' && PointAlreadyListed(main, instruction.task)) {
        main.ShowNotice(kDuplicatePointNotice);
        return;
    }
    auto* row = new SkinUI::CListContainerElementUI;
    row->SetFixedHeight(92);
    row->SetAttribute(L"bottombordersize", L"1");
    row->SetBorderColor(0xFFD7D7D7);
    if (rows->GetCount() == 0)
        row->SetAttribute(L"topbordersize", L"1");
    auto* thumbnail = new SkinUI::CLabelUI;
    thumbnail->SetFixedWidth(kThumbCell);
    thumbnail->SetFixedHeight(kThumbCell);
    thumbnail->SetPadding({ 7, 7, 0, 0 });
    thumbnail->SetBkImage(ThumbnailCellImage(main.m_strSplitThumbnail).c_str());
    row->Add(thumbnail);
    auto* lines = new SkinUI::CVerticalLayoutUI;
    row->Add(lines);
    lines->Add(MakeNameLine());
    lines->Add(MakeValueLine(instruction));
    if (!rows->Add(row)) {
        delete row;
        return;
    }
    FollowRows(main);
}

void RemoveRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo);
    if (rows == nullptr || !rows->Remove(RowOfButton(sender)))
        return;
    main.m_pRenameButton = nullptr;
    FollowRows(main);
}

void ClearRows(CMainWnd& main, SkinUI::CControlUI*)
{
    if (SkinUI::IContainerUI* rows = RowsOf(main.m_pListVideo))
        rows->RemoveAll();
    main.m_pRenameButton = nullptr;
    FollowRows(main);
}

void Export(CMainWnd& main, SkinUI::CControlUI*)
{
    main.LaunchExport(L"SegmenExport");
}

const PageCommandTable& Commands()
{
    static const PageCommandTable commands = {
        { L"SegmenAddFile", LoadFile },
        { L"SegmenChangeVideo", LoadFile },
        { L"SegembtnPlay", [](CMainWnd& m, SkinUI::CControlUI*) { PlaySplitPreview(m, true); } },
        { L"SegembtnPause", [](CMainWnd& m, SkinUI::CControlUI*) { PlaySplitPreview(m, false); } },
        { L"CutSegmenTime", TakePlayerTime },
        { L"startUpTime", [](CMainWnd& m, SkinUI::CControlUI*) { StepPoint(m, true); } },
        { L"startDownTime", [](CMainWnd& m, SkinUI::CControlUI*) { StepPoint(m, false); } },
        { L"AverageUpTime", [](CMainWnd& m, SkinUI::CControlUI*) { StepInterval(m, true); } },
        { L"AverageDownTime", [](CMainWnd& m, SkinUI::CControlUI*) { StepInterval(m, false); } },
        { L"UpNum", [](CMainWnd& m, SkinUI::CControlUI*) { StepCount(m, true); } },
        { L"DownNum", [](CMainWnd& m, SkinUI::CControlUI*) { StepCount(m, false); } },
        { L"AddSengenTime", AddRow },
        { L"AddSengenNum", AddRow },
        { L"AddSengenTimeNum", AddRow },
        { L"TextChange", StartRowRename },
        { L"VideoClose", RemoveRow },
        { L"ClearVideo", ClearRows },
        { L"SegmenExport", Export },
    };
    return commands;
}

}  // namespace

bool StepSplitField(CMainWnd& main, SkinUI::CControlUI* field, bool up)
{
    const bool point = PointGroup(main).Holds(field);
    if (!point && !IntervalGroup(main).Holds(field))
        return false;
    main.m_pSplitFocus = field;
    if (point)
        StepPoint(main, up);
    else
        StepInterval(main, up);
    return true;
}

void RunSplitPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunPageCommand(Commands(), main, msg);
}
