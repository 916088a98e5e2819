// Text changes of the main window's edit fields, focus and combo choices.
//
// Time groups: a change keeps the group behind its partner (an end never before its start) and
// within the page's duration, then moves the page's marker. Every write re-enters this handling
// at once; the rules write only texts that differ, so each re-entry settles. While a marker drag
// writes a page's edits, the page's sync flag is 0 and the markers are not moved back.
// UI thread only.

#include <cwchar>
#include <ctime>

#include "base/StringHelpers.h"
#include "base/ThreadRegistry.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/SelectedTextItem.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/RichEditUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/ContainerUI.h"

using namespace control_access;

namespace {

enum class Fraction { Milliseconds, Hundredths, Tenths, None };
enum class Page { Cut, Screen, Music, Subtitle };

struct RangeGroups {
    Page page;
    TimeGroup start;
    TimeGroup end;
    Fraction fraction;
};

constexpr int kAdjustMaximum = 200;
constexpr int kCropMinimum = 14;

void Put(SkinUI::CControlUI* field, const wchar_t* text)
{
    if (field && field->GetText() != text)
        field->SetText(text);
}

void Put(SkinUI::CControlUI* field, const std::wstring& text)
{
    Put(field, text.c_str());
}

int NumberOf(SkinUI::CControlUI* field)
{
    return field ? ReadFieldNumber(field->GetText()) : 0;
}

// The group's time: milliseconds, or whole seconds for a group without a fraction.
long long GroupTime(const TimeGroup& g, Fraction fraction)
{
    const long long seconds = NumberOf(g.hours) * 3600LL + NumberOf(g.minutes) * 60LL + NumberOf(g.seconds);
    switch (fraction) {
    case Fraction::Milliseconds: return seconds * 1000 + NumberOf(g.fraction);
    case Fraction::Hundredths: return seconds * 1000 + NumberOf(g.fraction) * 10LL;
    case Fraction::Tenths: return seconds * 1000 + NumberOf(g.fraction) * 100LL;
    case Fraction::None: break;
    }
    return seconds;
}

std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos)
            return parts;
        start = at + 1;
    }
}

// The C run-time's "%X" text of whole seconds after midnight, as a UTC breakdown.
std::wstring ClockText(long long seconds)
{
    const time_t t = static_cast<time_t>(seconds);
    struct tm parts {};
    gmtime_r(&t, &parts);
    char buffer[32] = {};
    strftime(buffer, sizeof buffer, "%X", &parts);
    return AnsiToWide(buffer);
}

// The split point moves the split preview, its slider, progress, label and marker. Its fraction
// holds hundredths, as everything else on the split page reads and writes it.
void SplitPointChanged(CMainWnd& w)
{
    const TimeGroup g { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    long long t = GroupTime(g, Fraction::Hundredths);
    if (w.m_nSplitDuration <= 0)
        return;  // nothing loaded: no position to give
    CAVPlayer* player = PlayerOf(w.m_pVideoSegmenPlayer);
    long long total = player ? player->MediaLengthMs() / 1000 : 0;
    if (total == 0)
        total = w.m_nSplitDuration / 1000;
    if (t > w.m_nSplitDuration) {
        const std::wstring d = FormatWide(L"%d", w.m_nSplitDuration);
        if (d.size() < 3)
            return;
        const std::vector<std::wstring> parts = SplitAt(CMainWnd::FormatDuration(d.substr(0, d.size() - 3)), L':');
        if (parts.size() != 3)
            return;
        Put(g.hours, parts[0]);
        Put(g.minutes, parts[1]);
        Put(g.seconds, parts[2]);
        Put(g.fraction, d.substr(d.size() - 3, 2));  // the milliseconds digit is dropped
        t = GroupTime(g, Fraction::Hundredths);  // the label and the marker show the clamped time
    }
    if (w.m_pSegemshowtime)
        w.m_pSegemshowtime->SetText(FormatWide(L"%s/%s", ClockText(t / 1000).c_str(), ClockText(total).c_str()).c_str());
    float p = static_cast<float>(t) / static_cast<float>(w.m_nSplitDuration) * 1000.0f;
    if (p > 999.0f)
        p = 1000.0f;
    SetBarValue(w.m_pSegmenSliderPlay, static_cast<int>(p));
    SetBarValue(w.m_pSegmenProgress, static_cast<int>(p));
    if (player)
        player->SetPositionPermille(p);
    if (w.m_pSegmenCut == nullptr)
        return;
    const int x = static_cast<int>(w.ScaleByDpi(511) * p * 0.001f) + w.ScaleByDpi(197);
    RECT rc = w.m_pSegmenCut->GetPos();
    if (rc.left != 0 || rc.right != 0)
        w.m_pSegmenCut->SetPos({ x, rc.top, x + 12, rc.bottom });
    // The marker floats in the timeline: its place is also kept as its position in the timeline,
    // so the next layout there (a list emptied by a change of file, a resize) leaves it on the point.
    SkinUI::CControlUI* timeline = w.m_pSegmenCut->GetParent();
    const int left = w.GetPaintManager().GetDPIObj()->ScaleBack(x - (timeline ? timeline->GetPos().left : 0));
    w.m_pSegmenCut->SetAttribute(L"pos", FormatWide(L"%d,2,%d,25", left, left + 12).c_str());
}

void CoverTimeChanged(CMainWnd& w)
{
    CAVPlayer* player = PlayerOf(w.m_pSoundTrackPlayer);
    if (player && player->IsPlaybackActive()) {
        if (w.m_pSoundTrackbtnPlay)
            w.m_pSoundTrackbtnPlay->SetVisible(true);
        if (w.m_pSoundTrackbtnPause)
            w.m_pSoundTrackbtnPause->SetVisible(false);
        player->PausePlayback();
    }
    const TimeGroup g { w.m_pCorverHour, w.m_pCorverminute, w.m_pCorversecond, w.m_pCorverMillsecond };
    const long long t = GroupTime(g, Fraction::Milliseconds);
    if (t > w.m_nClipDuration) {
        const std::vector<std::wstring> parts =
            SplitAt(CMainWnd::FormatDuration(FormatWide(L"%d", w.m_nClipDuration / 1000)), L':');
        if (parts.size() == 3) {
            Put(g.hours, parts[0]);
            Put(g.minutes, parts[1]);
            Put(g.seconds, parts[2]);
        }
        const std::wstring ms = FormatWide(L"%d", w.m_nClipDuration);
        Put(g.fraction, ms.size() > 3 ? ms.substr(ms.size() - 3) : ms);
    }
    if (player == nullptr)
        return;
    player->SetPlaybackTimeMs(static_cast<int>(t));
    if (w.m_pSoundTrackshowtime)
        w.m_pSoundTrackshowtime->SetText(FormatWide(L"%s/%s", ClockText(player->PlaybackTimeMs() / 1000).c_str(),
                                                    ClockText(w.m_nClipDuration / 1000).c_str()).c_str());
    SetBarValue(w.m_pSoundTrackProgress, player->PositionPermille());
    SetBarValue(w.m_pSoundTrackSlider, player->PositionPermille());
}

// The crop frame lies over the picture, which the crop mask window covers exactly (the relayout
// puts it there): the fields' rectangle is measured from the mask's corner, as the frame's own
// moves write the fields from it.
void PlaceCropFrame(CMainWnd& w, int x, int y, int width, int height)
{
    RECT picture {};
    if (w.m_hConceal == nullptr || w.m_hCover == nullptr || !::GetWindowRect(w.m_hCover, &picture))
        return;
    ::MoveWindow(w.m_hConceal, picture.left + x, picture.top + y, width, height, TRUE);
}

// Crop edits keep the rectangle on the canvas. A canvas smaller than the minimum crop (no picture
// size known) never yields a negative place.
void CropFieldChanged(CMainWnd& w, SkinUI::CControlUI* sender)
{
    if (!w.m_bCropFromEdits)
        return;
    int x = NumberOf(w.m_pXwidth), y = NumberOf(w.m_pYheight), cw = NumberOf(w.m_pcut_width), ch = NumberOf(w.m_pcut_height);
    w.m_bCropByUser = 1;
    const int W = std::max(0, CropCanvasWidth), H = std::max(0, CropCanvasHeight);
    auto put = [](SkinUI::CControlUI* field, int value) { Put(field, FormatWide(L"%d", value)); };
    if (sender == w.m_pXwidth) {
        if (x > W - kCropMinimum) {
            x = std::max(0, W - kCropMinimum);
            cw = std::min(kCropMinimum, W);
            put(w.m_pXwidth, x);
            put(w.m_pcut_width, cw);
        } else if (x + cw > W) {
            cw = W - x;
            put(w.m_pcut_width, cw);
        }
    } else if (sender == w.m_pcut_width) {
        if (cw > W) {
            x = 0;
            cw = W;
            put(w.m_pXwidth, x);
            put(w.m_pcut_width, cw);
        } else if (x + cw > W) {
            x = W - cw;
            put(w.m_pXwidth, x);
        }
    } else if (sender == w.m_pYheight) {
        if (y > H - kCropMinimum) {
            y = std::max(0, H - kCropMinimum);
            ch = std::min(kCropMinimum, H);
            put(w.m_pYheight, y);
            put(w.m_pcut_height, ch);
        } else if (y + ch > H) {
            ch = H - y;
            put(w.m_pcut_height, ch);
        }
    } else if (sender == w.m_pcut_height) {
        if (ch > H) {
            y = 0;
            ch = H;
            put(w.m_pYheight, y);
            put(w.m_pcut_height, ch);
        } else if (y + ch > H) {
            y = H - ch;
            put(w.m_pYheight, y);
        }
    }
    // The innermost re-entry moved the frame first; this level moves it with the values it wrote.
    PlaceCropFrame(w, NumberOf(w.m_pXwidth), NumberOf(w.m_pYheight), NumberOf(w.m_pcut_width), NumberOf(w.m_pcut_height));
}

void AdjustBoxChanged(CMainWnd& w, SkinUI::CControlUI* sender)
{
    if (NumberOf(sender) > kAdjustMaximum) {
        Put(sender, L"200");
        return;  // the rewrite above handled the row with "200"
    }
    SkinUI::CControlUI* row = sender->GetParent();
    const int value = NumberOf(sender);
    SetBarValue(ChildAt(row, 2), value);
    SetBarValue(ChildAt(row, 1), value);
    CAVPlayer* player = PlayerOf(w.m_pOptimizationPlayer);
    if (player == nullptr)
        return;
    if (sender == w.m_psaturationRich)
        player->SetSaturationLevel(static_cast<float>(value / 66.67));
    else if (sender == w.m_pbrighRich)
        player->SetBrightnessLevel(static_cast<float>(value / 100.0));
    else
        player->SetContrastLevel(static_cast<float>(value / 100.0));
}

// The unit stays the last character, with the caret before it, so digits typed into an emptied or
// fully selected field land in front of the unit. Digits typed after a leading "s" move in front of
// it; after a "%" they are cut.
void SuffixFieldChanged(SkinUI::CControlUI* sender, wchar_t unit)
{
    const std::wstring text = TextOf(sender);
    const size_t at = text.find(unit);
    std::wstring kept = text;
    if (unit == L'%' && at != std::wstring::npos)
        kept = text.substr(0, at + 1);
    else if (at == std::wstring::npos || at + 1 < text.size()) {
        std::erase(kept, unit);
        kept += unit;
    }
    if (kept == text)
        return;
    Put(sender, kept);
    if (auto* edit = static_cast<SkinUI::CRichEditUI*>(sender->GetInterface(L"RichEdit")))
        edit->SetSel(static_cast<long>(kept.size()) - 1, static_cast<long>(kept.size()) - 1);
}

void OtherFieldChanged(CMainWnd& w, SkinUI::CControlUI* sender)
{
    const TimeGroup split { w.m_pstartSegmenHour, w.m_pstartSegmenminute, w.m_pstartSegmensecond, w.m_pstartSegmenMillsecond };
    const TimeGroup cover { w.m_pCorverHour, w.m_pCorverminute, w.m_pCorversecond, w.m_pCorverMillsecond };
    const SkinUI::CUIString name = sender->GetName();
    if (split.Holds(sender))
        SplitPointChanged(w);
    else if (cover.Holds(sender))
        CoverTimeChanged(w);
    else if (sender == w.m_pXwidth || sender == w.m_pYheight || sender == w.m_pcut_width || sender == w.m_pcut_height)
        CropFieldChanged(w, sender);
    else if (sender == w.m_psaturationRich || sender == w.m_pbrighRich || sender == w.m_pduibiRich)
        AdjustBoxChanged(w, sender);
    else if (name == L"ScreenTimeInterval")
        SuffixFieldChanged(sender, L's');
    else if (name == L"PicScaling")
        SuffixFieldChanged(sender, L'%');
    else if (sender == w.m_pWaterTextRich) {
        WatermarkRefitFlag = 1;
        WatermarkSettings.text = sender->GetText();
        w.ScheduleRefitFlagClear();
        if (w.m_pWaterExport)
            w.m_pWaterExport->SetEnabled(!sender->GetText().IsEmpty());
        // The overlay's text item shows the text, re-centred, and only while there is one.
        if (CChildWnd* overlay = w.WatermarkOverlay()) {
            WatermarkRecenterFlag = 1;
            overlay->InvalidateTextItem();
            overlay->FitTextItemToAngle();
            overlay->ShowTextItem(!sender->GetText().IsEmpty());
        }
    } else if (sender == w.m_psubtitleText) {
        SelectedTextItem selected = FindSelectedTextItem(w);
        CWaterTextUI* item = selected.layer ? selected.layer->FindSelectedItem() : nullptr;
        if (item == nullptr)
            return;
        selected.layer->m_strCurrentName = item->GetName();
        item->SetItemText(sender->GetText());
        item->m_bRenderPending = true;
        item->Invalidate();
        item->FitToText(sender->GetText());
    } else if (sender == w.m_pSubTitlePath) {
        if (!sender->GetText().IsEmpty())
            return;
        if (w.m_pInsertSubtitle)
            w.m_pInsertSubtitle->SetEnabled(true);
        if (w.m_psubtitleText)
            w.m_psubtitleText->SetEnabled(true);
    } else if (name == L"str_input_name") {
        if (SkinUI::CControlUI* button = ChildAt(sender->GetParent(), 0))
            button->SetText(sender->GetText());
    }
}


}  // namespace

void CMainWnd::OnTextChanged(SkinUI::TNotifyUI& msg)
{
    SkinUI::CControlUI* sender = msg.pSender;
    const RangeGroups ranges[] = {
        { Page::Cut, { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond },
          { m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond }, Fraction::Milliseconds },
        { Page::Screen, { m_pstartPicHour, m_pstartPicMinute, m_pstartPicsecound, nullptr },
          { m_pOVerPictHour, m_pOVerPicMinute, m_pOVerPicsecound, nullptr }, Fraction::None },
        { Page::Music, { m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond },
          { m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond }, Fraction::Tenths },
        { Page::Subtitle, { m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond },
          { m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond },
          Fraction::Tenths },
    };
    for (const RangeGroups& range : ranges) {
        const bool start = range.start.Holds(sender);
        if (!start && !range.end.Holds(sender))
            continue;
        uint8_t* sync = range.page == Page::Cut ? &m_bCutSync : range.page == Page::Screen ? &m_bShotSync : &m_bMusicSync;
        auto place = [this, page = range.page](long long time, int seek, bool isStart) {
            switch (page) {
            case Page::Cut: PlaceCutMarker(static_cast<float>(time), seek, isStart); break;
            case Page::Screen: PlaceScreenMarker(static_cast<float>(time), isStart); break;
            case Page::Music: PlaceMusicMarker(static_cast<float>(time), seek, isStart); break;
            case Page::Subtitle: PlaceSubtitleMarker(static_cast<float>(time), seek, isStart); break;
            }
        };
        if (range.page == Page::Subtitle && m_bSubtitleClampOff) {
            // The layer or the subtitle list fills the times from an item: no checks, and the
            // item's seconds take the tenths as tenths.
            const TimeGroup& g = start ? range.start : range.end;
            place(GroupTime(g, Fraction::Tenths), 0, start);
            SelectedTextItem selected = FindSelectedTextItem(*this);
            const float seconds = static_cast<float>(GroupTime(g, Fraction::Tenths)) / 1000.0f;
            if (selected.record) {
                (start ? selected.record->startSeconds : selected.record->endSeconds) = seconds;
                (start ? selected.record->startText : selected.record->endText) = TimeGroupText(g);
            } else {
                (start ? m_textItem.startText : m_textItem.endText) = TimeGroupText(g);
            }
            return;
        }
        const TimeGroup& s = range.start;
        const TimeGroup& e = range.end;
        const long long startTime = GroupTime(s, range.fraction), endTime = GroupTime(e, range.fraction);
        const bool defaultItemFollows = range.page == Page::Subtitle && FindSelectedTextItem(*this).record == nullptr;
        // A subtitle time keeps what is typed, keystroke by keystroke: the other time follows it
        // once the field is left (SettleSubtitleOrder), so a start then an end can be typed in
        // either order.
        const bool subtitle = range.page == Page::Subtitle;
        if (subtitle)
            m_bSubtitleStartLast = start;
        if (start) {
            const bool needsFile = range.page == Page::Cut || range.page == Page::Music;
            if (endTime < startTime && !subtitle && (!needsFile || m_bCutLoaded)) {
                Put(s.hours, TextOf(e.hours));
                Put(s.minutes, TextOf(e.minutes));
                Put(s.seconds, TextOf(e.seconds));
                if (s.fraction)
                    Put(s.fraction, TextOf(e.fraction));
                if (*sync)
                    place(endTime, 0, true);
                return;
            }
            if (sender == s.hours && !subtitle && NumberOf(sender) > NumberOf(e.hours))
                Put(sender, TextOf(e.hours));
            else if ((sender == s.minutes || sender == s.seconds) && NumberOf(sender) > 60)
                Put(sender, L"59");
            if (*sync)
                place(startTime, 0, true);
            if (defaultItemFollows)
                m_textItem.startText = TimeGroupText(s);
            return;
        }
        const std::wstring durationText = range.page == Page::Cut    ? m_strCutDuration.GetData()
                                          : range.page == Page::Screen ? m_strShotDuration.GetData()
                                                                       : m_strSubpageDuration.GetData();
        const std::vector<std::wstring> parts = SplitAt(durationText, L':');
        if (range.page == Page::Cut && parts.size() != 3)
            return;
        if (startTime > endTime) {
            // The end marker goes to the start; the cut end fields say so once they are left
            // (SettleCutEnd), so that an end is typed digit by digit.
            if (range.page != Page::Screen && *sync)
                place(startTime, static_cast<int>(startTime), false);
            return;
        }
        if (parts.size() != 3)
            return;
        long long duration = (ReadFieldNumber(parts[0].c_str()) * 3600LL + ReadFieldNumber(parts[1].c_str()) * 60LL
                              + ReadFieldNumber(parts[2].c_str()));
        std::wstring fractionText;
        if (range.page == Page::Cut) {
            const int ms = m_nCutDurationMs % 1000;
            fractionText = ms == 0 ? L"000" : FormatWide(L"%d", ms);
            duration = duration * 1000 + ms;
        } else if (range.fraction == Fraction::Tenths) {
            fractionText = m_strSubpageDurationMs.GetData();
            duration = duration * 1000 + ReadFieldNumber(m_strSubpageDurationMs) * 100LL;
        }
        if (duration < endTime) {
            Put(e.hours, parts[0]);
            Put(e.minutes, parts[1]);
            Put(e.seconds, parts[2]);
            if (e.fraction)
                Put(e.fraction, fractionText);
            return;
        }
        if (sender == e.hours && NumberOf(sender) > ReadFieldNumber(parts[0].c_str()))
            Put(sender, parts[0]);
        else if ((sender == e.minutes || sender == e.seconds) && NumberOf(sender) > 60)
            Put(sender, L"59");
        if (*sync)
            place(endTime, 0, false);
        if (defaultItemFollows)
            m_textItem.endText = TimeGroupText(e);
        return;
    }
    OtherFieldChanged(*this, sender);
}

void CMainWnd::OnFieldFocus(SkinUI::TNotifyUI& msg)
{
    SkinUI::CControlUI* sender = msg.pSender;
    struct Remembered { SkinUI::CControlUI* CMainWnd::*member; std::vector<SkinUI::CControlUI*> edits; };
    const Remembered groups[] = {
        { &CMainWnd::m_pSplitFocus, { m_pstartSegmenHour, m_pstartSegmenminute, m_pstartSegmensecond, m_pstartSegmenMillsecond,
                                      m_pstartAverageHour, m_pstartAverageminute, m_pstartAveragesecond, m_pstartAverageMillsecond } },
        { &CMainWnd::m_pCoverFocus, { m_pCorverHour, m_pCorverminute, m_pCorversecond, m_pCorverMillsecond,
                                      m_pCorverTimerHour, m_pCorverTimerminute, m_pCorverTimersecond, m_pCorverTimerMillsecond } },
        { &CMainWnd::m_pMusicFocus, { m_pStartMusicHour, m_pStartMusicMinute, m_pStartMusicSecond, m_pStartMusicMillSecond,
                                      m_pOverMusicHour, m_pOverMusicMinute, m_pOverMusicSecond, m_pOverMusicMillSecond } },
        { &CMainWnd::m_pMusicPlaceFocus, { m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond } },
        { &CMainWnd::m_pMusicPlaceEndFocus, { m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond } },
        { &CMainWnd::m_pSubtitleStartFocus, { m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond,
                                              m_psubtitleTimerMillsecond } },
        { &CMainWnd::m_pSubtitleEndFocus, { m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond,
                                            m_psubtitleOverMillsecond } },
    };
    for (const Remembered& g : groups)
        for (SkinUI::CControlUI* edit : g.edits)
            if (edit != nullptr && edit == sender)
                this->*g.member = sender;
}

void CMainWnd::SettleCutEnd()
{
    const TimeGroup start { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond };
    const TimeGroup end { m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond };
    if (GroupTime(end, Fraction::Milliseconds) >= GroupTime(start, Fraction::Milliseconds))
        return;
    WriteTimeGroup(end, TextOf(start.hours), TextOf(start.minutes), TextOf(start.seconds), TextOf(start.fraction));
}

void CMainWnd::OnSubtitleTimeLeft(SkinUI::CControlUI* field)
{
    const TimeGroup start { m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond };
    const TimeGroup end { m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond };
    if (start.Holds(field) || end.Holds(field))
        SettleSubtitleOrder(start.Holds(field));
}

void CMainWnd::OnFieldKillFocus(SkinUI::TNotifyUI& msg)
{
    OnSubtitleTimeLeft(msg.pSender);
    const TimeGroup cutEnd { m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond };
    if (cutEnd.Holds(msg.pSender))
        SettleCutEnd();
    EndRowRename(msg.pSender, true);
}

void CMainWnd::OnItemSelect(SkinUI::TNotifyUI& msg)
{
    SkinUI::CControlUI* sender = msg.pSender;
    const std::wstring text = sender->GetText().GetData();
    CAVPlayer* adjust = PlayerOf(m_pOptimizationPlayer);
    if (sender == m_pVideoAcpect) {
        if (adjust)
            adjust->SetDisplayAspect(WideToAnsi(text == L"原始" ? m_strAspect : text));
    } else if (sender->GetName() == L"Comspin") {
        if (IsChecked(m_pSpin))
            ApplyPreviewRotation(text);
    } else if (sender == m_pSpeed) {
        const std::wstring rate = text.empty() ? text : text.substr(0, text.size() - 1);
        if (adjust)
            adjust->SetPlaybackRate(rate == L"原始" ? 1.0f : std::wcstof(rate.c_str(), nullptr));
    } else if (sender->GetName() == L"Corver") {
        const bool single = text == L"添加单张封面图";
        SkinUI::CControlUI* coverPath = m_pCoverPath;
        if (m_pAddCoverPic)
            m_pAddCoverPic->SetVisible(single);
        if (m_pCorverPic)
            m_pCorverPic->SetVisible(!single);
        if (m_pCorverVideoExport && (!single || (coverPath && coverPath->GetText().IsEmpty())))
            m_pCorverVideoExport->SetEnabled(!single);
    } else if (sender == m_pwaterFontSize || sender == m_pWaterFont) {
        if (m_pWatermarkWnd == nullptr)
            return;
        if (sender == m_pwaterFontSize)
            WatermarkSettings.size = ReadFieldNumber(sender->GetText());
        else
            WatermarkSettings.font = sender->GetText();
        WatermarkRefitFlag = 1;
        ScheduleRefitFlagClear();
        if (CChildWnd* overlay = WatermarkOverlay()) {
            overlay->InvalidateTextItem();
            if (sender == m_pwaterFontSize)
                overlay->FitTextItemToAngle();
        }
    } else if (sender == m_pSubtitleFont || sender == m_pSubtitleFontSize) {
        SelectedTextItem selected = FindSelectedTextItem(*this);
        if (selected.layer == nullptr || selected.layer->m_pCurrentItem == nullptr)
            return;
        const bool font = sender == m_pSubtitleFont;
        if (selected.record && font)
            selected.record->font = text;
        else if (selected.record)
            selected.record->sizeText = text;
        else if (font)
            WatermarkSettings.font = text.c_str();
        else
            WatermarkSettings.size = ReadFieldNumber(text.c_str());
        RerenderSelected(selected);
    } else {
        // A GIF row's frame rate: the row is the combo's fourth ancestor; its first child names it.
        SkinUI::CControlUI* row = sender;
        for (int i = 0; i < 4 && row; ++i)
            row = row->GetParent();
        SkinUI::CControlUI* first = ChildAt(row, 0);
        if (first == nullptr)
            return;
        const SkinUI::CUIString key = first->GetUserData();
        for (GifListItem& item : m_vecGifRows)
            if (item.rowName == key.GetData())
                item.frameRate = text == L"原始" ? sender->GetUserData() : SkinUI::CUIString(text.c_str());
    }
}

SelectedTextItem FindSelectedTextItem(CMainWnd& w)
{
    SelectedTextItem found;
    found.layer = dynamic_cast<CWaterFloatWnd*>(w.m_pTextLayerWnd);
    if (found.layer == nullptr || !found.layer->IsOpen())
        return { nullptr, nullptr };
    for (TextItem& item : w.m_vecTextItems)
        if (item.name == found.layer->m_strCurrentName.GetData()) {
            found.record = &item;
            break;
        }
    return found;
}

void RerenderSelected(const SelectedTextItem& selected)
{
    if (selected.layer == nullptr || selected.layer->m_pCurrentItem == nullptr)
        return;
    selected.layer->m_pCurrentItem->m_bRenderPending = true;
    selected.layer->m_pCurrentItem->Invalidate();
}

bool CMainWnd::OnTextItemPosition(WPARAM x, LPARAM y)
{
    SelectedTextItem selected = FindSelectedTextItem(*this);
    if (selected.layer == nullptr || selected.layer->m_pCurrentItem == nullptr)
        return false;
    TextItem& item = selected.record ? *selected.record : m_textItem;
    const int left = static_cast<int>(x), top = static_cast<int>(y);
    item.xText = FormatWide(L"%d", left);
    item.yText = FormatWide(L"%d", top);
    item.centerXText = FormatWide(L"%d", left + ReadFieldNumber(item.widthText.c_str()) / 2);
    item.secondYText = item.yText;
    return true;
}

void CMainWnd::ApplyChosenColor(DWORD colour, bool textColour)
{
    const std::wstring hex = FormatWide(L"%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    SelectedTextItem selected = FindSelectedTextItem(*this);
    if (textColour) {
        if (selected.record) {
            selected.record->colorText = hex;
            selected.record->color = colour;
        } else {
            WatermarkSettings.textColor = static_cast<int>(colour);
        }
        if (m_pColorTarget)
            m_pColorTarget->SetBkColor(colour);
        RerenderSelected(selected);
        return;
    }
    SkinUI::CControlUI* swatch = m_pColorTarget ? ChildAt(m_pColorTarget->GetParent(), 0) : nullptr;
    if (swatch == nullptr)
        return;
    swatch->SetBkColor(colour);
    struct Target { const wchar_t* swatch; std::wstring TextItem::*text; int64_t TextItem::*value; int WatermarkStyle::*fallback; };
    const Target targets[] = {
        { L"StrokeColor", &TextItem::strokeColorText, &TextItem::strokeColor, &WatermarkStyle::strokeColor },
        { L"borderColor", &TextItem::borderColorText, &TextItem::borderColor, &WatermarkStyle::boxColor },
        { L"shadowColor", &TextItem::shadowColorText, &TextItem::shadowColor, &WatermarkStyle::shadowColor },
    };
    for (const Target& t : targets) {
        if (swatch->GetName() != t.swatch)
            continue;
        if (selected.record) {
            selected.record->*t.text = hex;
            selected.record->*t.value = colour;
        } else {
            WatermarkSettings.*t.fallback = static_cast<int>(colour);
        }
    }
    RerenderSelected(selected);
}

void CMainWnd::FillMusicPlacementEdits(bool hasSavedPlacement, int clipVolume, int musicVolume,
                                       std::vector<std::wstring> texts)
{
    m_pendingMusicPlacement = { hasSavedPlacement, clipVolume, musicVolume, std::move(texts) };
    ::SetTimer(m_hWnd, kTimerMusicPlacement, 200, nullptr);
}

void CMainWnd::ResetClipRowState()
{
    SkinUI::CControlUI* buttons = ChildAt(ChildAt(m_pEditedClipRow, 2), 6);
    if (SkinUI::CControlUI* open = ChildAt(buttons, 2))
        open->SetVisible(false);
    if (SkinUI::CControlUI* start = ChildAt(buttons, 1))
        start->SetVisible(true);
    if (SkinUI::CControlUI* progress = ChildAt(m_pEditedClipRow, 0))
        progress->SetFixedWidth(0);
    if (SkinUI::CControlUI* done = ChildAt(ChildAt(m_pEditedClipRow, 1), 1))
        done->SetVisible(false);  // the done mark belongs to an export of what the row held before
}

void CMainWnd::RunMusicPlacementFill()
{
    const MusicPlacement& p = m_pendingMusicPlacement;
    SkinUI::CControlUI* edits[] = { m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond,
                                    m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond };
    const wchar_t* zeroStart[] = { L"00", L"00", L"00", L"0" };
    for (size_t i = 0; i < 8; ++i) {
        const std::wstring text = (!p.hasSaved && i < 4) ? zeroStart[i] : i < p.texts.size() ? p.texts[i] : L"";
        if (edits[i])
            edits[i]->SetText(text.c_str());
    }
    SetBarValue(m_pVideoSlider, p.clipVolume);
    SetBarValue(m_pMusicSlider, p.musicVolume);
}
