// The home page's feature cards on the real skin, pressed through the headless display as a user
// would: anywhere on a card opens its page, with no pointer motion before the press.
#include <gtest/gtest.h>

#include "MainWndFixture.h"
#include "ui/controls/OptionUI.h"

namespace hl = platform::headless;

namespace {

class HomeCards : public MainWndFixture {
protected:
    void ShowHome()
    {
        m_window->ReturnFromPage();
        Settle();
    }
    bool OnHome() { return m_window->m_pmainwnd->IsVisible() && !m_window->m_pctnClient->IsVisible(); }
    // Press and release at a point of the window's client area, with no move before.
    void PressAt(POINT client)
    {
        ::ClientToScreen(m_window->GetHWND(), &client);
        hl::PressButton(hl::Left, client.x, client.y);
        hl::ReleaseButton(hl::Left, client.x, client.y);
        hl::PumpMessages();
    }
};

TEST_F(HomeCards, APressAnywhereOnACardOpensItsPage)
{
    Open();
    const std::pair<const wchar_t*, const wchar_t*> cards[] = {
        { L"VideoCut", L"tabVideoCut" }, { L"VideoFenge", L"tabFenge" }, { L"VideoMerge", L"tabmerge" },
        { L"Videogif", L"tabGIF" },      { L"videoScreen", L"tabScreen" }, { L"videoAdd", L"tabAdd" },
        { L"videoadjustment", L"tabAdjust" },
    };
    for (const auto& [entry, tab] : cards) {
        SCOPED_TRACE(WideToUtf8(entry));
        ShowHome();
        ASSERT_TRUE(OnHome());
        const SkinUI::CControlUI* card = Find(entry)->GetParent();
        const RECT rc = card->GetPos();
        // The card's description line, well below its title.
        PressAt({ (rc.left + rc.right) / 2, rc.top + (rc.bottom - rc.top) * 2 / 3 });
        EXPECT_FALSE(OnHome());
        auto* option = static_cast<SkinUI::COptionUI*>(Find(tab)->GetInterface(L"Option"));
        EXPECT_TRUE(option->IsSelected());
    }
}

TEST_F(HomeCards, APressBesideTheCardsOpensNothing)
{
    Open();
    ShowHome();
    const RECT first = Find(L"VideoCut")->GetParent()->GetPos();
    PressAt({ first.right + 4, (first.top + first.bottom) / 2 });  // in the gap between two cards
    EXPECT_TRUE(OnHome());
}

}  // namespace
