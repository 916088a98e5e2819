#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what the shell would run and answers with the prepared results, in order.
class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetShellCommandHook([this](const std::vector<std::string>& command) {
            m_commands.push_back(command);
            const bool answer = m_answers.empty() ? true : m_answers.front();
            if (!m_answers.empty())
                m_answers.erase(m_answers.begin());
            return answer;
        });
    }
    void TearDown() override { platform::SetShellCommandHook(nullptr); }

    static intptr_t Result(HINSTANCE instance) { return reinterpret_cast<intptr_t>(instance); }

    std::vector<std::vector<std::string>> m_commands;
    std::vector<bool> m_answers;
};

}  // namespace

TEST_F(ShellTest, ExplorerSelectAsksTheFileManagerOverDBus)
{
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", L"explorer",
        L" /select, \"/home/u/Tessaly/out 1,中.mp4\"", nullptr, 10);
    EXPECT_GT(Result(result), 32);
    ASSERT_EQ(m_commands.size(), 1u);
    const std::vector<std::string>& call = m_commands[0];
    ASSERT_GE(call.size(), 3u);
    EXPECT_EQ(call[0], "dbus-send");
    EXPECT_EQ(call[call.size() - 3], "org.freedesktop.FileManager1.ShowItems");
    EXPECT_EQ(call[call.size() - 2], "array:string:file:///home/u/Tessaly/out%201%2C%E4%B8%AD.mp4")
        << "blank, comma and non-ASCII are escaped, so dbus-send sees one item";
}

TEST_F(ShellTest, FileManagerFailureFallsBackToOpeningTheFolder)
{
    m_answers = { false, true };
    EXPECT_GT(Result(ShellExecuteW(nullptr, L"open", L"explorer", L" /select, \"/data/clips/a.mp4\"", nullptr, 10)), 32);
    ASSERT_EQ(m_commands.size(), 2u);
    EXPECT_EQ(m_commands[1], (std::vector<std::string> { "xdg-open", "/data/clips" }));
}

TEST_F(ShellTest, VerbsAndTargets)
{
    EXPECT_LE(Result(ShellExecuteW(nullptr, L"runas", L"/tmp/setup.exe", L"", nullptr, 1)), 32) << "no elevation on Linux";
    EXPECT_LE(Result(ShellExecuteW(nullptr, L"print", L"/tmp/a.txt", nullptr, nullptr, 1)), 32);
    EXPECT_TRUE(m_commands.empty()) << "refused verbs run nothing";

    EXPECT_GT(Result(ShellExecuteW(nullptr, L"open", L"https://example.org/a", nullptr, nullptr, 1)), 32);
    EXPECT_GT(Result(ShellExecuteW(nullptr, nullptr, L"C:\\clips\\a.mp4", nullptr, nullptr, 1)), 32);
    EXPECT_GT(Result(ShellExecuteW(nullptr, L"open", L"sleep.exe", L"1 \"two words\"", nullptr, 1)), 32);
    ASSERT_EQ(m_commands.size(), 3u);
    EXPECT_EQ(m_commands[0], (std::vector<std::string> { "xdg-open", "https://example.org/a" }));
    EXPECT_EQ(m_commands[1][0], "xdg-open");
    EXPECT_EQ(m_commands[1][1].substr(m_commands[1][1].size() - 12), "/clips/a.mp4");
    ASSERT_EQ(m_commands[2].size(), 3u) << "a program is started with its split parameters";
    EXPECT_NE(m_commands[2][0].find("sleep"), std::string::npos);
    EXPECT_EQ(m_commands[2][2], "two words");
}

TEST(Shell, StartsAProgramAndKeepsItsHandle)
{
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = L"true.exe";
    ASSERT_TRUE(ShellExecuteExW(&info));
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hProcess);
}
