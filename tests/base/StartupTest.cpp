#include "editor/app/MainThread.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

extern char** environ;

namespace {

// A fresh folder for the child's HOME and TMPDIR, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-startup-XXXXXX";
        m_root = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    const std::string& root() const { return m_root; }

private:
    std::string m_root;
};

// Runs this program again as the editor; its exit status, stderr into `errors`.
int RunEditorChild(const std::string& home, const std::string& errors)
{
    std::vector<std::string> env { "QUILL_STARTUP_CHILD=1", "QUILL_BACKEND=headless", "HOME=" + home, "TMPDIR=" + home };
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe", filter = "--gtest_filter=Startup.MissingSkinArchiveEndsWithCodeOne";
    char* argv[] = { self.data(), filter.data(), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

LRESULT Plain(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND EditorLookalike(const wchar_t* title)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Plain;
    wc.lpszClassName = L"Quillmoor";
    RegisterClassEx(&wc);
    return CreateWindowEx(0, L"Quillmoor", title, WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                          nullptr);
}

}  // namespace

// This program carries no skin archive: the editor must say so and end with code 1 instead of
// running a loop without a window. The editor runs in a child process of its own.
TEST(Startup, MissingSkinArchiveEndsWithCodeOne)
{
    if (std::getenv("QUILL_STARTUP_CHILD"))
        std::exit(RunEditor(::GetModuleHandle(nullptr)));
    ScratchFolder home;
    ASSERT_FALSE(home.root().empty());
    std::filesystem::create_directory(home.root() + "/Desktop");  // the log folder goes on its drive
    const std::string errors = home.root() + "/errors.txt";
    const int status = RunEditorChild(home.root(), errors);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadAll(errors).find("skin archive"), std::string::npos) << ReadAll(errors);
    EXPECT_TRUE(std::filesystem::is_directory(home.root() + "/Doziz"));
}

TEST(Startup, FindExistingInstanceBringsTheFirstEditorIntoView)
{
    ASSERT_TRUE(platform::headless::Use());
    EXPECT_FALSE(FindExistingInstance(L"Quillmoor", L"Tessaly"));

    HWND other = EditorLookalike(L"Something else");
    EXPECT_FALSE(FindExistingInstance(L"Quillmoor", L"Tessaly"));  // another title is not the editor

    HWND first = EditorLookalike(L"Tessaly");
    ShowWindow(first, SW_MINIMIZE);
    EXPECT_TRUE(FindExistingInstance(L"Quillmoor", L"Tessaly"));
    EXPECT_FALSE(IsIconic(first));
    MSG msg {};
    EXPECT_FALSE(PeekMessage(&msg, first, 8885, 8885, PM_REMOVE));  // restored, nothing posted

    EXPECT_TRUE(FindExistingInstance(L"Quillmoor", L"Tessaly"));
    EXPECT_TRUE(PeekMessage(&msg, first, 8885, 8885, PM_REMOVE));   // visible: told by message 8885
    DestroyWindow(first);
    DestroyWindow(other);
}
