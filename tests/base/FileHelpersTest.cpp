#include "base/BindCallback.h"
#include "base/FileHelpers.h"
#include "base/SDKInstance.h"

#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path FreshFolder()
{
    const char* outer = getenv("TMPDIR");
    std::string pattern = std::string(outer && *outer ? outer : "/tmp") + "/quill-files-XXXXXX";
    return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
}

HANDLE StartSleep()
{
    std::wstring line = L"sleep.exe 30";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

// A "sleep" that is not our descendant: started through a short-lived middle process in a session
// of its own, so it belongs to init (or a subreaper), the way another program's process would.
pid_t StartOutsiderSleep()
{
    int link[2];
    if (pipe(link) != 0)
        return -1;
    const pid_t middle = fork();
    if (middle == 0) {
        setsid();
        const pid_t outsider = fork();
        if (outsider == 0) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        const ssize_t ignored = write(link[1], &outsider, sizeof outsider);
        _exit(ignored == sizeof outsider ? 0 : 1);
    }
    close(link[1]);
    pid_t outsider = -1;
    if (read(link[0], &outsider, sizeof outsider) != sizeof outsider)
        outsider = -1;
    close(link[0]);
    waitpid(middle, nullptr, 0);
    return outsider;
}

bool IsRunning(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// Counts how often the platform is asked for an export.
class CountingInstance : public testdll::SDKInstance {
public:
    CountingInstance()
    {
        m_resolver = [this](const char* name) -> void* {
            ++asked;
            return std::string(name) == "found" ? this : nullptr;
        };
    }
    int asked = 0;
};

struct Progress : ProgressDisplay {
    int maximum = -1, value = -1;
    void SetMaxValue(int m) override { maximum = m; }
    void SetValue(int v) override { value = v; }
};

struct Label : TextDisplay {
    std::wstring text;
    void SetText(const wchar_t* t) override { text = t; }
};

}  // namespace

TEST(FileHelpers, VideoFilesByExtension)
{
    struct Case {
        const wchar_t* path;
        bool video;
    };
    const Case cases[] = {
        { L"D:\\clips\\A.MKV", true }, { L"movie.TS", true }, { L"/home/u/x.qsv", true },
        { L"movie.tsx", false }, { L"movie", false }, { L"movie.", false },
        { L"D:\\dir.mp4\\readme", false }, { L"C:\\v\\a.M2TS", true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsVideoFileName(c.path), c.video) << fs::path(c.path).string();
    EXPECT_FALSE(ExtensionListedIn(nullptr, kVideoFileFilter));
    EXPECT_FALSE(ExtensionListedIn(L"a.mp4", nullptr));
    EXPECT_TRUE(ExtensionListedIn(L"a.PNG", L"*.png;*.bmp;"));
}

TEST(FileHelpers, CollectFilesWalksTheTreeAndComesBack)
{
    const fs::path root = FreshFolder();
    ASSERT_FALSE(root.empty());
    fs::create_directories(root / "a" / "b");
    fs::create_directories(root / "empty");
    for (const fs::path& file : { root / "top.mp4", root / "a" / "one.mkv", root / "a" / "b" / "deep.ts" })
        std::ofstream(file) << "x";
    fs::create_directory_symlink(root / "a", root / "a" / "b" / "loop");  // would walk in circles

    const fs::path previous = fs::current_path();
    fs::current_path(root);
    std::vector<std::wstring> files { L"kept" };
    CollectFilesRecursively(files);
    EXPECT_EQ(fs::current_path(), fs::canonical(root)) << "the walk ends where it started";
    fs::current_path(previous);

    std::sort(files.begin(), files.end());
    const std::wstring base = fs::canonical(root).wstring();
    const std::vector<std::wstring> want { base + L"/a/b/deep.ts", base + L"/a/one.mkv", base + L"/top.mp4", L"kept" };
    EXPECT_EQ(files, want);
    fs::remove_all(root);
}

TEST(FileHelpers, KillByNameReachesOnlyOurOwnProcesses)
{
    HANDLE first = StartSleep(), second = StartSleep();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const pid_t outsider = StartOutsiderSleep();
    ASSERT_GT(outsider, 0);
    ASSERT_TRUE(IsRunning(outsider));

    EXPECT_TRUE(KillProcessesByName(L"SLEEP.EXE", L""));
    const HANDLE both[] = { first, second };
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(first, &code);
    EXPECT_EQ(code, 0u) << "terminated with exit code 0";
    EXPECT_TRUE(IsRunning(outsider)) << "another program's process must survive";
    EXPECT_FALSE(KillProcessesByName(L"sleep.exe")) << "nothing of ours is left";
    EXPECT_FALSE(KillProcessesByName(L""));

    kill(outsider, SIGKILL);  // the test ends the process it started, by id
    CloseHandle(first);
    CloseHandle(second);
}

TEST(FileHelpers, KillByNameHonoursThePathFilterAndIdZero)
{
    HANDLE child = StartSleep();
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(KillProcessesByName(L"sleep.exe", L"/no/such/folder/"));
    EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(KillProcessesByName(L"sleep.exe", L"sleep"));
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(TerminateProcessById(0));
    CloseHandle(child);
}

TEST(FileHelpers, KillByNameMatchesTheWholeNameOnly)
{
    HANDLE child = StartSleep();
    ASSERT_NE(child, nullptr);
    for (const wchar_t* near : { L"slee", L"sleep.exe.old", L"leep.exe" }) {
        EXPECT_FALSE(KillProcessesByName(near)) << near << " was taken for sleep.exe";
        EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_TIMEOUT) << near << " ended the sleep child";
    }
    EXPECT_TRUE(KillProcessesByName(L"Sleep.EXE"));
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    CloseHandle(child);
}

TEST(SDKInstance, LoadsFromTheProgramFolderAndCachesFoundFunctions)
{
    testdll::SDKInstance missing;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(missing.LoadModule(".\\no-such-helper.dll"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LoadLibraryA error: 126\n");
    EXPECT_EQ(missing.FindFunction("http_init"), nullptr);
    EXPECT_FALSE(missing.LoadModule(""));

    testdll::SDKInstance loader;
    ASSERT_TRUE(loader.LoadModule(".\\quilltestlib.dll"));
    void* answer = loader.FindFunction("quill_test_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(reinterpret_cast<int (*)()>(answer)(), 42);
    EXPECT_EQ(loader.FindFunction("quill_test_answer"), answer);
    EXPECT_EQ(loader.FindFunction("absent"), nullptr);
    EXPECT_EQ(loader.FindFunction("absent"), nullptr);
}

TEST(SDKInstance, MissingNamesAreAskedAgainFoundOnesOnce)
{
    CountingInstance instance;
    EXPECT_EQ(instance.FindFunction("absent"), nullptr);
    EXPECT_EQ(instance.FindFunction("absent"), nullptr);
    EXPECT_EQ(instance.asked, 2);
    void* found = instance.FindFunction("found");
    EXPECT_NE(found, nullptr);
    EXPECT_EQ(instance.FindFunction("found"), found);
    EXPECT_EQ(instance.asked, 3);
}

TEST(BindCallback, ProgressShowsThePercentage)
{
    CBindCallback callback;
    EXPECT_EQ(callback.OnProgress(1, 2, 0, nullptr), S_OK) << "without controls nothing happens";
    Progress bar;
    Label label;
    callback.SetProgressControl(&bar);
    EXPECT_EQ(callback.OnProgress(1500, 3000, 0, nullptr), S_OK);
    EXPECT_EQ(bar.maximum, 100);
    EXPECT_EQ(bar.value, -1) << "without a label only the maximum is set";
    callback.SetLabelControl(&label);
    struct Case {
        ULONG progress, maximum;
        int value;
        const wchar_t* text;
    };
    const Case cases[] = {
        { 1500, 3000, 50, L"50%" }, { 2999, 3000, 99, L"99%" }, { 3000, 3000, 100, L"100%" },
        { 4000000000u, 4000000000u, 100, L"100%" }, { 10, 0, 0, L"0%" },  // size not known yet
    };
    for (const Case& c : cases) {
        callback.OnProgress(c.progress, c.maximum, 0, nullptr);
        EXPECT_EQ(bar.value, c.value);
        EXPECT_EQ(label.text, c.text);
    }
    void* object = &callback;
    EXPECT_EQ(callback.QueryInterface(IID {}, &object), E_NOTIMPL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(callback.OnStopBinding(S_OK, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback.AddRef(), 0u);
}
