// The desktop's open-file, folder and colour dialogs: the zenity command each one runs and the
// Windows-shaped answer made from what zenity prints.

#include "platform/CommDlg.h"
#include "platform/WinBase.h"
#include "platform/base/Path.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/window/Zenity.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const wchar_t kVideoFilter[] = L"Videos\0*.mp4;*.mkv;\0Pictures\0*.png\0";

// Answers every dialog with a prepared exit code and output, and records each command.
class DesktopDialogsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::headless::Use());
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = L"DialogOwnerWnd";
        ASSERT_TRUE(RegisterClassEx(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
        m_owner = CreateWindowEx(0, L"DialogOwnerWnd", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        platform::SetDesktopDialogHook([this](const std::vector<std::string>& command, std::string& output) {
            m_commands.push_back(command);
            m_ownerEnabledDuringDialog = IsWindowEnabled(m_owner);
            output = m_output;
            return m_exitCode;
        });
    }
    void TearDown() override
    {
        platform::SetDesktopDialogHook(nullptr);
        DestroyWindow(m_owner);
    }

    bool Ran(const std::string& argument) const
    {
        return !m_commands.empty() && std::count(m_commands.back().begin(), m_commands.back().end(), argument) == 1;
    }

    OPENFILENAMEW OpenFile(DWORD flags)
    {
        OPENFILENAMEW ofn {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = m_owner;
        ofn.lpstrTitle = L"请选择要添加的文件:";
        ofn.lpstrFilter = kVideoFilter;
        ofn.lpstrFile = m_buffer;
        ofn.nMaxFile = static_cast<DWORD>(std::size(m_buffer));
        ofn.Flags = flags;
        return ofn;
    }

    HWND m_owner { nullptr };
    std::vector<std::vector<std::string>> m_commands;
    std::string m_output;
    int m_exitCode { 0 };
    BOOL m_ownerEnabledDuringDialog { TRUE };
    wchar_t m_buffer[512] {};
};

constexpr DWORD kSingle = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
constexpr DWORD kMultiple = kSingle | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;

}  // namespace

TEST_F(DesktopDialogsTest, SingleFileComesBackAsItsPathWithNameAndExtensionOffsets)
{
    m_output = "/home/u/My Clips/片段 1.MP4\n";
    OPENFILENAMEW ofn = OpenFile(kSingle);
    ofn.lpstrInitialDir = L"/home/u/My Clips";
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_STREQ(m_buffer, L"/home/u/My Clips/片段 1.MP4");
    EXPECT_STREQ(m_buffer + ofn.nFileOffset, L"片段 1.MP4");
    EXPECT_STREQ(m_buffer + ofn.nFileExtension, L"MP4");
    EXPECT_FALSE(m_ownerEnabledDuringDialog) << "the dialog is modal for its owner";
    EXPECT_TRUE(IsWindowEnabled(m_owner));
    EXPECT_TRUE(Ran("--title=请选择要添加的文件:"));
    EXPECT_TRUE(Ran("--filename=/home/u/My Clips/"));
    EXPECT_TRUE(Ran("--file-filter=Videos | *.[mM][pP]4 *.[mM][kK][vV]")) << "patterns match either case, as on Windows";
    EXPECT_TRUE(Ran("--file-filter=Pictures | *.[pP][nN][gG]"));
    EXPECT_FALSE(Ran("--multiple"));
}

namespace {

// The folder and the files of a choice, read as the callers read the buffer: the text before the
// first name's offset (up to its NUL) is the folder, each name up to the empty one joins it.
std::pair<std::wstring, std::vector<std::wstring>> ReadChoice(const wchar_t* buffer, WORD fileOffset)
{
    std::wstring folder(buffer, std::min<size_t>(fileOffset, std::wcslen(buffer)));
    const std::wstring base = !folder.empty() && folder.back() == L'/' ? folder : folder + L'/';
    std::vector<std::wstring> files;
    for (const wchar_t* name = buffer + fileOffset; *name; name += std::wcslen(name) + 1)
        files.push_back(base + name);
    return { folder, files };
}

}  // namespace

TEST_F(DesktopDialogsTest, MultipleChoiceGivesAFolderAndNamesThatJoinToEveryChosenFile)
{
    char here[4096] = {};
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const std::wstring cwd = platform::ToWidePath(here);
    struct Case {
        std::string output;
        std::wstring folder;
        std::vector<std::wstring> files;
    };
    const Case cases[] = {
        { "/v/a.mp4\n", L"/v/", { L"/v/a.mp4" } },  // one file: its path
        { "/v/a.mp4///v/b c.mkv\n", L"/v", { L"/v/a.mp4", L"/v/b c.mkv" } },
        { "/v/x/a.mp4///v/y/b.mp4\n", L"/v", { L"/v/x/a.mp4", L"/v/y/b.mp4" } },  // from two folders
        { "/v/ab/a.mp4///v/a/b.mp4\n", L"/v", { L"/v/ab/a.mp4", L"/v/a/b.mp4" } },  // one folder name starts the other
        { "/home/u/a.mp4///media/b.mp4\n", L"/", { L"/home/u/a.mp4", L"/media/b.mp4" } },  // nothing shared but the root
        { "/a.mp4///b.mp4\n", L"/", { L"/a.mp4", L"/b.mp4" } },  // files in the root
        { "/v/a.mp4/////w/b.mp4//\n", L"/", { L"/v/a.mp4", L"/w/b.mp4" } },  // empty entries are no files
        { "clip.mp4//" + std::string(here) + "/b.mp4\n", cwd, { cwd + L"/clip.mp4", cwd + L"/b.mp4" } },  // relative: to the working folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        std::fill(std::begin(m_buffer), std::end(m_buffer), L'#');
        m_buffer[0] = L'\0';
        m_output = c.output;
        OPENFILENAMEW ofn = OpenFile(kMultiple);
        ASSERT_TRUE(GetOpenFileNameW(&ofn));
        const auto [folder, files] = ReadChoice(m_buffer, ofn.nFileOffset);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(files, c.files);
        EXPECT_TRUE(Ran("--multiple"));
        EXPECT_TRUE(Ran("--separator=//"));
    }
    m_output = "//\n";  // nothing usable chosen: as a cancel
    OPENFILENAMEW ofn = OpenFile(kMultiple);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(DesktopDialogsTest, CancelFailureAndShortBufferReturnFalse)
{
    struct Case {
        int exitCode;
        std::string output;
        DWORD bufferSize;
        DWORD error;
    };
    const Case cases[] = {
        { 1, "", 512, 0 },                                   // cancelled
        { -1, "", 512, CDERR_INITIALIZATION },              // zenity could not run
        { 0, "/v/a-long-name.mp4\n", 8, FNERR_BUFFERTOOSMALL },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exitCode);
        m_exitCode = c.exitCode;
        m_output = c.output;
        m_buffer[0] = L'\0';
        OPENFILENAMEW ofn = OpenFile(kMultiple);
        ofn.nMaxFile = c.bufferSize;
        EXPECT_FALSE(GetOpenFileNameW(&ofn));
        EXPECT_EQ(CommDlgExtendedError(), c.error);
        EXPECT_TRUE(IsWindowEnabled(m_owner));
        if (c.error == FNERR_BUFFERTOOSMALL)
            EXPECT_EQ(static_cast<DWORD>(m_buffer[0]), 20u) << "the size needed, as Windows reports it";
        else
            EXPECT_EQ(m_buffer[0], L'\0');
    }
}

namespace {

int SelectStartFolder(HWND browser, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED)
        SendMessage(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

TEST_F(DesktopDialogsTest, FolderBrowserOpensAtTheCallbacksSelectionAndReturnsTheFolder)
{
    wchar_t start[MAX_PATH] = L"C:\\";
    BROWSEINFOW info {};
    info.hwndOwner = m_owner;
    info.pszDisplayName = start;
    info.lpszTitle = L"请选择目录";
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    info.lpfn = SelectStartFolder;
    info.lParam = reinterpret_cast<LPARAM>(start);
    m_output = "/home/u/输出 folder\n";
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(Ran("--directory"));
    EXPECT_TRUE(Ran("--title=请选择目录"));
    std::string home = platform::HomeFolder();
    if (home.back() != '/')
        home += '/';
    EXPECT_TRUE(Ran("--filename=" + home)) << "a drive root is the home folder";
    wchar_t path[MAX_PATH] {};
    EXPECT_TRUE(SHGetPathFromIDListW(item, path));
    EXPECT_STREQ(path, L"/home/u/输出 folder");
    EXPECT_STREQ(start, L"输出 folder") << "the display name is the folder's own name";
    CoTaskMemFree(item);

    m_exitCode = 1;
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
}

TEST_F(DesktopDialogsTest, ColourDialogStartsAtTheColourAndReadsEveryAnswerForm)
{
    struct Case {
        std::string output;
        BOOL chosen;
        COLORREF colour;
    };
    const Case cases[] = {
        { "rgb(255,128,0)\n", TRUE, RGB(255, 128, 0) },
        { "rgba(10,20,30,0.5)\n", TRUE, RGB(10, 20, 30) },
        { "#0a141e\n", TRUE, RGB(10, 20, 30) },
        { "rgb(300,0,0)\n", FALSE, RGB(1, 2, 3) },  // out of range: nothing changes
        { "blue\n", FALSE, RGB(1, 2, 3) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        m_output = c.output;
        CHOOSECOLORW cc {};
        COLORREF custom[16] {};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = m_owner;
        cc.rgbResult = RGB(1, 2, 3);
        cc.lpCustColors = custom;
        cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
        EXPECT_EQ(ChooseColorW(&cc), c.chosen);
        EXPECT_EQ(cc.rgbResult, c.colour);
        EXPECT_TRUE(Ran("--color=rgb(1,2,3)"));
    }
}

TEST_F(DesktopDialogsTest, WithoutHookTheHeadlessDisplayCancels)
{
    platform::SetDesktopDialogHook(nullptr);
    OPENFILENAMEW ofn = OpenFile(kSingle);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_TRUE(m_commands.empty());
}

TEST(ZenityRunner, ReportsExitCodeAndOutputOfTheProgram)
{
    ASSERT_TRUE(platform::headless::Use());  // the runner serves the thread's messages meanwhile
    std::string output;
    EXPECT_EQ(platform::RunZenity({ "printf", "/v/a b.mp4//%s\\n", "/v/c.mp4" }, &output), 0);
    EXPECT_EQ(output, "/v/a b.mp4///v/c.mp4\n");
    EXPECT_EQ(platform::RunZenity({ "false" }), 1);
    EXPECT_EQ(platform::RunZenity({ "/nonexistent/zenity" }), -1);
}

// GTK refuses the dialogs' Chinese titles outside a UTF-8 locale, so a program started with no
// locale must still hand its dialogs one; a locale the user chose is left alone.
TEST(ZenityRunner, TheDialogAlwaysRunsInAUtf8Locale)
{
    ASSERT_TRUE(platform::headless::Use());
    struct Case { const char* lcAll; const char* lang; const char* want; };
    const Case cases[] = {
        { nullptr, nullptr, "C.UTF-8" },            // started with env -i: no locale at all
        { nullptr, "C", "C.UTF-8" },                // a locale that cannot hold the titles
        { nullptr, "de_DE.UTF-8", "" },             // the user's own UTF-8 locale stays
        { "zh_CN.utf8", nullptr, "zh_CN.utf8" },
    };
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : { "LC_ALL", "LC_CTYPE", "LANG" }) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value ? value : "");
        unsetenv(name);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "LC_ALL=" << (c.lcAll ? c.lcAll : "-") << " LANG=" << (c.lang ? c.lang : "-"));
        c.lcAll ? setenv("LC_ALL", c.lcAll, 1) : unsetenv("LC_ALL");
        c.lang ? setenv("LANG", c.lang, 1) : unsetenv("LANG");
        std::string output;
        EXPECT_EQ(platform::RunZenity({ "sh", "-c", "printf %s \"$LC_ALL\"" }, &output), 0);
        EXPECT_EQ(output, c.want);
    }
    for (const auto& [name, value] : saved)
        value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
}
