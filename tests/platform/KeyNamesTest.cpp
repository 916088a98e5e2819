// Key names and scan codes of the keyboard layout, as a hot-key field shows them.

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hl = platform::headless;

namespace {

// The name the way a hot-key field asks for it: scan code of the layout, extended bit for the
// navigation keys.
std::wstring NameOf(UINT vk)
{
    LONG scan = static_cast<LONG>(MapVirtualKeyEx(vk, MAPVK_VK_TO_VSC, GetKeyboardLayout(0)));
    const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE;
    if (extended)
        scan |= 0x100;
    wchar_t name[260] {};
    GetKeyNameText(scan << 16, name, 260);
    return name;
}

}  // namespace

TEST(KeyNames, EveryKindOfKeyHasItsLayoutName)
{
    struct Case { UINT vk; const wchar_t* name; };
    const Case cases[] = {
        { 'A', L"A" }, { 'M', L"M" }, { 'Z', L"Z" }, { '0', L"0" }, { '1', L"1" }, { '9', L"9" },
        { VK_F1, L"F1" }, { VK_F10, L"F10" }, { VK_F11, L"F11" }, { VK_F12, L"F12" }, { VK_F24, L"F24" },
        { VK_NUMPAD0, L"Num 0" }, { VK_NUMPAD7, L"Num 7" }, { VK_ADD, L"Num +" }, { VK_MULTIPLY, L"Num *" },
        { VK_DECIMAL, L"Num Del" }, { VK_DIVIDE, L"Num /" },
        { VK_HOME, L"Home" }, { VK_LEFT, L"Left" }, { VK_NEXT, L"Page Down" }, { VK_DELETE, L"Delete" },
        { VK_OEM_MINUS, L"-" }, { VK_OEM_PLUS, L"=" }, { VK_OEM_1, L";" }, { VK_OEM_COMMA, L"," },
        { VK_OEM_PERIOD, L"." }, { VK_OEM_2, L"/" }, { VK_OEM_4, L"[" }, { VK_OEM_5, L"\\" },
        { VK_CONTROL, L"Ctrl" }, { VK_SHIFT, L"Shift" }, { VK_MENU, L"Alt" }, { VK_SPACE, L"Space" },
        { VK_RETURN, L"Enter" }, { VK_ESCAPE, L"Esc" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vk=0x" << std::hex << c.vk);
        EXPECT_EQ(NameOf(c.vk), c.name);
    }
}

TEST(KeyNames, ScanCodesMapBackAndUnknownKeysHaveNoName)
{
    // A bare code shared with the pad is the navigation key; the pad keeps its own codes otherwise.
    EXPECT_EQ(MapVirtualKey(MapVirtualKey(VK_HOME, MAPVK_VK_TO_VSC), MAPVK_VSC_TO_VK), static_cast<UINT>(VK_HOME));
    EXPECT_EQ(MapVirtualKey(MapVirtualKey('Q', MAPVK_VK_TO_VSC), MAPVK_VSC_TO_VK), static_cast<UINT>('Q'));
    EXPECT_EQ(MapVirtualKey(MapVirtualKey(VK_ADD, MAPVK_VK_TO_VSC), MAPVK_VSC_TO_VK), static_cast<UINT>(VK_ADD));
    EXPECT_EQ(MapVirtualKey(VK_OEM_PERIOD, MAPVK_VK_TO_CHAR), static_cast<UINT>(L'.'));
    EXPECT_EQ(MapVirtualKey(0xFF, MAPVK_VK_TO_VSC), 0u);
    wchar_t name[8] = L"junk";
    EXPECT_EQ(GetKeyNameText(0x7F << 16, name, 8), 0);
    EXPECT_STREQ(name, L"");
    // A short buffer gets a cut, terminated name.
    EXPECT_EQ(GetKeyNameText(static_cast<LONG>(MapVirtualKey(VK_NEXT, 0) | 0x100) << 16, name, 5), 4);
    EXPECT_STREQ(name, L"Page");
}

TEST(KeyNames, KeyMessagesCarryTheScanCodeAndTheExtendedBit)
{
    ASSERT_TRUE(hl::Use());
    static std::vector<LPARAM> seen;
    seen.clear();
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_KEYDOWN)
            seen.push_back(lParam);
        return DefWindowProc(hwnd, msg, wParam, lParam);
    };
    wc.lpszClassName = L"KeyNamesWnd";
    RegisterClassEx(&wc);
    HWND hwnd = CreateWindowEx(0, L"KeyNamesWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetFocus(hwnd);
    hl::PressKey(VK_LEFT);
    hl::PressKey('K');
    hl::PumpMessages();
    ASSERT_EQ(seen.size(), 2u);
    wchar_t name[32] {};
    GetKeyNameText(static_cast<LONG>(seen[0]), name, 32);
    EXPECT_STREQ(name, L"Left");
    GetKeyNameText(static_cast<LONG>(seen[1]), name, 32);
    EXPECT_STREQ(name, L"K");
    DestroyWindow(hwnd);
}
