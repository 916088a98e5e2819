// The update dialog on the headless display, downloading from a local HTTPS server and applying
// over an installation in the test's folder.

#include "updater/TipWnd.h"

#include "HttpsTestServer.h"
#include "updater/EditorProcesses.h"
#include "updater/FileUtil.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/ProgressUI.h"
#include "ui/controls/RichEditUI.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace SkinUI;

namespace {

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class TipWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::headless::Use());
        ASSERT_TRUE(MakeTestCertificates(m_folder / "certs"));
        setenv("QUILL_UPDATE_CA_FILE", (m_folder / "certs/ca.pem").c_str(), 1);
        WriteText(Install() + "/Quillmoor", "editor 1.9");
        WriteText(Install() + "/readme.txt", "old readme");
        fs::create_directories(m_folder / "work");
        fs::create_directories(m_folder / "www");
        ASSERT_TRUE(MakeZip(m_folder / "www/update.zip", { { "Quillmoor", "editor 2.0" }, { "readme.txt", "new" } }));
        ASSERT_TRUE(MakeZip(m_folder / "www/evil.zip", { { "readme.txt", "new" }, { "../escaped", "x" } }));
        m_server = std::make_unique<HttpsTestServer>(m_folder / "certs", "server", m_folder / "www", m_folder / "port");
        ASSERT_FALSE(m_server->Port().empty());
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        ASSERT_TRUE(LoadUpdaterSkin());
        InitUpdaterLog("dialog", m_folder.Path() + "/", kLogInfo, 10);
    }

    void TearDown() override
    {
        if (IsWindow(m_hwnd)) {
            SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
            platform::headless::PumpMessages();
        }
        EXPECT_FALSE(IsWindow(m_hwnd));
        ShutdownUpdaterLog();
        unsetenv("QUILL_UPDATE_CA_FILE");
    }

    std::string Install() const { return m_folder / "install"; }
    std::string Log() const { return ReadText(m_folder / "dialog.log"); }

    void Open(const std::string& archive)
    {
        auto* dialog = new TipWnd();  // deleted with its window
        dialog->SetUrl(m_server->Url("/" + archive));
        dialog->SetTempDir(Wide(m_folder / "work/"));
        dialog->SetDownloadPath(Wide(m_folder / ("work/" + archive)));
        dialog->SetInstallDir(Wide(Install()));
        dialog->SetUpdateType(L"zip");
        dialog->SetExePath(Wide(Install() + "/Quillmoor"));
        dialog->SetChangeLog({ { 0, "faster export" }, { 1, "new filters" }, { 2, "fixes" } });
        dialog->SetProductCode(L"tmqrx");
        dialog->SetCurrentVersion(L"1.9.9.9");
        dialog->SetUpdateVersion(L"2.0.0.0");
        m_hwnd = dialog->Create(nullptr, kUpdaterTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 400, 446, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_pm = &dialog->GetPaintManager();
        ShowWindow(m_hwnd, SW_SHOWNORMAL);
        platform::headless::PumpMessages();
    }

    CControlUI* Control(const wchar_t* name) const { return m_pm->FindControl(name); }
    bool Visible(const wchar_t* name) const { return Control(name) && Control(name)->IsVisible(); }
    int Progress() const { return static_cast<CProgressUI*>(Control(L"jindu"))->GetValue(); }

    void ClickOn(const wchar_t* name)
    {
        const RECT pos = Control(name)->GetPos();
        platform::headless::Click((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
        platform::headless::PumpMessages();
    }

    // Pumps (moving the window clock by advanceMs each turn) until done() or 20 s have passed.
    template <typename Pred>
    bool PumpUntil(Pred done, unsigned advanceMs = 0)
    {
        for (int i = 0; i < 2000; ++i) {
            platform::headless::Advance(advanceMs);
            platform::headless::PumpMessages();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Pressing "update" and waiting for the checked download (the bar then shows 100).
    void Download()
    {
        ClickOn(L"update");
        EXPECT_TRUE(Visible(L"v_process"));
        EXPECT_FALSE(Visible(L"update"));
        EXPECT_FALSE(Control(L"closebtn")->IsEnabled());
        ASSERT_TRUE(PumpUntil([&] { return Progress() == 100; }));
    }

    // The apply timer's 3 s pass; true once the job's result has been shown.
    bool ApplyAfterDelay()
    {
        platform::headless::Advance(3000);
        return PumpUntil([&] { return Visible(L"reboot") || Visible(L"update"); });
    }

    TestFolder m_folder;
    std::unique_ptr<HttpsTestServer> m_server;
    HWND m_hwnd { nullptr };
    CPaintManagerUI* m_pm { nullptr };
};

TEST_F(TipWndTest, ShowsVersionsAndChangeLog)
{
    Open("update.zip");
    EXPECT_EQ(std::wstring(Control(L"curver")->GetText().GetData()), L"当前版本：1.9.9.9");
    EXPECT_EQ(std::wstring(Control(L"updatever")->GetText().GetData()), L"更新版本：2.0.0.0");
    // Three lines, no break after the last (the rich edit marks paragraphs with \r).
    EXPECT_EQ(std::wstring(Control(L"content")->GetText().GetData()), L"faster export\rnew filters\rfixes");
    EXPECT_TRUE(Visible(L"update"));
    EXPECT_FALSE(Visible(L"reboot"));
    EXPECT_FALSE(Visible(L"v_process"));
    // The title band drags the window; its close button does not.
    const RECT close = Control(L"closebtn")->GetPos();
    EXPECT_EQ(SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(100, 25)), HTCAPTION);
    EXPECT_EQ(SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(close.left + 5, close.top + 5)), HTCLIENT);
    EXPECT_EQ(SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(100, 200)), HTCLIENT);
}

// Progress 37, 37, 80 moves the bar; however many 100s arrive, the archive is applied once, 3 s
// after the first, and only by the dialog's own timer.
TEST_F(TipWndTest, CompleteDownloadIsAppliedOnceAfterItsTimer)
{
    // Only Advance moves the apply timer on: a slow machine must not reach the 3 s by itself.
    platform::headless::HeldClock held;
    Open("update.zip");
    for (int percent : { 37, 37, 80 })
        PostMessageW(m_hwnd, WM_UPDATE_PROGRESS, percent, 0);
    platform::headless::PumpMessages();
    EXPECT_EQ(Progress(), 80);
    // Timers that are not the apply timer start nothing: a control's, and a stray id.
    ASSERT_TRUE(Control(L"jindu")->SetTimer(32, 10));
    SendMessageW(m_hwnd, WM_TIMER, TipWnd::kApplyTimer, 0);  // before any download: nothing to apply
    platform::headless::Advance(50);
    platform::headless::PumpMessages();
    Control(L"jindu")->GetManager()->KillTimer(Control(L"jindu"));

    Download();
    for (int i = 0; i < 3; ++i)
        PostMessageW(m_hwnd, WM_UPDATE_PROGRESS, 100, 0);
    platform::headless::Advance(2900);
    platform::headless::PumpMessages();
    EXPECT_FALSE(Visible(L"reboot"));
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 1.9");  // not before the 3 s
    ASSERT_TRUE(ApplyAfterDelay()) << Log();
    EXPECT_TRUE(Visible(L"reboot"));
    EXPECT_FALSE(Visible(L"update"));
    EXPECT_FALSE(Visible(L"v_process"));
    EXPECT_TRUE(Control(L"closebtn")->IsEnabled());
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0");
    platform::headless::Advance(5000);
    platform::headless::PumpMessages();
    EXPECT_EQ(Count(Log(), "/install/Quillmoor copy ok"), 1u) << Log();
}

// A failed download or a failed apply gives "update" back with the close button enabled; the
// next press starts afresh (a file left behind is removed first).
TEST_F(TipWndTest, FailuresReturnToUpdate)
{
    struct Case {
        const char* name;
        const char* archive;
        bool downloads;
        const char* logLine;
    };
    const Case cases[] = {
        { "missing archive", "missing.zip", false, "download failed: the update can be started again" },
        { "apply rolled back", "evil.zip", true, "update not applied: the installation is unchanged" },
    };
    const auto before = Snapshot(Install());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.archive);
        for (int attempt = 0; attempt < 2; ++attempt) {
            WriteText(m_folder / ("work/" + std::string(c.archive)), "a complete-looking leftover");
            if (c.downloads) {
                Download();
                ASSERT_TRUE(ApplyAfterDelay());
            } else {
                ClickOn(L"update");
                ASSERT_TRUE(PumpUntil([&] { return Visible(L"update"); }));
            }
            EXPECT_TRUE(Visible(L"update"));
            EXPECT_FALSE(Visible(L"reboot"));
            EXPECT_FALSE(Visible(L"v_process"));
            EXPECT_TRUE(Control(L"closebtn")->IsEnabled());
        }
        EXPECT_EQ(Count(Log(), c.logLine), 2u) << Log();
        EXPECT_EQ(Snapshot(Install()), before);
        SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
        platform::headless::PumpMessages();
        EXPECT_FALSE(IsWindow(m_hwnd));
    }
}

// Closing while the archive is applied would end the process in the middle of it: refused until
// the job has reported.
TEST_F(TipWndTest, CloseIsRefusedWhileApplying)
{
    Open("update.zip");
    Download();
    SendMessageW(m_hwnd, WM_TIMER, TipWnd::kApplyTimer, 0);  // the job starts now
    SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
    platform::headless::RequestClose(m_hwnd);
    platform::headless::PumpMessages();
    EXPECT_TRUE(IsWindow(m_hwnd));
    ASSERT_TRUE(PumpUntil([&] { return Visible(L"reboot"); }));
    EXPECT_NE(Log().find("close refused: the update is being applied"), std::string::npos) << Log();
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0");
    ClickOn(L"closebtn");
    EXPECT_FALSE(IsWindow(m_hwnd));
}

// Closing from the desktop while downloading ends the transfer at once and leaves no partial file.
TEST_F(TipWndTest, CloseDuringDownloadEndsItWithoutALeftover)
{
    fs::create_directories(m_folder / "work/stall");
    Open("stall/update.zip");
    ClickOn(L"update");
    ASSERT_TRUE(PumpUntil([&] { return Progress() >= 40; }));  // half sent, then the server stalls
    const auto start = std::chrono::steady_clock::now();
    platform::headless::RequestClose(m_hwnd);
    platform::headless::PumpMessages();
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(fs::is_empty(m_folder / "work/stall"));
}

// The editor processes of this user whose executable is path (as /proc shows it).
int RunningCopiesOf(const std::string& path)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", error);
        count += !error && exe == path;
    }
    return count;
}

// "Reboot" after the real apply of an archive that replaces the running editor: the apply moves
// the running editor's file aside and deletes it, and still that process (and a stubborn one)
// is stopped, a process of another program is left alone, and one new editor runs.
TEST_F(TipWndTest, RebootAfterTheApplyStopsTheReplacedEditorAndStartsOneNew)
{
    const std::string editor = Install() + "/Quillmoor";
    const std::string other = m_folder / "elsewhere/Quillmoor";
    fs::create_directories(m_folder / "elsewhere");
    for (const std::string& path : { editor, other }) {
        fs::remove(path);
        fs::copy_file(QUILL_BINARY_DIR "/bin/fake_editor", path);
        chmod(path.c_str(), 0755);
    }
    ASSERT_TRUE(MakeZip(m_folder / "www/editor.zip", { { "Quillmoor", "@file:" QUILL_BINARY_DIR "/bin/fake_editor" } }));
    ChildProcess running({ editor, "wait" }, {});
    ChildProcess stranger({ other, "wait" }, {});
    ChildProcess stubborn({ editor, "stubborn" }, {});
    ASSERT_TRUE(PumpUntil([&] { return RunningCopiesOf(editor) == 2; }));

    Open("editor.zip");
    Download();
    ASSERT_TRUE(ApplyAfterDelay());
    ASSERT_TRUE(Visible(L"reboot")) << Log();
    EXPECT_EQ(RunningCopiesOf(editor), 0);  // both now run a file that is gone
    setenv("FAKE_EDITOR_MARK", (m_folder / "started").c_str(), 1);
    setenv("FAKE_EDITOR_STAY", "1", 1);
    ClickOn(L"reboot");
    unsetenv("FAKE_EDITOR_MARK");
    unsetenv("FAKE_EDITOR_STAY");
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_FALSE(running.Running());
    EXPECT_FALSE(stubborn.Running());  // ended forcibly after the wait
    EXPECT_TRUE(stranger.Running());
    EXPECT_TRUE(PumpUntil([&] { return ReadText(m_folder / "started") == "started\n"; }));
    EXPECT_TRUE(PumpUntil([&] { return RunningCopiesOf(editor) == 1; }));
    EXPECT_EQ(StopEditorProcesses(editor, 5000), 1);  // the new editor, started by this test
}

// A DPI change rescales the dialog to the suggested rectangle; the framework's progress of 0 after
// it does not reset the bar; a second change within a tenth of a second is ignored.
TEST_F(TipWndTest, DpiChangeRescalesAndKeepsTheBar)
{
    Open("update.zip");
    PostMessageW(m_hwnd, WM_UPDATE_PROGRESS, 37, 0);
    platform::headless::PumpMessages();
    RECT suggested { 0, 0, 600, 669 };
    const DWORD first = GetTickCount();
    SendMessageW(m_hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const bool quick = GetTickCount() - first < 100;
    RECT other { 0, 0, 500, 557 };
    SendMessageW(m_hwnd, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&other));
    platform::headless::PumpMessages();
    EXPECT_EQ(Progress(), 37);
    RECT now {};
    GetWindowRect(m_hwnd, &now);
    if (!quick)
        GTEST_SKIP() << "the first DPI change took longer than the debounce on this machine";
    EXPECT_EQ(m_pm->GetDPIObj()->GetScale(), 150u);
    EXPECT_EQ(now.right - now.left, 600);
    EXPECT_EQ(now.bottom - now.top, 669);
}

TEST(EditorProcesses, ExecutableMatchIsExact)
{
    struct Case {
        const char* link;
        bool match;
    };
    const Case cases[] = {
        { "/opt/q/Quillmoor", true }, { "/opt/q/Quillmoor (deleted)", true }, { "/opt/q/Quillmoor2", false },
        { "/opt/q/quillmoor", false }, { "/other/Quillmoor", false }, { "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsEditorExecutable(c.link, "/opt/q/Quillmoor"), c.match) << c.link;
    EXPECT_FALSE(IsEditorExecutable("", ""));
}

}  // namespace
