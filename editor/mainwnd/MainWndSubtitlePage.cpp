// The subtitle sub-page of the multi-clip page: timed text items composed on a layer window that
// lies over the preview's picture, or a subtitle file the preview shows at once. The save renders
// every item into its own new PNG in the private work folder and records the items or the file in
// the clip's record. When the page closes, its layer goes and nothing points at it any more; the
// typed-subtitle controls are usable again on every opening. UI thread.

#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/ColorWnd.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/dialogs/SubtitleWnd.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/SelectedTextItem.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kEmptyText = L"您还未填写字幕内容，请先添加字幕内容。";
constexpr const wchar_t* kRenderFailed = L"字幕图片生成失败，请重试。";
constexpr const wchar_t* kSubtitlePatterns = L"*.ass;*.ssa;*.srt;*.sub;*.idx;*.smi;";
constexpr const wchar_t* kSubtitleTitle = L"请选择要添加的字幕文件:";
constexpr SIZE kPaletteSize { 360, 220 };

float GroupSeconds(const TimeGroup& g)
{
    const auto n = [](SkinUI::CControlUI* c) { return c ? ReadFieldNumber(c->GetText()) : 0; };
    return static_cast<float>(n(g.hours) * 3600 + n(g.minutes) * 60 + n(g.seconds)) + n(g.fraction) * 0.1f;
}

TimeGroup StartTimes(const CMainWnd& w)
{
    return { w.m_psubtitleTimerHour, w.m_psubtitleTimerminute, w.m_psubtitleTimersecond, w.m_psubtitleTimerMillsecond };
}

TimeGroup EndTimes(const CMainWnd& w)
{
    return { w.m_psubtitleOverHour, w.m_psubtitleOverminute, w.m_psubtitleOversecond, w.m_psubtitleOverMillsecond };
}

int RgbOf(SkinUI::CControlUI* swatch)
{
    return swatch ? static_cast<int>(swatch->GetBkColor() & 0x00FFFFFF) : -1;
}

// The items draw with the default style until they are filed, and are filed with the page's own
// style: so the default style is the page's, never what the watermark page left in it.
void TakePageStyle(const CMainWnd& w)
{
    WatermarkSettings.size = ReadFieldNumber(TextOf(w.m_pSubtitleFontSize).c_str());
    WatermarkSettings.font = TextOf(w.m_pSubtitleFont).c_str();
    WatermarkSettings.fontStyle = (IsChecked(w.m_pSubtitleBlod) ? kFontBold : 0) | (IsChecked(w.m_pSubtitleItalic) ? kFontItalic : 0)
                                  | (IsChecked(w.m_pBootomUndline) ? kFontUnderline : 0)
                                  | (IsChecked(w.m_pCenterUndline) ? kFontStrikeout : 0);
    WatermarkSettings.textColor = RgbOf(w.m_pSubtitlepalette);
    WatermarkSettings.textAlpha = 255 - BarValue(w.m_pSubtitleMarkSlider);
    WatermarkSettings.textAngle = BarValue(w.m_pSubtitleSpinSlider);
    WatermarkSettings.strokeOn = IsChecked(w.m_pStrokeOp) ? 1 : 0;
    WatermarkSettings.strokeColor = RgbOf(w.m_pStrokeColor);
    WatermarkSettings.boxOn = IsChecked(w.m_pBorderOp) ? 1 : 0;
    WatermarkSettings.boxColor = RgbOf(w.m_pborderColor);
    WatermarkSettings.shadowOn = IsChecked(w.m_pShadowOp) ? 1 : 0;
    WatermarkSettings.shadowColor = RgbOf(w.m_pshadowColor);
}

std::wstring ColourText(int64_t colour)
{
    return FormatWide(L"%02x%02x%02x", static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                      static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace

CWaterFloatWnd* CMainWnd::TextLayer() const
{
    return dynamic_cast<CWaterFloatWnd*>(m_pTextLayerWnd);
}

void CMainWnd::StartTextItem(bool samePlace)
{
    m_textItem.name = FormatWide(L"Index%d", ++m_nTextItemIndex);
    m_textItem.text.clear();
    CWaterFloatWnd* layer = TextLayer();
    if (layer == nullptr)
        return;
    layer->AddItem(m_textItem.name.c_str(), L"", TextOf(m_pSubtitleFont).c_str(),
                   ReadFieldNumber(TextOf(m_pSubtitleFontSize).c_str()),
                   m_pSubtitlepalette ? m_pSubtitlepalette->GetBkColor() : 0xFFFFFFFF, samePlace);
}

void CMainWnd::OpenSubtitlePage(SkinUI::CControlUI* row, SkinUI::CControlUI* sender)
{
    if (auto* button = sender ? static_cast<SkinUI::CLabelUI*>(sender->GetInterface(L"Label")) : nullptr)
        button->SetTextColor(kClipEditPlainColour);
    EndHandleLimit = 689;
    PageKey = L"VideoAddSubTitle";
    const ClipRowFacts facts = TakeRowClip(*this, row, 0);
    ShowClipList(false);
    Show(m_psubtitleVer, true);
    const long long ms = DurationMsOf(facts.durationMs);
    m_strSubpageDurationMs = DurationTenthsText(ms).c_str();
    if (const std::wstring clock = DurationClockText(ms); !clock.empty())
        m_strSubpageDuration = clock.c_str();
    auto* layer = new CWaterFloatWnd;
    m_textLayer.reset(layer);  // a layer of an earlier opening goes with its object
    m_pTextLayerWnd = layer;
    layer->Create(m_hWnd, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
    ::ShowWindow(layer->GetHWND(), SW_SHOW);
    FitOverlay(m_pTextLayerWnd, m_psubtitlePlayer, facts.aspect, true);
    FillFontCombo(m_pSubtitleFont, ListInstalledFonts(), L"微软雅黑");
    Enable(m_pInsertSubtitle, true);
    Enable(m_psubtitleText, true);
    TakePageStyle(*this);
    const TimeGroup start = StartTimes(*this), end = EndTimes(*this);
    WriteTimeGroup(start, L"00", L"00", L"00", L"0");
    const std::vector<std::wstring> parts = ClockParts(m_strSubpageDuration.GetData());
    if (parts.size() != 3)
        return;
    WriteTimeGroup(end, parts[0], parts[1], parts[2], m_strSubpageDurationMs.GetData());
    SetText(m_pSubTitlePath, L"");
    m_clipItem.hasSubtitleFile = 0;
    m_vecTextItems.clear();
    m_textItem.videoScale = TextLayerScale(std::wcstol(m_strClipWidth.c_str(), nullptr, 10),
                                           std::wcstol(m_strClipHeight.c_str(), nullptr, 10));
    StartTextItem(false);
    OpenPagePlayer(m_psubtitlePlayer, facts.path);
}

void CMainWnd::ShowSubtitleList()
{
    CSubtitleWnd list(this);
    list.Create(m_hWnd, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
    list.CenterWindow();
    list.ShowModal();
}

void CMainWnd::InsertSubtitleItem()
{
    if (TextOf(m_psubtitleText).empty()) {
        CMessageWnd::Ask(m_hWnd, kEmptyText, L"", L"", L"确定");
        return;
    }
    SettleSubtitleOrder(m_bSubtitleStartLast);
    const TimeGroup start = StartTimes(*this), end = EndTimes(*this);
    TextItem& item = m_textItem;
    item.sizeText = TextOf(m_pSubtitleFontSize);
    // The item gets the times the fields show, and lists them as they show them.
    item.startSeconds = GroupSeconds(start);
    item.endSeconds = GroupSeconds(end);
    item.startText = TimeGroupText(start);
    item.endText = TimeGroupText(end);
    item.pngPath = NewWorkPicturePath(item.name.c_str(), L".png");
    item.text = TextOf(m_psubtitleText);
    item.font = TextOf(m_pSubtitleFont);
    item.bold = IsChecked(m_pSubtitleBlod);
    item.italic = IsChecked(m_pSubtitleItalic);
    item.bottomUnderline = IsChecked(m_pBootomUndline);
    item.centerUnderline = IsChecked(m_pCenterUndline);
    item.alpha = 255 - BarValue(m_pSubtitleMarkSlider);
    item.angle = BarValue(m_pSubtitleSpinSlider);
    item.scale = static_cast<float>(BarValue(m_pSubtitleSizeSlider));
    item.borderOn = IsChecked(m_pBorderOp);
    item.strokeOn = IsChecked(m_pStrokeOp);
    item.shadowOn = IsChecked(m_pShadowOp);
    const auto colour = [](SkinUI::CControlUI* c) { return static_cast<int64_t>(c ? c->GetBkColor() : 0); };
    item.borderColor = colour(m_pborderColor);
    item.shadowColor = colour(m_pshadowColor);
    item.strokeColor = colour(m_pStrokeColor);
    item.color = colour(m_pSubtitlepalette);
    item.colorText = ColourText(item.color);
    item.borderColorText = ColourText(item.borderColor);
    item.shadowColorText = ColourText(item.shadowColor);
    item.strokeColorText = ColourText(item.strokeColor);
    item.fontStyle = WatermarkSettings.fontStyle;
    m_vecTextItems.push_back(item);
    StartTextItem(true);
    SetText(m_psubtitleText, L"");
    Enable(m_pSubtitleExport, true);
}

void CMainWnd::LargerSubtitleText()
{
    SkinUI::CComboUI* sizes = ComboOf(m_pSubtitleFontSize);
    if (sizes == nullptr || sizes->GetCount() == 0)
        return;
    const std::wstring current = TextOf(m_pSubtitleFontSize);
    int next = 0;
    for (int i = sizes->GetCount() - 1; i >= 0; --i)
        if (TextOf(sizes->GetItemAt(i)) == current) {
            next = std::min(i + 1, sizes->GetCount() - 1);
            break;
        }
    sizes->SelectItem(next, false);
    const std::wstring chosen = TextOf(sizes->GetItemAt(next));
    SelectedTextItem selected = FindSelectedTextItem(*this);
    if (selected.record)
        selected.record->sizeText = chosen;
    else
        WatermarkSettings.size = ReadFieldNumber(chosen.c_str());
    if (selected.layer && selected.layer->m_pCurrentItem) {
        selected.layer->m_pCurrentItem->m_bFitPending = true;
        selected.layer->m_pCurrentItem->Invalidate();
    }
}

void CMainWnd::OpenSubtitlePalette(SkinUI::CControlUI* button)
{
    if (button == nullptr)
        return;
    m_pColorTarget = button;
    POINT corner { button->GetPos().left, button->GetPos().top };
    ::ClientToScreen(m_hWnd, &corner);
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfo(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const bool swatchButton = button->GetName() == L"ColorBtn";
    auto* palette = new CColorWnd(this, swatchButton ? 0 : 1);  // deletes itself with its window
    HWND window = palette->CreateOwned(m_hWnd);
    RECT rc {};
    ::GetWindowRect(window, &rc);
    const SIZE size = rc.right > rc.left ? SIZE { rc.right - rc.left, rc.bottom - rc.top } : kPaletteSize;
    const POINT at = PlacePalette(corner, monitor.rcWork, swatchButton, size);
    ::SetWindowPos(window, HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE);  // above the page's overlays
}

void CMainWnd::StepSubtitleTime(bool start, bool up)
{
    const TimeGroup g = start ? StartTimes(*this) : EndTimes(*this);
    SkinUI::CControlUI*& focus = start ? m_pSubtitleStartFocus : m_pSubtitleEndFocus;
    if (!g.Holds(focus))
        focus = g.fraction;
    StepTimeField(g, focus, up, kTenths);
    SettleSubtitleOrder(start);
}

void CMainWnd::SettleSubtitleOrder(bool startWins)
{
    m_bSubtitleStartLast = startWins;
    const TimeGroup start = StartTimes(*this), end = EndTimes(*this);
    if (m_bSubtitleClampOff || GroupSeconds(end) >= GroupSeconds(start))
        return;
    const TimeGroup& from = startWins ? start : end;
    WriteTimeGroup(startWins ? end : start, TextOf(from.hours), TextOf(from.minutes), TextOf(from.seconds),
                   TextOf(from.fraction));
}

void CMainWnd::ChangeSubtitleVideo()
{
    std::wstring path;
    if (!ChooseReplacementVideo(path))
        return;
    if (CAVPlayer* player = PlayerOf(m_psubtitlePlayer))
        player->StopPlayback();
    Show(m_psubtitlePlay, false);
    Show(m_psubtitlePause, true);
    const ClipRowFacts facts = ReplaceClipVideo(m_psubtitlePlayer, path);
    m_textItem.videoScale = TextLayerScale(std::wcstol(facts.width.c_str(), nullptr, 10),
                                           std::wcstol(facts.height.c_str(), nullptr, 10));
    FitOverlay(m_pTextLayerWnd, m_psubtitlePlayer, facts.aspect, true);
    m_vecTextItems.clear();
    if (CWaterFloatWnd* layer = TextLayer())
        layer->RemoveAllItems();
    m_textItem.text.clear();
    std::vector<std::wstring> families;
    for (const SkinUI::CUIString& name : SplitUIString(ListInstalledFonts().c_str(), L","))
        families.emplace_back(name.GetData());
    if (SkinUI::CComboUI* fonts = ComboOf(m_pSubtitleFont))
        fonts->SelectItem(FontComboPosition(families, L"黑体"), false);
    const long long ms = DurationMsOf(facts.durationMs);
    m_strSubpageDurationMs = DurationTenthsText(ms).c_str();
    if (const std::wstring clock = DurationClockText(ms); !clock.empty())
        m_strSubpageDuration = clock.c_str();
    Enable(m_pInsertSubtitle, true);
    Enable(m_psubtitleText, true);
    SetText(m_psubtitleText, L"");
    WriteTimeGroup({ m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond }, L"00",
               L"00", L"00", L"0");
    const std::vector<std::wstring> parts = ClockParts(m_strSubpageDuration.GetData());
    if (parts.size() != 3)
        return;
    WriteTimeGroup({ m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond }, parts[0],
               parts[1], parts[2], m_strSubpageDurationMs.GetData());
    StartTextItem(false);
}

void CMainWnd::TakeSubtitleFile()
{
    const std::wstring path = ChooseOneFile(m_hWnd, kSubtitleTitle, kSubtitlePatterns);
    if (path.empty())
        return;
    m_strSubtitleFile = path;
    m_vecTextItems.clear();
    m_textItem.text.clear();
    // The file replaces the typed items: their controls leave the layer with them.
    if (CWaterFloatWnd* layer = TextLayer())
        layer->RemoveAllItems();
    SetText(m_psubtitleText, L"");
    SetText(m_pSubTitlePath, path);
    m_bSubtitleSeekOff = 1;
    WriteTimeGroup({ m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond }, L"00",
               L"00", L"00", L"0");
    const size_t point = m_textItem.endText.find(L'.');
    const std::vector<std::wstring> parts = ClockParts(m_textItem.endText.substr(0, point));
    if (parts.size() == 3 && point != std::wstring::npos)
        WriteTimeGroup({ m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond },
                   parts[0], parts[1], parts[2], m_textItem.endText.substr(point + 1, 1));
    Enable(m_pInsertSubtitle, false);
    Enable(m_psubtitleText, false);
    m_bSubtitleSeekOff = 0;
    if (CAVPlayer* player = PlayerOf(m_psubtitlePlayer))
        player->SetSubtitleFile(WideToUtf8(path));
    Enable(m_pSubtitleExport, true);
}

bool CMainWnd::RenderTextItems()
{
    CWaterFloatWnd* layer = TextLayer();
    for (const TextItem& item : m_vecTextItems) {
        CWaterTextUI* control = layer ? layer->FindItem(item.name.c_str()) : nullptr;
        if (control == nullptr)
            return false;
        layer->m_strCurrentName = item.name.c_str();
        layer->m_pCurrentItem = control;
        ::DeleteFileW(item.pngPath.c_str());
        control->SetVisible(true);
        control->SetImagePath(item.pngPath.c_str());
        control->m_bRenderPending = true;
        const bool written = control->RenderItem(layer->GetPaintContext());
        control->SetVisible(false);
        if (!written)
            return false;
    }
    return true;
}

void CMainWnd::SaveSubtitlePage()
{
    if (!RenderTextItems()) {
        CMessageWnd::Ask(m_hWnd, kRenderFailed, L"", L"", L"确定");
        return;
    }
    Enable(m_pSubtitleExport, false);
    if (CAVPlayer* player = PlayerOf(m_psubtitlePlayer))
        player->StopPlayback();
    ClipRecord work = m_clipItem;
    work.path = m_strClipFile.c_str();
    work.textItems = m_vecTextItems;
    work.coverDuration = static_cast<float>(m_nClipDuration);
    work.kind = kClipSubtitles;
    const std::wstring file = TextOf(m_pSubTitlePath);
    work.hasSubtitleFile = file.empty() ? 0 : 1;
    if (!file.empty())
        work.subtitleFile = file;
    KeepSubPageSave(*this, work, kClipSubtitles, m_psubtitleVer);
    if (m_pTextLayerWnd && ::IsWindow(m_pTextLayerWnd->GetHWND()))
        m_pTextLayerWnd->Close(1);
    m_pTextLayerWnd = nullptr;
    Enable(m_pInsertSubtitle, true);
    Enable(m_psubtitleText, true);
}
