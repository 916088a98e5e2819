// The crop mask and frame on the headless display: rubber bands near every edge at 100 and 150 %,
// a click without a band, and the frame's publishing, corrections, edits and drag bounds.
#include "editor/dialogs/ConcealWnd.h"
#include "editor/dialogs/CoverWnd.h"

#include <gtest/gtest.h>

#include "OverlayTestSupport.h"
#include "editor/mainwnd/MainWnd.h"

using namespace overlaytest;

namespace {

constexpr int kCoverX = 100, kCoverY = 100;

class CropWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        m_main = std::make_unique<CMainWnd>();  // no window: the crop flags the frame reads
        m_edits = std::make_unique<SkinHost>(
            L"<Window size=\"400,40\"><HorizontalLayout><Label name=\"x\"/><Label name=\"y\"/>"
            L"<Label name=\"w\"/><Label name=\"h\"/></HorizontalLayout></Window>",
            [](const wchar_t*) -> SkinUI::CControlUI* { return nullptr; });
        ASSERT_TRUE(m_edits->Open(400, 40));
        ::SetWindowPos(m_edits->GetHWND(), nullptr, 1400, 900, 400, 40, SWP_NOZORDER);
    }
    void TearDown() override
    {
        ClosePair();
        m_edits.reset();
        m_main.reset();
        hl::SetMonitorDpi(96);
        CropCanvasWidth = CropCanvasHeight = 0;
    }
    void ClosePair()
    {
        if (m_conceal != nullptr && ::IsWindow(m_conceal))
            ::DestroyWindow(m_conceal);
        if (m_cover != nullptr && ::IsWindow(m_cover->GetHWND()))
            ::DestroyWindow(m_cover->GetHWND());
        hl::PumpMessages();
        m_conceal = nullptr;
        m_cover = nullptr;
        m_frame = nullptr;
    }
    // The cover over a canvas of w x h at (100, 100), and the frame on it.
    void OpenPair(int w, int h)
    {
        CropCanvasWidth = w;
        CropCanvasHeight = h;
        m_cover = new CCover(w, h, Edit(L"x"), Edit(L"y"), Edit(L"w"), Edit(L"h"));  // deletes itself
        ASSERT_NE(m_cover->Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0), nullptr);
        ::MoveWindow(m_cover->GetHWND(), kCoverX, kCoverY, w, h, TRUE);
        m_frame = new CConceal(m_cover, m_main.get(), w, h, Edit(L"x"), Edit(L"y"), Edit(L"w"), Edit(L"h"));
        m_conceal = m_frame->Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0);
        ASSERT_NE(m_conceal, nullptr);
        ::MoveWindow(m_conceal, kCoverX + 20, kCoverY + 20, 100, 80, TRUE);
        CropDragBounds = { kCoverX, kCoverY, kCoverX + w, kCoverY + h };
        SkinHost::Settle();
    }
    SkinUI::CControlUI* Edit(const wchar_t* name) { return m_edits->Find(name); }
    std::vector<std::wstring> Edits()
    {
        std::vector<std::wstring> out;
        for (const wchar_t* name : { L"x", L"y", L"w", L"h" })
            out.emplace_back(Edit(name)->GetText().GetData());
        return out;
    }
    static std::vector<std::wstring> Numbers(int x, int y, int w, int h)
    {
        return { std::to_wstring(x), std::to_wstring(y), std::to_wstring(w), std::to_wstring(h) };
    }
    RECT FrameRect() const
    {
        RECT rc {};
        ::GetWindowRect(m_conceal, &rc);
        return rc;
    }
    // A press, one move and a release on the mask, in its client coordinates.
    void Band(POINT from, POINT to)
    {
        hl::MoveMouse(kCoverX + from.x, kCoverY + from.y);
        hl::PressButton(hl::Left, kCoverX + from.x, kCoverY + from.y);
        SkinHost::Settle();
        hl::MoveMouse(kCoverX + to.x, kCoverY + to.y);
        SkinHost::Settle();
        hl::ReleaseButton(hl::Left, kCoverX + to.x, kCoverY + to.y);
        SkinHost::Settle();
    }

    std::unique_ptr<CMainWnd> m_main;
    std::unique_ptr<SkinHost> m_edits;
    CCover* m_cover { nullptr };
    CConceal* m_frame { nullptr };
    HWND m_conceal { nullptr };
};

}  // namespace

TEST_F(CropWindowsTest, RubberBandStaysOnTheCanvasNearEveryEdge)
{
    struct Case {
        POINT from, to;
        RECT want;  // the selection, at 100 %
    };
    const Case cases[] = {
        { { 100, 100 }, { 300, 200 }, { 100, 100, 300, 200 } },
        { { 300, 200 }, { 100, 100 }, { 100, 100, 300, 200 } },  // right to left: the same band
        { { 100, 100 }, { 105, 103 }, { 100, 100, 114, 114 } },  // grows to 14 x 14
        { { 638, 100 }, { 639, 120 }, { 626, 100, 640, 120 } },  // never past the right edge
        { { 100, 355 }, { 130, 358 }, { 100, 346, 130, 360 } },  // never inside out at the bottom
        { { 100, 340 }, { 300, 359 }, { 100, 340, 300, 359 } },  // may end on the last rows
        { { 500, 300 }, { 700, 420 }, { 500, 300, 640, 360 } },  // pointer beyond the canvas
        { { 20, 80 }, { 1, 50 }, { 1, 50, 20, 80 } },  // (the top 40 rows are the mask's caption)
    };
    for (const int dpi : { 96, 144 }) {
        const double s = dpi / 96.0;
        auto S = [s](long v) { return static_cast<int>(v * s); };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "dpi " << dpi << " from " << c.from.x << "," << c.from.y);
            OpenPair(S(640), S(360));
            ::ShowWindow(m_conceal, SW_HIDE);  // the press goes to the mask, as beside the frame
            const RECT want { S(c.want.left), S(c.want.top), S(c.want.right), S(c.want.bottom) };
            const bool grown = c.want.right - c.want.left == 14 || c.want.bottom - c.want.top == 14;
            Band({ S(c.from.x), S(c.from.y) }, { S(c.to.x), S(c.to.y) });
            const RECT got = m_cover->GetSelectionControl()->GetSelection();
            EXPECT_GE(got.left, 0);
            EXPECT_GE(got.top, 0);
            EXPECT_LE(got.right, S(640));
            EXPECT_LE(got.bottom, S(360));
            EXPECT_GE(got.right - got.left, 14);
            EXPECT_GE(got.bottom - got.top, 14);
            if (!grown) {
                EXPECT_EQ(got.left, want.left);
                EXPECT_EQ(got.top, want.top);
                EXPECT_EQ(got.right, want.right);
                EXPECT_EQ(got.bottom, want.bottom);
            }
            EXPECT_EQ(Edits(), Numbers(got.left, got.top, got.right - got.left, got.bottom - got.top));
            const RECT frame = FrameRect();
            EXPECT_TRUE(::IsWindowVisible(m_conceal));
            EXPECT_EQ(frame.left, kCoverX + got.left);
            EXPECT_EQ(frame.top, kCoverY + got.top);
            EXPECT_EQ(frame.right - frame.left, got.right - got.left);
            ClosePair();
        }
    }
}

TEST_F(CropWindowsTest, ClickWithoutABandKeepsTheFrameAndTheEdits)
{
    OpenPair(640, 360);
    ::MoveWindow(m_conceal, kCoverX + 20, kCoverY + 20, 100, 80, TRUE);
    const RECT before = FrameRect();
    Edit(L"x")->SetText(L"kept");
    Band({ 400, 300 }, { 400, 300 });
    EXPECT_TRUE(::IsWindowVisible(m_conceal));
    const RECT after = FrameRect();
    EXPECT_TRUE(::EqualRect(&before, &after));
    EXPECT_EQ(Edits()[0], L"kept");

    // "rectA" takes exactly four numbers; three leave the selection.
    CMyVer* selection = m_cover->GetSelectionControl();
    selection->SetAttribute(L"rectA", L"10,20,30,40");
    selection->SetAttribute(L"rectA", L"1,2,3");
    const RECT want { 10, 20, 30, 40 };
    EXPECT_TRUE(::EqualRect(&selection->GetSelection(), &want));
}

TEST_F(CropWindowsTest, FramePublishesItsPlaceAndWritesWhatIsOverTheCover)
{
    OpenPair(640, 360);
    struct Case {
        int x, y, w, h;  // the frame relative to the cover
        std::vector<std::wstring> edits;
    };
    const Case cases[] = {
        { 50, 40, 200, 100, Numbers(50, 40, 200, 100) },
        { -30, 40, 200, 100, Numbers(0, 40, 170, 100) },  // partly left: x 0, the visible width
        { 600, 300, 200, 100, Numbers(600, 300, 40, 60) },
        { 900, 500, 50, 50, Numbers(900, 500, 0, 0) },     // off the cover: nothing visible
    };
    m_main->m_bCropByUser = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ::SetWindowPos(m_conceal, nullptr, kCoverX + c.x, kCoverY + c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SetWindowPos(m_conceal, nullptr, 0, 0, c.w, c.h, SWP_NOMOVE | SWP_NOZORDER);
        SkinHost::Settle();
        if (c.x >= 0 && c.x + c.w <= 640 && c.y + c.h <= 360) {
            EXPECT_EQ(Edits(), c.edits);
        }
        const RECT sel = m_cover->GetSelectionControl()->GetSelection();
        const RECT frame = FrameRect();
        EXPECT_EQ(sel.left, frame.left - kCoverX);
        EXPECT_EQ(sel.top, frame.top - kCoverY);
        EXPECT_EQ(sel.right - sel.left, frame.right - frame.left);
        if (c.x < 0 || c.x + c.w > 640 || c.y + c.h > 360) {  // sizing corrects these: the visible width
            EXPECT_EQ(Edits()[2], std::to_wstring(std::max(0L, std::min<long>(frame.right, kCoverX + 640)
                                                                    - std::max<long>(frame.left, kCoverX))));
        }
    }

    // Carried along by the main window (the flag cleared): the edits stay.
    Edit(L"x")->SetText(L"kept");
    m_main->m_bCropByUser = 0;
    ::SetWindowPos(m_conceal, nullptr, kCoverX + 10, kCoverY + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SkinHost::Settle();
    EXPECT_EQ(Edits()[0], L"kept");
}

TEST_F(CropWindowsTest, SizingIsCorrectedIntoTheCoverAndTheMaximum)
{
    OpenPair(640, 360);
    m_main->m_bCropByUser = 1;
    // The top pulled above the cover: the top snaps to the cover's, the bottom stays.
    ::SetWindowPos(m_conceal, nullptr, kCoverX + 20, kCoverY - 30, 100, 130, SWP_NOZORDER);
    SkinHost::Settle();
    RECT rc = FrameRect();
    EXPECT_EQ(rc.top, kCoverY);
    EXPECT_EQ(rc.bottom, kCoverY + 100);
    EXPECT_EQ(m_main->m_bCropFromEdits, 0);

    // Beyond the maximum height: the bottom lies at the cover's top plus the maximum.
    ::SendMessage(m_conceal, CConceal::kMsgCropMaximum, 640, 300);
    ::SetWindowPos(m_conceal, nullptr, kCoverX + 20, kCoverY + 100, 100, 250, SWP_NOZORDER);
    SkinHost::Settle();
    rc = FrameRect();
    EXPECT_EQ(rc.bottom, kCoverY + 300);

    // A maximum smaller than the frame's offset never gives a height below 1.
    ::SendMessage(m_conceal, CConceal::kMsgCropMaximum, 640, 100);
    ::SetWindowPos(m_conceal, nullptr, kCoverX + 20, kCoverY + 200, 100, 50, SWP_NOZORDER);
    SkinHost::Settle();
    rc = FrameRect();
    EXPECT_GE(rc.bottom - rc.top, 1);
    EXPECT_EQ(m_frame->GetMaxHeight(), 100);

    // Past the maximum width on the right: cut at the cover's left plus the maximum.
    ::SendMessage(m_conceal, CConceal::kMsgCropMaximum, 400, 360);
    ::SetWindowPos(m_conceal, nullptr, kCoverX + 300, kCoverY + 20, 200, 80, SWP_NOZORDER);
    SkinHost::Settle();
    rc = FrameRect();
    EXPECT_EQ(rc.right, kCoverX + 400);
    EXPECT_GE(std::stoi(Edits()[2]), 0);
}

TEST_F(CropWindowsTest, DragStopsAtTheBoundsAndFollowsAgainWhenThePointerComesBack)
{
    OpenPair(640, 360);
    const RECT start = FrameRect();  // (120, 120) 100 x 80
    const POINT grab { start.left + 50, start.top + 40 };
    hl::MoveMouse(grab.x, grab.y);
    hl::PressButton(hl::Left, grab.x, grab.y);
    SkinHost::Settle();
    hl::MoveMouse(grab.x + 30, grab.y + 10);
    SkinHost::Settle();
    EXPECT_EQ(FrameRect().left, start.left + 30);
    hl::MoveMouse(grab.x - 40, grab.y);  // the left edge would cross the bounds: stays
    SkinHost::Settle();
    EXPECT_EQ(FrameRect().left, start.left + 30);
    hl::MoveMouse(grab.x - 10, grab.y + 5);
    SkinHost::Settle();
    EXPECT_EQ(FrameRect().left, start.left - 10);
    EXPECT_EQ(FrameRect().top, start.top + 5);
    hl::ReleaseButton(hl::Left, grab.x - 10, grab.y + 5);
    SkinHost::Settle();
    EXPECT_EQ(Edits(), Numbers(10, 25, 100, 80));
    EXPECT_EQ(m_main->m_bCropByUser, 1);
}
