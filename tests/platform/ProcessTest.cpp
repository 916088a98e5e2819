#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Started {
    PROCESS_INFORMATION info {};
    ~Started()
    {
        if (info.hProcess) {
            TerminateProcess(info.hProcess, 0);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
};

bool Start(const std::wstring& commandLine, Started& out, HANDLE output = nullptr)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    if (output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
        &startup, &out.info);
}

// Runs the command with standard output and error on one pipe; returns everything it printed.
std::string RunAndRead(const std::wstring& commandLine, DWORD* exitCode)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    Started run;
    const bool started = Start(commandLine, run, writeEnd);
    CloseHandle(writeEnd);  // only the child writes now, so the read end sees the end of its output
    std::string output;
    char chunk[2048];
    DWORD got = 0;
    while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr))
        output.append(chunk, got);
    EXPECT_TRUE(!started || GetLastError() == ERROR_BROKEN_PIPE);
    CloseHandle(readEnd);
    if (started) {
        EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
        GetExitCodeProcess(run.info.hProcess, exitCode);
    }
    return output;
}

}  // namespace

TEST(CommandLine, SplitsByWindowsRules)
{
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> want;
    };
    const Case cases[] = {
        { L"ffmpeg.exe -i in.mp4 out.mp4", { L"ffmpeg.exe", L"-i", L"in.mp4", L"out.mp4" } },
        { L"  prog   a\t b  ", { L"prog", L"a", L"b" } },
        { L"\"C:\\Program Files\\x.exe\" \"two words\"", { L"C:\\Program Files\\x.exe", L"two words" } },
        { L"p a\\\\\\\"b \"c\\\\\" d", { L"p", L"a\\\"b", L"c\\", L"d" } },  // 2n+1 and 2n backslashes before a quote
        { L"p a\\\\b c\\", { L"p", L"a\\\\b", L"c\\" } },                   // backslashes not before a quote stay
        { L"p \"\" x \"\"\"\"", { L"p", L"", L"x", L"\"" } },               // empty argument; "" inside quotes
        { L"p \"a\"\"b\" say\\\"hi\\\"", { L"p", L"a\"b", L"say\"hi\"" } },
        { L"p ab\"c d\"e", { L"p", L"abc de" } },                           // quotes inside an argument
        { L"\"C:\\dir\\\" next", { L"C:\\dir\\", L"next" } },               // the program takes no backslash rules
        { L"ffmpeg -i \"D:\\视频\\剪辑 1.mp4\" -vf \"scale=320:-2\"", { L"ffmpeg", L"-i", L"D:\\视频\\剪辑 1.mp4", L"-vf", L"scale=320:-2" } },
        { L"   ", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line index " << (&c - cases));
        EXPECT_EQ(platform::SplitCommandLine(c.line), c.want);
    }
}

TEST(Processes, FfmpegVersionThroughThePipe)
{
    DWORD exitCode = 1;
    const std::string output = RunAndRead(L"ffmpeg.exe -version", &exitCode);
    EXPECT_NE(output.find("ffmpeg version"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 0u);
}

TEST(Processes, OutputAndErrorShareThePipeAndExitCodeIsKept)
{
    DWORD exitCode = 0;
    const std::string output = RunAndRead(L"sh -c \"echo out; echo err >&2; exit 3\"", &exitCode);
    EXPECT_NE(output.find("out\n"), std::string::npos) << output;
    EXPECT_NE(output.find("err\n"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 3u);
}

TEST(Processes, ChildSeesOnlyItsStandardHandles)
{
    const int leaked = open("/dev/null", O_RDONLY);  // no close-on-exec: the layer must still keep it back
    ASSERT_GE(leaked, 3);
    const std::wstring probe = L"sh -c \"[ -e /proc/$$/fd/" + std::to_wstring(leaked)
        + L" ] && echo leaked; readlink /proc/$$/fd/0\"";
    DWORD exitCode = 1;
    const std::string output = RunAndRead(probe, &exitCode);
    close(leaked);
    EXPECT_EQ(output, "/dev/null\n");
}

TEST(Processes, MissingProgramFailsCleanly)
{
    Started run;
    EXPECT_FALSE(Start(L"no-such-encoder-4711.exe -version", run));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(run.info.hProcess, nullptr);
    EXPECT_FALSE(Start(L"", run));
}

TEST(Processes, TerminateSetsTheExitCodeOnce)
{
    Started run;
    ASSERT_TRUE(Start(L"sleep.exe 30", run));
    EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 0), WAIT_TIMEOUT);
    DWORD code = 0;
    GetExitCodeProcess(run.info.hProcess, &code);
    EXPECT_EQ(code, STILL_ACTIVE);

    HANDLE byId = OpenProcess(PROCESS_TERMINATE, FALSE, run.info.dwProcessId);
    ASSERT_NE(byId, nullptr);
    EXPECT_TRUE(TerminateProcess(byId, 9));
    CloseHandle(byId);
    EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
    GetExitCodeProcess(run.info.hProcess, &code);
    EXPECT_EQ(code, 9u);
    EXPECT_FALSE(TerminateProcess(run.info.hProcess, 1)) << "an ended process cannot be terminated";
}

TEST(Processes, ChildrenAreReapedWithoutAWait)
{
    Started run;
    ASSERT_TRUE(Start(L"true", run));
    const std::string proc = "/proc/" + std::to_string(run.info.dwProcessId);
    CloseHandle(run.info.hProcess);
    CloseHandle(run.info.hThread);
    run.info.hProcess = nullptr;
    struct stat info {};
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        gone = stat(proc.c_str(), &info) != 0;
        if (!gone)
            Sleep(10);
    }
    EXPECT_TRUE(gone) << "the exited child stayed a zombie";
}

TEST(Processes, SnapshotHoldsOnlyOurDescendants)
{
    Started run;
    ASSERT_TRUE(Start(L"sleep 30", run));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof entry;
    std::set<DWORD> family { GetCurrentProcessId() };
    bool sawChild = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        EXPECT_TRUE(family.count(entry.th32ParentProcessID)) << "pid " << entry.th32ProcessID << " is not ours";
        family.insert(entry.th32ProcessID);
        if (entry.th32ProcessID == run.info.dwProcessId) {
            sawChild = true;
            EXPECT_STREQ(entry.szExeFile, L"sleep.exe");
        }
    }
    EXPECT_TRUE(sawChild);
    EXPECT_EQ(family.count(static_cast<DWORD>(getppid())), 0u);
    CloseHandle(snapshot);
}

TEST(Processes, GrandchildrenOpenedByIdCanBeWaitedForAndEnded)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    Started shell;
    ASSERT_TRUE(Start(L"sh -c \"sleep 30 & echo $!; wait\"", shell, writeEnd));
    CloseHandle(writeEnd);
    char text[32] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(readEnd, text, sizeof text - 1, &got, nullptr));
    const DWORD grandchild = static_cast<DWORD>(atoi(text));
    ASSERT_GT(grandchild, 0u);

    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, grandchild);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(WaitForSingleObject(opened, 30), WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateProcess(opened, 5));
    EXPECT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0) << "the end of a process we did not start is seen too";
    DWORD code = 0;
    GetExitCodeProcess(opened, &code);
    EXPECT_EQ(code, 5u);
    CloseHandle(opened);
    EXPECT_EQ(WaitForSingleObject(shell.info.hProcess, 10000), WAIT_OBJECT_0) << "the shell ends once its child is gone";
    CloseHandle(readEnd);

    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
