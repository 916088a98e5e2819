// Scroll bar ranges, part placement, thumb drags, the held-button repeat and the fallback frames.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/WinGdi.h"
#include "ui/core/BoxLayoutUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/UIDefines.h"

using namespace SkinUI;

namespace {

tagTEventUI BarEvent(int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    tagTEventUI event {};
    event.Type = type;
    event.ptMouse = POINT { x, y };
    event.wParam = wParam;
    return event;
}

void Send(CControlUI& control, int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    tagTEventUI event = BarEvent(type, x, y, wParam);
    control.Event(event);
}

constexpr WPARAM kRepeatTimer = 10;

}  // namespace

TEST(ScrollBar, DefaultsAndClamping)
{
    CScrollBarUI bar;
    EXPECT_FALSE(bar.IsHorizontal());
    EXPECT_EQ(bar.GetFixedWidth(), 16);
    EXPECT_EQ(bar.GetFixedHeight(), 0);
    EXPECT_EQ(bar.GetScrollRange(), 100);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    EXPECT_EQ(bar.GetLineSize(), 8);
    EXPECT_TRUE(bar.GetShowButton1());
    EXPECT_TRUE(bar.GetShowButton2());

    bar.SetScrollPos(150);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollPos(-5);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollPos(70);
    bar.SetScrollRange(-1);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);

    bar.SetAttribute(L"hor", L"true");
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_EQ(bar.GetFixedWidth(), 0);
    EXPECT_EQ(bar.GetFixedHeight(), 16);
}

TEST(ScrollBar, PartsAreLaidOutAlongTheBar)
{
    struct Case {
        const char* name;
        bool horizontal;
        int length;
        int range;
        int pos;
        RECT button1, button2, thumb;  // relative to the bar's origin, along (x, y)
    };
    const Case cases[] = {
        // track 200 - 32 = 168, thumb 200 * 168 / 300 = 112, top 50 / 100 * 56 + 16 = 44
        { "vertical at the start", false, 200, 100, 0, { 0, 0, 16, 16 }, { 0, 184, 16, 200 }, { 0, 16, 16, 128 } },
        { "vertical half way", false, 200, 100, 50, { 0, 0, 16, 16 }, { 0, 184, 16, 200 }, { 0, 44, 16, 156 } },
        { "vertical at the end", false, 200, 100, 100, { 0, 0, 16, 16 }, { 0, 184, 16, 200 }, { 0, 72, 16, 184 } },
        { "range 0: the thumb fills the track", false, 200, 0, 0, { 0, 0, 16, 16 }, { 0, 184, 16, 200 }, { 0, 16, 16, 184 } },
        { "a huge range keeps a thumb as long as it is thick", false, 200, 100000, 0, { 0, 0, 16, 16 }, { 0, 184, 16, 200 },
          { 0, 16, 16, 32 } },
        { "too short for a thumb: two half buttons", false, 24, 100, 0, { 0, 0, 16, 12 }, { 0, 12, 16, 24 }, { 0, 0, 0, 0 } },
        { "horizontal half way", true, 200, 100, 50, { 0, 0, 16, 16 }, { 184, 0, 200, 16 }, { 44, 0, 156, 16 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScrollBarUI bar;
        bar.SetHorizontal(c.horizontal);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.pos);
        bar.SetPos(c.horizontal ? RECT { 100, 50, 100 + c.length, 66 } : RECT { 100, 50, 116, 50 + c.length }, false);
        const auto rel = [](RECT rc) {
            if (rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0)
                return rc;
            ::OffsetRect(&rc, -100, -50);
            return rc;
        };
        const auto same = [](const RECT& a, const RECT& b) {
            return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
        };
        const RECT b1 = rel(bar.GetButton1Rect()), b2 = rel(bar.GetButton2Rect()), thumb = rel(bar.GetThumbRect());
        EXPECT_TRUE(same(b1, c.button1)) << b1.left << "," << b1.top << "," << b1.right << "," << b1.bottom;
        EXPECT_TRUE(same(b2, c.button2)) << b2.left << "," << b2.top << "," << b2.right << "," << b2.bottom;
        EXPECT_TRUE(same(thumb, c.thumb)) << thumb.left << "," << thumb.top << "," << thumb.right << "," << thumb.bottom;
    }
}

TEST(ScrollBar, ThumbDragFollowsThePointer)
{
    // Bar 200 high, range 100: the thumb is 112 long and moves over 56 pixels, so 28 pixels of
    // pointer movement are half the range. Whole multiples of range / track would give 28.
    CPaintManagerUI manager;
    CScrollBarUI bar;
    bar.SetManager(&manager, nullptr, false);
    bar.SetPos(RECT { 0, 0, 16, 200 }, false);
    ASSERT_EQ(bar.GetThumbRect().top, 16);

    Send(bar, UiEventButtonDown, 8, 30);
    Send(bar, UiEventMouseMove, 8, 58);
    EXPECT_EQ(bar.GetScrollPos(), 0) << "a move alone scrolls nothing; the next tick does";
    Send(bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(bar.GetScrollPos(), 50);
    EXPECT_EQ(bar.GetThumbRect().top, 16 + 28) << "the thumb stays under the pointer";

    Send(bar, UiEventMouseMove, 8, 2000);
    Send(bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(bar.GetScrollPos(), 100) << "clamped to the range";
    Send(bar, UiEventButtonUp, 8, 2000);
    Send(bar, UiEventMouseMove, 8, 30);
    Send(bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(bar.GetScrollPos(), 100) << "released: moves no longer drag";
}

TEST(ScrollBar, DragWithoutButtonsMapsTheFreeTravelOntoTheRange)
{
    // No buttons: the thumb (200 * 200 / 300 = 133 long) travels 67 pixels for a range of 100.
    CScrollBarUI bar;
    bar.SetShowButton1(false);
    bar.SetShowButton2(false);
    bar.SetPos(RECT { 0, 0, 16, 200 }, false);
    ASSERT_EQ(bar.GetThumbRect().bottom - bar.GetThumbRect().top, 133);
    Send(bar, UiEventButtonDown, 8, 10);
    Send(bar, UiEventMouseMove, 8, 10 + 33);
    Send(bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(bar.GetScrollPos(), 49);
    EXPECT_NEAR(bar.GetThumbRect().top, 33, 1) << "the thumb stays under the pointer";
    Send(bar, UiEventMouseMove, 8, 10 + 67);
    Send(bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(bar.GetScrollPos(), 100);
}

TEST(ScrollBar, HeldButtonRepeatsFromTheSixthTick)
{
    CPaintManagerUI manager;
    CVerticalLayoutUI owner;
    owner.SetManager(&manager, nullptr, false);
    owner.SetAttribute(L"vscrollbar", L"true");
    owner.SetScrollStepSize(10);
    auto* tall = new CControlUI();
    tall->SetFixedHeight(1000);
    owner.Add(tall);
    owner.SetPos(RECT { 0, 0, 100, 200 }, false);
    CScrollBarUI* bar = owner.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());

    const RECT down = bar->GetButton2Rect();
    Send(*bar, UiEventButtonDown, down.left + 2, down.top + 2);
    EXPECT_EQ(owner.GetScrollPos().cy, 10) << "one line at the press";
    for (int tick = 1; tick <= 5; ++tick)
        Send(*bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(owner.GetScrollPos().cy, 10) << "five ticks of delay";
    Send(*bar, UiEventTimer, 0, 0, kRepeatTimer);
    Send(*bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(owner.GetScrollPos().cy, 30) << "then one line per tick";
    Send(*bar, UiEventButtonUp, down.left + 2, down.top + 2);
    Send(*bar, UiEventTimer, 0, 0, kRepeatTimer);
    EXPECT_EQ(owner.GetScrollPos().cy, 30);
    EXPECT_EQ(tall->GetPos().top, -30);
}

TEST(ScrollBar, DisabledBarIgnoresPresses)
{
    CScrollBarUI bar;
    bar.SetPos(RECT { 0, 0, 16, 200 }, false);
    bar.SetEnabled(false);
    Send(bar, UiEventButtonDown, 8, 195);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetEnabled(true);
    Send(bar, UiEventButtonDown, 8, 195);
    EXPECT_EQ(bar.GetScrollPos(), 8) << "a bar without owner steps its own position by the line size";
}

TEST(ScrollBar, WithoutImagesThePartsAreFramed)
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 16, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    HDC dc = ::CreateCompatibleDC(nullptr);
    uint32_t* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);

    CScrollBarUI bar;
    bar.SetPos(RECT { 0, 0, 16, 100 }, false);
    bar.DoPaint(dc, RECT { 0, 0, 16, 100 });
    ::GdiFlush();
    const auto rgb = [&](int x, int y) { return bits[y * 16 + x] & 0xFFFFFF; };
    const RECT thumb = bar.GetThumbRect();
    EXPECT_EQ(rgb(0, 0), 0x85E4FFu) << "button 1 frame";
    EXPECT_EQ(rgb(8, 8), 0u) << "a frame, not a fill";
    EXPECT_EQ(rgb(0, 99 - 1), 0x85E4FFu) << "button 2 frame";
    EXPECT_EQ(rgb(0, thumb.top + 3), 0x85E4FFu) << "thumb frame";

    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}
