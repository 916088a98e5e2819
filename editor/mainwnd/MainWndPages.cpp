// Selection changes of the main window's options: the page tabs, which switch the feature page,
// size the window, pause the other pages' previews and show or hide the overlay windows, and the
// mode options inside the pages (split mode, mute, rotation, screenshot mode and rows, watermark
// kind, style and placement, text-item style).
// UI thread only. A page is found by its container's name, so the tab strip does not depend on
// the order of the pages inside "tab_Tran".

#include <algorithm>
#include <cwchar>
#include <vector>

#include "base/StringHelpers.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/TimelineHandleUI.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/SelectedTextItem.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/TabLayoutUI.h"

using namespace control_access;

namespace {

using Member = SkinUI::CControlUI* CMainWnd::*;

constexpr int kPageHeight = 675;
constexpr int kMarkerLayoutDelayMs = 10;
constexpr int kRefitResetMs = 500;
constexpr int kRotationReapplyMs = 500;
// The split mode's own labels stand out and the others recede: light and dim on our dark skin
// (dark and light grey on a light one).
constexpr DWORD kModeLabelActive = 0xFFE6E8EE;
constexpr DWORD kModeLabelIdle = 0xFF6B7180;
constexpr DWORD kSingleShotColour = 0xFF347AEB;
constexpr DWORD kSeriesShotColour = 0xFF00FF00;
constexpr int kScreenRowFrameWidth = 232;
constexpr int kScreenRowCaption = 32;

// The eight previews, in the order the tab branches pause them.
constexpr Member kPlayers[] = {
    &CMainWnd::m_pVideoCutPlayer,   &CMainWnd::m_pVideoSegmenPlayer, &CMainWnd::m_pOptimizationPlayer,
    &CMainWnd::m_pPicplayer,        &CMainWnd::m_pSoundTrackPlayer,  &CMainWnd::m_pMusicTrackPlayer,
    &CMainWnd::m_pWaterMakerPlayer, &CMainWnd::m_psubtitlePlayer,
};

enum class OverlayPair { Show, Hide, HideAndClose };

// A player that goes on playing after the switch when its pause button shows (and, for the
// multi-clip page's sub-pages, only when its sub-page is visible).
struct Resume {
    Member player;
    Member pauseButton;
    Member subPage;  // null: no sub-page condition
};

struct PageTab {
    const wchar_t* option;
    const wchar_t* page;       // container name inside "tab_Tran"
    OverlayPair overlays;
    std::vector<Member> keep;  // players not paused
    std::vector<Resume> resume;
    const wchar_t* pageKey;    // null leaves PageKey as it is
    int endLimit;              // 0 leaves the handle limit as it is
    RECT endRect;              // empty leaves the end handle rectangle as it is
};

const std::vector<PageTab>& PageTabs()
{
    static const std::vector<PageTab> tabs = {
        { L"tabVideoCut", L"cutPage", OverlayPair::Show, { &CMainWnd::m_pVideoCutPlayer },
          { { &CMainWnd::m_pVideoCutPlayer, &CMainWnd::m_pbtnPause, nullptr } }, L"VideoCut", 816,
          { 811, 440, 817, 712 } },
        { L"tabFenge", L"splitPage", OverlayPair::Hide, { &CMainWnd::m_pVideoSegmenPlayer },
          { { &CMainWnd::m_pVideoSegmenPlayer, &CMainWnd::m_pSegembtnPause, nullptr } }, L"tabFenge", 816, {} },
        { L"tabmerge", L"mergePage", OverlayPair::HideAndClose, {}, {}, nullptr, 0, {} },
        { L"tabGIF", L"gifPage", OverlayPair::HideAndClose, {}, {}, nullptr, 0, {} },
        { L"tabAdd", L"clipPage", OverlayPair::HideAndClose, { &CMainWnd::m_pWaterMakerPlayer, &CMainWnd::m_psubtitlePlayer },
          { { &CMainWnd::m_psubtitlePlayer, &CMainWnd::m_psubtitlePause, &CMainWnd::m_psubtitleVer },
            { &CMainWnd::m_pSoundTrackPlayer, &CMainWnd::m_pSoundTrackbtnPause, &CMainWnd::m_pSoundTrack },
            { &CMainWnd::m_pMusicTrackPlayer, &CMainWnd::m_pMusicTrackbtnPause, &CMainWnd::m_pMusicTrack },
            { &CMainWnd::m_pWaterMakerPlayer, &CMainWnd::m_pWaterMakerbtnPause, &CMainWnd::m_pWaterMaker } },
          nullptr, 1002, { 998, 440, 817, 712 } },
        { L"tabAdjust", L"adjustPage", OverlayPair::HideAndClose, { &CMainWnd::m_pOptimizationPlayer },
          { { &CMainWnd::m_pOptimizationPlayer, &CMainWnd::m_pOptimizationbtnPause, nullptr } }, nullptr, 0, {} },
        { L"tabScreen", L"shotPage", OverlayPair::HideAndClose, { &CMainWnd::m_pPicplayer },
          { { &CMainWnd::m_pPicplayer, &CMainWnd::m_pScreenPicPause, nullptr } }, L"VideoScreen", 610,
          { 604, 440, 610, 712 } },
    };
    return tabs;
}

bool Visible(SkinUI::CControlUI* control)
{
    return control != nullptr && control->IsVisible();
}

void SetMouse(SkinUI::CControlUI* control, bool enable)
{
    if (control)
        control->SetMouseEnabled(enable);
}

void SetButtonImages(SkinUI::CControlUI* control, const wchar_t* image)
{
    auto* button = control ? static_cast<SkinUI::CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
    if (button == nullptr)
        return;
    button->SetNormalImage(image);
    button->SetHotImage(image);
    button->SetPushedImage(image);
}

// The three split modes: which add button shows, which labels stand out, which inputs take the
// mouse and which edit takes the focus.
void ApplySplitMode(CMainWnd& w, int mode)
{
    Show(w.m_pAddSengenTime, mode == 0);
    Show(w.m_pAddSengenNum, mode == 1);
    Show(w.m_pAddSengenTimeNum, mode == 2);
    SetTextColour(w.m_pSegmenTime, mode == 0 ? kModeLabelActive : kModeLabelIdle);
    SetTextColour(w.m_pSegmennameNum, mode == 1 ? kModeLabelActive : kModeLabelIdle);
    SetTextColour(w.m_pSegmenname, mode == 2 ? kModeLabelActive : kModeLabelIdle);
    SetTextColour(w.m_pSegmeinnname, mode == 2 ? kModeLabelActive : kModeLabelIdle);
    SetButtonImages(w.m_pSegmenCut, mode == 0 ? L"33.png" : L"");
    SetMouse(w.m_pSegmenCut, mode == 0);
    for (SkinUI::CControlUI* c : { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond,
                                   w.m_pstartSegmenMillsecond, w.m_pstartUpTime, w.m_pstartDownTime })
        SetMouse(c, mode == 0);
    for (SkinUI::CControlUI* c : { w.m_pstartSegmen, w.m_pUpNum, w.m_pDownNum })
        SetMouse(c, mode == 1);
    for (SkinUI::CControlUI* c : { w.m_pstartAverageHour, w.m_pstartAverageminute, w.m_pstartAveragesecond,
                                   w.m_pstartAverageMillsecond, w.m_pAverageUpTime, w.m_pAverageDownTime })
        SetMouse(c, mode == 2);
    SkinUI::CControlUI* focus[] = { w.m_pstartSegmenMillsecond, w.m_pstartSegmen, w.m_pstartAverageMillsecond };
    if (focus[mode])
        focus[mode]->SetFocus();
}

void ApplyMute(CMainWnd& w, SkinUI::CControlUI* sender)
{
    const bool muted = IsChecked(sender);
    const int volume = muted ? 0 : w.m_nCutVolume;
    SetBarValue(w.m_pSoundPro, volume);
    if (auto* slider = w.m_pSoundSlider ? static_cast<SkinUI::CSliderUI*>(w.m_pSoundSlider->GetInterface(L"Slider")) : nullptr)
        slider->SetValue(volume);
    if (CAVPlayer* player = PlayerOf(w.m_pVideoCutPlayer))
        player->SetVolumeLevel(volume);
    SkinUI::CControlUI* grandparent = sender->GetParent() ? sender->GetParent()->GetParent() : nullptr;
    auto* label = static_cast<SkinUI::CLabelUI*>(ChildAt(grandparent, 1) ? ChildAt(grandparent, 1)->GetInterface(L"Label") : nullptr);
    if (label == nullptr)
        return;
    label->SetText(FormatWide(L"%d", volume).c_str());
    const int padding = muted ? 35 : static_cast<int>(35 + BarValue(w.m_pSoundSlider) * 140 / 200);
    label->SetTextPadding({ padding, 0, 0, 0 });
}

void ApplyScreenMode(CMainWnd& w, bool series)
{
    if (auto* tabs = w.m_pTabScreen ? static_cast<SkinUI::CTabLayoutUI*>(w.m_pTabScreen->GetInterface(L"TabLayout")) : nullptr)
        tabs->SelectItem(series ? 1 : 0);
    if (w.m_pScreenprogress)
        w.m_pScreenprogress->SetForeColor(series ? kSeriesShotColour : kSingleShotColour);
    Show(w.GetPaintManager().FindControl(L"MyHor"), series);
    Show(w.m_pScreenlabel, series);
    if (series)
        ::SetTimer(w.GetHWND(), CMainWnd::kTimerShotHours, 10, nullptr);
}

// Each screenshot row shows a frame 232 pixels wide; with captions the rows grow by 32.
void ApplyScreenRows(CMainWnd& w, bool captions)
{
    const double width = std::wcstod(w.m_strScreenshotWidth.c_str(), nullptr);
    const double height = std::wcstod(w.m_strScreenshotHeight.c_str(), nullptr);
    if (width <= 0 || height <= 0)
        return;  // no picture size yet: the rows keep theirs
    auto* list = w.m_pListScreen ? static_cast<SkinUI::IContainerUI*>(w.m_pListScreen->GetInterface(L"IContainer")) : nullptr;
    if (list == nullptr)
        return;
    const int rowHeight = static_cast<int>(height / (width / kScreenRowFrameWidth)) + (captions ? kScreenRowCaption : 0);
    for (int i = 0; i < list->GetCount(); ++i) {
        SkinUI::CControlUI* row = list->GetItemAt(i);
        Show(ChildAt(ChildAt(row, 0), 0), captions);
        row->SetFixedHeight(rowHeight);
    }
}

// The overlay shows the kind chosen, and only it, as the save renders only it.
void ApplyWatermarkKind(CMainWnd& w, bool text)
{
    SkinUI::CControlUI* source = text ? w.m_pWaterTextRich : w.m_pWaterPath;
    if (w.m_pWaterExport)
        w.m_pWaterExport->SetEnabled(source && !source->GetText().IsEmpty());
    if (CChildWnd* overlay = w.WatermarkOverlay()) {
        if (text) {
            WatermarkRefitFlag = 1;
            w.ScheduleRefitFlagClear();
        }
        overlay->ShowTextItem(text && !WatermarkSettings.text.IsEmpty());
        overlay->ShowPictureItem(!text && !WatermarkSettings.picture.IsEmpty());
        overlay->SetTextItemMovable(IsChecked(w.m_pUserOp));
        overlay->SetPictureItemMovable(IsChecked(w.m_pPicUserOp));
        overlay->InvalidateTextItem();
        overlay->InvalidatePictureItem();
    }
    if (auto* tabs = w.m_pWaterTab ? static_cast<SkinUI::CTabLayoutUI*>(w.m_pWaterTab->GetInterface(L"TabLayout")) : nullptr)
        tabs->SelectItem(text ? 0 : 1);
    Show(w.m_pWaterAddPic, !text);
    Show(w.m_pWaterTextRich, text);
    WatermarkRecenterFlag = 1;
}

void ApplyWatermarkFontStyle(CMainWnd& w)
{
    const bool bold = IsChecked(w.m_pBlod), italic = IsChecked(w.m_pItalic);
    WatermarkSettings.fontStyle = (bold ? kFontBold : 0) | (italic ? kFontItalic : 0);
    WatermarkRefitFlag = 1;  // a bolder or slanted text needs a wider box
    w.ScheduleRefitFlagClear();
    if (CChildWnd* overlay = w.WatermarkOverlay())
        overlay->InvalidateTextItem();
}

void ApplyTextPlacement(CMainWnd& w, bool tiled)
{
    TextWatermarkTiled = tiled ? 1 : 0;
    WatermarkRefitFlag = 1;
    if (!tiled)
        WatermarkRecenterFlag = 1;
    w.ScheduleRefitFlagClear();
    if (CChildWnd* overlay = w.WatermarkOverlay()) {
        overlay->InvalidateTextItem();
        overlay->SetTextItemMovable(!tiled);
    }
}

// The picture placed freely (0), tiled (1) or in a nine-grid cell (2). Only a free picture takes
// the size slider and the mouse.
void ApplyPicturePlacement(CMainWnd& w, int layout)
{
    SetMouse(w.m_pPicSizeSlider, layout == 0);
    CChildWnd* overlay = w.WatermarkOverlay();
    if (layout == 2) {
        if (overlay == nullptr)
            return;
        const RECT from = PictureWatermarkLayout == 1 ? overlay->GetPictureItemRect() : overlay->GetPictureItemPos();
        overlay->SetPictureItemMovable(false);
        if (w.m_pWaterPath == nullptr || w.m_pWaterPath->GetText().IsEmpty())
            return;
        PictureWatermarkLayout = 2;
        w.PlacePictureInSelectedCell(from);
        return;
    }
    if (layout == 1 && overlay)
        w.m_rcPictureTiled = overlay->GetPictureItemPos();
    PictureWatermarkLayout = layout;
    WatermarkRefitFlag = 1;
    if (layout == 0)
        WatermarkRecenterFlag = 1;
    w.ScheduleRefitFlagClear();
    if (overlay) {
        overlay->InvalidatePictureItem();
        overlay->SetPictureItemMovable(layout == 0);
    }
}

// Marks the layer's current item to fit its text and draw again.
void RefitSelected(const SelectedTextItem& selected)
{
    if (selected.layer && selected.layer->m_pCurrentItem)
        selected.layer->m_pCurrentItem->m_bFitPending = true;
    RerenderSelected(selected);
}

// A text-item style option changes the selected item, or the default style while none is selected.
void ApplyTextItemStyleBit(CMainWnd& w, SkinUI::CControlUI* sender, int bit, uint8_t TextItem::*flag)
{
    const bool on = IsChecked(sender);
    SelectedTextItem selected = FindSelectedTextItem(w);
    int& style = selected.record ? selected.record->fontStyle : WatermarkSettings.fontStyle;
    style = on ? (style | bit) : (style & ~bit);
    if (selected.record)
        selected.record->*flag = on ? 1 : 0;
    RefitSelected(selected);
}

// Stroke, box and shadow: the selected item and the default style both follow the option.
void ApplyTextItemEffect(CMainWnd& w, SkinUI::CControlUI* sender, uint8_t WatermarkStyle::*on, int WatermarkStyle::*colour,
                         uint8_t TextItem::*itemOn, int64_t TextItem::*itemColour, const wchar_t* swatch)
{
    const bool selected = IsChecked(sender);
    SkinUI::CControlUI* source = w.GetPaintManager().FindControl(swatch);
    const DWORD background = source ? source->GetBkColor() : 0;
    SelectedTextItem item = FindSelectedTextItem(w);
    if (item.record) {
        item.record->*itemOn = selected ? 1 : 0;
        if (selected)
            item.record->*itemColour = background;
    }
    WatermarkSettings.*on = selected ? 1 : 0;
    if (selected)
        WatermarkSettings.*colour = static_cast<int>(background & 0x00FFFFFF);
    RefitSelected(item);
}

}  // namespace

bool CMainWnd::HandlePageNotify(SkinUI::TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return true;
    if (msg.sType == L"selectchanged")
        OnSelectChanged(msg);
    else if (msg.sType == L"unselected")
        OnUnselected(msg);
    else if (msg.sType == L"textchanged")
        OnTextChanged(msg);
    else if (msg.sType == L"setfocus")
        OnFieldFocus(msg);
    else if (msg.sType == L"killfocus")
        OnFieldKillFocus(msg);
    else if (msg.sType == L"return")
        EndRowRename(msg.pSender, true);
    else if (msg.sType == L"itemselect")
        OnItemSelect(msg);
    else if (msg.sType == L"progresspos" || msg.sType == L"progressendpos" || msg.sType == L"playvideo")
        OnMarkerNotify(msg);
    else if (msg.sType == L"valuechanged" || msg.sType == L"movevaluechanged")
        return OnSliderChanged(msg);
    return true;
}

void CMainWnd::OnUnselected(SkinUI::TNotifyUI& msg)
{
    SkinUI::CControlUI* parent = msg.pSender->GetParent();
    auto* box = parent ? static_cast<SkinUI::CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    if (SkinUI::CControlUI* underline = box ? box->FindSubControl(L"xxx") : nullptr)
        underline->SetVisible(false);
}

bool CMainWnd::OnPageTabSelected(const SkinUI::CUIString& name)
{
    const PageTab* tab = nullptr;
    for (const PageTab& candidate : PageTabs())
        if (name == candidate.option)
            tab = &candidate;
    if (tab == nullptr)
        return false;
    auto* pages = m_ptab_Tran ? static_cast<SkinUI::CTabLayoutUI*>(m_ptab_Tran->GetInterface(L"TabLayout")) : nullptr;
    if (pages)
        pages->SelectItem(m_pm.FindControl(tab->page));
    if (tab->overlays != OverlayPair::Show)
        ShowOverlayWindows(false);
    ResizeForPage(kPageHeight);
    if (tab->overlays == OverlayPair::Show)
        ShowOverlayWindows(true);
    if (tab->overlays == OverlayPair::HideAndClose)
        CloseOverlayWindows();
    const bool keepWatermark = tab->endLimit == 1002 && Visible(m_pWaterMaker);
    if (m_pWatermarkWnd)
        ::ShowWindow(m_pWatermarkWnd->GetHWND(), keepWatermark ? SW_SHOW : SW_HIDE);
    // The typed subtitles' layer lies over the subtitle page's preview alone, as the watermark
    // overlay lies over its own: another page must not show it.
    const bool keepTextLayer = tab->endLimit == 1002 && Visible(m_psubtitleVer);
    if (m_pTextLayerWnd && ::IsWindow(m_pTextLayerWnd->GetHWND()))
        ::ShowWindow(m_pTextLayerWnd->GetHWND(), keepTextLayer ? SW_SHOWNOACTIVATE : SW_HIDE);
    for (Member member : kPlayers) {
        if (std::find(tab->keep.begin(), tab->keep.end(), member) != tab->keep.end())
            continue;
        if (CAVPlayer* player = PlayerOf(this->*member); player && player->IsPlaybackActive())
            player->PausePlayback();
    }
    for (const Resume& resume : tab->resume) {
        if (resume.subPage && !Visible(this->*resume.subPage))
            continue;
        if (CAVPlayer* player = PlayerOf(this->*resume.player); player && Visible(this->*resume.pauseButton))
            player->ResumePlayback();
    }
    if (tab->pageKey)
        PageKey = tab->pageKey;
    if (tab->endLimit)
        EndHandleLimit = tab->endLimit;
    if (tab->endRect.right != 0)
        EndHandleRect = tab->endRect;
    if (tab->overlays == OverlayPair::Show && m_pstart && m_pend) {
        // The page's relayout puts the markers back at their skin places: they return to where
        // they were once it is done.
        m_rcMarkers[0] = m_pstart->GetPos();
        m_rcMarkers[1] = m_pend->GetPos();
        ::SetTimer(m_hWnd, kTimerMarkerLayout, kMarkerLayoutDelayMs, nullptr);
    }
    return true;
}

void CMainWnd::RunMarkerLayout()
{
    const RECT& start = m_rcMarkers[0];
    const RECT& end = m_rcMarkers[1];
    if (m_pstart == nullptr || m_pend == nullptr || start.right <= start.left || end.right <= end.left)
        return;  // never laid out: the skin's places stand
    m_pstart->SetPos(start);
    m_pend->SetPos(end);
}

void CMainWnd::OnSelectChanged(SkinUI::TNotifyUI& msg)
{
    SkinUI::CControlUI* sender = msg.pSender;
    const SkinUI::CUIString name = sender->GetName();
    if (OnPageTabSelected(name))
        return;
    CMainWnd& w = *this;
    if (name == L"CoverSpin")
        SetMouse(m_pm.FindControl(L"CorverComspin"), IsChecked(sender));
    else if (name == L"Mute")
        ApplyMute(w, sender);
    else if (name == L"handSegmen")
        ApplySplitMode(w, 0);
    else if (name == L"Average")
        ApplySplitMode(w, 1);
    else if (name == L"TimeAverage")
        ApplySplitMode(w, 2);
    else if (name == L"Spin") {
        SkinUI::CControlUI* rotation = m_pm.FindControl(L"Comspin");
        SetMouse(rotation, IsChecked(sender));
        if (rotation && rotation->GetText() != L"原始")
            ApplyPreviewRotation(IsChecked(sender) ? std::wstring(rotation->GetText().GetData()) : L"原始");
    } else if (name == L"SingleScreen")
        ApplyScreenMode(w, false);
    else if (name == L"Succseeion")
        ApplyScreenMode(w, true);
    else if (name == L"LongPic")
        ApplyScreenRows(w, false);
    else if (name == L"ShotPic")
        ApplyScreenRows(w, true);
    else if (name == L"TextWater")
        ApplyWatermarkKind(w, true);
    else if (name == L"PicWater")
        ApplyWatermarkKind(w, false);
    else if (name == L"Blod" || name == L"Italic")
        ApplyWatermarkFontStyle(w);
    else if (name == L"UserOp")
        ApplyTextPlacement(w, false);
    else if (name == L"Tiled")
        ApplyTextPlacement(w, true);
    else if (name == L"PicUserOp")
        ApplyPicturePlacement(w, 0);
    else if (name == L"PicTiled")
        ApplyPicturePlacement(w, 1);
    else if (name == L"PicCorner")
        ApplyPicturePlacement(w, 2);
    else if (WatermarkCellNumber(name.GetData()) != 0) {
        if (CChildWnd* overlay = WatermarkOverlay())
            PlacePictureInSelectedCell(overlay->GetPictureItemPos());
    }
    else if (name == L"SubtitleBlod")
        ApplyTextItemStyleBit(w, sender, kFontBold, &TextItem::bold);
    else if (name == L"SubtitleItalic")
        ApplyTextItemStyleBit(w, sender, kFontItalic, &TextItem::italic);
    else if (name == L"BootomUndline")
        ApplyTextItemStyleBit(w, sender, kFontUnderline, &TextItem::bottomUnderline);
    else if (name == L"CenterUndline")
        ApplyTextItemStyleBit(w, sender, kFontStrikeout, &TextItem::centerUnderline);
    else if (name == L"StrokeOp")
        ApplyTextItemEffect(w, sender, &WatermarkStyle::strokeOn, &WatermarkStyle::strokeColor, &TextItem::strokeOn,
                            &TextItem::strokeColor, L"StrokeColor");
    else if (name == L"BorderOp")
        ApplyTextItemEffect(w, sender, &WatermarkStyle::boxOn, &WatermarkStyle::boxColor, &TextItem::borderOn,
                            &TextItem::borderColor, L"borderColor");
    else if (name == L"ShadowOp")
        ApplyTextItemEffect(w, sender, &WatermarkStyle::shadowOn, &WatermarkStyle::shadowColor, &TextItem::shadowOn,
                            &TextItem::shadowColor, L"shadowColor");
}

void CMainWnd::ScheduleRefitFlagClear()
{
    // A UI timer in place of a sleeping chore: the flag clears half a second after the last change
    // and a closed window leaves no task behind.
    ::SetTimer(m_hWnd, kTimerRefitFlag, kRefitResetMs, nullptr);
}

void CMainWnd::ApplyPreviewRotation(std::wstring rotation)
{
    CAVPlayer* player = PlayerOf(m_pOptimizationPlayer);
    if (player == nullptr)
        return;
    struct Rotation { const wchar_t* text; const char* filter; };
    const Rotation rotations[] = { { L"原始", "" }, { L"90°", "transform{type=90}" },
                                   { L"180°", "transform{type=180}" }, { L"270°", "transform{type=270}" } };
    for (const Rotation& r : rotations) {
        if (rotation != r.text)
            continue;
        OpenPlayerNow(m_pOptimizationPlayer, m_strAdjustSourcePath, player->PositionPermille(), r.filter);
    }
    const bool aspect = m_pVideoAcpect && m_pVideoAcpect->GetText() != L"原始";
    const bool speed = m_pSpeed && m_pSpeed->GetText() != L"1.0x";
    if (!aspect && !speed)
        return;
    // The reopened player takes the aspect and rate only once it runs: they follow half a second
    // later, on a timer rather than a sleep of the UI thread.
    ::SetTimer(m_hWnd, kTimerRotationReapply, kRotationReapplyMs, nullptr);
}

bool CMainWnd::OnPageTimer(UINT_PTR id)
{
    switch (id) {
    case kTimerMarkerLayout:
        RunMarkerLayout();
        break;
    case kTimerRefitFlag:
        WatermarkRefitFlag = 0;
        break;
    case kTimerMusicPlacement:
        RunMusicPlacementFill();
        break;
    case kTimerRotationReapply:
        if (CAVPlayer* player = PlayerOf(m_pOptimizationPlayer)) {
            if (m_pVideoAcpect && m_pVideoAcpect->GetText() != L"原始")
                player->SetDisplayAspect(WideToAnsi(m_pVideoAcpect->GetText().GetData()));
            const std::wstring speed = m_pSpeed ? m_pSpeed->GetText().GetData() : L"";
            if (speed.size() > 1 && speed != L"1.0x")
                player->SetPlaybackRate(std::wcstof(speed.substr(0, speed.size() - 1).c_str(), nullptr));
        }
        break;
    default:
        return false;
    }
    ::KillTimer(m_hWnd, id);
    return true;
}
