// The preview players as the main window drives them: a page's file opens in its player, the end
// of the media reopens it, and events from other players or from players that are gone change
// nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "IncomingFilesFixture.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "media/PlayerUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"

namespace {

// Counts the player messages the window receives while it lives; it leaves the window's filters
// however the test ends, so a failed assertion never leaves the window a dead filter to call.
struct EventCounter : SkinUI::IMessageFilterUI {
    explicit EventCounter(CMainWnd& window) : m_manager(window.GetPaintManager()) { m_manager.AddMessageFilter(this); }
    ~EventCounter() { m_manager.RemoveMessageFilter(this); }
    EventCounter(const EventCounter&) = delete;
    EventCounter& operator=(const EventCounter&) = delete;

    SkinUI::CPaintManagerUI& m_manager;
    int ends = 0;
    int positions = 0;
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool&) override
    {
        ends += uMsg == CPlayerUI::kMsgEndReached;
        positions += uMsg == CPlayerUI::kMsgPosition;
        return 0;
    }
};

// A first open loads libVLC's plug-ins, which is slow under the sanitizers on a busy machine.
constexpr int kFirstOpenMs = 60000;
// Later answers from libVLC (a pause, a resume, the end) on such a machine.
constexpr int kPlayerMs = 20000;

class PlayerEvents : public incoming::MainWindowFixture {
protected:
    CPlayerUI& CutPlayer() { return *dynamic_cast<CPlayerUI*>(window->m_pVideoCutPlayer); }
};

}  // namespace

TEST_F(PlayerEvents, EndOfMediaReopensTheSelectedPagesPreview)
{
    const std::wstring clip = incoming::VideoWithSound("one second.mp4", 1);
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    incoming::Select(w.m_ptabVideoCut);
    EventCounter counter(w);
    w.m_strCutFile = clip;
    w.LoadCutPageFile(clip);
    ASSERT_TRUE(incoming::PumpUntil([&] { return counter.positions > 0; }, kFirstOpenMs));
    EXPECT_NE(std::wstring(w.m_pshowtime->GetText().GetData()).find(L"/00:00:01"), std::wstring::npos);
    ASSERT_TRUE(incoming::PumpUntil([&] { return counter.ends > 0; }));
    // The end clears the player; the reopen makes it play the file again from the start.
    EXPECT_TRUE(incoming::PumpUntil([&] { return CutPlayer().Player().IsValid() && w.m_bPlayerReady == 1; }));

    // The label and the bar start again with the picture, not where the last position left them.
    w.m_pshowtime->SetText(L"00:00:09/00:00:01");
    ::SendMessage(w.GetHWND(), CPlayerUI::kMsgEndReached, reinterpret_cast<WPARAM>(&CutPlayer().Player()), 0);
    EXPECT_EQ(std::wstring(w.m_pshowtime->GetText().GetData()), L"00:00:00/00:00:01");

    // A burst of ends while one reopen runs: one reopen at a time, and the player ends up playing.
    for (int i = 0; i < 10; ++i)
        ::SendMessage(w.GetHWND(), CPlayerUI::kMsgEndReached, reinterpret_cast<WPARAM>(&CutPlayer().Player()), 0);
    EXPECT_TRUE(Settle());
    EXPECT_TRUE(incoming::PumpUntil([&] { return CutPlayer().Player().IsValid(); }));
    CutPlayer().Player().StopPlayback();
}

TEST_F(PlayerEvents, EventsOfOtherPlayersAndOtherPagesChangeNothing)
{
    const std::wstring clip = incoming::VideoWithSound();
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    w.m_strCutFile = clip;
    auto* split = dynamic_cast<CPlayerUI*>(w.m_pVideoSegmenPlayer);
    const WPARAM cut = reinterpret_cast<WPARAM>(&CutPlayer().Player());
    int gone = 0;
    struct Case { const char* name; SkinUI::CControlUI* tab; WPARAM player; };
    const Case cases[] = {
        { "GIF page", w.m_ptabGIF, cut },
        { "merge page", w.m_ptabmerge, cut },
        { "another page's player", w.m_ptabVideoCut, reinterpret_cast<WPARAM>(&split->Player()) },
        { "a player that is gone", w.m_ptabVideoCut, reinterpret_cast<WPARAM>(&gone) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        incoming::Select(c.tab);
        w.m_pshowtime->SetText(L"untouched");
        ::SendMessage(w.GetHWND(), CPlayerUI::kMsgEndReached, c.player, 0);
        ::SendMessage(w.GetHWND(), CPlayerUI::kMsgPosition, c.player, 0);
        EXPECT_TRUE(Settle());
        EXPECT_FALSE(CutPlayer().Player().IsValid());  // nothing reopened the cut preview
        EXPECT_EQ(std::wstring(w.m_pshowtime->GetText().GetData()), L"untouched");
    }
}

TEST_F(PlayerEvents, SubtitlePreviewShowsEachTextItemInsideItsTimes)
{
    CMainWnd& w = *window;
    CWaterFloatWnd layer;
    ASSERT_NE(layer.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0), nullptr);
    ::MoveWindow(layer.GetHWND(), 0, 0, 724, 360, TRUE);
    platform::headless::PumpMessages();
    w.m_pTextLayerWnd = &layer;
    w.m_strSubpageDuration = L"00:00:30";
    w.m_strSubpageDurationMs = L"0";
    w.m_nClipDuration = 30000;
    ASSERT_NE(layer.AddItem(L"Index1001", L"", L"DejaVu Sans", 20, 0xFFFFFF, false), nullptr);
    ASSERT_NE(layer.AddItem(L"Index1002", L"", L"DejaVu Sans", 20, 0xFFFFFF, false), nullptr);
    TextItem other;
    other.name = L"Index1001";
    other.startText = L"00:00:05.0";
    other.endText = L"00:00:06.0";
    TextItem selected;
    selected.name = L"Index1002";  // the layer's current item: the one added last
    selected.startText = L"00:00:02.5";
    selected.endText = L"00:00:04.0";
    selected.alpha = 128;
    selected.sizeText = L"20";
    selected.bold = 1;
    selected.strokeOn = 1;
    selected.strokeColor = 0xFF00FF00;
    w.m_vecTextItems = { other, selected };
    // The item being typed (the default one) has a control but no record; it follows its own times
    // while the selected item is not shown.
    ASSERT_NE(layer.AddItem(L"Index1003", L"", L"DejaVu Sans", 20, 0xFFFFFF, false), nullptr);
    w.m_textItem.name = L"Index1003";
    w.m_textItem.startText = L"00:00:03.0";
    w.m_textItem.endText = L"00:00:05.5";
    layer.m_strCurrentName = L"Index1002";

    struct Case { long long t; bool otherShown, selectedShown, typedShown; };
    const Case cases[] = { { 2499, false, false, false }, { 2500, false, true, false }, { 3500, false, true, false },
                           { 4000, false, true, false }, { 4001, false, false, true }, { 5500, true, false, true },
                           { 5600, true, false, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        w.ShowTextItemsAt(c.t);
        EXPECT_EQ(layer.FindItem(L"Index1001")->IsVisible(), c.otherShown);
        EXPECT_EQ(layer.FindItem(L"Index1002")->IsVisible(), c.selectedShown);
        EXPECT_EQ(layer.FindItem(L"Index1003")->IsVisible(), c.typedShown);
    }

    // Shown, the selected item brought the style controls and its times into the edits.
    auto text = [](SkinUI::CControlUI* control) { return std::wstring(control->GetText().GetData()); };
    EXPECT_EQ(text(w.m_pSubtitleFontSize), L"20");
    EXPECT_EQ(static_cast<SkinUI::CProgressUI*>(w.m_pSubtitleMarkSlider->GetInterface(L"Progress"))->GetValue(), 127);
    EXPECT_EQ(text(w.m_pSubtitleMarkInfo), L"49%");
    EXPECT_TRUE(static_cast<SkinUI::COptionUI*>(w.m_pSubtitleBlod->GetInterface(L"Option"))->IsSelected());
    EXPECT_TRUE(static_cast<SkinUI::COptionUI*>(w.m_pStrokeOp->GetInterface(L"Option"))->IsSelected());
    EXPECT_EQ(w.m_vecTextItems[1].strokeColor, 0xFF00FF00) << "the swatch took the item's colour before the option";
    EXPECT_EQ(text(w.m_psubtitleTimersecond) + L"." + text(w.m_psubtitleTimerMillsecond), L"02.5");
    EXPECT_EQ(text(w.m_psubtitleOversecond) + L"." + text(w.m_psubtitleOverMillsecond), L"04.0");
    // The item's seconds read the tenths digit as tenths.
    EXPECT_FLOAT_EQ(w.m_vecTextItems[1].startSeconds, 2.5f);
    EXPECT_FLOAT_EQ(w.m_vecTextItems[1].endSeconds, 4.0f);
    EXPECT_EQ(w.m_vecTextItems[1].startText, L"00:00:02.5");

    w.m_pTextLayerWnd = nullptr;
    ::DestroyWindow(layer.GetHWND());
    platform::headless::PumpMessages();
    WatermarkSettings = WatermarkStyle();
}

TEST_F(PlayerEvents, ATabSwitchPausesThePlayingPreviewAndTheSliderReachesTheEnd)
{
    const std::wstring clip = incoming::VideoWithSound("ten seconds.mp4", 10);
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    ASSERT_TRUE(Settle());  // the start-up's warm-up of the cut preview is over
    incoming::ShowPageOf(w, w.m_pVideoCutShow);
    incoming::Select(w.m_ptabVideoCut);
    EventCounter counter(w);
    w.m_strCutFile = clip;
    w.LoadCutPageFile(clip);
    CAVPlayer& player = CutPlayer().Player();
    ASSERT_TRUE(incoming::PumpUntil([&] { return player.IsPlaybackActive(); }, kFirstOpenMs));

    // Another page pauses the cut preview; back on the cut page it plays on while its pause
    // button shows.
    incoming::Select(w.m_ptabmerge);
    EXPECT_TRUE(incoming::PumpUntil([&] { return !player.IsPlaybackActive(); }, kPlayerMs));
    w.m_pbtnPause->SetVisible(true);
    incoming::Select(w.m_ptabVideoCut);
    EXPECT_TRUE(incoming::PumpUntil([&] { return player.IsPlaybackActive(); }, kPlayerMs));

    // The seek slider: its middle is the middle of the file, its last step the very end. The middle
    // is looked at paused, so the time stays there however slowly a loaded machine comes round.
    player.PausePlayback();
    ASSERT_TRUE(incoming::PumpUntil([&] { return !player.IsPlaybackActive(); }, kPlayerMs));
    auto* slider = static_cast<SkinUI::CProgressUI*>(w.m_psliderPlay->GetInterface(L"Progress"));
    slider->SetValue(500);
    w.GetPaintManager().SendNotify(w.m_psliderPlay, L"valuechanged");
    EXPECT_TRUE(incoming::PumpUntil([&] { return std::abs(player.PlaybackTimeMs() - 5000) < 1000; }, kPlayerMs))
        << player.PlaybackTimeMs();
    player.ResumePlayback();
    const int endsBefore = counter.ends;
    slider->SetValue(1000);
    w.GetPaintManager().SendNotify(w.m_psliderPlay, L"valuechanged");
    EXPECT_TRUE(incoming::PumpUntil([&] { return counter.ends > endsBefore; }, kPlayerMs)) << "the end was not reached";
    EXPECT_TRUE(Settle());
    player.StopPlayback();
}

TEST_F(PlayerEvents, EachPagesPlayAndPauseButtonsFollowItsPreviewAfterALoad)
{
    const std::wstring clip = incoming::VideoWithSound("ten seconds.mp4", 10);
    ASSERT_FALSE(clip.empty());
    const std::string broken = FreshFolder("not media") + "/not a video.mp4";
    WriteFileText(broken, "no pictures in here");
    CMainWnd& w = *window;
    ASSERT_TRUE(Settle());  // the start-up's warm-up of the cut preview is over
    struct Case {
        const char* page;
        SkinUI::CControlUI* player;
        SkinUI::CControlUI* play;
        SkinUI::CControlUI* pause;
        void (CMainWnd::*load)(const std::wstring&);
    };
    const Case cases[] = {
        { "cut", w.m_pVideoCutPlayer, w.m_pbtnPlay, w.m_pbtnPause, &CMainWnd::LoadCutPageFile },
        { "split", w.m_pVideoSegmenPlayer, w.m_pSegembtnPlay, w.m_pSegembtnPause, &CMainWnd::LoadSplitPageFile },
        { "adjust", w.m_pOptimizationPlayer, w.m_pOptimizationbtnPlay, w.m_pOptimizationbtnPause,
          &CMainWnd::LoadAdjustPageFile },
        { "screenshot", w.m_pPicplayer, w.m_pScreenPicPlay, w.m_pScreenPicPause, &CMainWnd::LoadScreenshotPageFile },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        incoming::ShowPageOf(w, c.pause);
        for (SkinUI::CControlUI* box = c.pause->GetParent(); box && box != w.m_ptab_Tran; box = box->GetParent())
            box->SetVisible(true);
        ASSERT_TRUE(c.play->IsVisible());
        ASSERT_FALSE(c.pause->IsVisible());
        CAVPlayer& player = dynamic_cast<CPlayerUI*>(c.player)->Player();

        // A freshly loaded clip plays at once, so its page offers pause.
        (w.*c.load)(clip);
        EXPECT_TRUE(incoming::PumpUntil([&] { return player.IsPlaybackActive(); }, kFirstOpenMs));
        EXPECT_TRUE(Settle());
        EXPECT_TRUE(c.pause->IsVisible());
        EXPECT_FALSE(c.play->IsVisible());

        // A file the preview cannot play leaves it standing, and the page offers play again.
        w.CloseOverlayWindows();
        (w.*c.load)(AnsiToWide(broken));
        EXPECT_TRUE(Settle());
        EXPECT_FALSE(player.IsValid());
        EXPECT_TRUE(c.play->IsVisible());
        EXPECT_FALSE(c.pause->IsVisible());
    }
}

TEST_F(PlayerEvents, TheWarmUpNeverStopsOrReplacesAFileGivenToTheCutPreview)
{
    const std::wstring loading = incoming::MakeMedia("warm-up.mp4", "-f lavfi -i testsrc=size=160x120:rate=25 -t 1"
                                                                        + incoming::kH264);
    const std::wstring clip = incoming::VideoWithSound("ten seconds.mp4", 10);
    ASSERT_FALSE(loading.empty());
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = *window;
    ASSERT_TRUE(Settle());  // the start-up's own warm-up, which found no clip, is over
    std::filesystem::copy_file(WideToUtf8(loading), WideToUtf8(w.m_strAppFolder + L"Loading.mp4"));
    CAVPlayer& player = CutPlayer().Player();
    const auto playingMs = [&player] { return player.IsValid() ? player.MediaLengthMs() : 0; };

    // The user's file comes while the warm-up clip plays (or, on a slow machine, right after it).
    std::atomic<bool> warmUpEnded { false };
    std::thread warmUp([&] {
        w.WarmUpPlayer();
        warmUpEnded = true;
    });
    incoming::PumpUntil([&] { return warmUpEnded || (playingMs() > 0 && playingMs() < 2000); }, kFirstOpenMs);
    w.OpenPagePlayer(w.m_pVideoCutPlayer, clip);
    warmUp.join();
    EXPECT_TRUE(Settle());
    EXPECT_TRUE(incoming::PumpUntil([&] { return playingMs() > 5000; }, kFirstOpenMs))
        << "the warm-up stopped the user's preview";

    // A warm-up that comes after the user's file leaves it playing.
    w.WarmUpPlayer();
    EXPECT_GT(playingMs(), 5000) << "the warm-up replaced the user's preview";
    player.StopPlayback();
}
