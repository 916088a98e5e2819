// The progress window from its real skin on the headless display: what a tick shows, and a
// cancel that stops its own job's encoder and no other.
#include "editor/dialogs/ShowProgress.h"

#include <gtest/gtest.h>

#include <string>

#include "DialogTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/ProgressUI.h"

namespace hl = platform::headless;

namespace {

class ShowProgressTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        CancelFlag = 0;
    }
    void TearDown() override
    {
        hl::PumpMessages();
        CancelFlag = 0;
    }
    // A stand-in encoder of our own: a sleeping process.
    static HANDLE StartSleeper()
    {
        STARTUPINFO startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        std::wstring command = L"sleep 30";
        if (!::CreateProcess(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return nullptr;
        ::CloseHandle(process.hThread);
        return process.hProcess;
    }
    static bool Ended(HANDLE process, DWORD waitMs) { return ::WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0; }
};

}  // namespace

TEST_F(ShowProgressTest, EachTickShowsTheTruncatedBarAndTwoDecimals)
{
    CMainWnd main;
    CShowProgress progress(&main);
    ASSERT_NE(progress.Create(nullptr, L"加载进度", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW), nullptr);
    SkinUI::CControlUI* label = progress.GetPaintManager().FindControl(L"progress");
    auto* bar = static_cast<SkinUI::CProgressUI*>(progress.GetPaintManager().FindControl(L"progressbar")->GetInterface(L"Progress"));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(bar, nullptr);
    // Read before any pump: the refresh timer runs on the real clock, and a slow machine can
    // reach its first tick during the first pump.
    EXPECT_EQ(std::wstring(label->GetText().GetData()), L"00%") << "before the first tick";
    hl::PumpMessages();
    struct Case {
        float percent;
        int bar;
        std::wstring text;
    };
    const Case cases[] = {
        { 0.0f, 0, L"0.00%" }, { 37.5f, 37, L"37.50%" }, { 99.996f, 99, L"100.00%" }, { 100.0f, 100, L"100.00%" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        main.m_fJobPercent = c.percent;
        hl::Advance(CShowProgress::kRefreshMs);
        hl::PumpMessages();
        EXPECT_EQ(bar->GetValue(), c.bar);
        EXPECT_EQ(std::wstring(label->GetText().GetData()), c.text);
    }
    ::PostMessage(progress.GetHWND(), WM_CLOSE, 0, 0);  // the job's close
    EXPECT_EQ(progress.ShowModal(), 0u);
}

TEST_F(ShowProgressTest, CancelStopsItsJobAndOnlyThatJobsEncoder)
{
    CMainWnd main;
    HANDLE pageEncoder = StartSleeper();
    HANDLE rowEncoder = StartSleeper();  // a GIF row's encoder, running beside the page export
    ASSERT_NE(pageEncoder, nullptr);
    ASSERT_NE(rowEncoder, nullptr);
    main.SetPageEncoder(pageEncoder);
    wchar_t before[MAX_PATH] {}, after[MAX_PATH] {};
    ::GetCurrentDirectory(MAX_PATH, before);

    CShowProgress progress(&main);
    ASSERT_NE(progress.Create(nullptr, L"加载进度", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW), nullptr);
    hl::PumpMessages();
    const HWND window = progress.GetHWND();
    ClickControl(progress.GetPaintManager().FindControl(L"cancel"));
    EXPECT_EQ(progress.ShowModal(), 1u);
    EXPECT_EQ(CancelFlag.load(), 1) << "the job is told to stop";
    EXPECT_TRUE(Ended(pageEncoder, 30000)) << "its encoder is stopped";
    EXPECT_FALSE(Ended(rowEncoder, 100)) << "another export's encoder keeps running";
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(::PostMessage(window, WM_CLOSE, 0, 0)) << "the job's later close finds no window";
    ::GetCurrentDirectory(MAX_PATH, after);
    EXPECT_STREQ(before, after);

    main.SetPageEncoder(nullptr);
    ::TerminateProcess(rowEncoder, 0);
    EXPECT_TRUE(Ended(rowEncoder, 30000));
    ::CloseHandle(pageEncoder);
    ::CloseHandle(rowEncoder);
}
