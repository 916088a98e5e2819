// Window classes, creation and destruction order, window data, subclassing and finding windows.

#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
};
std::vector<Seen> g_seen;
void* g_createParam = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back({ hwnd, msg });
    if (msg == WM_NCCREATE)
        g_createParam = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

std::vector<UINT> Only(const std::vector<UINT>& wanted)
{
    std::vector<UINT> out;
    for (const Seen& s : g_seen)
        for (UINT w : wanted)
            if (s.msg == w)
                out.push_back(s.msg);
    return out;
}

class WindowLifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::headless::Use());
        g_seen.clear();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = Instance();
        wc.lpszClassName = L"LifecycleWnd";
        ASSERT_TRUE(RegisterClassEx(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    }
    static HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000)); }
    HWND Make(DWORD style, HWND parent, void* param = nullptr)
    {
        return CreateWindowEx(0, L"LifecycleWnd", L"title", style, 10, 20, 300, 200, parent, nullptr, Instance(), param);
    }
};

TEST_F(WindowLifecycle, RegisteringTwiceFailsWithAlreadyExists)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = Instance();
    wc.lpszClassName = L"lifecyclewnd";  // names compare without case
    EXPECT_EQ(RegisterClassEx(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(CreateWindowEx(0, L"NoSuchClass", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowLifecycle, CreationAndDestructionMessagesComeInOrder)
{
    int param = 0;
    HWND parent = Make(WS_OVERLAPPEDWINDOW, nullptr, &param);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(g_createParam, &param);
    EXPECT_EQ(Only({ WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE }),
              (std::vector<UINT> { WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE }));
    HWND child = Make(WS_CHILD | WS_VISIBLE, parent);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), parent);
    g_seen.clear();
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> ends;
    for (const Seen& s : g_seen)
        if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY)
            ends.emplace_back(s.hwnd, s.msg);
    // Parent first on the way in, children first on the way out.
    const std::vector<std::pair<HWND, UINT>> want { { parent, WM_DESTROY }, { child, WM_DESTROY }, { child, WM_NCDESTROY },
                                                    { parent, WM_NCDESTROY } };
    EXPECT_EQ(ends, want);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowLifecycle, CreateFailsWhenCreateAnswersMinusOne)
{
    static bool refuse = true;
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CREATE && refuse)
            return -1;
        return DefWindowProc(h, m, w, l);
    };
    wc.lpszClassName = L"RefusingWnd";
    RegisterClassEx(&wc);
    EXPECT_EQ(CreateWindowEx(0, L"RefusingWnd", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(FindWindow(L"RefusingWnd", nullptr), nullptr);
}

TEST_F(WindowLifecycle, SubclassingChainsToTheOldProcedure)
{
    HWND hwnd = Make(WS_POPUP, nullptr);
    static WNDPROC s_old = nullptr;
    static int s_calls = 0;
    s_calls = 0;
    WNDPROC mine = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 7) {
            ++s_calls;
            return CallWindowProc(s_old, h, m, w, l) + 1;
        }
        return CallWindowProc(s_old, h, m, w, l);
    };
    s_old = reinterpret_cast<WNDPROC>(SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mine)));
    EXPECT_EQ(s_old, &RecordingProc);
    g_seen.clear();
    EXPECT_EQ(SendMessage(hwnd, WM_USER + 7, 0, 0), 1);  // DefWindowProc answers 0, the subclass adds 1
    EXPECT_EQ(s_calls, 1);
    ASSERT_EQ(g_seen.size(), 1u);  // the old procedure saw it too
    EXPECT_EQ(g_seen.front().msg, WM_USER + 7u);
    DestroyWindow(hwnd);
}

TEST_F(WindowLifecycle, SuperclassCopiesTheClassProcedure)
{
    WNDCLASSEXW base {};
    ASSERT_TRUE(GetClassInfoEx(Instance(), L"LifecycleWnd", &base));
    EXPECT_EQ(base.lpfnWndProc, &RecordingProc);
    WNDCLASSEXW system {};
    system.cbSize = sizeof(system);
    system.lpfnWndProc = DefWindowProc;
    system.lpszClassName = L"SystemLikeWnd";  // no instance: found from any module
    ASSERT_TRUE(RegisterClassEx(&system) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    WNDCLASSEXW found {};
    EXPECT_TRUE(GetClassInfoEx(nullptr, L"SystemLikeWnd", &found));
    EXPECT_FALSE(GetClassInfoEx(nullptr, L"LifecycleWnd", &found));  // an application class needs its module
}

TEST_F(WindowLifecycle, DataPropertiesTextAndStyles)
{
    HWND hwnd = Make(WS_POPUP, nullptr);
    SetWindowLongPtr(hwnd, GWLP_USERDATA, 1234);
    EXPECT_EQ(GetWindowLongPtr(hwnd, GWLP_USERDATA), 1234);
    int value = 0;
    EXPECT_TRUE(SetProp(hwnd, L"WndX", &value));
    EXPECT_EQ(GetProp(hwnd, L"WndX"), &value);
    EXPECT_EQ(RemoveProp(hwnd, L"WndX"), &value);
    EXPECT_EQ(GetProp(hwnd, L"WndX"), nullptr);
    wchar_t text[16] {};
    EXPECT_EQ(GetWindowText(hwnd, text, 16), 5);
    EXPECT_STREQ(text, L"title");
    EXPECT_TRUE(SetWindowText(hwnd, L"changed"));
    EXPECT_EQ(GetWindowTextLength(hwnd), 7);
    SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(0x90000000u));  // a raw style value as skins use them
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)) & WS_POPUP, WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(hwnd) == FALSE);  // visibility changes only by showing
    DestroyWindow(hwnd);
}

TEST_F(WindowLifecycle, FindWindowByClassAndTitleSkipsMessageOnlyWindows)
{
    HWND main = CreateWindowEx(0, L"LifecycleWnd", L"Quillmoor", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Instance(), nullptr);
    HWND hidden = CreateWindowEx(0, L"LifecycleWnd", L"HideMessageWindow", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance(),
                                 nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(FindWindow(L"LifecycleWnd", L"Quillmoor"), main);
    EXPECT_EQ(FindWindow(nullptr, L"Quillmoor"), main);
    EXPECT_EQ(FindWindow(L"LifecycleWnd", L"Other"), nullptr);
    EXPECT_EQ(FindWindow(L"LifecycleWnd", L"HideMessageWindow"), nullptr);
    EXPECT_EQ(FindWindowEx(HWND_MESSAGE, nullptr, L"LifecycleWnd", L"HideMessageWindow"), hidden);
    // A message-only window still gets what is posted to it.
    g_seen.clear();
    EXPECT_TRUE(PostMessage(hidden, WM_USER + 200, 0, 0));
    platform::headless::PumpMessages();
    EXPECT_EQ(Only({ WM_USER + 200 }).size(), 1u);
    DestroyWindow(hidden);
    DestroyWindow(main);
}

TEST_F(WindowLifecycle, DefaultCloseDestroysAndOwnedWindowsGoFirst)
{
    HWND owner = Make(WS_POPUP, nullptr);
    HWND owned = Make(WS_POPUP, owner);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(owned), owner);  // a popup's parent is its owner
    g_seen.clear();
    SendMessage(owner, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_FALSE(IsWindow(owned));
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(Only({ WM_DESTROY }).size(), 2u);
    auto first = std::find_if(g_seen.begin(), g_seen.end(), [](const Seen& s) { return s.msg == WM_DESTROY; });
    EXPECT_EQ(first->hwnd, owned);
}

TEST_F(WindowLifecycle, DestroyingFromAnotherThreadFails)
{
    HWND hwnd = Make(WS_POPUP, nullptr);
    BOOL result = TRUE;
    DWORD error = 0;
    std::thread other([&] {
        result = DestroyWindow(hwnd);
        error = GetLastError();
    });
    other.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(error, ERROR_WINDOW_OF_OTHER_THREAD);
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);
}

}  // namespace
