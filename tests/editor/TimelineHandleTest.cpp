// Timeline drag handles driven by injected mouse sequences on the headless display: their limits
// on the range pages and the split page, the jump rule, the hook that ends a drag released outside
// the window, and the press/release-only handle.
#include "editor/dialogs/TimelineHandleUI.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "OverlayTestSupport.h"
#include "editor/mainwnd/MainWnd.h"

using namespace overlaytest;

namespace {

SkinUI::CControlUI* MakeHandle(const wchar_t* tag)
{
    if (::wcscasecmp(tag, L"MyButton") == 0)
        return new CMyButtonUI();
    if (::wcscasecmp(tag, L"MyButtonEnd") == 0)
        return new CMyButtonEndUI();
    if (::wcscasecmp(tag, L"MoveButton") == 0)
        return new CMoveButtonUI();
    return nullptr;
}

// A timeline at the window's top-left: start handle at x 300, end handle at x 600, a split cut
// handle at x 400 and a move handle at x 40, all at 96 DPI (the float positions scale with the DPI).
const wchar_t* kSkin =
    L"<Window size=\"1000,200\"><HorizontalLayout bkcolor=\"#FF202020\">"
    L"<MyButton name=\"start\" float=\"true\" pos=\"300,20,306,34\" bkcolor=\"#FFFFFFFF\"/>"
    L"<MyButtonEnd name=\"end\" float=\"true\" pos=\"600,20,606,34\" bkcolor=\"#FFFFFFFF\"/>"
    L"<MyButton name=\"cut\" float=\"true\" pos=\"400,60,412,85\" bkcolor=\"#FFFFFFFF\"/>"
    L"<MoveButton name=\"move\" float=\"true\" pos=\"40,100,48,113\" bkcolor=\"#FFFFFFFF\"/>"
    L"</HorizontalLayout></Window>";

class TimelineHandleTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        PageKey = L"tabVideoCut";
        EndHandleLimit = 816;
        HandleDragFlags = 0;
    }
    void TearDown() override
    {
        PageKey.clear();
        MainWindowHandle = nullptr;
        RemoveDragMouseHook();
    }
    // Reads the stored rectangles from the handles' places, as the main window's layout does.
    static void SyncStored(SkinHost& host)
    {
        StartHandleRect = host.Find(L"start")->GetPos();
        EndHandleRect = host.Find(L"end")->GetPos();
    }
    static POINT Centre(SkinUI::CControlUI* c)
    {
        const RECT rc = c->GetPos();
        return { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    }
};

}  // namespace

TEST_F(TimelineHandleTest, HandlesStopAtTheirLimitsAndReportOnRelease)
{
    struct Case {
        const wchar_t* page;
        const wchar_t* handle;
        int dx;              // one move of the mouse from the handle's centre
        int leftDuring;      // the handle's left after the move (a limited step does not move it)
        int leftAfter;       // its left after the release
        const wchar_t* moveNote;
        int dpi;
    };
    const Case cases[] = {
        { L"tabVideoCut", L"start", 50, 350, 350, L"progresspos", 96 },
        { L"tabVideoCut", L"start", -200, 300, 197, L"progresspos", 96 },        // timeline's left end
        { L"tabVideoCut", L"start", 400, 300, 594, L"progresspos", 96 },         // touches the end handle
        { L"tabVideoCut", L"end", 500, 600, 810, L"progressendpos", 96 },        // limit 816
        { L"tabVideoCut", L"end", -400, 600, 306, L"progressendpos", 96 },       // touches the start handle
        { L"tabFenge", L"cut", -300, 400, 197 + 6, L"progresspos", 96 },         // split: S(197) + S(6)
        { L"tabFenge", L"cut", 400, 400, 197 + 523 - 12, L"progresspos", 96 },   // split right end
        { L"VideoAddMusic", L"start", -400, 450, 296, L"progresspos", 144 },     // S(197) at 150 % (rounded)
        { L"VideoAddMusic", L"end", 600, 900, 1224 - 9, L"progressendpos", 144 },  // S(816) - S(6)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "handle " << c.handle << " dx " << c.dx << " dpi " << c.dpi);
        SkinHost host(kSkin, MakeHandle);
        ASSERT_TRUE(host.Open(1900, 200, c.dpi));
        PageKey = c.page;
        SyncStored(host);
        auto* handle = host.Find(c.handle);
        const POINT from = Centre(handle);
        hl::MoveMouse(from.x, from.y);
        hl::PressButton(hl::Left, from.x, from.y);
        host.Settle();
        EXPECT_NE(HandleDragFlags & HandleDragging, 0u);
        hl::MoveMouse(from.x + c.dx, from.y);
        host.Settle();
        EXPECT_EQ(handle->GetPos().left, c.leftDuring);
        hl::ReleaseButton(hl::Left, from.x + c.dx, from.y);
        host.Settle();
        EXPECT_EQ(handle->GetPos().left, c.leftAfter);
        EXPECT_EQ(HandleDragFlags & HandleDragging, 0u);
        const RECT& stored = std::wstring(c.moveNote) == L"progresspos" ? StartHandleRect : EndHandleRect;
        EXPECT_EQ(stored.left, c.leftAfter);
        ASSERT_GE(host.log.size(), 2u);
        EXPECT_EQ(host.log.back(), std::wstring(L"playvideo:") + c.handle);
        EXPECT_EQ(host.log[host.log.size() - 2], std::wstring(c.moveNote) + L":" + c.handle);
        EXPECT_EQ(std::count(host.log.begin(), host.log.end(), L"click:" + std::wstring(c.handle)), 0);
    }
}

TEST_F(TimelineHandleTest, JumpEndsTheDragAndAStrayReleaseSendsNothing)
{
    SkinHost host(kSkin, MakeHandle);
    ASSERT_TRUE(host.Open(1900, 200));
    SyncStored(host);
    auto* start = host.Find(L"start");
    const POINT from = Centre(start);

    // A jump of more than 1000 pixels ends the drag; later moves do nothing.
    hl::MoveMouse(from.x, from.y);
    hl::PressButton(hl::Left, from.x, from.y);
    host.Settle();
    hl::MoveMouse(from.x + 20, from.y);
    host.Settle();
    EXPECT_EQ(start->GetPos().left, 320);
    hl::MoveMouse(from.x + 20 + 1001, from.y);
    host.Settle();
    EXPECT_EQ(HandleDragFlags & HandleDragging, 0u);
    hl::MoveMouse(from.x + 40, from.y);
    host.Settle();
    EXPECT_EQ(start->GetPos().left, 320);
    hl::ReleaseButton(hl::Left, from.x + 40, from.y);
    host.Settle();
    EXPECT_EQ(start->GetPos().left, 320);

    // A press that the disabled handle ignores, then a release on it: nothing moves, nothing sent.
    host.log.clear();
    start->SetEnabled(false);
    const POINT again = Centre(start);
    hl::MoveMouse(again.x, again.y);
    hl::PressButton(hl::Left, again.x, again.y);
    host.Settle();
    start->SetEnabled(true);
    hl::ReleaseButton(hl::Left, again.x, again.y);
    host.Settle();
    EXPECT_EQ(start->GetPos().left, 320);
    EXPECT_TRUE(host.log.empty()) << testing::PrintToString(host.log);
}

TEST_F(TimelineHandleTest, HookEndsADragReleasedOutsideTheWindowAndTellsTheMainWindow)
{
    SkinHost host(kSkin, MakeHandle);
    ASSERT_TRUE(host.Open(1000, 200));
    host.watched = { kMsgHandleDragEnded };
    MainWindowHandle = host.GetHWND();
    SyncStored(host);
    const POINT from = Centre(host.Find(L"start"));
    hl::MoveMouse(from.x, from.y);
    hl::PressButton(hl::Left, from.x, from.y);
    host.Settle();
    EXPECT_NE(DragMouseHook, nullptr);
    hl::MoveMouse(1100, 600);  // below and right of the window, within the jump limit
    hl::ReleaseButton(hl::Left, 1100, 600);
    host.Settle();
    EXPECT_EQ(HandleDragFlags & HandleDragging, 0u);
    EXPECT_EQ(DragMouseHook, nullptr);  // it removes itself at the first release
    EXPECT_EQ(host.seen, (std::vector<UINT> { kMsgHandleDragEnded }));
    EXPECT_FALSE(RemoveDragMouseHook());
}

TEST_F(TimelineHandleTest, MoveHandleReportsPressAndReleaseWithoutFollowing)
{
    SkinHost host(kSkin, MakeHandle);
    ASSERT_TRUE(host.Open(1000, 200));
    auto* move = host.Find(L"move");
    const RECT before = move->GetPos();
    host.Drag(Centre(move), { { 200, 106 }, { 300, 106 } });
    EXPECT_TRUE(::EqualRect(&before, &move->GetPos()));
    EXPECT_TRUE(::EqualRect(&before, &StartHandleRect));
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"progresspos:move", L"playvideo:move" }));
}
