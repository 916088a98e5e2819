// The music sub-page of the multi-clip page: a music file, the part of it to use, where in the
// clip it sounds, whether it repeats, and the volumes of the clip and of the music. The save only
// records the texts and numbers; the clip-list export mixes them. UI thread.

#include <algorithm>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/MediaInfoLibrary.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kMusicPatterns = L"*.mp3;*.aac;*.ac3;*.wav;*.flac;*.wma;*.ogg;";
constexpr const wchar_t* kChooseTitle = L"请选择要添加的文件:";
constexpr int kVolumeMaximum = 200;

SkinUI::COptionUI* Loop(SkinUI::CPaintManagerUI& pm)
{
    return OptionOf(pm.FindControl(L"Musiccycle"));
}

void WriteGroup(const TimeGroup& g, const SkinUI::CUIString (&texts)[4])
{
    WriteTimeGroup(g, texts[0].GetData(), texts[1].GetData(), texts[2].GetData(), texts[3].GetData());
}

void ReadGroup(const TimeGroup& g, SkinUI::CUIString (&texts)[4])
{
    SkinUI::CControlUI* fields[] = { g.hours, g.minutes, g.seconds, g.fraction };
    for (int i = 0; i < 4; ++i)
        texts[i] = TextOf(fields[i]).c_str();
}

}  // namespace

void CMainWnd::OpenMusicPage(SkinUI::CControlUI* row)
{
    const ClipRowFacts facts = TakeRowClip(*this, row, 3);
    PageKey = L"VideoAddMusic";
    OpenPagePlayer(m_pMusicTrackPlayer, facts.path);
    ShowClipList(false);
    Show(m_pMusicTrack, true);
    const long long ms = DurationMsOf(facts.durationMs);
    m_strSubpageDurationMs = DurationTenthsText(ms).c_str();
    if (const std::wstring clock = DurationClockText(ms); !clock.empty())
        m_strSubpageDuration = clock.c_str();
    const TimeGroup musicStart { m_pStartMusicHour, m_pStartMusicMinute, m_pStartMusicSecond, m_pStartMusicMillSecond };
    const TimeGroup musicEnd { m_pOverMusicHour, m_pOverMusicMinute, m_pOverMusicSecond, m_pOverMusicMillSecond };
    bool restored = false;
    for (const ClipRecord& record : m_vecClips) {
        // A clip's record kept by another sub-page holds no placement: the music page starts fresh.
        if (record.path != facts.path.c_str() || record.positionEnd[0].IsEmpty())
            continue;
        restored = true;
        if (SkinUI::COptionUI* loop = Loop(m_pm))
            loop->Selected(record.musicLoop != 0);
        SetText(m_pAddMusicPath, record.musicPath.GetData());
        WriteGroup(musicStart, record.musicStart);
        WriteGroup(musicEnd, record.musicEnd);
        std::vector<std::wstring> texts;
        for (const auto* group : { &record.positionStart, &record.positionEnd })
            for (const SkinUI::CUIString& text : *group)
                texts.emplace_back(text.GetData());
        FillMusicPlacementEdits(true, record.videoVolume, record.musicVolume, std::move(texts));
    }
    if (restored)
        return;
    if (m_pMusicExport)
        m_pMusicExport->SetEnabled(false);
    if (SkinUI::COptionUI* loop = Loop(m_pm))
        loop->Selected(false);
    SetText(m_pAddMusicPath, L"");
    WriteTimeGroup(musicStart, L"00", L"00", L"00", L"0");
    WriteTimeGroup(musicEnd, L"00", L"00", L"00", L"0");
    const std::vector<std::wstring> parts = ClockParts(m_strSubpageDuration.GetData());
    if (parts.size() == 3)
        FillMusicPlacementEdits(false, 100, 100,
                                { L"", L"", L"", L"", parts[0], parts[1], parts[2], m_strSubpageDurationMs.GetData() });
}

void CMainWnd::ChooseMusicFile()
{
    const std::wstring path = ChooseOneFile(m_hWnd, kChooseTitle, kMusicPatterns);
    if (path.empty())
        return;
    if (m_pMusicExport)
        m_pMusicExport->SetEnabled(true);
    SetText(m_pAddMusicPath, path);
    const long long ms = DurationMsOf(MediaInfoLibrary::Details(path).duration);
    const std::vector<std::wstring> parts = ClockParts(FormatDuration(FormatWide(L"%lld", ms / 1000)));
    if (parts.size() != 3)
        return;
    SetText(m_pOverMusicHour, parts[0]);
    SetText(m_pOverMusicMinute, parts[1]);
    SetText(m_pOverMusicSecond, parts[2]);
    if (ms > 0)
        SetText(m_pOverMusicMillSecond, DurationTenthsText(ms));
}

void CMainWnd::StepMusicTime(const std::wstring& spin)
{
    const TimeGroup musicStart { m_pStartMusicHour, m_pStartMusicMinute, m_pStartMusicSecond, m_pStartMusicMillSecond };
    const TimeGroup musicEnd { m_pOverMusicHour, m_pOverMusicMinute, m_pOverMusicSecond, m_pOverMusicMillSecond };
    const TimeGroup placeStart { m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond };
    const TimeGroup placeEnd { m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond };
    struct Spin { const wchar_t* name; bool up; };
    const Spin spins[] = { { L"MusicTimeUpTime", true }, { L"MusicTimeDownTime", false },
                           { L"VideoTimerstartUpTime", true }, { L"VideoTimerstartDownTime", false },
                           { L"VideoOverUpTime", true }, { L"VideoOverDownTime", false } };
    for (const Spin& s : spins) {
        if (spin != s.name)
            continue;
        const std::wstring name = s.name;
        if (name.rfind(L"Music", 0) == 0) {
            if (m_pMusicFocus)
                StepTimeField(musicStart.Holds(m_pMusicFocus) ? musicStart : musicEnd, m_pMusicFocus, s.up, kTenths);
        } else if (name.rfind(L"VideoTimer", 0) == 0) {
            StepTimeField(placeStart, m_pMusicPlaceFocus, s.up, kTenths);
        } else {
            StepTimeField(placeEnd, m_pMusicPlaceEndFocus, s.up, kTenths);
        }
    }
}

void CMainWnd::StepClipVolume(bool music, int delta)
{
    SkinUI::CProgressUI* slider = BarOf(music ? m_pMusicSlider : m_pVideoSlider);
    if (slider == nullptr)
        return;
    const int v = std::clamp(slider->GetValue() + delta, 0, kVolumeMaximum);
    if (SkinUI::CProgressUI* bar = BarOf(music ? m_pMusicPro : m_pVideoPro))
        bar->SetValue(v);
    slider->SetValue(v);
    SkinUI::CControlUI* label = music ? m_pMusicValue : m_pVideoValue;
    if (label == nullptr)
        return;
    // The value rides above the slider's thumb: 82 at 0 to 226 at 200.
    const int x = static_cast<int>(static_cast<float>(slider->GetValue() * 0.01 / 2 * 144)) + 82;
    label->SetText(FormatWide(L"%d", slider->GetValue()).c_str());
    label->SetAttribute(L"pos", FormatWide(L"%d,0,%d,20", x, x + 26).c_str());
    label->SetFixedWidth(26);
}

void CMainWnd::SaveMusicPage()
{
    ClipRecord work = m_clipItem;
    work.kind = kClipMusic;
    work.path = m_strClipFile.c_str();
    work.musicPath = TextOf(m_pAddMusicPath).c_str();
    ReadGroup({ m_pStartMusicHour, m_pStartMusicMinute, m_pStartMusicSecond, m_pStartMusicMillSecond }, work.musicStart);
    ReadGroup({ m_pOverMusicHour, m_pOverMusicMinute, m_pOverMusicSecond, m_pOverMusicMillSecond }, work.musicEnd);
    ReadGroup({ m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond }, work.positionStart);
    ReadGroup({ m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond }, work.positionEnd);
    if (SkinUI::CProgressUI* slider = BarOf(m_pVideoSlider))
        work.videoVolume = slider->GetValue();
    if (SkinUI::CProgressUI* slider = BarOf(m_pMusicSlider))
        work.musicVolume = slider->GetValue();
    SkinUI::COptionUI* loop = Loop(m_pm);
    work.musicLoop = loop && loop->IsSelected() ? 1 : 0;
    if (CAVPlayer* player = PlayerOf(m_pMusicTrackPlayer))
        player->StopPlayback();
    if (SkinUI::CControlUI* row = FindClipRow(m_pVideoAddfileL, m_strClipFile))
        work.mute = ReadClipRow(row).mute ? 1 : 0;
    KeepSubPageSave(*this, work, kClipMusic, m_pMusicTrack);
}

void CMainWnd::ChangeMusicVideo()
{
    std::wstring path;
    if (!ChooseReplacementVideo(path))
        return;
    if (CAVPlayer* player = PlayerOf(m_pMusicTrackPlayer))
        player->StopPlayback();
    Show(m_pMusicTrackbtnPlay, false);
    Show(m_pMusicTrackbtnPause, true);
    // A placement fill the opening left waiting belongs to the old file: it runs now, so that the
    // new file's times written below are the last word.
    if (::KillTimer(m_hWnd, kTimerMusicPlacement))
        RunMusicPlacementFill();
    const ClipRowFacts facts = ReplaceClipVideo(m_pMusicTrackPlayer, path);
    const long long ms = DurationMsOf(facts.durationMs);
    m_strSubpageDurationMs = DurationTenthsText(ms).c_str();
    if (const std::wstring clock = DurationClockText(ms); !clock.empty())
        m_strSubpageDuration = clock.c_str();
    m_bMusicSync = 0;
    const std::vector<std::wstring> parts = ClockParts(m_strSubpageDuration.GetData());
    if (parts.size() == 3) {
        WriteTimeGroup({ m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond }, L"00", L"00",
                   L"00", L"0");
        WriteTimeGroup({ m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond }, parts[0],
                   parts[1], parts[2], m_strSubpageDurationMs.GetData());
    }
    m_bMusicSync = 1;
}
