// The control base: geometry and its units, state, search, event routing, skin attributes and the
// order and forms of its painting steps.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinGdi.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/UIDefines.h"

using namespace SkinUI;

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Records the events that reach it and handles only key-down.
class KeyTaker : public CContainerUI {
public:
    void DoEvent(tagTEventUI& event) override
    {
        seen.push_back(event.Type);
        if (event.Type != UiEventKeyDown)
            CContainerUI::DoEvent(event);
    }
    std::vector<int> seen;
};

}  // namespace

TEST(Control, SetPosNormalisesInvertedRectangles)
{
    CControlUI control;
    control.SetPos(RECT { 50, 60, 10, 20 }, false);
    EXPECT_TRUE(Same(control.GetPos(), RECT { 50, 60, 50, 60 }));
    EXPECT_EQ(control.GetWidth(), 0);
    EXPECT_EQ(control.GetHeight(), 0);
}

TEST(Control, SizesAreStoredInSkinUnitsAndReadScaled)
{
    CPaintManagerUI manager;
    manager.GetDPIObj()->SetScale(144);
    CControlUI control;
    control.SetFixedWidth(100);
    control.SetMinHeight(10);
    control.SetPadding(RECT { 2, 4, 6, 8 });
    control.SetBorderSize(2);
    EXPECT_EQ(control.GetFixedWidth(), 100) << "without a manager: as stored";
    control.SetManager(&manager, nullptr, false);
    EXPECT_EQ(control.GetFixedWidth(), 150);
    EXPECT_EQ(control.GetMinHeight(), 15);
    EXPECT_EQ(control.GetMaxWidth(), 14999) << "9999 scaled by 150 % rounds half up";
    EXPECT_EQ(control.GetPadding().top, 6);
    EXPECT_EQ(control.GetBorderSize(), 3);
    EXPECT_EQ(control.GetToolTipWidth(), 450);

    control.SetFixedWidth(-1);
    EXPECT_EQ(control.GetFixedWidth(), 150) << "negative sizes are ignored";
    control.SetMinWidth(-3);
    EXPECT_EQ(control.GetMinWidth(), 0);
}

TEST(Control, LayoutRequestsReachTheParent)
{
    CPaintManagerUI manager;
    CContainerUI parent;
    parent.SetManager(&manager, nullptr, false);
    auto* child = new CControlUI();
    parent.Add(child);
    parent.SetPos(RECT { 0, 0, 100, 100 }, false);
    ASSERT_FALSE(parent.IsUpdateNeeded());

    child->SetMinWidth(0);
    EXPECT_FALSE(parent.IsUpdateNeeded()) << "an unchanged minimum asks for nothing";
    child->SetFixedWidth(0);
    EXPECT_TRUE(parent.IsUpdateNeeded()) << "the fixed width asks even when unchanged";
    parent.SetPos(parent.GetPos(), false);
    child->SetFloat(true);
    EXPECT_TRUE(parent.IsUpdateNeeded());
}

TEST(Control, VisibilityFollowsTheParent)
{
    CContainerUI parent;
    auto* child = new CControlUI();
    parent.Add(child);
    parent.SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    child->SetVisible(true);
    EXPECT_FALSE(child->IsVisible()) << "its own flag cannot override the parent";
    parent.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
}

TEST(Control, TextsAndSmallProperties)
{
    CPaintManagerUI manager;
    CContainerUI outer;
    outer.SetManager(&manager, nullptr, false);  // the manager links each added child to its parent
    auto* inner = new CContainerUI();
    auto* leaf = new CControlUI();
    outer.Add(inner);
    inner->Add(leaf);
    EXPECT_EQ(leaf->GetVirtualWnd(), L"");
    outer.SetVirtualWnd(L"page");
    EXPECT_EQ(leaf->GetVirtualWnd(), L"page") << "inherited from the nearest ancestor with one";
    inner->SetVirtualWnd(L"tab");
    EXPECT_EQ(leaf->GetVirtualWnd(), L"tab");

    leaf->SetToolTip(L"a<n>b");
    EXPECT_EQ(leaf->GetToolTip(), L"a\r\nb");
    leaf->SetText(L"plain");
    EXPECT_EQ(leaf->GetHotText(), L"plain") << "no hot text: the text";
    leaf->SetHotText(L"hot");
    EXPECT_EQ(leaf->GetHotText(), L"hot");
    EXPECT_EQ(leaf->GetInterface(L"CONTROL"), leaf);
    EXPECT_EQ(leaf->GetInterface(L"Container"), nullptr);
    EXPECT_EQ(outer.GetInterface(L"icontainer"), static_cast<IContainerUI*>(&outer));
    outer.SetManager(nullptr, nullptr, false);
    EXPECT_FALSE(leaf->SetTimer(1, 10)) << "no manager, no timer";
}

TEST(Control, HitSearchSkipsControlsWithoutMouse)
{
    CControlUI control;
    control.SetPos(RECT { 0, 0, 10, 10 }, false);
    const auto any = [](CControlUI* c, void*) -> CControlUI* { return c; };
    POINT inside { 5, 5 };
    EXPECT_EQ(control.FindControl(any, &inside, FindHitTest), &control);
    control.SetMouseEnabled(false);
    EXPECT_EQ(control.FindControl(any, &inside, FindHitTest), nullptr);
    EXPECT_EQ(control.FindControl(any, &inside, 0), &control);
    control.SetEnabled(false);
    EXPECT_EQ(control.FindControl(any, &inside, FindEnabled), nullptr);
}

namespace {

bool Refuse(void*)
{
    return false;
}

}  // namespace

TEST(Control, EventsTravelUpUntilHandled)
{
    CPaintManagerUI manager;
    KeyTaker top;
    top.SetManager(&manager, nullptr, false);
    auto* middle = new CContainerUI();
    auto* leaf = new CControlUI();
    top.Add(middle);
    middle->Add(leaf);

    tagTEventUI key {};
    key.Type = UiEventKeyDown;
    leaf->Event(key);
    tagTEventUI focus {};
    focus.Type = UiEventSetFocus;
    leaf->Event(focus);
    EXPECT_TRUE(leaf->IsFocused());
    EXPECT_EQ(top.seen, std::vector<int>({ UiEventKeyDown })) << "focus stays with the leaf";

    leaf->EventDelegates += MakeDelegate(&Refuse);
    tagTEventUI blocked {};
    blocked.Type = UiEventKillFocus;
    leaf->Event(blocked);
    EXPECT_TRUE(leaf->IsFocused()) << "a delegate that returns false stops the event";
}

TEST(Control, AttributeValueForms)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        std::wstring (*read)(CControlUI&);
        std::wstring want;
    };
    const auto xywh = [](CControlUI& c) {
        return std::to_wstring(c.GetFixedXY().cx) + L"," + std::to_wstring(c.GetFixedXY().cy) + L" "
               + std::to_wstring(c.GetFixedWidth()) + L"x" + std::to_wstring(c.GetFixedHeight());
    };
    const Case cases[] = {
        { L"pos", L"10,20,110,50", +xywh, L"10,20 100x30" },
        { L"pos", L"-1,5,200,30", +xywh, L"200,5 201x25" },
        { L"pos", L"10,20", +xywh, L"10,20 0x0" },  // negative extents are ignored
        { L"float", L"true", [](CControlUI& c) { return std::wstring(c.IsFloat() ? L"float" : L"flow"); }, L"float" },
        { L"float", L"0.5,0,0.5,0",
          [](CControlUI& c) { return std::to_wstring(c.GetFloatPercent().left).substr(0, 3) + (c.IsFloat() ? L" float" : L""); },
          L"0.5 float" },
        { L"floatalign", L"center,bottom", [](CControlUI& c) { return std::to_wstring(c.GetFloatAlign()); }, L"9" },
        { L"floatalign", L"right null", [](CControlUI& c) { return std::to_wstring(c.GetFloatAlign()); }, L"0" },
        { L"FloatAlign", L"right vcenter bogus", [](CControlUI& c) { return std::to_wstring(c.GetFloatAlign()); }, L"6" },
        { L"bkcolor", L"  #FF112233", [](CControlUI& c) { return std::to_wstring(c.GetBkColor()); }, std::to_wstring(0xFF112233u) },
        { L"bkcolor1", L"0x80FF0000", [](CControlUI& c) { return std::to_wstring(c.GetBkColor()); }, std::to_wstring(0x80FF0000u) },
        { L"bordercolor", L" #FF112233", [](CControlUI& c) { return std::to_wstring(c.GetBorderColor()); }, L"0" },
        { L"bordercolor", L"#FF112233", [](CControlUI& c) { return std::to_wstring(c.GetBorderColor()); }, std::to_wstring(0xFF112233u) },
        { L"bordersize", L"2",
          [](CControlUI& c) { return std::to_wstring(c.GetBorderSize()) + L"/" + std::to_wstring(c.GetBottomBorderSize()); }, L"2/2" },
        { L"bordersize", L"0,0,0,1",
          [](CControlUI& c) { return std::to_wstring(c.GetBorderSize()) + L"/" + std::to_wstring(c.GetBottomBorderSize()) + L"/" + std::to_wstring(c.GetTopBorderSize()); },
          L"0/1/0" },
        { L"borderround", L"4,6", [](CControlUI& c) { return std::to_wstring(c.GetBorderRound().cx) + L"," + std::to_wstring(c.GetBorderRound().cy); }, L"4,6" },
        { L"cursor", L"HAND", [](CControlUI& c) { return std::to_wstring(c.GetCursor()); }, L"32649" },
        { L"cursor", L"pointer", [](CControlUI& c) { return std::to_wstring(c.GetCursor()); }, L"0" },
        { L"width", L" 42px", [](CControlUI& c) { return std::to_wstring(c.GetFixedWidth()); }, L"42" },
        { L"height", L"abc", [](CControlUI& c) { return std::to_wstring(c.GetFixedHeight()); }, L"0" },
        { L"visible", L"TRUE", [](CControlUI& c) { return std::wstring(c.IsVisible() ? L"yes" : L"no"); }, L"yes" },
        { L"visible", L"1", [](CControlUI& c) { return std::wstring(c.IsVisible() ? L"yes" : L"no"); }, L"no" },
        { L"shortcut", L"save", [](CControlUI& c) { return std::wstring(1, c.GetShortcut()); }, L"s" },
        { L"padding", L"1,2,3", [](CControlUI& c) { return std::to_wstring(c.GetPadding().right) + L"," + std::to_wstring(c.GetPadding().bottom); }, L"3,0" },
        { L"foo", L"bar", [](CControlUI& c) { return std::wstring(c.GetCustomAttribute(L"foo")); }, L"bar" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + std::wcslen(c.name)) << "=");
        CControlUI control;
        control.SetAttribute(c.name, c.value);
        EXPECT_EQ(c.read(control), c.want);
    }
}

TEST(Control, AttributeListsAndStyles)
{
    struct Case {
        const wchar_t* list;
        const wchar_t* wantA;
        const wchar_t* wantB;
    };
    const Case cases[] = {
        { L"a=\"1\",b=\"2\"", L"1", L"2" },
        { L"a=\"1\" b=\"2\"", L"1", L"2" },
        { L"a=\"1\";b=\"2\"", L"1", nullptr },  // a separator other than blank or comma ends the list
        { L"a=\"1\"  b=\"2\"", L"1", nullptr },  // the second blank starts the next name
        { L"a=\"&quot;x&quot;\"", nullptr, nullptr },  // the quote entity becomes a quote and ends the value
        { L"a=1 b=\"2\"", nullptr, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        CControlUI control;
        EXPECT_EQ(control.ApplyAttributeList(c.list), &control);
        const wchar_t* a = control.GetCustomAttribute(L"a");
        const wchar_t* b = control.GetCustomAttribute(L"b");
        EXPECT_EQ(a == nullptr ? std::wstring(L"-") : std::wstring(a), c.wantA ? std::wstring(c.wantA) : std::wstring(L"-"));
        EXPECT_EQ(b == nullptr ? std::wstring(L"-") : std::wstring(b), c.wantB ? std::wstring(c.wantB) : std::wstring(L"-"));
    }

    CControlUI control;
    control.AddCustomAttribute(L"foo", L"first");
    control.AddCustomAttribute(L"foo", L"second");
    EXPECT_STREQ(control.GetCustomAttribute(L"foo"), L"first") << "the first value stays";
    control.AddCustomAttribute(L"empty", L"");
    EXPECT_EQ(control.GetCustomAttribute(L"empty"), nullptr);
    EXPECT_TRUE(control.RemoveCustomAttribute(L"foo"));
    EXPECT_FALSE(control.RemoveCustomAttribute(L"foo"));
    control.SetAttribute(L"innerstyle", L"width=\"7\" name=\"inner\"");
    EXPECT_EQ(control.GetFixedWidth(), 7);
    EXPECT_EQ(control.GetName(), L"inner");
}

TEST(Control, StyleNamedByAValueReplacesTheAttribute)
{
    CPaintManagerUI manager;
    manager.AddStyle(L"big", L"width=\"120\" height=\"40\"");
    CControlUI control;
    control.SetManager(&manager, nullptr, false);
    control.SetAttribute(L"text", L"big");
    EXPECT_EQ(control.GetText(), L"") << "the style is applied instead of the text";
    EXPECT_EQ(control.GetFixedWidth(), 120);
    control.ApplyAttributeList(L"big");
    EXPECT_EQ(control.GetFixedHeight(), 40);
}

namespace {

// A 40x40 top-down 32-bit memory surface to paint controls into and read pixels back.
class Surface {
public:
    Surface()
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
    }
    ~Surface()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return m_dc; }
    // The pixel as 0xRRGGBB, alpha dropped.
    uint32_t rgb(int x, int y) const
    {
        ::GdiFlush();
        return m_bits[y * kSize + x] & 0xFFFFFF;
    }

    static constexpr int kSize = 40;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0;

}  // namespace

TEST(ControlPaint, OpaqueBackgroundFillsOnlyThePaintRectangle)
{
    for (DWORD colour : { 0xFFFF0000u, 0x80FF0000u }) {
        SCOPED_TRACE(colour);
        Surface surface;
        CControlUI control;
        control.SetBkColor(colour);
        control.SetPos(RECT { 0, 0, 40, 40 }, false);
        control.DoPaint(surface.dc(), RECT { 0, 0, 20, 20 });
        EXPECT_NE(surface.rgb(5, 5), kBlack);
        if (colour >= 0xFF000000)
            EXPECT_EQ(surface.rgb(30, 30), kBlack) << "outside the paint rectangle";
        else
            EXPECT_NE(surface.rgb(30, 30), kBlack) << "a translucent colour covers the whole position";
    }
}

TEST(ControlPaint, BorderIsPaintedLastAndPerSide)
{
    Surface surface;
    CControlUI control;
    control.SetAttribute(L"bkcolor", L"#FFFF0000");
    control.SetAttribute(L"bordercolor", L"#FF0000FF");
    control.SetAttribute(L"bordersize", L"0,0,0,1");
    control.SetPos(RECT { 0, 0, 40, 40 }, false);
    control.DoPaint(surface.dc(), RECT { 0, 0, 40, 40 });
    EXPECT_EQ(surface.rgb(20, 39), kBlue) << "the bottom line over the background";
    EXPECT_EQ(surface.rgb(20, 0), kRed) << "no top line";
    EXPECT_EQ(surface.rgb(0, 20), kRed) << "no left line";
    EXPECT_EQ(surface.rgb(20, 20), kRed);

    control.SetBorderSize(1);
    control.DoPaint(surface.dc(), RECT { 0, 0, 40, 40 });
    EXPECT_EQ(surface.rgb(20, 0), kBlue) << "a whole border after the size was set";
    EXPECT_EQ(surface.rgb(0, 20), kBlue);
}

TEST(ControlPaint, RoundBorderNeedsASize)
{
    for (int size : { 0, 1 }) {
        SCOPED_TRACE(size);
        Surface surface;
        CControlUI control;
        control.SetBorderColor(0xFF0000FF);
        control.SetBorderRound(SIZE { 8, 8 });
        control.SetBorderSize(size);
        control.SetPos(RECT { 0, 0, 40, 40 }, false);
        control.DoPaint(surface.dc(), RECT { 0, 0, 40, 40 });
        EXPECT_EQ(surface.rgb(20, 0) == kBlue, size == 1) << "the straight part of the outline";
        EXPECT_EQ(surface.rgb(0, 0), kBlack) << "the corner stays outside the rounded outline";
    }
}

TEST(ControlPaint, HorizontalGradientRunsLeftToRight)
{
    Surface surface;
    CControlUI control;
    control.SetAttribute(L"bkcolor", L"#FFFF0000");
    control.SetAttribute(L"bkcolor2", L"#FF0000FF");
    control.SetAttribute(L"gradient", L"HOR");
    control.SetPos(RECT { 0, 0, 40, 40 }, false);
    control.DoPaint(surface.dc(), RECT { 0, 0, 40, 40 });
    const uint32_t left = surface.rgb(0, 20), right = surface.rgb(39, 20);
    EXPECT_GT(left >> 16, 0xC0u) << "red at the left";
    EXPECT_GT(right & 0xFF, 0xC0u) << "blue at the right";
    EXPECT_EQ(surface.rgb(20, 0), surface.rgb(20, 39)) << "constant down a column";
}

TEST(Control, TimerEventBecomesANotificationAndStops)
{
    class Log : public INotifyUI {
    public:
        void Notify(TNotifyUI& msg) override
        {
            types.push_back(std::wstring(msg.sType.GetData()) + L":" + std::to_wstring(msg.wParam));
        }
        std::vector<std::wstring> types;
    } log;
    CPaintManagerUI manager;
    manager.AddNotifier(&log);
    KeyTaker parent;
    parent.SetManager(&manager, nullptr, false);
    auto* leaf = new CControlUI();
    parent.Add(leaf);

    tagTEventUI timer {};
    timer.Type = UiEventTimer;
    timer.wParam = 7;
    leaf->Event(timer);
    tagTEventUI menu {};
    menu.Type = UiEventContextMenu;
    leaf->Event(menu);  // context menu not used: passed up, no notification
    leaf->SetContextMenuUsed(true);
    leaf->Event(menu);
    EXPECT_EQ(log.types, std::vector<std::wstring>({ L"timer:7", L"menu:0" })) << "the timer id travels in wParam";
    EXPECT_EQ(parent.seen, std::vector<int>({ UiEventContextMenu }));
}

namespace {

// A hidden headless window whose invalid region shows what the controls asked to repaint.
class PaintedWindow {
public:
    PaintedWindow()
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProc;
        wc.lpszClassName = L"ControlUITestWnd";
        ::RegisterClassEx(&wc);  // a second registration fails harmlessly
        hwnd = ::CreateWindowEx(0, L"ControlUITestWnd", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        manager.Init(hwnd);
    }
    ~PaintedWindow() { ::DestroyWindow(hwnd); }

    // The bounding box of what was invalidated since the last call, all zero for nothing.
    RECT TakeDirty()
    {
        RECT rc {};
        if (!::GetUpdateRect(hwnd, &rc, FALSE))
            rc = RECT {};
        ::ValidateRect(hwnd, nullptr);
        return rc;
    }

    HWND hwnd = nullptr;
    CPaintManagerUI manager;
};

int g_sizeEvents = 0;

bool CountSizeAndMoveAgain(void* control)
{
    ++g_sizeEvents;
    static_cast<CControlUI*>(control)->SetPos(RECT { 0, 0, 5, 5 }, false);  // must not recurse
    return true;
}

}  // namespace

TEST(Control, SetPosRepaintsOldAndNewPlacesWithinItsAncestors)
{
    PaintedWindow window;
    CContainerUI root;
    root.SetManager(&window.manager, nullptr, false);
    root.SetPos(RECT { 0, 0, 60, 60 }, false);
    auto* child = new CControlUI();
    root.Add(child);
    window.TakeDirty();

    child->SetPos(RECT { 10, 10, 50, 50 }, true);
    EXPECT_TRUE(Same(window.TakeDirty(), RECT { 10, 10, 50, 50 })) << "the first placement repaints only the new place";
    child->SetPos(RECT { 30, 30, 80, 80 }, true);
    EXPECT_TRUE(Same(window.TakeDirty(), RECT { 10, 10, 60, 60 })) << "old and new joined, cut by the parent";
    child->SetPos(RECT { 100, 100, 120, 120 }, false);
    EXPECT_TRUE(Same(window.TakeDirty(), RECT {})) << "asked not to repaint";

    g_sizeEvents = 0;
    child->SizeDelegates += MakeDelegate(&CountSizeAndMoveAgain);
    root.SetVisible(false);
    window.TakeDirty();
    child->SetPos(RECT { 10, 10, 20, 20 }, true);
    EXPECT_EQ(g_sizeEvents, 1) << "size delegates run once, also for a hidden control";
    EXPECT_TRUE(Same(window.TakeDirty(), RECT {})) << "nothing repaints under a hidden parent";
}

TEST(Control, HidingTheFocusedControlDropsTheFocus)
{
    PaintedWindow window;
    CContainerUI root;
    root.SetManager(&window.manager, nullptr, false);
    auto* child = new CControlUI();
    root.Add(child);
    child->SetFocus();
    ASSERT_EQ(window.manager.GetFocus(), child);
    ASSERT_TRUE(child->IsFocused());
    child->SetVisible(false);
    EXPECT_FALSE(child->IsFocused());
    EXPECT_EQ(window.manager.GetFocus(), nullptr);
}

TEST(Control, BackgroundImageSizesTheControl)
{
    CControlUI control;
    control.SetAttribute(L"bkimage", L"file='missing.png' source='10,20,40,70'");
    control.SetAttribute(L"autobkimagesize", L"false");
    EXPECT_EQ(control.GetFixedWidth(), 30) << "any value sizes from the source rectangle";
    EXPECT_EQ(control.GetFixedHeight(), 50);
    control.SetBkImage(L"file='missing.png'");
    control.SetAutoBkimageSize();
    EXPECT_EQ(control.GetFixedWidth(), 30) << "an image that cannot be loaded leaves the size";
    control.SetBkImage(L"source='1,2,3'");
    control.SetAutoBkimageSize();
    EXPECT_EQ(control.GetFixedHeight(), 50) << "a source needs four numbers";
}
