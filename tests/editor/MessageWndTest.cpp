// The message box from its real skins on the headless display: which button answers what for
// which message, what an empty text hides, and a job's question shown by the UI thread.
#include "editor/dialogs/MessageWnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"

namespace hl = platform::headless;

namespace {

const std::wstring kUnsupported = L"抱歉！此视频文件格式暂不支持。";

class MessageWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
    }
    void TearDown() override { hl::PumpMessages(); }

    // A box as the callers make it, shown and laid out, not yet running its loop.
    static CMessageWnd* Open(const std::wstring& message, const std::wstring& edit, const std::wstring& ok,
                             const std::wstring& cancel)
    {
        auto* box = new CMessageWnd(message, L"", edit, ok, cancel, 1);
        EXPECT_NE(box->CreateOwned(nullptr), nullptr);
        hl::PumpMessages();
        return box;
    }
    static SkinUI::CControlUI* Find(CMessageWnd* box, const wchar_t* name)
    {
        return box->GetPaintManager().FindControl(name);
    }
};

}  // namespace

TEST(MessageWndResult, ButtonsAnswerByTheWordsOfTheMessage)
{
    struct Case {
        std::wstring message;
        const wchar_t* sender;
        int result;
    };
    const Case cases[] = {
        { L"清空列表", L"btn_ok", 1 },
        { L"清空列表", L"btn_cancel", 2 },
        { kUnsupported, L"btn_ok", 2 },
        { kUnsupported, L"btn_cancel", 1 },
        { L"确定删除吗?", L"btn_ok", 1 },
        { L"确定删除吗?", L"btn_cancel", 2 },
        { L"确定删除吗？", L"btn_ok", 2 },  // only the ASCII question mark makes the confirmation
        { L"当前文件为 a.mp4", L"btn_ok", 1 },
        { L"当前文件为 a.mp4", L"btn_cancel", 1 },
        { L"原视频和已剪切的片段将同时删除", L"btn_ok", 1 },
        { L"清空列表后请联系客服", L"btn_cancel", 2 },  // the confirmation row wins over the pause row
        { L"视频文件合并失败，请您联系客服处理！", L"btn_cancel", 1 },
        { L"清空列表", L"closebtn", 2 },
        { kUnsupported, L"closebtn", 2 },
        { kUnsupported, L"title", -1 },
        { kUnsupported, L"msg_text", -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.message + L" / " + c.sender));
        EXPECT_EQ(CMessageWnd::ResultOf(c.message, c.sender), c.result);
    }
}

TEST_F(MessageWndTest, RealWindowShowsWhatHasTextAndEndsWithTheClickedButtonsAnswer)
{
    struct Case {
        const char* name;
        std::wstring message, edit, ok, cancel;
        const wchar_t* click;  // null: Escape
        UINT result;
        bool okShown, cancelShown, editShown;
    };
    const Case cases[] = {
        { "notice", kUnsupported, L"", L"确定", L"", L"btn_ok", 2, true, false, false },
        { "confirmation", L"清空列表?", L"", L"确定", L"取消", L"btn_cancel", 2, true, true, false },
        { "job question", L"您的视频文件已合并完成，需要现在打开吗？", L"", L"取消", L"打开", L"btn_cancel", 1, true, true, false },
        { "with a message box", L"详情", L"第一行\n第二行", L"确定", L"", L"btn_ok", 2, true, false, true },
        { "nothing but the message, closed", kUnsupported, L"", L"", L"", L"closebtn", 2, false, false, false },
        { "nothing but the message, Escape", kUnsupported, L"", L"", L"", nullptr, 0, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMessageWnd* box = Open(c.message, c.edit, c.ok, c.cancel);
        ASSERT_NE(Find(box, L"msg_text"), nullptr);
        EXPECT_TRUE(Find(box, L"msg_text")->IsVisible());
        EXPECT_EQ(std::wstring(Find(box, L"msg_text")->GetText().GetData()), c.message);
        EXPECT_EQ(Find(box, L"btn_ok")->IsVisible(), c.okShown);
        EXPECT_EQ(Find(box, L"btn_cancel")->IsVisible(), c.cancelShown);
        EXPECT_EQ(Find(box, L"msg_edit")->IsVisible(), c.editShown);
        if (c.okShown) {
            EXPECT_EQ(std::wstring(Find(box, L"btn_ok")->GetText().GetData()), c.ok);
        }
        if (c.click)
            ClickControl(Find(box, c.click));
        else
            hl::PressKey(VK_ESCAPE);
        hl::PressKey(VK_RETURN);  // swallowed: it must not end the box or change its answer
        EXPECT_EQ(box->ShowModal(), c.result);  // the box is gone afterwards
    }
}

TEST_F(MessageWndTest, SkinsAndTheFileNoticeStyle)
{
    CMessageWnd* exitQuestion = Open(L"您确定", L"", L"确定", L"取消");
    EXPECT_EQ(Find(exitQuestion, L"msg_edit"), nullptr) << "the exit question has its own skin";
    EXPECT_EQ(Find(exitQuestion, L"msg_text"), nullptr);
    ClickControl(Find(exitQuestion, L"btn_ok"));
    EXPECT_EQ(exitQuestion->ShowModal(), 2u);

    CMessageWnd* notice = Open(L"当前文件为 a.mp4", L"", L"继续", L"取消");
    ASSERT_NE(Find(notice, L"msg_edit"), nullptr) << "any other message uses message.xml";
    SkinUI::CControlUI* cancel = Find(notice, L"btn_cancel");
    EXPECT_EQ(cancel->GetFixedWidth(), 97);
    EXPECT_EQ(cancel->GetFixedHeight(), 34);
    EXPECT_EQ(Find(notice, L"btn_ok")->GetFixedWidth(), 120);
    EXPECT_EQ(cancel->GetParent()->GetPadding().top, 17);
    ClickControl(cancel);
    EXPECT_EQ(notice->ShowModal(), 1u);
}

TEST_F(MessageWndTest, JobQuestionIsShownByTheUiThreadWhileTheJobWaits)
{
    const std::string program = FreshFolder("program");
    const std::string data = FreshFolder("data");
    auto* main = new CMainWnd();
    main->m_strAppFolder = AnsiToWide(program) + L"/";
    main->m_strDataFolder = AnsiToWide(data) + L"/";
    ASSERT_NE(main->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
    hl::PumpMessages();

    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<DWORD> boxThread { 0 };
    std::atomic<bool> boxOwnedByMain { false };
    std::atomic<int> answer { -1 };
    // Stands in for the user: waits for the box, notes who owns it, and presses Escape in it.
    // Both waits are bounded generously: on a loaded machine the box can take seconds to come.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::thread user([&] {
        HWND box = nullptr;
        while (!box && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            box = ::FindWindow(L"message_wnd", nullptr);
        }
        if (!box)
            return;
        boxThread = ::GetWindowThreadProcessId(box, nullptr);
        boxOwnedByMain = ::GetWindow(box, GW_OWNER) == main->GetHWND();
        ::PostMessage(box, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    std::thread job([&] { answer = main->AskUser(L"您的视频文件已剪切完成，需要现在打开吗？", L"取消", L"打开"); });
    while (answer < 0 && std::chrono::steady_clock::now() < until) {
        hl::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    job.join();
    user.join();
    EXPECT_EQ(answer.load(), 0) << "Escape's answer reached the job";
    EXPECT_EQ(boxThread.load(), uiThread);
    EXPECT_TRUE(boxOwnedByMain.load());
    EXPECT_TRUE(::IsWindowEnabled(main->GetHWND()));

    ::DestroyWindow(main->GetHWND());
    hl::PumpMessages();
    if (main->WaitForWorkers(5000))
        delete main;
}
