// The cut page's buttons: loading or changing its file, taking the preview's time as the range's
// start or end, play and pause, undoing and resetting the range, the volume steps, and the volume
// popup that the split and screenshot pages open. The export button goes through the export
// launch like every other.

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "media/MediaProbe.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/MenuWnd.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"

using namespace control_access;

namespace {

constexpr wchar_t kUnsupportedNotice[] = L"抱歉！此视频文件格式暂不支持。";
constexpr int kChangeSettleMs = 500;  // the stopped preview lets go of its file
constexpr int kMaxVolume = 200;

}  // namespace

CutTimeTexts CutTimeTextsAt(int64_t ms)
{
    CutTimeTexts texts;
    const long long seconds = ms / 1000;
    texts.hours = FormatWide(L"%02lld", seconds / 3600);
    texts.minutes = FormatWide(L"%02lld", seconds % 3600 / 60);
    texts.seconds = FormatWide(L"%02lld", seconds % 60);
    // Below 100 ms there are no three digits to take: the field keeps what it showed.
    if (ms >= 100)
        texts.milliseconds = FormatWide(L"%03lld", static_cast<long long>(ms % 1000));
    return texts;
}

bool CMainWnd::RefuseVideoFormat(const std::wstring& path)
{
    if (!IsVideoFileName(path.c_str()) || !IsRefusedVideoFormat(path))
        return false;
    CMessageWnd::Ask(m_hWnd, kUnsupportedNotice, L"", L"", L"确定");
    return true;
}

bool CMainWnd::RefuseUnreadableVideo(const std::wstring& path)
{
    if (MediaProbe::HasVideoStream(path))
        return false;
    std::wstring folder, name;
    if (!SplitFolderAndFileName(path, folder, name))
        name = path;
    ShowDamagedNotice(name);
    return true;
}

std::wstring CMainWnd::ChooseLoadableVideo()
{
    const std::wstring path = ChooseMediaFiles(false).GetData();
    if (path.empty() || RefuseVideoFormat(path) || RefuseUnreadableVideo(path))
        return {};
    return path;
}

void CMainWnd::AddCutPageFile(bool change)
{
    const std::wstring path = ChooseLoadableVideo();
    if (path.empty())
        return;  // the preview plays on
    if (change) {
        if (CAVPlayer* player = PlayerOf(m_pVideoCutPlayer))
            player->StopPlayback();
        std::this_thread::sleep_for(std::chrono::milliseconds(kChangeSettleMs));
    }
    CloseOverlayWindows();
    m_strCutFile = path;
    LoadCutPageFile(path);
}

void CMainWnd::TakeCutTime(bool start)
{
    // One reading for every field: a playing preview moves on between two readings, and 1.999 s
    // then 2.003 s would write 00:00:01.003.
    CAVPlayer* player = PlayerOf(m_pVideoCutPlayer);
    const CutTimeTexts texts = CutTimeTextsAt(player ? player->PlaybackTimeMs() : 0);
    SetText(start ? m_pstartHour : m_pOVertHour, texts.hours);
    SetText(start ? m_pstartMinute : m_pOVerMinute, texts.minutes);
    SetText(start ? m_pstartsecound : m_pOVersecound, texts.seconds);
    if (texts.milliseconds.empty())
        return;
    SetText(start ? m_pstartmillsecond : m_pOVermillsecond, texts.milliseconds);
    UpdateCutPlayRange();
}

void CMainWnd::PlayCutPreview(bool play)
{
    Show(m_pbtnPause, play);
    Show(m_pbtnPlay, !play);
    CAVPlayer* player = PlayerOf(m_pVideoCutPlayer);
    if (player == nullptr)
        return;
    if (play)
        player->ResumePlayback();
    else
        player->PausePlayback();
}

void CMainWnd::UndoCutRange()
{
    // The newest entry is the range shown now; the one before it comes back, and is taken off too
    // since taking it over again would add it anew.
    if (!m_vecPlayRanges.empty())
        m_vecPlayRanges.pop_back();
    if (m_vecPlayRanges.empty()) {
        SetCutEndToDuration();
        return;
    }
    const PlayRangeTexts range = m_vecPlayRanges.back();
    m_vecPlayRanges.pop_back();
    SkinUI::CControlUI* edits[] = { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond,
                                    m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond };
    for (int i = 0; i < 4; ++i) {
        SetText(edits[i], range.start[i].GetData());
        SetText(edits[i + 4], range.end[i].GetData());
    }
}

void CMainWnd::StepCutVolume(SkinUI::CControlUI* sender, int step)
{
    auto* slider = m_pSoundSlider ? static_cast<SkinUI::CSliderUI*>(m_pSoundSlider->GetInterface(L"Slider")) : nullptr;
    if (slider == nullptr)
        return;
    const int volume = std::clamp(slider->GetValue() + step, 0, kMaxVolume);
    // The number above the slider: child 1 of the volume box, the sender's grandparent.
    SkinUI::CControlUI* value = ChildAt(sender && sender->GetParent() ? sender->GetParent()->GetParent() : nullptr, 1);
    if (auto* label = value ? static_cast<SkinUI::CLabelUI*>(value->GetInterface(L"Label")) : nullptr) {
        label->SetText(FormatWide(L"%d", volume).c_str());
        label->SetTextPadding({ static_cast<int>(volume * 140.0 / 200.0 + 35), 0, 0, 0 });
    }
    SetBarValue(m_pSoundPro, volume);
    slider->SetValue(volume);
    if (CAVPlayer* player = PlayerOf(m_pVideoCutPlayer))
        player->SetVolumeLevel(volume);
    m_nCutVolume = volume;
}

void CMainWnd::ShowVolumeMenu(SkinUI::CControlUI* sender)
{
    if (sender == nullptr)
        return;
    const RECT r = sender->GetPos();
    POINT at { r.left - 12, r.top - 5 };
    ::ClientToScreen(m_hWnd, &at);
    // The menu frees itself when it closes; its slider's notifications come to this window.
    SkinUI::CMenuWnd* menu = SkinUI::CMenuWnd::CreateMenu(nullptr, L"MenuMusic2.xml", at, &m_pm, nullptr,
                                                          SkinUI::eMenuAlignment_Bottom);
    if (menu)
        menu->ResizeMenu();
}
