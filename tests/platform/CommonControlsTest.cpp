// The in-place editors' common controls: hot-key field, IP-address field and date picker, driven
// by injected keys and mouse, with the notifications their parent gets.

#include "platform/CommCtrl.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hl = platform::headless;

namespace {

std::vector<WORD> g_commands;
std::vector<SYSTEMTIME> g_dateChanges;
std::vector<WPARAM> g_keyUps;
WNDPROC g_addressProc = nullptr;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND)
        g_commands.push_back(HIWORD(wParam));
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == DTN_DATETIMECHANGE)
            g_dateChanges.push_back(reinterpret_cast<const NMDATETIMECHANGE*>(lParam)->st);
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A superclass of the address field that watches key releases, as a framework editor does.
LRESULT WatchingAddressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYUP)
        g_keyUps.push_back(wParam);
    return CallWindowProc(g_addressProc, hwnd, msg, wParam, lParam);
}

int Count(WORD code) { return static_cast<int>(std::count(g_commands.begin(), g_commands.end(), code)); }

void Type(const std::wstring& keys)
{
    for (wchar_t c : keys)
        hl::KeyDown(VK_PACKET, std::wstring(1, c));
    hl::PumpMessages();
}

class CommonControls : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        INITCOMMONCONTROLSEX init { sizeof(INITCOMMONCONTROLSEX), ICC_INTERNET_CLASSES };
        ASSERT_TRUE(InitCommonControlsEx(&init));
        g_commands.clear();
        g_dateChanges.clear();
        g_keyUps.clear();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = L"CommonControlsHost";
        RegisterClassEx(&wc);
        m_host = CreateWindowEx(0, L"CommonControlsHost", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr, nullptr, nullptr);
        m_other = CreateWindowEx(0, L"CommonControlsHost", nullptr, WS_CHILD | WS_VISIBLE, 0, 150, 50, 50, m_host, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_host);
        hl::PumpMessages();
    }
    HWND Make(const wchar_t* className)
    {
        HWND hwnd = CreateWindowEx(0, className, nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, m_host,
                                   reinterpret_cast<HMENU>(9), nullptr, nullptr);
        SetFocus(hwnd);
        hl::PumpMessages();
        g_commands.clear();
        return hwnd;
    }
    HWND m_host = nullptr, m_other = nullptr;
};

}  // namespace

TEST_F(CommonControls, HotKeyTakesTheKeyWithItsModifiersAndFollowsTheRules)
{
    HWND field = Make(HOTKEY_CLASS);
    ASSERT_NE(field, nullptr);
    hl::KeyDown(VK_CONTROL);
    hl::KeyDown(VK_SHIFT);
    hl::PumpMessages();
    EXPECT_EQ(Count(EN_CHANGE), 0) << "modifiers alone are no hot key";
    hl::PressKey('A');
    hl::KeyUp(VK_SHIFT);
    hl::KeyUp(VK_CONTROL);
    hl::PumpMessages();
    EXPECT_EQ(SendMessage(field, HKM_GETHOTKEY, 0, 0), MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(Count(EN_CHANGE), 1);

    hl::PressKey(VK_LEFT);  // an extended key says so
    hl::PumpMessages();
    EXPECT_EQ(SendMessage(field, HKM_GETHOTKEY, 0, 0), MAKEWORD(VK_LEFT, HOTKEYF_EXT));

    hl::PressKey(VK_BACK);
    hl::PumpMessages();
    EXPECT_EQ(SendMessage(field, HKM_GETHOTKEY, 0, 0), 0);
    EXPECT_EQ(Count(EN_CHANGE), 3);

    // A bare key is not allowed here: Ctrl is put in its place.
    SendMessage(field, HKM_SETRULES, HKCOMB_NONE, MAKELPARAM(HOTKEYF_CONTROL, 0));
    hl::PressKey(VK_F5);
    hl::PumpMessages();
    EXPECT_EQ(SendMessage(field, HKM_GETHOTKEY, 0, 0), MAKEWORD(VK_F5, HOTKEYF_CONTROL));

    SendMessage(field, HKM_SETHOTKEY, MAKEWORD('Q', HOTKEYF_ALT), 0);
    EXPECT_EQ(SendMessage(field, HKM_GETHOTKEY, 0, 0), MAKEWORD('Q', HOTKEYF_ALT));
}

TEST_F(CommonControls, AddressFieldsAreTypedClampedAndNavigated)
{
    struct Case { const wchar_t* typed; DWORD address; LRESULT filled; };
    const Case cases[] = {
        { L"192168001001", MAKEIPADDRESS(192, 168, 1, 1), 4 },  // three digits move on
        { L"10.0.0.1", MAKEIPADDRESS(10, 0, 0, 1), 4 },
        { L"192.168.001.1", MAKEIPADDRESS(192, 168, 1, 1), 4 },  // a dot after a full field moves no further
        { L"999.300.256.1", MAKEIPADDRESS(255, 255, 255, 1), 4 },
        { L"1.2", MAKEIPADDRESS(1, 2, 0, 0), 2 },
        { L"1.2.3.4.5.6", MAKEIPADDRESS(1, 2, 3, 255), 4 },  // no fifth field: "456" in the fourth
        { L"12\b\b\b7", MAKEIPADDRESS(7, 0, 0, 0), 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed " << testing::PrintToString(std::wstring(c.typed)));
        HWND field = Make(WC_IPADDRESS);
        ASSERT_NE(field, nullptr);
        Type(c.typed);
        DWORD address = 0xDEADBEEF;
        EXPECT_EQ(SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), c.filled);
        EXPECT_EQ(address, c.address);
        EXPECT_GT(Count(EN_CHANGE), 0);
        DestroyWindow(field);
    }
}

TEST_F(CommonControls, AddressMessagesArrowsAndFocusNotifications)
{
    HWND field = Make(WC_IPADDRESS);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(SendMessage(field, IPM_ISBLANK, 0, 0), TRUE);
    SendMessage(field, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(127, 0, 1, 200)));
    DWORD address = 0;
    EXPECT_EQ(SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), 4);
    EXPECT_EQ(address, MAKEIPADDRESS(127, 0, 1, 200));

    // End, then typing replaces the last field; Left moves back one.
    hl::PressKey(VK_END);
    Type(L"9");
    hl::PressKey(VK_LEFT);
    Type(L"55");
    SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    EXPECT_EQ(address, MAKEIPADDRESS(127, 0, 55, 9));

    SendMessage(field, IPM_SETRANGE, 0, MAKEIPRANGE(10, 100));
    SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    EXPECT_EQ(FIRST_IPADDRESS(address), 100);

    SendMessage(field, IPM_CLEARADDRESS, 0, 0);
    EXPECT_EQ(SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), 0);
    EXPECT_EQ(address, 0u);

    // Focus moving inside the control says nothing; leaving it says so once.
    SendMessage(field, IPM_SETFOCUS, 2, 0);
    hl::PumpMessages();
    EXPECT_EQ(Count(EN_KILLFOCUS), 0);
    SetFocus(m_other);
    EXPECT_EQ(Count(EN_KILLFOCUS), 1);
    SetFocus(field);
    EXPECT_EQ(Count(EN_SETFOCUS), 1);
}

TEST_F(CommonControls, AddressKeyReleasesReachASuperclass)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoEx(nullptr, WC_IPADDRESS, &wc));
    g_addressProc = wc.lpfnWndProc;
    wc.lpfnWndProc = WatchingAddressProc;
    wc.lpszClassName = L"WatchingAddress";
    wc.hInstance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
    RegisterClassEx(&wc);
    HWND field = CreateWindowEx(0, L"WatchingAddress", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, m_host, nullptr,
                                wc.hInstance, nullptr);
    SetFocus(field);
    hl::PressKey(VK_BACK);
    hl::PressKey(VK_ESCAPE);
    hl::PumpMessages();
    EXPECT_EQ(g_keyUps, (std::vector<WPARAM> { VK_BACK, VK_ESCAPE }));
}

TEST_F(CommonControls, DatePickerStepsTypesAndValidates)
{
    HWND picker = Make(DATETIMEPICK_CLASS);
    ASSERT_NE(picker, nullptr);
    SYSTEMTIME today {}, shown {};
    GetLocalTime(&today);
    EXPECT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)), static_cast<LRESULT>(GDT_VALID));
    EXPECT_EQ(shown.wYear, today.wYear);
    EXPECT_EQ(shown.wDay, today.wDay);

    SYSTEMTIME bad { 2023, 2, 0, 29, 0, 0, 0, 0 };
    EXPECT_FALSE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
    SYSTEMTIME start { 2024, 1, 0, 31, 0, 0, 0, 0 };
    ASSERT_TRUE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start)));
    EXPECT_TRUE(g_dateChanges.empty()) << "setting from code is no change by the user";

    struct Step { int key; int wheel; const wchar_t* typed; WORD year, month, day; };
    const Step steps[] = {
        { VK_UP, 0, nullptr, 2025, 1, 31 },
        { VK_RIGHT, 0, nullptr, 2025, 1, 31 },  // month chosen
        { VK_UP, 0, nullptr, 2025, 2, 28 },     // the day is cut to February
        { VK_DOWN, 0, nullptr, 2025, 1, 28 },
        { VK_DOWN, 0, nullptr, 2025, 12, 28 },  // months wrap within the year
        { 0, -120, nullptr, 2025, 11, 28 },
        { VK_HOME, 0, L"2028", 2028, 11, 28 },  // a typed year moves on to the month
        { 0, 0, L"2", 2028, 2, 28 },            // 2 cannot start a two-digit month: on to the day
        { 0, 0, L"31", 2028, 2, 29 },
    };
    for (const Step& s : steps) {
        if (s.key)
            hl::PressKey(s.key);
        if (s.wheel)
            hl::Wheel(s.wheel, 50, 20);
        hl::PumpMessages();
        if (s.typed)
            Type(s.typed);
        SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        SCOPED_TRACE(testing::Message() << "expect " << s.year << "-" << s.month << "-" << s.day);
        EXPECT_EQ(shown.wYear, s.year);
        EXPECT_EQ(shown.wMonth, s.month);
        EXPECT_EQ(shown.wDay, s.day);
    }
    ASSERT_FALSE(g_dateChanges.empty());
    EXPECT_EQ(g_dateChanges.back().wDay, 29);
    EXPECT_EQ(g_dateChanges.back().wDayOfWeek, 2);  // 29 February 2028 is a Tuesday
}
