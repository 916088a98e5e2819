// Two programs on one private Xvfb server, with and without a window manager: the second finds
// the first's window by class and title, tells it a message, sees it minimised and restores it,
// as a second start of the editor does with the first. Both sides are this program again.

#include "platform/WinBase.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"QuillInstanceWnd";
constexpr wchar_t kTitle[] = L"Tessaly instance";
constexpr UINT kRunningMessage = 8885;

bool g_told = false;

LRESULT FirstProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kRunningMessage)
        g_told = true;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// The first program: a visible window that waits to be told, then minimises itself and waits to
// be restored from outside.
void BeFirst()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FirstProc;
    wc.lpszClassName = kClass;
    RegisterClassEx(&wc);
    HWND hwnd = CreateWindowEx(0, kClass, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(xvfbtest::PumpUntil([] { return g_told; })) << "message 8885 never came";
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(hwnd));
    EXPECT_TRUE(xvfbtest::PumpUntil([&] { return !IsIconic(hwnd); })) << "never restored from outside";
    DestroyWindow(hwnd);
}

// The second program: what the editor's start-up does, twice over.
void BeSecond()
{
    HWND first = nullptr;
    ASSERT_TRUE(xvfbtest::PumpUntil([&] { return (first = FindWindow(kClass, kTitle)) != nullptr; }))
        << "the first program's window was never found";
    EXPECT_EQ(FindWindow(kClass, L"Tessaly"), nullptr) << "another title is another window";
    EXPECT_EQ(FindWindow(L"OtherWnd", kTitle), nullptr);
    EXPECT_EQ(FindWindow(kClass, kTitle), first) << "the same handle each time";
    EXPECT_FALSE(IsIconic(first));
    EXPECT_FALSE(PostMessage(first, kRunningMessage, 1, 0)) << "parameters never travel to another program";
    EXPECT_FALSE(PostMessage(first, WM_CLOSE, 0, 0)) << "nor system messages";
    ShowWindow(first, SW_SHOWNA);
    EXPECT_TRUE(PostMessage(first, kRunningMessage, 0, 0));
    ASSERT_TRUE(xvfbtest::PumpUntil([&] { return IsIconic(first) != FALSE; })) << "the first never minimised";
    EXPECT_TRUE(ShowWindow(first, SW_RESTORE));
    EXPECT_TRUE(xvfbtest::PumpUntil([&] { return !IsIconic(first); }));
}

class X11Instance : public testing::TestWithParam<bool> {};

TEST_P(X11Instance, ASecondProgramFindsTellsAndRestoresTheFirst)
{
    if (const char* side = std::getenv("QUILL_INSTANCE_SIDE")) {
        std::string(side) == "first" ? BeFirst() : BeSecond();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(40, 400, "800x600x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    if (GetParam() && !server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed";
    const xvfbtest::TempHome home("quill-instance");
    ASSERT_TRUE(home.Made());
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + std::string(".")
        + testing::UnitTest::GetInstance()->current_test_info()->name();
    pid_t sides[2] {};
    const char* names[2] { "first", "second" };
    for (int i = 0; i < 2; ++i) {
        sides[i] = xvfbtest::Spawn({ "/proc/self/exe", "--gtest_filter=" + name },
                                   { std::string("QUILL_INSTANCE_SIDE=") + names[i], "QUILL_BACKEND=x11", "DISPLAY=" + server.Name(),
                                     "HOME=" + home.Path(), "TMPDIR=" + home.Path() },
                                   false);
        ASSERT_GT(sides[i], 0);
    }
    for (int i = 0; i < 2; ++i) {
        int status = -1;
        waitpid(sides[i], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the " << names[i] << " side failed; status " << status;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, X11Instance, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Openbox" : "NoWindowManager"; });

}  // namespace
