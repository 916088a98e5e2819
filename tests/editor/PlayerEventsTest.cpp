// The preview players as the main window drives them: a page's file opens in its player, the end
// of the media reopens it, and events from other players or from players that are gone change
// nothing.
#include <gtest/gtest.h>

#include "IncomingFilesFixture.h"
#include "media/PlayerUI.h"

namespace {

// Counts the player messages the window receives.
struct EventCounter : SkinUI::IMessageFilterUI {
    int ends = 0;
    int positions = 0;
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool&) override
    {
        ends += uMsg == CPlayerUI::kMsgEndReached;
        positions += uMsg == CPlayerUI::kMsgPosition;
        return 0;
    }
};

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
    EventCounter counter;
    w.GetPaintManager().AddMessageFilter(&counter);
    w.m_strCutFile = clip;
    w.LoadCutPageFile(clip);
    ASSERT_TRUE(incoming::PumpUntil([&] { return counter.positions > 0; }));
    EXPECT_NE(std::wstring(w.m_pshowtime->GetText().GetData()).find(L"/00:00:01"), std::wstring::npos);
    ASSERT_TRUE(incoming::PumpUntil([&] { return counter.ends > 0; }));
    // The end clears the player; the reopen makes it play the file again from the start.
    EXPECT_TRUE(incoming::PumpUntil([&] { return CutPlayer().Player().IsValid() && w.m_bPlayerReady == 1; }));

    // A burst of ends while one reopen runs: one reopen at a time, and the player ends up playing.
    for (int i = 0; i < 10; ++i)
        ::SendMessage(w.GetHWND(), CPlayerUI::kMsgEndReached, reinterpret_cast<WPARAM>(&CutPlayer().Player()), 0);
    EXPECT_TRUE(Settle());
    EXPECT_TRUE(incoming::PumpUntil([&] { return CutPlayer().Player().IsValid(); }));
    w.GetPaintManager().RemoveMessageFilter(&counter);
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
