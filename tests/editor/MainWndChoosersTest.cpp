// The main window's file and folder choosers, answered by the desktop-dialog test hook.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "MainWndFixture.h"
#include "platform/CommDlg.h"

namespace {

class MainWndChoosersTest : public MainWndFixture {
protected:
    void Answer(int exitCode, std::string output)
    {
        platform::SetDesktopDialogHook([exitCode, output](const std::vector<std::string>&, std::string& out) {
            out = output;
            return exitCode;
        });
    }
    void TearDown() override
    {
        platform::SetDesktopDialogHook(nullptr);
        MainWndFixture::TearDown();
    }
    std::vector<std::wstring> Chosen()
    {
        std::vector<std::wstring> paths;
        for (const SkinUI::CUIString& path : m_window->m_vecChosenFiles)
            paths.emplace_back(path.GetData());
        return paths;
    }
};

}  // namespace

TEST_F(MainWndChoosersTest, MediaFilesAreAppendedInOrderAndCancelKeepsThem)
{
    CMainWnd& w = Open();
    char before[4096] = {};
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    Answer(0, "/v/a.mp4\n");
    EXPECT_EQ(std::wstring(w.ChooseMediaFiles(true).GetData()), L"/v/a.mp4");
    Answer(0, "/a.mp4///b.mp4///c d.mkv\n");
    EXPECT_EQ(std::wstring(w.ChooseMediaFiles(true).GetData()), L"/c d.mkv");
    EXPECT_EQ(Chosen(), (std::vector<std::wstring> { L"/v/a.mp4", L"/a.mp4", L"/b.mp4", L"/c d.mkv" }));
    Answer(1, "");
    EXPECT_TRUE(w.ChooseMediaFiles(true).IsEmpty());
    EXPECT_EQ(Chosen().size(), 4u);
    Answer(0, "/v/one.mp4\n");
    EXPECT_EQ(std::wstring(w.ChooseMediaFiles(false).GetData()), L"/v/one.mp4");
    EXPECT_EQ(Chosen().size(), 4u) << "a single choice is returned, not collected";
    char after[4096] = {};
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST_F(MainWndChoosersTest, AChosenFolderGivesEveryFileBelowItWithoutChangingTheWorkingFolder)
{
    CMainWnd& w = Open();
    const std::string root = FreshFolder("clips");
    std::filesystem::create_directories(root + "/inner/deeper");
    for (const char* file : { "/a.mp4", "/inner/b.mkv", "/inner/deeper/c.avi" })
        WriteFileText(root + file, "x");
    char before[4096] = {};
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    Answer(0, root + "\n");
    w.ChooseFolder();
    std::vector<std::wstring> chosen = Chosen();
    std::sort(chosen.begin(), chosen.end());
    const std::wstring base = AnsiToWide(root);
    EXPECT_EQ(chosen, (std::vector<std::wstring> { base + L"/a.mp4", base + L"/inner/b.mkv", base + L"/inner/deeper/c.avi" }));
    char after[4096] = {};
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
    Answer(1, "");
    w.ChooseFolder();
    EXPECT_EQ(Chosen().size(), 3u);
}
