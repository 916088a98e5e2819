// The preview players of the pages: opening a page's file, reopening at the end of the media so
// the preview loops, and turning position events into the page's slider, bar and time label.
//
// Opens and reopens run on counted workers. Each player has a slot: its opens run one at a time
// under the slot's lock, a request that a newer one has replaced before it ran is dropped, and
// an end of media that is already being answered starts no second reopen. Events come from
// libVLC's threads as posted messages; a message is acted on only when its player still exists
// and is the selected page's player.

#include <array>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"

using namespace control_access;

struct CMainWnd::PlayerSlot {
    std::mutex run;                      // held while one open of this player runs
    std::atomic<unsigned> generation { 0 };
    std::atomic<bool> reopenPending { false };
};

namespace {

constexpr int kLoopBeforeEndMs = 500;
constexpr int kAdjustSettleMs = 500;

enum class PreviewKind { Cut, Split, Adjust, Screenshot, Clip };

struct PreviewPage {
    PreviewKind kind = PreviewKind::Cut;
    SkinUI::CControlUI* player = nullptr;
    SkinUI::CControlUI* slider = nullptr;
    SkinUI::CControlUI* progress = nullptr;
    SkinUI::CControlUI* label = nullptr;
    int durationMs = 0;
    std::wstring path;
};

// The page's time label, seek bar and (on the screenshot page) its current-position fields show
// the preview's time `t` in milliseconds and its position in per mille.
void ShowPreviewTime(CMainWnd& w, const PreviewPage& page, long long t, int permille)
{
    if (page.kind == PreviewKind::Screenshot) {
        const std::vector<std::wstring> parts = ClockParts(CMainWnd::FormatDuration(FormatWide(L"%lld", t / 1000)));
        SkinUI::CControlUI* const fields[] = { w.m_pSelStartHour, w.m_pSelStartMinute, w.m_pSelStartsecound };
        for (size_t i = 0; i < parts.size() && i < std::size(fields); ++i)
            if (fields[i])
                fields[i]->SetText(parts[i].c_str());
    }
    if (auto* slider = dynamic_cast<SkinUI::CSliderUI*>(page.slider))
        slider->SetValue(permille);
    if (auto* bar = dynamic_cast<SkinUI::CProgressUI*>(page.progress))
        bar->SetValue(permille);
    if (page.label)
        page.label->SetText(FormatWide(L"%s/%s", ClockText(t / 1000).c_str(), ClockText(page.durationMs / 1000).c_str())
                                .c_str());
}

// The player of the selected page (the multi-clip page's open sub-page); false on other pages.
bool SelectedPreview(CMainWnd& w, PreviewPage& page)
{
    if (IsChecked(w.m_ptabVideoCut))
        page = { PreviewKind::Cut, w.m_pVideoCutPlayer, w.m_psliderPlay, w.m_pprogress, w.m_pshowtime,
                 w.m_nCutDurationMs, w.m_strCutFile };
    else if (IsChecked(w.m_ptabFenge))
        page = { PreviewKind::Split, w.m_pVideoSegmenPlayer, w.m_pSegmenSliderPlay, w.m_pSegmenProgress,
                 w.m_pSegemshowtime, w.m_nSplitDuration, w.m_strSplitFile };
    else if (IsChecked(w.m_ptabAdjust))
        page = { PreviewKind::Adjust, w.m_pOptimizationPlayer, w.m_pOptimizationSlider, w.m_pOptimizationProgress,
                 w.m_pOptimizationshowtime, w.m_nAdjustSourceMs, w.m_strAdjustSourcePath };
    else if (IsChecked(w.m_ptabScreen))
        page = { PreviewKind::Screenshot, w.m_pPicplayer, w.m_pScreenSlider, w.m_pScreenprogress,
                 w.m_pScreenshowtime, w.m_nShotDuration, w.m_strScreenshotSource };
    else if (IsChecked(w.m_ptabAdd) && w.m_nClipSubpage == 2)
        page = { PreviewKind::Clip, w.m_pSoundTrackPlayer, w.m_pSoundTrackSlider, w.m_pSoundTrackProgress,
                 w.m_pSoundTrackshowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (IsChecked(w.m_ptabAdd) && w.m_nClipSubpage == 3)
        page = { PreviewKind::Clip, w.m_pMusicTrackPlayer, w.m_pMusicTrackSlider, w.m_pMusicTrackProgress,
                 w.m_pMusicTrackshowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (IsChecked(w.m_ptabAdd) && w.m_nClipSubpage == 1)
        page = { PreviewKind::Clip, w.m_pWaterMakerPlayer, w.m_pWaterMakerSlider, w.m_pWaterMakerProgress,
                 w.m_pWaterMakershowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (IsChecked(w.m_ptabAdd) && w.m_nClipSubpage == 0)
        page = { PreviewKind::Clip, w.m_psubtitlePlayer, w.m_psubtitleSlider, w.m_psubtitleprogress,
                 w.m_psubtitleshowtime, w.m_nClipDuration, w.m_strClipFile };
    else
        return false;
    return page.player != nullptr;
}

// The selected page's player when the event's player is that one and still exists.
CPlayerUI* EventPlayer(CMainWnd& w, WPARAM wParam, PreviewPage& page)
{
    const auto* sender = reinterpret_cast<const CAVPlayer*>(wParam);
    if (!CAVPlayer::IsAlive(sender) || !SelectedPreview(w, page))
        return nullptr;
    auto* player = dynamic_cast<CPlayerUI*>(page.player);
    return player && &player->Player() == sender ? player : nullptr;
}

std::wstring ComboText(CMainWnd& w, const wchar_t* name)
{
    SkinUI::CControlUI* combo = w.GetPaintManager().FindControl(name);
    return combo ? std::wstring(combo->GetText().GetData()) : std::wstring();
}

// The transform for the adjust page's rotation combo; false for a text that names none.
bool RotationFilter(const std::wstring& text, std::string& filter)
{
    if (text == L"原始")
        filter.clear();
    else if (text == L"90°" || text == L"180°" || text == L"270°")
        filter = "transform{type=" + WideToAnsi(text.substr(0, text.size() - 1)) + "}";
    else
        return false;
    return true;
}

// A text item's "h:m:s.t" in milliseconds, the tenths read as tenths; false unless the part
// before the point has three pieces.
bool TextItemTimeMs(const std::wstring& text, float& ms)
{
    const size_t dot = text.find(L'.');
    const std::vector<std::wstring> parts = ClockParts(text.substr(0, dot));
    if (parts.size() != 3)
        return false;
    const long tenths = dot != std::wstring::npos ? std::wcstol(text.substr(dot + 1, 1).c_str(), nullptr, 10) : 0;
    ms = static_cast<float>(std::wcstol(parts[0].c_str(), nullptr, 10) * 3600000LL
                            + std::wcstol(parts[1].c_str(), nullptr, 10) * 60000LL
                            + std::wcstol(parts[2].c_str(), nullptr, 10) * 1000LL + tenths * 100LL);
    return true;
}

// The combo shows its first entry of that text, unless it shows the text already.
void ShowComboText(SkinUI::CControlUI* control, const std::wstring& text)
{
    SkinUI::CComboUI* combo = ComboOf(control);
    if (combo == nullptr || text == combo->GetText().GetData())
        return;
    for (int i = 0; i < combo->GetCount(); ++i)
        if (text == combo->GetItemAt(i)->GetText().GetData()) {
            combo->SelectItem(i, false);
            return;
        }
}

// Each preview's play and pause buttons: exactly one shows, the pause button while it plays.
struct PlayPauseButtons {
    SkinUI::CControlUI* CMainWnd::*player;
    SkinUI::CControlUI* CMainWnd::*play;
    SkinUI::CControlUI* CMainWnd::*pause;
};

const PlayPauseButtons kPlayPauseButtons[] = {
    { &CMainWnd::m_pVideoCutPlayer, &CMainWnd::m_pbtnPlay, &CMainWnd::m_pbtnPause },
    { &CMainWnd::m_pVideoSegmenPlayer, &CMainWnd::m_pSegembtnPlay, &CMainWnd::m_pSegembtnPause },
    { &CMainWnd::m_pOptimizationPlayer, &CMainWnd::m_pOptimizationbtnPlay, &CMainWnd::m_pOptimizationbtnPause },
    { &CMainWnd::m_pPicplayer, &CMainWnd::m_pScreenPicPlay, &CMainWnd::m_pScreenPicPause },
    { &CMainWnd::m_pSoundTrackPlayer, &CMainWnd::m_pSoundTrackbtnPlay, &CMainWnd::m_pSoundTrackbtnPause },
    { &CMainWnd::m_pMusicTrackPlayer, &CMainWnd::m_pMusicTrackbtnPlay, &CMainWnd::m_pMusicTrackbtnPause },
    { &CMainWnd::m_pWaterMakerPlayer, &CMainWnd::m_pWaterMakerbtnPlay, &CMainWnd::m_pWaterMakerbtnPause },
    { &CMainWnd::m_psubtitlePlayer, &CMainWnd::m_psubtitlePlay, &CMainWnd::m_psubtitlePause },
};

void SetBackground(SkinUI::CControlUI* control, int64_t colour)
{
    if (control)
        control->SetBkColor(static_cast<DWORD>(colour));
}

}  // namespace

std::shared_ptr<CMainWnd::PlayerSlot> CMainWnd::SlotFor(SkinUI::CControlUI* player)
{
    std::lock_guard lock(m_playerSlotLock);
    std::shared_ptr<PlayerSlot>& slot = m_playerSlots[player];
    if (!slot)
        slot = std::make_shared<PlayerSlot>();
    return slot;
}

bool CMainWnd::RunWhilePlayerUnasked(SkinUI::CControlUI* player, const std::function<void()>& step)
{
    std::shared_ptr<PlayerSlot> slot = SlotFor(player);
    std::lock_guard lock(slot->run);
    if (slot->generation != 0)
        return false;
    step();
    return true;
}

void CMainWnd::OpenPagePlayer(SkinUI::CControlUI* player, const std::wstring& path)
{
    // A loaded file plays at once, so its page offers pause; an open that fails shows play again.
    ShowPreviewPlaying(player, true);
    StartPlayerOpen(player, path, {}, false);
}

void CMainWnd::ShowPreviewPlaying(SkinUI::CControlUI* player, bool playing)
{
    for (const PlayPauseButtons& buttons : kPlayPauseButtons) {
        if (player == nullptr || this->*buttons.player != player)
            continue;
        Show(this->*buttons.pause, playing);
        Show(this->*buttons.play, !playing);
    }
}

void CMainWnd::StartPlayerOpen(SkinUI::CControlUI* control, std::wstring path, std::string filter, bool reopen)
{
    auto* player = dynamic_cast<CPlayerUI*>(control);
    if (player == nullptr)
        return;
    std::shared_ptr<PlayerSlot> slot = SlotFor(control);
    if (reopen && slot->reopenPending.exchange(true))
        return;  // this end of media is being answered already
    const unsigned ticket = ++slot->generation;
    const bool adjustAfter = reopen && control == m_pOptimizationPlayer;
    StartWorker([this, player, slot, ticket, path = std::move(path), filter = std::move(filter), reopen, adjustAfter] {
        std::lock_guard lock(slot->run);
        if (reopen)
            slot->reopenPending = false;
        if (slot->generation != ticket || m_bClosing)
            return;  // a newer file for this player replaced the request
        if (!reopen) {
            if (!player->Player().OpenAndPlay(WideToUtf8(EncoderPath(path)), 0, "", ""))
                PostUiTask([this, control = static_cast<SkinUI::CControlUI*>(player), slot, ticket] {
                    if (slot->generation == ticket)  // no newer file has been given to it since
                        ShowPreviewPlaying(control, false);
                });
            return;
        }
        if (filter.empty())
            ReopenPlayer(player, path);
        else
            player->Player().OpenAndPlay(WideToUtf8(EncoderPath(path)), 0, "--video-filter", filter);
        if (adjustAfter)
            PostUiTask([this] { ::SetTimer(m_hWnd, kTimerAdjustAfterReopen, kAdjustSettleMs, nullptr); });
    });
}

void CMainWnd::OpenPlayerNow(SkinUI::CControlUI* control, const std::wstring& path, int permille, const std::string& filter)
{
    auto* player = dynamic_cast<CPlayerUI*>(control);
    if (player == nullptr)
        return;
    std::shared_ptr<PlayerSlot> slot = SlotFor(control);
    ++slot->generation;  // before the lock: a waiting open sees it is superseded
    std::lock_guard lock(slot->run);  // libVLC must never open one player from two threads at once
    const bool playing = player->Player().OpenAndPlay(WideToUtf8(EncoderPath(path)), permille,
                                                      filter.empty() ? "" : "--video-filter", filter);
    ShowPreviewPlaying(control, playing);
}

void CMainWnd::ReopenPlayer(SkinUI::CControlUI* control, std::wstring path)
{
    auto* player = dynamic_cast<CPlayerUI*>(control);
    if (player == nullptr)
        return;
    m_bPlayerReady = 0;
    player->Player().ShutdownEngine();
    player->Player().OpenAndPlay(WideToUtf8(EncoderPath(path)), 0, "", "");
    m_bPlayerReady = 1;
}

void CMainWnd::OnPlayerEndReached(WPARAM wParam)
{
    PreviewPage page;
    if (EventPlayer(*this, wParam, page) == nullptr)
        return;
    ShowPreviewTime(*this, page, 0, 0);  // the preview starts again from its first frame
    if (page.kind != PreviewKind::Adjust) {
        StartPlayerOpen(page.player, page.path, {}, true);
        return;
    }
    std::string filter;
    if (!IsChecked(m_pSpin))
        StartPlayerOpen(page.player, page.path, {}, true);
    else if (RotationFilter(ComboText(*this, L"Comspin"), filter))
        StartPlayerOpen(page.player, page.path, filter, true);
}

void CMainWnd::ApplyAdjustAfterReopen()
{
    auto* player = dynamic_cast<CPlayerUI*>(m_pOptimizationPlayer);
    if (player == nullptr)
        return;
    const std::wstring aspect = ComboText(*this, L"VideoAcpect");
    if (!aspect.empty() && aspect != L"原始")
        player->Player().SetDisplayAspect(WideToAnsi(aspect));
    const std::wstring speed = ComboText(*this, L"Speed");
    if (!speed.empty() && speed != L"1.0x")
        player->Player().SetPlaybackRate(std::wcstof(speed.substr(0, speed.size() - 1).c_str(), nullptr));
}

void CMainWnd::OnPlayerPosition(WPARAM wParam)
{
    PreviewPage page;
    CPlayerUI* player = EventPlayer(*this, wParam, page);
    if (player == nullptr)
        return;
    CAVPlayer& av = player->Player();
    const long long t = av.PlaybackTimeMs();
    if (page.kind == PreviewKind::Adjust && m_nAdjustSourceMs - t < kLoopBeforeEndMs)
        av.SetPositionPermille(0);
    if (page.player == m_psubtitlePlayer)
        ShowTextItemsAt(t);
    ShowPreviewTime(*this, page, t, av.PositionPermille());
}

void CMainWnd::ShowTextItemsAt(long long t)
{
    auto* layer = dynamic_cast<CWaterFloatWnd*>(m_pTextLayerWnd);
    if (layer == nullptr || !layer->IsOpen())
        return;
    const float now = static_cast<float>(t);
    bool selectedShown = false;
    for (size_t i = 0; i < m_vecTextItems.size(); ++i) {
        const TextItem item = m_vecTextItems[i];  // a copy: bringing the controls in line rewrites the record
        float start = 0, end = 0;
        if (!TextItemTimeMs(item.startText, start) || !TextItemTimeMs(item.endText, end))
            continue;
        CWaterTextUI* control = layer->FindItem(item.name.c_str());
        if (control == nullptr)
            continue;
        const bool inRange = start <= now && now <= end;
        layer->ShowItem(item.name.c_str(), inRange);
        if (inRange && control->GetName() == layer->m_strCurrentName) {
            selectedShown = true;
            FollowSelectedTextItem(item);
        }
    }
    if (selectedShown)
        return;
    float start = 0, end = 0;
    if (!TextItemTimeMs(m_textItem.startText, start) || !TextItemTimeMs(m_textItem.endText, end))
        return;
    CWaterTextUI* control = layer->FindItem(m_textItem.name.c_str());
    if (control == nullptr)
        return;
    const bool inRange = start <= now && now <= end;
    if (inRange == control->IsVisible())
        return;
    layer->PinItemPositions();
    layer->ShowItem(m_textItem.name.c_str(), inRange);
}

void CMainWnd::FollowSelectedTextItem(const TextItem& item)
{
    Check(m_pSubtitleBlod, item.bold != 0);
    Check(m_pSubtitleItalic, item.italic != 0);
    Check(m_pBootomUndline, item.bottomUnderline != 0);
    Check(m_pCenterUndline, item.centerUnderline != 0);
    ShowComboText(m_pSubtitleFont, item.font);
    ShowComboText(m_pSubtitleFontSize, item.sizeText);
    SetBackground(m_pSubtitlepalette, item.color);
    const int transparency = 255 - item.alpha;
    if (BarValue(m_pSubtitleMarkSlider) != transparency) {
        SetBarValue(m_pSubtitleMarkSlider, transparency);
        SetBarValue(m_pSubtitleMarkPro, transparency);
        if (m_pSubtitleMarkInfo)
            m_pSubtitleMarkInfo->SetText(FormatWide(L"%d%%", static_cast<int>(transparency / 2.55)).c_str());
    }
    if (BarValue(m_pSubtitleSpinSlider) != item.angle) {
        SetBarValue(m_pSubtitleSpinPro, item.angle);
        SetBarValue(m_pSubtitleSpinSlider, item.angle);
        if (m_pSubtitleSpinInfo)
            m_pSubtitleSpinInfo->SetText(FormatWide(L"%d°", item.angle).c_str());
    }
    // The swatches first: an effect option that turns on takes its colour from its swatch.
    SetBackground(m_pborderColor, item.borderColor);
    SetBackground(m_pStrokeColor, item.strokeColor);
    SetBackground(m_pshadowColor, item.shadowColor);
    Check(m_pBorderOp, item.borderOn != 0);
    Check(m_pStrokeOp, item.strokeOn != 0);
    Check(m_pShadowOp, item.shadowOn != 0);
    // The edits show the item's times as they are: no checks, and the preview is not moved to
    // them while it plays.
    m_bSubtitleClampOff = 1;
    m_bSubtitleSeekOff = 1;
    const std::pair<const std::wstring*, std::array<SkinUI::CControlUI*, 4>> groups[] = {
        { &item.endText, { m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond } },
        { &item.startText,
          { m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond } },
    };
    for (const auto& [time, edits] : groups) {
        const size_t dot = time->find(L'.');
        std::vector<std::wstring> parts = ClockParts(time->substr(0, dot));
        parts.push_back(dot != std::wstring::npos ? time->substr(dot + 1) : std::wstring());
        bool differs = false;
        for (size_t i = 0; i < edits.size(); ++i)
            differs = differs || (edits[i] && parts[i] != edits[i]->GetText().GetData());
        for (size_t i = 0; differs && i < edits.size(); ++i)
            if (edits[i])
                edits[i]->SetText(parts[i].c_str());
    }
    m_bSubtitleClampOff = 0;
    m_bSubtitleSeekOff = 0;
}
