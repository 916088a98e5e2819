// The preview players of the pages: opening a page's file, reopening at the end of the media so
// the preview loops, and turning position events into the page's slider, bar and time label.
//
// Opens and reopens run on counted workers. Each player has a slot: its opens run one at a time
// under the slot's lock, a request that a newer one has replaced before it ran is dropped, and
// an end of media that is already being answered starts no second reopen. Events come from
// libVLC's threads as posted messages; a message is acted on only when its player still exists
// and is the selected page's player.

#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/SliderUI.h"

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

bool Selected(SkinUI::CControlUI* option)
{
    auto* o = option ? static_cast<SkinUI::COptionUI*>(option->GetInterface(L"Option")) : nullptr;
    return o && o->IsSelected();
}

// The player of the selected page (the multi-clip page's open sub-page); false on other pages.
bool SelectedPreview(CMainWnd& w, PreviewPage& page)
{
    if (Selected(w.m_ptabVideoCut))
        page = { PreviewKind::Cut, w.m_pVideoCutPlayer, w.m_psliderPlay, w.m_pprogress, w.m_pshowtime,
                 w.m_nCutDurationMs, w.m_strCutFile };
    else if (Selected(w.m_ptabFenge))
        page = { PreviewKind::Split, w.m_pVideoSegmenPlayer, w.m_pSegmenSliderPlay, w.m_pSegmenProgress,
                 w.m_pSegemshowtime, w.m_nSplitDuration, w.m_strSplitFile };
    else if (Selected(w.m_ptabAdjust))
        page = { PreviewKind::Adjust, w.m_pOptimizationPlayer, w.m_pOptimizationSlider, w.m_pOptimizationProgress,
                 w.m_pOptimizationshowtime, w.m_nAdjustSourceMs, w.m_strAdjustSourcePath };
    else if (Selected(w.m_ptabScreen))
        page = { PreviewKind::Screenshot, w.m_pPicplayer, w.m_pScreenSlider, w.m_pScreenprogress,
                 w.m_pScreenshowtime, w.m_nShotDuration, w.m_strScreenshotSource };
    else if (Selected(w.m_ptabAdd) && w.m_nClipSubpage == 2)
        page = { PreviewKind::Clip, w.m_pSoundTrackPlayer, w.m_pSoundTrackSlider, w.m_pSoundTrackProgress,
                 w.m_pSoundTrackshowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (Selected(w.m_ptabAdd) && w.m_nClipSubpage == 3)
        page = { PreviewKind::Clip, w.m_pMusicTrackPlayer, w.m_pMusicTrackSlider, w.m_pMusicTrackProgress,
                 w.m_pMusicTrackshowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (Selected(w.m_ptabAdd) && w.m_nClipSubpage == 1)
        page = { PreviewKind::Clip, w.m_pWaterMakerPlayer, w.m_pWaterMakerSlider, w.m_pWaterMakerProgress,
                 w.m_pWaterMakershowtime, w.m_nClipDuration, w.m_strClipFile };
    else if (Selected(w.m_ptabAdd) && w.m_nClipSubpage == 0)
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

}  // namespace

std::shared_ptr<CMainWnd::PlayerSlot> CMainWnd::SlotFor(SkinUI::CControlUI* player)
{
    std::lock_guard lock(m_playerSlotLock);
    std::shared_ptr<PlayerSlot>& slot = m_playerSlots[player];
    if (!slot)
        slot = std::make_shared<PlayerSlot>();
    return slot;
}

void CMainWnd::OpenPagePlayer(SkinUI::CControlUI* player, const std::wstring& path)
{
    StartPlayerOpen(player, path, {}, false);
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
            player->Player().OpenAndPlay(WideToUtf8(EncoderPath(path)), 0, "", "");
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
    if (page.kind != PreviewKind::Adjust) {
        StartPlayerOpen(page.player, page.path, {}, true);
        return;
    }
    std::string filter;
    if (!Selected(m_pSpin))
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
    if (page.kind == PreviewKind::Screenshot) {
        const std::vector<std::wstring> parts = ClockParts(FormatDuration(FormatWide(L"%lld", t / 1000)));
        SkinUI::CControlUI* const fields[] = { m_pSelStartHour, m_pSelStartMinute, m_pSelStartsecound };
        for (size_t i = 0; i < parts.size(); ++i)
            if (fields[i])
                fields[i]->SetText(parts[i].c_str());
    }
    const int permille = av.PositionPermille();
    if (auto* slider = dynamic_cast<SkinUI::CSliderUI*>(page.slider))
        slider->SetValue(permille);
    if (auto* bar = dynamic_cast<SkinUI::CProgressUI*>(page.progress))
        bar->SetValue(permille);
    if (page.label)
        page.label->SetText(FormatWide(L"%s/%s", ClockText(t / 1000).c_str(), ClockText(page.durationMs / 1000).c_str())
                                .c_str());
}
