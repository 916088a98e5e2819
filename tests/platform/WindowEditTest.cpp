// The system "Edit" class: typing, selection, modes, clipboard, undo and its notifications.

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hl = platform::headless;

namespace {

std::vector<WORD> g_codes;

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND)
        g_codes.push_back(HIWORD(wParam));
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t buffer[256] {};
    GetWindowText(hwnd, buffer, 256);
    return buffer;
}

std::pair<DWORD, DWORD> Selection(HWND edit)
{
    DWORD from = 0, to = 0;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return { from, to };
}

void Type(const std::wstring& text)
{
    for (wchar_t c : text)
        hl::KeyDown(VK_PACKET, std::wstring(1, c));  // a key that only types its character
    hl::PumpMessages();
}

class EditControl : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        g_codes.clear();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = L"EditHostWnd";
        RegisterClassEx(&wc);
        m_host = CreateWindowEx(0, L"EditHostWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
        hl::PumpMessages();
    }
    void TearDown() override { DestroyWindow(m_host); }
    HWND MakeEdit(DWORD style = 0, const wchar_t* text = L"")
    {
        HWND edit = CreateWindowEx(0, L"Edit", text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | style, 10, 10, 300, 24, m_host,
                                   reinterpret_cast<HMENU>(7), nullptr, nullptr);
        SetFocus(edit);
        hl::PumpMessages();
        g_codes.clear();
        return edit;
    }
    HWND m_host = nullptr;
};

TEST_F(EditControl, TypingEditsAndTellsTheParent)
{
    HWND edit = MakeEdit();
    ASSERT_NE(edit, nullptr);
    Type(L"Hello 世界");
    EXPECT_EQ(TextOf(edit), L"Hello 世界");
    EXPECT_EQ(std::count(g_codes.begin(), g_codes.end(), EN_CHANGE), 8);
    hl::PressKey(VK_BACK);
    hl::PressKey(VK_HOME);
    hl::PressKey(VK_DELETE);
    hl::PumpMessages();
    EXPECT_EQ(TextOf(edit), L"ello 世");
    EXPECT_EQ(SendMessage(edit, EM_GETMODIFY, 0, 0), TRUE);
    SetWindowText(edit, L"fresh");
    EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD> { 0, 0 }));
    EXPECT_EQ(SendMessage(edit, EM_GETMODIFY, 0, 0), FALSE);
}

TEST_F(EditControl, SelectionIsReplacedAndExtendedByShiftArrows)
{
    HWND edit = MakeEdit(0, L"abcdef");
    SendMessage(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD> { 0, 6 }));
    Type(L"x");
    EXPECT_EQ(TextOf(edit), L"x");
    SetWindowText(edit, L"one two");
    hl::PressKey(VK_END);
    hl::KeyDown(VK_SHIFT);
    hl::KeyDown(VK_CONTROL);
    hl::PressKey(VK_LEFT);  // a word to the left
    hl::KeyUp(VK_CONTROL);
    hl::KeyUp(VK_SHIFT);
    hl::PumpMessages();
    EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD> { 4, 7 }));
    SendMessage(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"three"));
    EXPECT_EQ(TextOf(edit), L"one three");
    EXPECT_TRUE(SendMessage(edit, EM_UNDO, 0, 0));
    EXPECT_EQ(TextOf(edit), L"one two");
}

TEST_F(EditControl, ModesLimitWhatCanBeTyped)
{
    struct Case {
        DWORD style;
        WPARAM limit;
        std::wstring typed, want;
    };
    const Case cases[] = {
        { ES_NUMBER, 0, L"a1b2", L"12" },        // digits only
        { 0, 3, L"abcdef", L"abc" },             // the length limit
        { ES_READONLY, 0, L"abc", L"" },         // nothing typed in
        { ES_PASSWORD, 0, L"pw", L"pw" },        // shown masked, kept as typed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        HWND edit = MakeEdit(c.style);
        if (c.limit)
            SendMessage(edit, EM_LIMITTEXT, c.limit, 0);
        Type(c.typed);
        EXPECT_EQ(TextOf(edit), c.want);
        DestroyWindow(edit);
    }
}

TEST_F(EditControl, ClipboardCopyAndPasteByKeys)
{
    HWND edit = MakeEdit(0, L"copy me");
    SetFocus(edit);
    hl::KeyDown(VK_CONTROL);
    hl::PressKey('A');
    hl::PressKey('C');
    hl::KeyUp(VK_CONTROL);
    hl::PressKey(VK_END);
    Type(L" ");
    hl::KeyDown(VK_CONTROL);
    hl::PressKey('V');
    hl::KeyUp(VK_CONTROL);
    hl::PumpMessages();
    EXPECT_EQ(TextOf(edit), L"copy me copy me");
}

TEST_F(EditControl, ClickPlacesTheCaretAndSuperclassesChainToTheClass)
{
    HWND edit = MakeEdit(0, L"abc");
    hl::Click(300, 20);  // right of the text
    hl::PumpMessages();
    EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD> { 3, 3 }));
    hl::Click(11, 20);  // before the first character
    hl::PumpMessages();
    EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD> { 0, 0 }));

    WNDCLASSEXW base {};
    ASSERT_TRUE(GetClassInfoEx(nullptr, L"Edit", &base));
    static WNDPROC s_base = base.lpfnWndProc;
    base.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) { return CallWindowProc(s_base, h, m, w, l); };
    base.lpszClassName = L"EditWnd";
    ASSERT_TRUE(RegisterClassEx(&base));
    HWND derived = CreateWindowEx(0, L"EditWnd", L"inherited", WS_CHILD, 0, 0, 100, 20, m_host, nullptr, nullptr, nullptr);
    EXPECT_EQ(TextOf(derived), L"inherited");
    DestroyWindow(derived);
}

}  // namespace
