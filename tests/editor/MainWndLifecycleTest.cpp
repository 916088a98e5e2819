// The main window built from the real skin on the headless display: its start-up, its messages
// and its shut-down while an export's encoder is running.
#include "editor/mainwnd/MainWnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/VideoPup.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"

namespace hl = platform::headless;

namespace {

constexpr DWORD kStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;

bool InstallSkinArchive()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

// A stand-in encoder named as the real one ("ffmpeg": a copy of sleep), started through a script
// that writes its process id first.
std::wstring HangingEncoder(const std::string& folder, const std::string& pidFile)
{
    std::filesystem::copy_file("/bin/sleep", folder + "/ffmpeg", std::filesystem::copy_options::overwrite_existing);
    const std::string path = folder + "/run-encoder.sh";
    WriteFileText(path, "#!/bin/sh\necho $$ > \"" + pidFile + "\"\nprintf 'time=00:00:01.00 bitrate=1k\\r'\nexec \""
                            + folder + "/ffmpeg\" 3600\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return L"\"" + AnsiToWide(path) + L"\"";
}

bool ProcessGone(pid_t pid)
{
    for (int i = 0; i < 250; ++i) {
        if (kill(pid, 0) == -1 && errno == ESRCH)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class MainWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallSkinArchive());
        m_program = FreshFolder("program");
        m_data = FreshFolder("data");
        hl::SetMessageBoxAnswer(IDOK);
    }
    void TearDown() override
    {
        if (m_window && ::IsWindow(m_window->GetHWND()))
            ::DestroyWindow(m_window->GetHWND());
        hl::PumpMessages();
        if (m_window && m_window->WaitForWorkers(5000))
            delete m_window;
        hl::SetMonitorDpi(96);
        CancelFlag = 0;
    }
    CMainWnd& Open()
    {
        m_window = new CMainWnd();
        m_window->m_strAppFolder = AnsiToWide(m_program) + L"/";
        m_window->m_strDataFolder = AnsiToWide(m_data) + L"/";
        EXPECT_NE(m_window->Create(nullptr, L"Tessaly", kStyle, WS_EX_WINDOWEDGE), nullptr);
        hl::PumpMessages();
        return *m_window;
    }

    std::string m_program;
    std::string m_data;
    CMainWnd* m_window { nullptr };
};

}  // namespace

TEST(MainWndObject, BeforeStartUpEveryBoundMemberIsNull)
{
    CMainWnd main;
    int bound = 0;
#define QUILL_COUNT(name, iface) bound += main.m_p##name != nullptr;
    QUILL_MAINWND_BOUND_CONTROLS(QUILL_COUNT)
#undef QUILL_COUNT
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(main.m_nTextItemIndex + 1, 1001);  // the first text item is "Index1001"
    EXPECT_EQ(MainWindowPointer, &main);
    EXPECT_EQ(EndHandleLimit, 816);
}

TEST_F(MainWndTest, StartUpPreparesFoldersSettingsAndAccountAtEachScale)
{
    for (const UINT dpi : { 96u, 144u }) {
        SCOPED_TRACE(dpi);
        hl::SetMonitorDpi(dpi);
        WriteFileText(m_data + "/Config/History.xml", "");
        std::filesystem::create_directories(m_data + "/Config");
        WriteFileText(m_data + "/Config/History.xml",
                      "<root0><Element0 Data=\"2025-1-1\"/><Element3 OriPath=\"/a.mp4\"/></root0>");
        CMainWnd& main = Open();
        const int percent = static_cast<int>(dpi * 100 / 96);
        EXPECT_EQ(static_cast<int>(main.GetPaintManager().GetDPIObj()->GetScale()), percent);
        EXPECT_EQ(main.m_nPreviewWidth, (977 * percent + 50) / 100);
        EXPECT_EQ(main.m_nPreviewHeight, (360 * percent + 50) / 100);
        EXPECT_EQ(std::wstring(main.m_strEncoder.GetData()), L"\"" + main.m_strAppFolder + L"Encoder/ffmpeg.exe\"");
        EXPECT_EQ(std::wstring(main.m_strEncoderExtra.GetData()), L" -max_muxing_queue_size 34500 ");
        EXPECT_EQ(MainWindowHandle, main.GetHWND());
        EXPECT_NE(main.m_hWindowDC, nullptr);
        EXPECT_EQ(::GetWindowLong(main.GetHWND(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);
        ASSERT_NE(main.m_pAccount, nullptr);
        EXPECT_EQ(main.m_pAccount->ProductCode(), "tmqrx");
        EXPECT_EQ(main.m_pAccount->LogPath(), AnsiToWide(EditorScratchFolder() + "/Doziz"));
        EXPECT_EQ(main.m_strTempFolder, AnsiToWide(EditorScratchFolder() + "/ZaDaro"));
        for (const char* folder : { "/ZaDaro", "/Doziz" })
            EXPECT_TRUE(std::filesystem::is_directory(EditorScratchFolder() + folder)) << folder;
        EXPECT_TRUE(std::filesystem::is_directory(EditorScratchFolder() + "/RoRerav"));
        for (const char* folder : { "/TempMerge", "/Config" })
            EXPECT_TRUE(std::filesystem::is_directory(m_data + folder)) << folder;
        SIZE workArea {};
        main.GetWorkAreaSize(workArea);
        EXPECT_FLOAT_EQ(ScreenScale, static_cast<float>((workArea.cx - 416) / 608.0));
        ASSERT_EQ(main.HistorySnapshot().size(), 1u);
        EXPECT_EQ(main.HistorySnapshot()[0].sourcePath, L"/a.mp4");
        EXPECT_EQ(main.m_strOutFolder.substr(main.m_strOutFolder.size() - 8), L"/Tessaly");
        main.ResizeForPage(675);
        RECT rc {};
        ::GetWindowRect(main.GetHWND(), &rc);
        EXPECT_EQ(rc.right - rc.left, 1024 * percent / 100);  // 1536 at 150 %
        EXPECT_EQ(rc.bottom - rc.top, (675 * percent + 50) / 100);
        if (SkinUI::CControlUI* version = main.GetPaintManager().FindControl(L"VideoVersion")) {
            EXPECT_EQ(std::wstring(version->GetText().GetData()).rfind(L"当前版本：", 0), 0u);
        }
        TearDown();
        m_window = nullptr;
    }
}

// A brand-new account has no ~/.local: start-up makes the data folder with every folder above it,
// and each writer makes its folder again when it was removed while the program ran. Every path
// formed is joined with "/".
TEST_F(MainWndTest, AFreshAccountGetsEveryFolderItWritesInto)
{
    const std::string share = FreshFolder("fresh account") + "/.local/share";
    const std::string data = share + "/Quillmoor";
    ::setenv("XDG_DATA_HOME", share.c_str(), 1);
    m_window = new CMainWnd();
    m_window->m_strAppFolder = AnsiToWide(m_program) + L"/";
    EXPECT_NE(m_window->Create(nullptr, L"Tessaly", kStyle, WS_EX_WINDOWEDGE), nullptr);
    ::setenv("XDG_DATA_HOME", (EditorScratchFolder() + "/data").c_str(), 1);
    hl::PumpMessages();
    CMainWnd& main = *m_window;

    EXPECT_EQ(main.m_strDataFolder, AnsiToWide(data) + L"/");
    for (const char* folder : { "/TempMerge", "/Config" })
        EXPECT_TRUE(std::filesystem::is_directory(data + folder)) << folder;
    for (const std::wstring& path : { main.HistoryFilePath(), main.OutputFolderSettingsPath(), main.m_strTempFolder,
                                      main.m_strOutFolder, std::wstring(main.m_strEncoder.GetData()) })
        EXPECT_EQ(path.find(L'\\'), std::wstring::npos) << WideToUtf8(path);

    std::filesystem::remove_all(EditorScratchFolder() + "/fresh account/.local");
    main.RecordHistoryEntry(L"/v/in.mp4", L"/o/out.mp4");
    EXPECT_NE(ReadFileText(data + "/Config/History.xml").find("/o/out.mp4"), std::string::npos);

    std::filesystem::remove_all(EditorScratchFolder() + "/fresh account/.local");
    EXPECT_TRUE(CVideoPup::SaveOutputFolder(main.OutputFolderSettingsPath(), L"/chosen/out"));
    main.m_strOutFolder.clear();
    main.LoadOutputFolder();
    EXPECT_EQ(main.m_strOutFolder, L"/chosen/out") << "the chosen output folder is remembered";
}

TEST_F(MainWndTest, OutputFolderComesFromTheLastChildOfTheSettingsFile)
{
    CMainWnd& main = Open();
    struct Case { const char* name; std::string xml; std::wstring want; };
    const std::string gbkFolder = "/v/\xca\xd3\xc6\xb5";  // "视频" in GBK, as older versions wrote it
    const Case cases[] = {
        { "no children", "<root/>", L"" },
        { "first of three", "<root><a attribute1=\"/x\"/><b/><c/></root>", L"" },
        { "last of three", "<root><a/><b/><c attribute1=\"/chosen/out\"/></root>", L"/chosen/out" },
        { "one", "<root><a attribute1=\"/utf8/出口\"/></root>", L"/utf8/出口" },
        { "gbk", "<root><a attribute1=\"" + gbkFolder + "\"/></root>", L"/v/视频" },
        { "broken", "<root><a attribute1=", L"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(m_data + "/Config/VideoConvert.xml", c.xml);
        main.LoadOutputFolder();
        if (c.want.empty())
            EXPECT_EQ(main.m_strOutFolder.substr(main.m_strOutFolder.size() - 8), L"/Tessaly");
        else
            EXPECT_EQ(main.m_strOutFolder, c.want);
    }
}

TEST_F(MainWndTest, KeysReachTimeFieldsOnlyAsDigitsAndArrows)
{
    CMainWnd& main = Open();
    struct Case { UINT message; WPARAM key; bool passes; };
    const Case cases[] = {
        { WM_KEYDOWN, '7', true }, { WM_KEYDOWN, VK_LEFT, true }, { WM_KEYDOWN, VK_BACK, true },
        { WM_KEYDOWN, 'A', false }, { WM_KEYDOWN, VK_DELETE, false }, { WM_CHAR, L'5', true }, { WM_CHAR, L'a', false },
    };
    struct Filter : SkinUI::IMessageFilterUI {
        std::vector<std::pair<UINT, WPARAM>> seen;
        LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&) override
        {
            if (uMsg == WM_KEYDOWN || uMsg == WM_CHAR)
                seen.emplace_back(uMsg, wParam);
            return 0;
        }
    } filter;
    main.GetPaintManager().AddMessageFilter(&filter);
    for (const Case& c : cases) {
        filter.seen.clear();
        ::SendMessage(main.GetHWND(), c.message, c.key, 0);
        EXPECT_EQ(!filter.seen.empty(), c.passes) << c.message << " " << c.key;
    }
    main.GetPaintManager().RemoveMessageFilter(&filter);
}

TEST_F(MainWndTest, SecondDpiChangeWithinATenthOfASecondOnlyReachesTheBase)
{
    CMainWnd& main = Open();
    RECT rc {};
    ::GetWindowRect(main.GetHWND(), &rc);
    const DWORD first = ::GetTickCount();
    ::SendMessage(main.GetHWND(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rc));
    // The debounce runs on the real clock: a machine that needs a tenth of a second to re-lay the
    // window out cannot send the second change inside the window this test is about.
    if (::GetTickCount() - first >= 100)
        GTEST_SKIP() << "the first DPI change took longer than the debounce on this machine";
    ::SendMessage(main.GetHWND(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&rc));
    EXPECT_EQ(main.GetPaintManager().GetDPIObj()->GetScale(), 150u);
}

TEST_F(MainWndTest, DeclinedCloseChangesNothing)
{
    CMainWnd& main = Open();
    hl::SetMessageBoxAnswer(IDCANCEL);
    ::SendMessage(main.GetHWND(), WM_CLOSE, 0, 0);
    hl::PumpMessages();
    EXPECT_TRUE(::IsWindow(main.GetHWND()));
    EXPECT_EQ(CancelFlag.load(), 0);
    EXPECT_NE(hl::LastMessageBoxText().find(L"退出"), std::wstring::npos);
}

// Closing during an export: the job's encoder is stopped, and whatever the job then waits on (a
// window of the UI thread it hides, a question, a pause) ends at once, so its worker ends before
// the window goes; the history is written and the work folders are emptied of files (not of
// their sub-folders).
TEST_F(MainWndTest, ConfirmedCloseStopsTheExportAndWaitsForItsWorker)
{
    CMainWnd& main = Open();
    const std::string pidFile = FreshFolder("encoder") + "/pid";
    EncoderRunRequest request;
    request.command = HangingEncoder(EditorScratchFolder() + "/encoder", pidFile).c_str();
    request.durationSeconds = 4;
    std::atomic<bool> workerEnded { false };
    std::atomic<int> answer { -1 };
    std::atomic<bool> pauseCutShort { false };
    main.StartWorker([&main, request, &workerEnded, &answer] {
        main.RunEncoderWithProgress(request);
        // A cancelled job's clean-up: it hides a window of the UI thread and tells the user.
        ::ShowWindow(main.GetHWND(), SW_HIDE);
        answer = main.AskUser(L"导出已取消", L"", L"确定");
        main.RecordHistoryEntry(L"/v/in.mp4", L"/o/out.mp4");
        workerEnded = true;
    });
    main.StartWorker([&main, &pauseCutShort] { pauseCutShort = !main.SleepUnlessClosing(60000); });
    for (int i = 0; i < 750 && !std::filesystem::exists(pidFile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    const std::string work = EditorScratchFolder() + "/ZaDaro";
    std::filesystem::create_directories(work + "/kept");
    WriteFileText(work + "/temp.png", "x");
    WriteFileText(work + "/kept/inner.png", "x");
    WriteFileText(m_data + "/TempMerge/part.ts", "x");

    hl::SetMessageBoxAnswer(IDOK);
    ::SendMessage(main.GetHWND(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(workerEnded) << "the window waited for its worker";
    EXPECT_EQ(answer, CMessageWnd::kNotAnswered) << "no box is shown once the user chose to quit";
    EXPECT_TRUE(pauseCutShort);
    EXPECT_EQ(main.RunningWorkers(), 0);
    EXPECT_FALSE(::IsWindow(main.GetHWND()));
    EXPECT_EQ(CancelFlag.load(), 1);
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_NE(ReadFileText(m_data + "/Config/History.xml").find("out.mp4"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(work + "/temp.png"));
    EXPECT_FALSE(std::filesystem::exists(m_data + "/TempMerge/part.ts"));
    EXPECT_TRUE(std::filesystem::exists(work + "/kept/inner.png"));
}
