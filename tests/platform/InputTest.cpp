// Mouse, keyboard, focus, capture, tracking, caption dragging and the clipboard on the headless
// display.

#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hl = platform::headless;

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;
LRESULT g_hitTest = HTCLIENT;

bool Recorded(UINT msg)
{
    return msg != WM_SETCURSOR && msg != WM_NCHITTEST && msg != WM_MOUSEACTIVATE && msg != WM_PAINT && msg != WM_ERASEBKGND
        && msg != WM_NCACTIVATE && msg != WM_GETMINMAXINFO && msg != WM_WINDOWPOSCHANGING && msg != WM_WINDOWPOSCHANGED;
}

LRESULT InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (Recorded(msg))
        g_seen.push_back({ hwnd, msg, wParam, lParam });
    switch (msg) {
    case WM_NCHITTEST:
        return g_hitTest;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT track { sizeof(track), TME_LEAVE, hwnd, 0 };
        TrackMouseEvent(&track);
        return 0;
    }
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

std::vector<UINT> Messages(HWND hwnd, std::initializer_list<UINT> only)
{
    std::vector<UINT> out;
    for (const Seen& s : g_seen)
        if (s.hwnd == hwnd && (only.size() == 0 || std::find(only.begin(), only.end(), s.msg) != only.end()))
            out.push_back(s.msg);
    return out;
}

const Seen* Last(HWND hwnd, UINT msg)
{
    for (auto it = g_seen.rbegin(); it != g_seen.rend(); ++it)
        if (it->hwnd == hwnd && it->msg == msg)
            return &*it;
    return nullptr;
}

class Input : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        g_seen.clear();
        g_hitTest = HTCLIENT;
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = InputProc;
        wc.lpszClassName = L"InputWnd";
        RegisterClassEx(&wc);
        wc.style = 0;
        wc.lpszClassName = L"PlainInputWnd";
        RegisterClassEx(&wc);
        m_a = Make(L"InputWnd", 0, 0);
        m_b = Make(L"InputWnd", 300, 0);
        hl::PumpMessages();
        g_seen.clear();
    }
    void TearDown() override
    {
        DestroyWindow(m_a);
        DestroyWindow(m_b);
        hl::PumpMessages();
    }
    static HWND Make(const wchar_t* cls, int x, int y, DWORD exStyle = 0)
    {
        return CreateWindowEx(exStyle, cls, nullptr, WS_POPUP | WS_VISIBLE, x, y, 200, 100, nullptr, nullptr, nullptr, nullptr);
    }
    HWND m_a = nullptr, m_b = nullptr;
};

TEST_F(Input, CaptureKeepsTheMouseAndLeaveComesOnceAfterRelease)
{
    hl::MoveMouse(50, 50);
    hl::PressButton(hl::Left, 50, 50);
    hl::MoveMouse(400, 50);  // over B, but A holds the capture
    hl::PumpMessages();
    EXPECT_EQ(GetCapture(), m_a);
    const Seen* move = Last(m_a, WM_MOUSEMOVE);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(GET_X_LPARAM(move->lParam), 400);  // client coordinates of A, outside it
    EXPECT_EQ(move->wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_TRUE(Messages(m_b, { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }).empty());
    EXPECT_TRUE(Messages(m_a, { WM_MOUSELEAVE }).empty());

    hl::ReleaseButton(hl::Left, 400, 50);
    hl::PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Messages(m_a, { WM_CAPTURECHANGED }).size(), 1u);
    hl::MoveMouse(410, 50);
    hl::MoveMouse(420, 50);
    hl::PumpMessages();
    EXPECT_EQ(Messages(m_a, { WM_MOUSELEAVE }).size(), 1u);  // one-shot
    EXPECT_EQ(Messages(m_b, { WM_MOUSEMOVE }).size(), 1u);   // the second move waited behind the first
}

TEST_F(Input, HoverArrivesOnceAfterTheHoverTime)
{
    hl::HeldClock held;  // half the hover time must not pass while a slow machine pumps
    hl::MoveMouse(20, 20);
    hl::PumpMessages();
    TRACKMOUSEEVENT track { sizeof(track), TME_HOVER, m_a, 100 };
    ASSERT_TRUE(TrackMouseEvent(&track));
    hl::Advance(50);
    hl::PumpMessages();
    EXPECT_TRUE(Messages(m_a, { WM_MOUSEHOVER }).empty());
    hl::Advance(60);
    hl::PumpMessages();
    hl::Advance(500);
    hl::PumpMessages();
    ASSERT_EQ(Messages(m_a, { WM_MOUSEHOVER }).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(Last(m_a, WM_MOUSEHOVER)->lParam), 20);
}

TEST_F(Input, DoubleClickNeedsTheClassStyleTheTimeAndTheDistance)
{
    HWND plain = Make(L"PlainInputWnd", 0, 200);
    struct Case {
        HWND hwnd;
        int secondX;
        unsigned pauseMs;
        bool doubled;
    };
    hl::HeldClock held;  // the pause is the one the case gives, not the machine's pace too
    const Case cases[] = {
        { m_a, 10, 100, true },
        { m_a, 10, 600, false },  // too slow
        { m_a, 20, 100, false },  // too far
        { plain, 10, 100, false },  // class without CS_DBLCLKS
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x=" << c.secondX << " pause=" << c.pauseMs);
        g_seen.clear();
        RECT r;
        GetWindowRect(c.hwnd, &r);
        hl::Advance(1000);  // a fresh start for every case
        hl::Click(r.left + 10, r.top + 10);
        hl::PumpMessages();
        hl::Advance(c.pauseMs);
        hl::Click(r.left + c.secondX, r.top + 10);
        hl::PumpMessages();
        const std::vector<UINT> want = c.doubled ? std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP }
                                                 : std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP };
        EXPECT_EQ(Messages(c.hwnd, { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK }), want);
    }
    DestroyWindow(plain);
}

TEST_F(Input, RightButtonReleaseAsksForAContextMenuInScreenCoordinates)
{
    hl::Click(330, 40, hl::Right);
    hl::PumpMessages();
    EXPECT_EQ(Messages(m_b, { WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU }),
              (std::vector<UINT> { WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU }));
    const Seen* menu = Last(m_b, WM_CONTEXTMENU);
    EXPECT_EQ(GET_X_LPARAM(menu->lParam), 330);
    EXPECT_EQ(GET_Y_LPARAM(Last(m_b, WM_RBUTTONUP)->lParam), 40);
}

TEST_F(Input, WheelCarriesTheScreenPointAndTheDelta)
{
    hl::Wheel(-WHEEL_DELTA, 320, 30);
    hl::PumpMessages();
    const Seen* wheel = Last(m_b, WM_MOUSEWHEEL);
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), -120);
    EXPECT_EQ(GET_X_LPARAM(wheel->lParam), 320);
}

TEST_F(Input, ClickActivatesAndFocusesDisabledAndClickThroughWindowsTakeNothing)
{
    ASSERT_EQ(GetActiveWindow(), m_b);  // the last one shown
    hl::Click(50, 50);
    hl::PumpMessages();
    EXPECT_EQ(GetActiveWindow(), m_a);
    EXPECT_EQ(GetFocus(), m_a);
    ASSERT_NE(Last(m_a, WM_ACTIVATE), nullptr);
    EXPECT_EQ(LOWORD(Last(m_a, WM_ACTIVATE)->wParam), WA_CLICKACTIVE);
    ASSERT_NE(Last(m_b, WM_ACTIVATE), nullptr);
    EXPECT_EQ(LOWORD(Last(m_b, WM_ACTIVATE)->wParam), WA_INACTIVE);

    EnableWindow(m_a, FALSE);
    g_seen.clear();
    hl::Click(50, 50);
    hl::PumpMessages();
    EXPECT_TRUE(Messages(m_a, { WM_LBUTTONDOWN, WM_LBUTTONUP }).empty());
    hl::PressKey('A');  // the focus stays on the window a modal dialog disabled: keys reach nothing
    hl::PumpMessages();
    EXPECT_TRUE(Messages(m_a, { WM_KEYDOWN, WM_CHAR, WM_KEYUP }).empty());
    EnableWindow(m_a, TRUE);
    hl::PressKey('A');
    hl::PumpMessages();
    EXPECT_EQ(Messages(m_a, { WM_KEYDOWN }).size(), 1u);

    HWND glass = Make(L"InputWnd", 0, 0, WS_EX_TRANSPARENT);  // over A, lets clicks through
    g_seen.clear();
    hl::Click(60, 60);
    hl::PumpMessages();
    EXPECT_TRUE(Messages(glass, { WM_LBUTTONDOWN }).empty());
    EXPECT_EQ(Messages(m_a, { WM_LBUTTONDOWN }).size(), 1u);
    DestroyWindow(glass);
}

TEST_F(Input, KeysMakeCharactersAndKeyStateFollowsThem)
{
    SetFocus(m_a);
    g_seen.clear();
    hl::KeyDown(VK_SHIFT);
    hl::PressKey('A');
    hl::PumpMessages();
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    hl::KeyUp(VK_SHIFT);
    hl::KeyDown(VK_MENU);
    hl::PressKey('F');
    hl::KeyUp(VK_MENU);
    hl::CommitText(L"中文");
    hl::PumpMessages();
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const Seen& s : g_seen)
        if (s.hwnd == m_a && (s.msg == WM_CHAR || s.msg == WM_SYSCHAR || s.msg == WM_SYSKEYDOWN || (s.msg == WM_KEYDOWN && s.wParam == 'A')))
            got.emplace_back(s.msg, s.wParam);
    const std::vector<std::pair<UINT, WPARAM>> want {
        { WM_KEYDOWN, 'A' }, { WM_CHAR, 'A' },                 // Shift+A
        { WM_SYSKEYDOWN, VK_MENU }, { WM_SYSKEYDOWN, 'F' }, { WM_SYSCHAR, 'f' },  // Alt+F
        { WM_CHAR, L'中' }, { WM_CHAR, L'文' },                // an input method's commit
    };
    EXPECT_EQ(got, want);
    EXPECT_EQ(Messages(m_a, { WM_IME_CHAR }).size(), 2u);
}

TEST_F(Input, FocusMovesWithKillAndSetFocus)
{
    SetFocus(m_a);
    g_seen.clear();
    EXPECT_EQ(SetFocus(m_b), m_a);
    ASSERT_NE(Last(m_a, WM_KILLFOCUS), nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(Last(m_a, WM_KILLFOCUS)->wParam), m_b);
    EXPECT_EQ(reinterpret_cast<HWND>(Last(m_b, WM_SETFOCUS)->wParam), m_a);
    EXPECT_EQ(GetActiveWindow(), m_b);
}

TEST_F(Input, CaptionDragMovesTheWindowAndBordersResizeIt)
{
    g_hitTest = HTCAPTION;
    hl::PressButton(hl::Left, 50, 10);
    hl::MoveMouse(150, 60);
    hl::ReleaseButton(hl::Left, 150, 60);
    hl::PumpMessages();
    RECT r;
    GetWindowRect(m_a, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(Messages(m_a, { WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE }), (std::vector<UINT> { WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE }));

    g_hitTest = HTBOTTOMRIGHT;
    hl::PressButton(hl::Left, 299, 149);
    hl::MoveMouse(339, 169);
    hl::ReleaseButton(hl::Left, 339, 169);
    hl::PumpMessages();
    GetWindowRect(m_a, &r);
    EXPECT_EQ(r.right - r.left, 240);
    EXPECT_EQ(r.bottom - r.top, 120);
    const Seen* size = Last(m_a, WM_SIZE);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(LOWORD(size->lParam), 240);
}

TEST_F(Input, LowLevelMouseHookSeesTheReleaseFirstAndCanSwallowIt)
{
    static std::vector<WPARAM> s_hooked;
    static HHOOK s_hook = nullptr;
    s_hooked.clear();
    s_hook = SetWindowsHookEx(WH_MOUSE_LL, [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        s_hooked.push_back(wParam);
        if (code == HC_ACTION && wParam == WM_LBUTTONUP) {
            UnhookWindowsHookEx(s_hook);  // removes itself at the first release, as drag handles do
            return 1;
        }
        return CallNextHookEx(s_hook, code, wParam, lParam);
    }, nullptr, 0);
    ASSERT_NE(s_hook, nullptr);
    hl::Click(50, 50);
    hl::Click(60, 50);
    hl::PumpMessages();
    EXPECT_EQ(s_hooked, (std::vector<WPARAM> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }));
    // The swallowed release never reached the window; the next click did, without the hook.
    EXPECT_EQ(Messages(m_a, { WM_LBUTTONDOWN, WM_LBUTTONUP }), (std::vector<UINT> { WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP }));
    EXPECT_EQ(SetWindowsHookEx(13, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr, 0), nullptr);
}

TEST_F(Input, ClipboardKeepsWideText)
{
    ASSERT_TRUE(OpenClipboard(m_a));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    const wchar_t text[] = L"剪贴板 text";
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, const_cast<wchar_t*>(text)), nullptr);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    ASSERT_TRUE(OpenClipboard(m_b));
    auto* got = static_cast<const wchar_t*>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(got, text);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // closed
}

}  // namespace
