// A window that destroys itself from inside its own WM_KILLFOCUS, as in-place editors do: the
// focus still reaches its new owner and nothing touches the destroyed window afterwards.

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <vector>

namespace hl = platform::headless;

namespace {

int g_finalMessages = 0;
std::vector<UINT> g_afterDeath;
bool g_dead = false;

LRESULT EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_dead)
        g_afterDeath.push_back(msg);
    if (msg == WM_KILLFOCUS) {
        DefWindowProc(hwnd, msg, wParam, lParam);
        SendMessage(hwnd, WM_CLOSE, 0, 0);  // the default WM_CLOSE destroys the window
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        ++g_finalMessages;
        g_dead = true;
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// Takes the focus on a press, as a skinned window's paint manager does.
LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN)
        SetFocus(hwnd);
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

class FocusLoss : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        g_finalMessages = 0;
        g_afterDeath.clear();
        g_dead = false;
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = L"FocusLossHost";
        RegisterClassEx(&wc);
        wc.lpfnWndProc = EditorProc;
        wc.lpszClassName = L"FocusLossEditor";
        RegisterClassEx(&wc);
        m_host = CreateWindowEx(0, L"FocusLossHost", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        m_other = CreateWindowEx(0, L"FocusLossHost", nullptr, WS_CHILD | WS_VISIBLE, 200, 0, 100, 100, m_host, nullptr, nullptr, nullptr);
        m_editor = CreateWindowEx(0, L"FocusLossEditor", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 100, 24, m_host, nullptr, nullptr, nullptr);
        SetFocus(m_editor);
        hl::PumpMessages();
        ASSERT_EQ(GetFocus(), m_editor);
    }
    void TearDown() override
    {
        DestroyWindow(m_host);
        hl::PumpMessages();
    }
    void ExpectEditorGoneCleanly()
    {
        hl::PumpMessages();
        EXPECT_FALSE(IsWindow(m_editor));
        EXPECT_EQ(g_finalMessages, 1);
        EXPECT_TRUE(g_afterDeath.empty()) << "first message after death: 0x" << std::hex << g_afterDeath.front();
    }
    HWND m_host = nullptr, m_other = nullptr, m_editor = nullptr;
};

}  // namespace

TEST_F(FocusLoss, FocusMovedByCodeReachesTheNewWindow)
{
    SetFocus(m_other);
    EXPECT_EQ(GetFocus(), m_other);
    ExpectEditorGoneCleanly();
}

TEST_F(FocusLoss, FocusTakenByAClickOnTheHost)
{
    hl::Click(150, 150);
    hl::PumpMessages();
    EXPECT_EQ(GetFocus(), m_host);
    ExpectEditorGoneCleanly();
}

TEST_F(FocusLoss, FocusClearedWhenAnotherWindowIsActivated)
{
    HWND second = CreateWindowEx(0, L"FocusLossHost", nullptr, WS_POPUP | WS_VISIBLE, 400, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    hl::Click(450, 50);
    hl::PumpMessages();
    EXPECT_EQ(GetActiveWindow(), second);
    ExpectEditorGoneCleanly();
    DestroyWindow(second);
}

TEST_F(FocusLoss, HostDestroyedWhileTheEditorHasTheFocus)
{
    DestroyWindow(m_host);
    m_host = nullptr;
    EXPECT_EQ(GetFocus(), nullptr);
    ExpectEditorGoneCleanly();
}
