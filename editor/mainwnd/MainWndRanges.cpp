// The range markers on the pages' timelines, the cut page's play range and the preview sliders.
//
// Timeline positions are permille of the media (0..1000); lengths written at 100 % are scaled by
// the window's DPI where used (S) and scaled back (SB) for values written into "pos". Every
// timeline starts at client x S(197). A page whose media length is unknown (0: no media, an
// unreadable file) keeps its markers at the origin: no position is ever computed by dividing by
// zero. UI thread only.

#include <cstdio>
#include <ctime>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/TimelineHandleUI.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/SelectedTextItem.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DPI.h"

using namespace control_access;

namespace {

constexpr int kOrigin = 197;
constexpr int kMarkerWidth = 6;
constexpr int kSplitMarkerWidth = 12;
constexpr long long kLongMediaHours = 12;

std::wstring ClockText(long long seconds)
{
    const time_t t = static_cast<time_t>(seconds);
    struct tm parts {};
    gmtime_r(&t, &parts);
    char buffer[32] = {};
    strftime(buffer, sizeof buffer, "%X", &parts);
    return AnsiToWide(buffer);
}

std::wstring TimeLabel(long long current, long long length)
{
    return FormatWide(L"%s/%s", ClockText(current).c_str(), ClockText(length).c_str());
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

// One range timeline: its controls and its numbers at 100 %.
struct Timeline {
    SkinUI::CControlUI* start;
    SkinUI::CControlUI* end;
    SkinUI::CControlUI* bar;
    SkinUI::CControlUI* slider;
    SkinUI::CControlUI* progress;
    SkinUI::CControlUI* player;
    SkinUI::CControlUI* label;
    TimeGroup startEdits;
    TimeGroup endEdits;
    int width;          // W
    int endLeft;        // the end marker at the end of the media
    int endRight;
    int threshold;      // a dragged position at or above it seeks to the very end
    int endOrigin;      // O: where the end marker's fraction is measured from
    int fractionDigits;
    int storedDuration;  // ms, when the player does not know its length
};

}  // namespace

namespace {

struct Ranges {
    CMainWnd& w;
    int S(int v) const { return w.ScaleByDpi(v); }
    int SB(int v) const { return w.GetPaintManager().GetDPIObj()->ScaleBack(v); }

    Timeline Cut() const
    {
        return { w.m_pstart, w.m_pend, w.m_plabel, w.m_psliderPlay, w.m_pprogress, w.m_pVideoCutPlayer, w.m_pshowtime,
                 { w.m_pstartHour, w.m_pstartMinute, w.m_pstartsecound, w.m_pstartmillsecond },
                 { w.m_pOVertHour, w.m_pOVerMinute, w.m_pOVersecound, w.m_pOVermillsecond },
                 608, 811, 817, 999, 197, 3, w.m_nCutDurationMs };
    }
    Timeline Music() const
    {
        return { w.m_pMusicStart, w.m_pMusicEnd, w.m_pMusiclabel, w.m_pMusicTrackSlider, w.m_pMusicTrackProgress,
                 w.m_pMusicTrackPlayer, w.m_pMusicTrackshowtime,
                 { w.m_pVideoTimerHour, w.m_pVideoTimerminute, w.m_pVideoTimersecond, w.m_pVideoTimerMillsecond },
                 { w.m_pVideoOverHour, w.m_pVideoOverminute, w.m_pVideoOversecond, w.m_pVideoOverMillsecond },
                 795, 997, 1003, 998, 192, 1, w.m_nClipDuration };
    }
    Timeline Subtitle() const
    {
        return { w.m_psubtitlestart, w.m_psubtitleend, w.m_psubtitlelabel, w.m_psubtitleSlider, w.m_psubtitleprogress,
                 w.m_psubtitlePlayer, w.m_psubtitleshowtime,
                 { w.m_psubtitleTimerHour, w.m_psubtitleTimerminute, w.m_psubtitleTimersecond, w.m_psubtitleTimerMillsecond },
                 { w.m_psubtitleOverHour, w.m_psubtitleOverminute, w.m_psubtitleOversecond, w.m_psubtitleOverMillsecond },
                 482, 683, 689, 998, 192, 1, w.m_nClipDuration };
    }
    Timeline Screen() const
    {
        return { w.m_pPicstart, w.m_pPicend, w.m_pScreenlabel, w.m_pScreenSlider, w.m_pScreenprogress, w.m_pPicplayer,
                 w.m_pScreenshowtime, { w.m_pstartPicHour, w.m_pstartPicMinute, w.m_pstartPicsecound, nullptr },
                 { w.m_pOVerPictHour, w.m_pOVerPicMinute, w.m_pOVerPicsecound, nullptr }, 400, 604, 610, 0, 197, 0,
                 w.m_nShotDuration };
    }

    // The media length in whole seconds: the player's, else the page's stored duration.
    static long long LengthSeconds(const Timeline& t)
    {
        CAVPlayer* player = PlayerOf(t.player);
        const long long fromPlayer = player ? player->MediaLengthMs() / 1000 : 0;
        return fromPlayer != 0 ? fromPlayer : t.storedDuration / 1000;
    }

    void SetRangeBar(const Timeline& t, int a, int b, bool hideWhenTouching) const
    {
        if (t.bar == nullptr)
            return;
        if (hideWhenTouching)
            t.bar->SetVisible(a != b);
        t.bar->SetAttribute(L"pos", FormatWide(L"%d,8,%d,12", a, b).c_str());
    }

    // A marker was dragged on the cut, music or subtitle page.
    void MarkerMoved(const Timeline& t, bool isStart, bool cutPage) const
    {
        if (t.start == nullptr || t.end == nullptr)
            return;
        const RECT s = t.start->GetPos(), e = t.end->GetPos();
        CAVPlayer* player = PlayerOf(t.player);
        if (t.bar && t.slider) {
            SetRangeBar(t, SB(s.right - S(kOrigin)), SB(e.left - S(kOrigin)), true);
            const int left = isStart ? s.left : e.left;
            double f = (left - S(isStart ? kOrigin : t.endOrigin)) * 1.0 / S(t.width);
            if (cutPage && w.m_bMaximized)
                f = (left - 191) * 1.0 / (608 * ScreenScale);
            const int v = static_cast<int>(f * 1000);
            SetBarValue(t.slider, v);
            SetBarValue(t.progress, BarValue(t.slider));
            if (player)
                player->SetPositionPermille(v == 0 ? 0.0f : v >= t.threshold ? 1000.0f : BarValue(t.slider) + 1.0f);
        }
        const long long nowMs = player ? player->PlaybackTimeMs() : 0;
        const long long length = player ? player->MediaLengthMs() / 1000 : 0;
        SetText(t.label, TimeLabel(nowMs / 1000, length));
        const TimeGroup& g = isStart ? t.startEdits : t.endEdits;
        const std::vector<std::wstring> parts = SplitAt(ClockText(nowMs / 1000), L':');
        if (parts.size() == 3) {
            SetText(g.hours, parts[0]);
            SetText(g.minutes, parts[1]);
            SetText(g.seconds, parts[2]);
        }
        if (g.fraction == nullptr)
            return;
        const std::wstring seconds = FormatWide(L"%f", nowMs * 1.0 / 1000);
        const size_t dot = seconds.find(L'.');
        if (dot != std::wstring::npos)
            SetText(g.fraction, seconds.substr(dot + 1, static_cast<size_t>(t.fractionDigits)));
    }

    // The screenshot or split marker was dragged: position from its left edge over the track.
    void PointMarkerMoved(SkinUI::CControlUI* marker, const Timeline& t, bool withBar) const
    {
        if (marker == nullptr)
            return;
        const float pos = static_cast<float>((marker->GetPos().left - S(kOrigin)) * 1.0 / S(t.width) * 1000);
        SetBarValue(t.slider, static_cast<int>(pos));
        CAVPlayer* player = PlayerOf(t.player);
        if (player)
            player->SetPositionPermille(pos);
        SetBarValue(t.progress, static_cast<int>(pos));
        const long long now = player ? player->PlaybackTimeMs() / 1000 : 0;
        const std::vector<std::wstring> parts = SplitAt(CMainWnd::FormatDuration(FormatWide(L"%lld", now)), L':');
        const TimeGroup& g = marker == t.end ? t.endEdits : t.startEdits;
        if (parts.size() >= 3) {
            SetText(g.hours, parts[0]);
            SetText(g.minutes, parts[1]);
            SetText(g.seconds, parts[2]);
        }
        SetText(t.label, TimeLabel(now, player ? player->MediaLengthMs() / 1000 : 0));
        if (withBar && t.start && t.end)
            SetRangeBar(t, SB(t.start->GetPos().right - S(kOrigin)), SB(t.end->GetPos().left - S(kOrigin)), true);
    }

    // A marker placed from a typed time (ms), on the cut, music or subtitle page.
    void Place(const Timeline& t, double denominator, float time, int seek, bool isStart, bool cutPage,
               bool subtitlePage, bool hideWhenTouching) const
    {
        if (t.start == nullptr || t.end == nullptr)
            return;
        double pos = denominator > 0 ? time * 1.0 / denominator * 1000 : 0;
        if (pos > 999.0)
            pos = 1000.0;
        RECT s = t.start->GetPos(), e = t.end->GetPos();
        const RECT endBefore = e;
        SetBarValue(t.slider, static_cast<int>(pos));
        SetBarValue(t.progress, static_cast<int>(pos));
        CAVPlayer* player = PlayerOf(t.player);
        const bool seekOff = subtitlePage && w.m_bSubtitleSeekOff;
        if (player && !seekOff && (isStart || w.m_bCutLoaded))
            player->SetPlaybackTimeMs(static_cast<int>(time));
        const int x = static_cast<int>(S(t.width) * pos / 1000);
        const bool limits = !(subtitlePage && w.m_bSubtitleClampOff);
        if (isStart) {
            s.left = S(kOrigin) + x;
            s.right = s.left + S(kMarkerWidth);
            if (limits && s.right > e.left) {
                s.right = e.left;
                s.left = s.right - S(kMarkerWidth);
            }
            StartHandleRect = s;
            t.start->SetPos(s);
        } else {
            if (pos == 1000.0) {
                e = { S(t.endLeft), s.top, S(t.endRight), s.bottom };
            } else {
                e.left = cutPage ? S(kOrigin) + x + S(kMarkerWidth) : S(203) + x;
                e.right = e.left + S(kMarkerWidth);
                e.top = s.top;
                e.bottom = s.bottom;
            }
            if (limits && e.left < s.right) {
                if (seek != 0 && player) {
                    player->SetPlaybackTimeMs(seek);
                    SetBarValue(t.slider, static_cast<int>(pos));
                    SetBarValue(t.progress, static_cast<int>(pos));
                }
                e.left = s.right;
                e.right = e.left + S(kMarkerWidth);
            }
            EndHandleRect = e;
            t.end->SetPos(e);
        }
        const int a = SB(s.right - S(kOrigin));
        const int b = SB((isStart ? t.end->GetPos().left : e.left) - S(kOrigin));
        const bool touching = SB((isStart ? endBefore.left : e.left) - S(kOrigin)) == a;
        if (t.bar) {
            if (hideWhenTouching)
                t.bar->SetVisible(!touching);
            t.bar->SetAttribute(L"pos", FormatWide(L"%d,8,%d,12", a, b).c_str());
        }
        SetText(t.label, TimeLabel(static_cast<long long>(time) / 1000, LengthSeconds(t)));
    }
};

// Runs a marker update with the page's edit-sync flag down, so the edits it writes stay put.
template <typename F>
void WithoutSync(uint8_t& flag, F update)
{
    flag = 0;
    update();
    flag = 1;
}

}  // namespace

void CMainWnd::OnMarkerNotify(SkinUI::TNotifyUI& msg)
{
    if (msg.sType == L"playvideo") {
        UpdateCutPlayRange();
        return;
    }
    const bool isStart = msg.sType == L"progresspos";
    if (!isStart && !m_bPlayerReady)
        return;
    if (PageKey == L"tabFenge" && isStart)
        OnSplitMarkerMoved();
    else if (PageKey == L"VideoScreen")
        WithoutSync(m_bShotSync, [&] { OnScreenMarkerMoved(isStart); });
    else if (PageKey == L"VideoAddMusic")
        WithoutSync(m_bMusicSync, [&] { OnMusicMarkerMoved(isStart); });
    else if (PageKey == L"VideoAddSubTitle")
        WithoutSync(m_bMusicSync, [&] { OnSubtitleMarkerMoved(isStart); });
    else
        WithoutSync(m_bCutSync, [&] { OnCutMarkerMoved(isStart); });
}

void CMainWnd::OnCutMarkerMoved(bool isStart)
{
    Ranges r { *this };
    r.MarkerMoved(r.Cut(), isStart, true);
}

void CMainWnd::OnMusicMarkerMoved(bool isStart)
{
    Ranges r { *this };
    r.MarkerMoved(r.Music(), isStart, false);
}

void CMainWnd::OnSubtitleMarkerMoved(bool isStart)
{
    Ranges r { *this };
    r.MarkerMoved(r.Subtitle(), isStart, false);
}

void CMainWnd::OnScreenMarkerMoved(bool isStart)
{
    Ranges r { *this };
    const Timeline t = r.Screen();
    r.PointMarkerMoved(isStart ? t.start : t.end, t, true);
}

void CMainWnd::OnSplitMarkerMoved()
{
    Ranges r { *this };
    const Timeline t { m_pSegmenCut, nullptr, nullptr, m_pSegmenSliderPlay, m_pSegmenProgress, m_pVideoSegmenPlayer,
                       m_pSegemshowtime, { m_pstartSegmenHour, m_pstartSegmenminute, m_pstartSegmensecond, nullptr },
                       {}, 511, 0, 0, 0, 197, 0, m_nSplitDuration };
    r.PointMarkerMoved(m_pSegmenCut, t, false);
}

void CMainWnd::PlaceCutMarker(float time, int seekTime, bool isStart)
{
    Ranges r { *this };
    r.Place(r.Cut(), m_nCutDurationMs, time, seekTime, isStart, true, false, true);
}

void CMainWnd::PlaceMusicMarker(float time, int seekTime, bool isStart)
{
    Ranges r { *this };
    CAVPlayer* player = PlayerOf(m_pMusicTrackPlayer);
    // Until the preview knows its length, the clip's probed length places the marker.
    const long long length = player ? player->MediaLengthMs() : 0;
    r.Place(r.Music(), static_cast<double>(length != 0 ? length : m_nClipDuration), time, seekTime, isStart, false, false,
            true);
}

void CMainWnd::PlaceSubtitleMarker(float time, int seekTime, bool isStart)
{
    Ranges r { *this };
    CAVPlayer* player = PlayerOf(m_psubtitlePlayer);
    const long long length = player ? player->MediaLengthMs() : 0;
    r.Place(r.Subtitle(), static_cast<double>(length != 0 ? length : m_nClipDuration), time, seekTime, isStart, false,
            true, false);
}

void CMainWnd::PlaceScreenMarker(float seconds, bool isStart)
{
    Ranges r { *this };
    const Timeline t = r.Screen();
    if (t.start == nullptr || t.end == nullptr)
        return;
    const long long length = Ranges::LengthSeconds(t);
    double pos = length > 0 ? seconds * 1.0 / length * 1000 : 0;
    if (pos > 999.0)
        pos = 1000.0;
    SetBarValue(t.slider, static_cast<int>(pos));
    SetBarValue(t.progress, static_cast<int>(pos));
    if (CAVPlayer* player = PlayerOf(t.player))
        player->SetPositionPermille(static_cast<float>(pos));
    const int x = static_cast<int>(r.S(t.width) * pos / 1000);
    RECT s = t.start->GetPos(), e = t.end->GetPos();
    if (isStart) {
        s.left = r.S(kOrigin) + x;
        s.right = s.left + r.S(kMarkerWidth);
        t.start->SetPos(s);
    } else {
        if (pos == 1000.0) {
            e = { r.S(t.endLeft), s.top, r.S(t.endRight), s.bottom };
        } else {
            e.left = r.S(203) + x;
            e.right = e.left + r.S(kMarkerWidth);
            e.top = s.top;
            e.bottom = s.bottom;
        }
        t.end->SetPos(e);
    }
    r.SetRangeBar(t, r.SB(s.right - r.S(kOrigin)), r.SB((isStart ? t.end->GetPos().left : e.left) - r.S(kOrigin)),
                  false);
}

void CMainWnd::UpdateCutPlayRange()
{
    SkinUI::CControlUI* edits[] = { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond,
                                    m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond };
    for (int i = 0; i < 4; ++i) {
        m_playRange.start[i] = edits[i] ? edits[i]->GetText() : SkinUI::CUIString();
        m_playRange.end[i] = edits[i + 4] ? edits[i + 4]->GetText() : SkinUI::CUIString();
    }
    m_vecPlayRanges.push_back(m_playRange);
}

namespace {

struct SeekSlider {
    const wchar_t* name;
    SkinUI::CControlUI* CMainWnd::*progress;
    SkinUI::CControlUI* CMainWnd::*player;
    SkinUI::CControlUI* CMainWnd::*label;
    int CMainWnd::*stored;  // null: the player's length only
    bool progressFirst;
    bool seekFirst;  // the seek comes before the progress bar
    bool readBack;
    int offset;      // the player is asked for v + offset
};

const SeekSlider kSeekSliders[] = {
    { L"sliderPlay", &CMainWnd::m_pprogress, &CMainWnd::m_pVideoCutPlayer, &CMainWnd::m_pshowtime,
      &CMainWnd::m_nCutDurationMs, false, false, true, 1 },
    { L"SegmenSliderPlay", &CMainWnd::m_pSegmenProgress, &CMainWnd::m_pVideoSegmenPlayer, &CMainWnd::m_pSegemshowtime,
      &CMainWnd::m_nSplitDuration, false, false, true, 1 },
    { L"OptimizationSlider", &CMainWnd::m_pOptimizationProgress, &CMainWnd::m_pOptimizationPlayer,
      &CMainWnd::m_pOptimizationshowtime, &CMainWnd::m_nAdjustDuration, true, false, false, 1 },
    { L"ScreenSlider", &CMainWnd::m_pScreenprogress, &CMainWnd::m_pPicplayer, &CMainWnd::m_pScreenshowtime,
      &CMainWnd::m_nShotDuration, true, false, false, 1 },
    { L"SoundTrackSlider", &CMainWnd::m_pSoundTrackProgress, &CMainWnd::m_pSoundTrackPlayer,
      &CMainWnd::m_pSoundTrackshowtime, &CMainWnd::m_nClipDuration, true, false, false, 1 },
    { L"MusicTrackSlider", &CMainWnd::m_pMusicTrackProgress, &CMainWnd::m_pMusicTrackPlayer,
      &CMainWnd::m_pMusicTrackshowtime, nullptr, true, false, false, 0 },
    { L"WaterMakerSlider", &CMainWnd::m_pWaterMakerProgress, &CMainWnd::m_pWaterMakerPlayer,
      &CMainWnd::m_pWaterMakershowtime, &CMainWnd::m_nClipDuration, true, false, false, 1 },
    { L"subtitleSlider", &CMainWnd::m_psubtitleprogress, &CMainWnd::m_psubtitlePlayer, &CMainWnd::m_psubtitleshowtime,
      &CMainWnd::m_nClipDuration, false, true, false, 1 },
};

// The player is asked for v + 1, but never past the end: the slider's last step reaches the end
// of the media instead of asking for a position the player ignores.
float SeekTarget(int value, int offset)
{
    const int target = value + offset;
    return static_cast<float>(target > 1000 && value <= 1000 ? 1000 : target);
}

std::wstring LongMediaLabel(long long now, long long length)
{
    return FormatWide(L"%02lld:%02lld:%02lld/%02lld:%02lld:%02lld", now / 3600, now % 3600 / 60, now % 60, length / 3600,
                      length % 3600 / 60, length % 60);
}

void SeekSliderChanged(CMainWnd& w, const SeekSlider& row, SkinUI::CControlUI* slider, int v)
{
    CAVPlayer* player = PlayerOf(w.*row.player);
    SkinUI::CControlUI* progress = w.*row.progress;
    if (row.progressFirst)
        SetBarValue(progress, v);
    if (player)
        player->SetPositionPermille(SeekTarget(v, row.offset));
    if (row.seekFirst)
        SetBarValue(progress, v);
    const long long now = player ? player->PlaybackTimeMs() / 1000 : 0;
    const long long playerLength = player ? player->MediaLengthMs() / 1000 : 0;
    const long long length = playerLength != 0 || row.stored == nullptr ? playerLength : (w.*row.stored) / 1000;
    const bool longMedia = row.progress == &CMainWnd::m_pprogress && playerLength / 3600 >= kLongMediaHours;
    SetText(w.*row.label, longMedia ? LongMediaLabel(now, playerLength) : TimeLabel(now, length));
    if (!row.readBack || player == nullptr)
        return;
    SetBarValue(slider, std::min(1000, player->PositionPermille() + 1));
    SetBarValue(progress, BarValue(slider));
}

bool VolumeSliderChanged(CMainWnd& w, SkinUI::CControlUI* slider, int v)
{
    const SkinUI::CUIString name = slider->GetName();
    if (name == L"SoundSlider") {
        SkinUI::CControlUI* grandparent = slider->GetParent() ? slider->GetParent()->GetParent() : nullptr;
        SkinUI::CControlUI* item = ChildAt(grandparent, 1);
        if (auto* label = item ? static_cast<SkinUI::CLabelUI*>(item->GetInterface(L"Label")) : nullptr) {
            label->SetText(FormatWide(L"%d", v).c_str());
            label->SetTextPadding({ static_cast<int>(35 + v * 140 / 200), 0, 0, 0 });
        }
        SetBarValue(w.m_pSoundPro, v);
        if (CAVPlayer* player = PlayerOf(w.m_pVideoCutPlayer))
            player->SetVolumeLevel(v);
        w.m_nCutVolume = v;
        return true;
    }
    if (name == L"VideoSlider" || name == L"MusicSlider") {
        const bool video = name == L"VideoSlider";
        SetBarValue(video ? w.m_pVideoPro : w.m_pMusicPro, v);
        SkinUI::CControlUI* label = video ? w.m_pVideoValue : w.m_pMusicValue;
        if (label) {
            const int x = static_cast<int>(v * 0.01 / 2.0 * 144 + 82);
            label->SetAttribute(L"pos", FormatWide(L"%d,0,%d,20", x, x + 26).c_str());
            label->SetText(FormatWide(L"%d", v).c_str());
            label->SetFixedWidth(26);
        }
        return true;
    }
    if (name == L"MusicVSlider") {
        // The popup's own controls, found through the slider's manager: the menu may be gone by
        // the time anything else would look for it.
        SkinUI::CPaintManagerUI* menu = slider->GetManager();
        SetBarValue(menu ? menu->FindControl(L"MusicVPro") : nullptr, v);
        SetText(menu ? menu->FindControl(L"MusicVSInfo") : nullptr, FormatWide(L"%d%%", v));
        if (CAVPlayer* player = PlayerOf(w.m_pVideoSegmenPlayer))
            player->SetVolumeLevel(v);
        return true;
    }
    return false;
}

bool PictureSliderChanged(CMainWnd& w, SkinUI::CControlUI* slider, int v)
{
    struct Row { const wchar_t* name; SkinUI::CControlUI* bar; SkinUI::CControlUI* box; double divisor; void (CAVPlayer::*set)(float); };
    const Row rows[] = {
        { L"brightSlider", w.m_pbrightPro, w.m_pbrighRich, 100.0, &CAVPlayer::SetBrightnessLevel },
        { L"saturationSlider", w.m_psaturationPro, w.m_psaturationRich, 66.67, &CAVPlayer::SetSaturationLevel },
        { L"duibiProSlider", w.m_pduibiPro, w.m_pduibiRich, 100.0, &CAVPlayer::SetContrastLevel },
    };
    for (const Row& row : rows) {
        if (slider->GetName() != row.name)
            continue;
        SetBarValue(row.bar, v);
        const std::wstring text = FormatWide(L"%d", BarValue(row.bar));
        SetText(row.box, text);
        if (CAVPlayer* player = PlayerOf(w.m_pOptimizationPlayer))
            (player->*row.set)(static_cast<float>(std::wcstod(text.c_str(), nullptr) / row.divisor));
        return true;
    }
    return false;
}

std::wstring PercentOfAlpha(int v)
{
    return FormatWide(L"%d%%", static_cast<int>(v / 2.55));
}

bool WatermarkSliderChanged(CMainWnd& w, SkinUI::CControlUI* slider, int v)
{
    const SkinUI::CUIString name = slider->GetName();
    CChildWnd* overlay = w.WatermarkOverlay();
    if (name == L"MarkSlider") {
        SetBarValue(w.m_pMarkPro, v);
        WatermarkSettings.textAlpha = v;
        SetText(w.m_pMaskInfo, PercentOfAlpha(v));
    } else if (name == L"WaterSpinSlider") {
        SetBarValue(w.m_pWaterSpinPro, v);
        WatermarkSettings.textAngle = v;
        // A turned text gets a box high enough for it, which its drags then keep.
        if (overlay && !IsChecked(w.m_pTiled))
            overlay->FitTextItemToAngle();
        SetText(w.m_pSpinInfo, FormatWide(L"%d°", v));
    } else if (name == L"PicSizeSlider") {
        SetBarValue(w.m_pPicSizePro, v);
        if (overlay)
            overlay->ScalePictureItem(v);
        SetText(w.m_pPicSize, FormatWide(L"%d%%", v));
    } else if (name == L"PicSpinSlider") {
        SetBarValue(w.m_pPicSpinPro, v);
        WatermarkSettings.pictureAngle = v;
        SetText(w.m_pPicSpinInfo, FormatWide(L"%d°", v));
    } else if (name == L"PicMarkSlider") {
        SetBarValue(w.m_pPicMarkPro, v);
        WatermarkSettings.pictureAlpha = v;
        SetText(w.m_pPicMarkInfo, PercentOfAlpha(v));
    } else {
        return false;
    }
    if (w.m_pWatermarkWnd)
        ::InvalidateRect(w.m_pWatermarkWnd->GetHWND(), nullptr, FALSE);
    return true;
}

bool TextItemSliderChanged(CMainWnd& w, SkinUI::CControlUI* slider, int v)
{
    const SkinUI::CUIString name = slider->GetName();
    SelectedTextItem selected = FindSelectedTextItem(w);
    if (name == L"SubtitleMarkSlider") {
        SetBarValue(w.m_pSubtitleMarkPro, v);
        SetText(w.m_pSubtitleMarkInfo, PercentOfAlpha(v));
        (selected.record ? selected.record->alpha : WatermarkSettings.textAlpha) = 255 - v;
    } else if (name == L"SubtitleSizeSlider") {
        SetBarValue(w.m_pSubtitleSizePro, v);
        SetText(w.m_pSubtitleSize, FormatWide(L"%d%%", v));
        const int size = static_cast<int>(
            (w.m_pSubtitleFontSize ? ReadFieldNumber(w.m_pSubtitleFontSize->GetText()) : 0) * v * 0.01);
        if (selected.record)
            selected.record->sizeText = FormatWide(L"%d", size);
        else
            WatermarkSettings.size = size;
    } else if (name == L"SubtitleSpinSlider") {
        SetBarValue(w.m_pSubtitleSpinPro, v);
        SetText(w.m_pSubtitleSpinInfo, FormatWide(L"%d°", v));
        (selected.record ? selected.record->angle : WatermarkSettings.textAngle) = v;
    } else {
        return false;
    }
    RerenderSelected(selected);
    return true;
}

}  // namespace

bool CMainWnd::OnSliderChanged(SkinUI::TNotifyUI& msg)
{
    if (!m_bPlayerReady)
        return true;
    SkinUI::CControlUI* slider = msg.pSender;
    auto* control = static_cast<SkinUI::CProgressUI*>(slider->GetInterface(L"Progress"));
    if (control == nullptr)
        return true;
    const int v = control->GetValue();
    for (const SeekSlider& row : kSeekSliders)
        if (slider->GetName() == row.name) {
            SeekSliderChanged(*this, row, slider, v);
            return true;
        }
    if (VolumeSliderChanged(*this, slider, v) || PictureSliderChanged(*this, slider, v)
        || WatermarkSliderChanged(*this, slider, v))
        return true;
    TextItemSliderChanged(*this, slider, v);
    return slider->GetName() != L"SubtitleSizeSlider";
}
