// Timed text items on their layer window, headless: the cascade and "same place" rules, pinned
// positions across relayouts, selection with the main window's time edits, removal of the current
// item, drags kept on the layer, the fit to the text, and the PNG a render writes.
#include "editor/dialogs/WaterFloatWnd.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "ui/controls/LabelUI.h"
#include "OverlayTestSupport.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"

using namespace overlaytest;

namespace {

constexpr int kLayerW = 600, kLayerH = 300;

std::vector<std::wstring> Texts(const std::vector<SkinUI::CUIString>& pieces)
{
    std::vector<std::wstring> out;
    for (const auto& p : pieces)
        out.emplace_back(p.GetData());
    return out;
}

// A time edit that notes whether the layer had the clamp off while it wrote the edit.
class ProbeEdit : public SkinUI::CLabelUI {
public:
    void SetText(const wchar_t* text) override
    {
        clampOffSeen = MainWindowPointer != nullptr && MainWindowPointer->m_bSubtitleClampOff != 0;
        CLabelUI::SetText(text);
    }
    bool clampOffSeen = false;
};

class TextItemLayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        WatermarkSettings = WatermarkStyle();
        m_main = std::make_unique<CMainWnd>();  // no window: the records and flags the layer reads
        ASSERT_NE(m_layer.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0), nullptr);
        ::MoveWindow(m_layer.GetHWND(), 0, 0, kLayerW, kLayerH, TRUE);
        TextLayerRectangle = { 0, 0, kLayerW, kLayerH };
        SkinHost::Settle();
    }
    void TearDown() override
    {
        if (::IsWindow(m_layer.GetHWND()))
            ::DestroyWindow(m_layer.GetHWND());
        hl::PumpMessages();
        m_main.reset();
    }
    CWaterTextUI* Add(const wchar_t* name, const wchar_t* text = L"", bool same = false)
    {
        CWaterTextUI* item = m_layer.AddItem(name, text, L"DejaVu Sans", 20, 0xFFFFFF, same);
        item->SetItemText(text);
        SkinHost::Settle();
        return item;
    }
    static POINT Centre(SkinUI::CControlUI* c)
    {
        const RECT rc = c->GetPos();
        return { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    }
    // Points inside an item that the items cascaded over it do not cover.
    static POINT TopLeftOf(SkinUI::CControlUI* c) { return { c->GetPos().left + 3, c->GetPos().top + 3 }; }
    static POINT BottomRightOf(SkinUI::CControlUI* c) { return { c->GetPos().right - 3, c->GetPos().bottom - 3 }; }
    static RECT Rect(SkinUI::CControlUI* c) { return c->GetPos(); }
    static void ExpectRect(const RECT& got, const RECT& want)
    {
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
    void Relayout()
    {
        m_layer.GetPaintManager().GetRoot()->NeedUpdate();
        SkinHost::Settle();
    }

    std::unique_ptr<CMainWnd> m_main;
    CWaterFloatWnd m_layer;
};

}  // namespace

TEST(SplitUIString, KeepsEveryPieceAndTheLastOne)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* delimiter;
        std::vector<std::wstring> want;
    };
    const Case cases[] = {
        { L"00:01:02.345", L":", { L"00", L"01", L"02.345" } },
        { L"a:", L":", { L"a", L"" } },
        { L"abc", L":", { L"abc" } },
        { L"", L":", { L"" } },
        { L"a::b", L"::", { L"a", L"b" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(SplitUIString(c.text, c.delimiter)), c.want) << testing::PrintToString(c.text);
}

TEST_F(TextItemLayerTest, NewItemsCascadeAndKeepTheirPlacesThroughRelayouts)
{
    const Gdiplus::RectF box = m_layer.MeasureItemText(L"Hello", L"DejaVu Sans", 20);
    CWaterTextUI* first = Add(L"Index1001", L"Hello");
    CWaterTextUI* second = Add(L"Index1002", L"Hello");
    CWaterTextUI* empty = Add(L"Index1003");
    const int w = static_cast<int>(box.Width + WatermarkSettings.size / 3), h = static_cast<int>(box.Height);
    ExpectRect(Rect(first), { 210, 110, 210 + w, 110 + h });
    ExpectRect(Rect(second), { 220, 120, 220 + w, 120 + h });
    ExpectRect(Rect(empty), { 230, 130, 270, 180 });  // an empty item is 40 x 50
    EXPECT_EQ(m_layer.m_pCurrentItem, empty);

    // Dragged, then shown, hidden and added around: every item stays where it was.
    SkinHost::Settle();
    const POINT from = TopLeftOf(first);
    hl::MoveMouse(from.x, from.y);
    hl::PressButton(hl::Left, from.x, from.y);
    SkinHost::Settle();
    hl::MoveMouse(from.x - 100, from.y - 50);
    hl::ReleaseButton(hl::Left, from.x - 100, from.y - 50);
    SkinHost::Settle();
    const RECT moved = Rect(first);
    EXPECT_EQ(moved.left, 110);
    m_layer.ShowItem(L"Index1002", false);
    Relayout();
    m_layer.ShowItem(L"Index1002", true);
    CWaterTextUI* same = Add(L"Index1004", L"Hello", true);  // on the item before it: the raised one
    Relayout();
    ExpectRect(Rect(first), moved);
    ExpectRect(Rect(second), { 220, 120, 220 + w, 120 + h });
    ExpectRect(Rect(same), moved);
}

TEST_F(TextItemLayerTest, ItemsThatWouldLeaveTheLayerStartAtTheCornerAndSamePlaceNeedsAnEarlierItem)
{
    ::MoveWindow(m_layer.GetHWND(), 0, 0, 90, 60, TRUE);
    TextLayerRectangle = { 0, 0, 90, 60 };
    SkinHost::Settle();
    // The first item asks for the place of an item before it, and there is none: cascade.
    CWaterTextUI* item = Add(L"Index1001", L"A rather long subtitle line", true);
    EXPECT_EQ(Rect(item).left, 0);
    EXPECT_EQ(Rect(item).top, 0);
}

TEST_F(TextItemLayerTest, ClickRaisesTheItemAndShowsItsTimesWithoutClamping)
{
    SkinHost edits(L"<Window size=\"400,100\"><HorizontalLayout>"
                   L"<Probe name=\"h0\"/><Probe name=\"m0\"/><Probe name=\"s0\"/><Probe name=\"f0\"/>"
                   L"<Probe name=\"h1\"/><Probe name=\"m1\"/><Probe name=\"s1\"/><Probe name=\"f1\"/>"
                   L"</HorizontalLayout></Window>",
                   [](const wchar_t* tag) -> SkinUI::CControlUI* {
                       return ::wcscmp(tag, L"Probe") == 0 ? new ProbeEdit() : nullptr;
                   });
    ASSERT_TRUE(edits.Open(400, 100));
    ::SetWindowPos(edits.GetHWND(), nullptr, 1000, 600, 400, 100, SWP_NOZORDER);
    CMainWnd& main = *m_main;
    main.m_psubtitleTimerHour = edits.Find(L"h0");
    main.m_psubtitleTimerminute = edits.Find(L"m0");
    main.m_psubtitleTimersecond = edits.Find(L"s0");
    main.m_psubtitleTimerMillsecond = edits.Find(L"f0");
    main.m_psubtitleOverHour = edits.Find(L"h1");
    main.m_psubtitleOverminute = edits.Find(L"m1");
    main.m_psubtitleOversecond = edits.Find(L"s1");
    main.m_psubtitleOverMillsecond = edits.Find(L"f1");
    TextItem record;
    record.name = L"Index1001";
    record.startText = L"00:01:02.3";
    record.endText = L"00:01:09";
    main.m_vecTextItems.push_back(record);
    TextItem bad = record;
    bad.name = L"Index1002";
    bad.startText = L"01:02";  // two pieces: never read out of range
    main.m_vecTextItems.push_back(bad);

    CWaterTextUI* first = Add(L"Index1001", L"first");
    CWaterTextUI* second = Add(L"Index1002", L"second");
    SkinUI::CContainerUI* root = static_cast<SkinUI::CContainerUI*>(m_layer.GetPaintManager().FindControl(L"root"));
    EXPECT_EQ(root->GetItemIndex(first), 0);

    const POINT at = TopLeftOf(first);
    hl::MoveMouse(at.x, at.y);
    hl::PressButton(hl::Left, at.x, at.y);
    hl::ReleaseButton(hl::Left, at.x, at.y);
    SkinHost::Settle();
    EXPECT_EQ(m_layer.m_pCurrentItem, first);
    EXPECT_EQ(std::wstring(m_layer.m_strCurrentName.GetData()), L"Index1001");
    EXPECT_EQ(root->GetItemIndex(first), 1);  // raised above the other
    const wchar_t* names[] = { L"h0", L"m0", L"s0", L"f0", L"h1", L"m1", L"s1", L"f1" };
    const wchar_t* want[] = { L"00", L"01", L"02", L"3", L"00", L"01", L"09", L"" };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(std::wstring(edits.Find(names[i])->GetText().GetData()), want[i]) << names[i];
    for (const wchar_t* name : names)
        EXPECT_TRUE(edits.Find<ProbeEdit>(name)->clampOffSeen) << name;
    EXPECT_EQ(main.m_bSubtitleClampOff, 0);

    // A record whose start is not three ":" pieces selects and raises, and leaves the edits.
    edits.Find(L"h0")->SetText(L"kept");
    const POINT other = BottomRightOf(second);
    hl::MoveMouse(other.x, other.y);
    hl::PressButton(hl::Left, other.x, other.y);
    hl::ReleaseButton(hl::Left, other.x, other.y);
    SkinHost::Settle();
    EXPECT_EQ(m_layer.m_pCurrentItem, second);
    EXPECT_EQ(root->GetItemIndex(second), 1);
    EXPECT_EQ(std::wstring(edits.Find(L"h0")->GetText().GetData()), L"kept");
}

TEST_F(TextItemLayerTest, RemovingTheCurrentItemLeavesNoCurrentItem)
{
    Add(L"Index1001", L"one");
    CWaterTextUI* two = Add(L"Index1002", L"two");
    CWaterTextUI* three = Add(L"Index1003", L"three");
    const RECT twoAt = Rect(two);
    ASSERT_EQ(m_layer.m_pCurrentItem, three);
    m_layer.RemoveItem(L"Index1003");
    SkinHost::Settle();
    EXPECT_EQ(m_layer.m_pCurrentItem, nullptr);
    EXPECT_TRUE(m_layer.m_strCurrentName.IsEmpty());
    EXPECT_EQ(m_layer.FindItem(L"Index1003"), nullptr);
    ExpectRect(Rect(two), twoAt);
    m_layer.RemoveItem(L"Index1003");  // again: nothing there, nothing happens
    m_layer.RemoveAllItems();
    SkinHost::Settle();
    EXPECT_EQ(m_layer.FindItem(L"Index1001"), nullptr);

    // Once the window is gone the layer object stays and every operation does nothing.
    ::DestroyWindow(m_layer.GetHWND());
    hl::PumpMessages();
    EXPECT_FALSE(m_layer.IsOpen());
    EXPECT_EQ(m_layer.AddItem(L"Index1004", L"", L"DejaVu Sans", 20, 0, false), nullptr);
    EXPECT_EQ(m_layer.FindItem(L"Index1001"), nullptr);
    EXPECT_EQ(TextLayerWindowHandle, nullptr);
}

TEST_F(TextItemLayerTest, DragsKeepTheWholeItemOnTheLayer)
{
    struct Case {
        int dx, dy;
        int wantLeft, wantTop;  // -1: the layer's far edge less the item's size
    };
    const Case cases[] = {
        { 40, 30, 250, 140 },
        { -230, 0, 0, 110 },
        { 0, -120, 210, 0 },
        { 500, 250, -1, -1 },  // released outside the layer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        m_layer.RemoveAllItems();
        CWaterTextUI* item = Add(L"Index1001", L"drag me");
        const int w = Rect(item).right - Rect(item).left, h = Rect(item).bottom - Rect(item).top;
        const POINT from = Centre(item);
        hl::MoveMouse(from.x, from.y);
        hl::PressButton(hl::Left, from.x, from.y);
        SkinHost::Settle();
        hl::MoveMouse(from.x + c.dx, from.y + c.dy);
        SkinHost::Settle();
        hl::ReleaseButton(hl::Left, from.x + c.dx, from.y + c.dy);
        SkinHost::Settle();
        EXPECT_EQ(Rect(item).left, c.wantLeft < 0 ? kLayerW - w : c.wantLeft);
        EXPECT_EQ(Rect(item).top, c.wantTop < 0 ? kLayerH - h : c.wantTop);
    }
}

TEST_F(TextItemLayerTest, JumpEndsTheDragAndAStrayReleaseLeavesTheItem)
{
    CWaterTextUI* item = Add(L"Index1001", L"drag me");
    const RECT at = Rect(item);
    const POINT from = Centre(item);
    hl::MoveMouse(from.x, from.y);
    hl::PressButton(hl::Left, from.x, from.y);
    SkinHost::Settle();
    SkinUI::TEventUI jump;
    jump.Type = SkinUI::UiEventMouseMove;
    jump.ptMouse = { from.x + 1001, from.y };
    item->DoEvent(jump);
    jump.ptMouse = { from.x + 20, from.y };
    item->DoEvent(jump);
    ExpectRect(Rect(item), at);
    hl::ReleaseButton(hl::Left, from.x, from.y);
    SkinHost::Settle();
    ExpectRect(Rect(item), at);

    SkinUI::TEventUI release;
    release.Type = SkinUI::UiEventButtonUp;
    release.ptMouse = from;
    item->DoEvent(release);  // no press before it
    ExpectRect(Rect(item), at);
}

TEST_F(TextItemLayerTest, FitSizesTheItemToItsTextAboutItsCentre)
{
    TextItem record;
    record.name = L"Index1001";
    record.font = L"DejaVu Sans";
    record.sizeText = L"30";
    m_main->m_vecTextItems.push_back(record);
    CWaterTextUI* item = Add(L"Index1001");
    item->SetItemText(L"Fit me");
    const Gdiplus::RectF box = m_layer.MeasureItemText(L"Fit me", L"DejaVu Sans", 30);
    const RECT before = Rect(item);
    const int centre = (before.left + before.right) / 2;
    item->FitToText(L"Fit me");  // before any paint: measures on its own
    const RECT fitted = Rect(item);
    EXPECT_EQ(fitted.bottom - fitted.top, 50);  // 2 x (15 + 10) at size 30, upright
    EXPECT_EQ(fitted.right - fitted.left, static_cast<int>(before.left + box.Width + 10) - before.left);
    EXPECT_NEAR((fitted.left + fitted.right) / 2, centre, 1);

    // At 90 degrees the height follows the text's width.
    m_main->m_vecTextItems[0].angle = 90;
    item->FitToText(L"Fit me");
    const int d = RaisedToEven(static_cast<int>(box.Width / 2 + 30));
    EXPECT_EQ(Rect(item).bottom - Rect(item).top, 2 * d);
}

TEST_F(TextItemLayerTest, RenderWritesTheLayerSizedPictureOrNothing)
{
    TextItem record;
    record.name = L"Index1001";
    record.font = L"DejaVu Sans";
    record.sizeText = L"24";
    record.color = 0xFF0000;
    record.borderOn = 1;
    record.borderColor = 0x0000FF;
    m_main->m_vecTextItems.push_back(record);
    CWaterTextUI* item = Add(L"Index1001");
    item->SetItemText(L"WWWW");
    item->m_bFitPending = true;
    m_layer.GetPaintManager().Invalidate();
    SkinHost::Settle();

    const std::string folder = FreshFolder("render");
    const std::wstring path = AnsiToWide(folder) + L"/Index1001.png";
    item->SetImagePath(path.c_str());
    item->m_bRenderPending = true;
    ASSERT_TRUE(item->RenderItem(m_layer.GetPaintContext()));
    EXPECT_FALSE(item->m_bRenderPending);
    Gdiplus::Bitmap png(path.c_str());
    ASSERT_EQ(png.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(png.GetWidth(), static_cast<UINT>(kLayerW));
    EXPECT_EQ(png.GetHeight(), static_cast<UINT>(kLayerH));
    Gdiplus::Color corner, box;
    png.GetPixel(2, 2, &corner);
    EXPECT_EQ(corner.GetA(), 0);  // transparent where nothing is drawn
    const RECT rc = Rect(item);
    png.GetPixel(rc.left + 5, (rc.top + rc.bottom) / 2, &box);  // the box starts 4 right of the item
    EXPECT_EQ(box.GetA(), 255);
    EXPECT_EQ(box.GetValue() & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    // A target that cannot be written: false, and no file left under its name.
    const std::wstring bad = AnsiToWide(folder) + L"/missing/Index1001.png";
    item->SetImagePath(bad.c_str());
    item->m_bRenderPending = true;
    EXPECT_FALSE(item->RenderItem(nullptr));
    EXPECT_FALSE(std::filesystem::exists(folder + "/missing/Index1001.png"));
}
