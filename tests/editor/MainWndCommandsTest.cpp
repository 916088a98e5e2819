// The main window's click dispatch, navigation, export launch and deferred tasks, on the real
// skin on the headless display, with the real encoder on clips made here and the settings and
// message dialogs answered by their hooks.
#include "editor/mainwnd/MainWnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/ShowProgress.h"
#include "media/ExportPageView.h"
#include "media/MediaProbe.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/TabLayoutUI.h"
#include "ui/core/PaintManagerUI.h"

namespace hl = platform::headless;

namespace {

bool InstallSkinArchive()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

// A clip of the given length made by the encoder in the scratch folder, once per name.
std::string Clip(const std::string& name, int seconds)
{
    const std::string path = EditorScratchFolder() + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=frequency=440 -t "
        + std::to_string(seconds) + " -c:v libx264 -pix_fmt yuv420p -c:a aac \"" + path + "\" </dev/null";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

// An encoder that runs at the input's own speed, so an export lasts as long as its material.
std::wstring RealTimeEncoder()
{
    const std::string path = EditorScratchFolder() + "/realtime-encoder.sh";
    WriteFileText(path, "#!/bin/sh\nexec ffmpeg -re \"$@\"\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return L"\"" + AnsiToWide(path) + L"\"";
}

struct Probed {
    double seconds = 0;
    int width = 0, height = 0;
    bool sound = false;
};

Probed ProbeFile(const std::string& path)
{
    Probed out;
    MediaProbe probe;
    int rate = 0, durationMs = 0;
    uint8_t subtitles = 0;
    const int opened = probe.Open(path.c_str(), rate, subtitles, durationMs, out.width, out.height);
    if (opened == MediaProbe::kOpenFailed)
        return out;
    probe.Close();
    out.sound = opened == MediaProbe::kOpened;
    out.seconds = MediaProbe::DurationSeconds(AnsiToWide(path));
    return out;
}

// Records what the jobs show; answers nothing they read.
class RecordingView : public ExportPageView {
public:
    SkinUI::CUIString FieldText(const wchar_t*) const override { return SkinUI::CUIString(); }
    int SliderValue(const wchar_t*) const override { return 100; }
    SIZE WorkAreaSize() const override { return { 1920, 1040 }; }
    void ShowCropOverlays(bool show) override
    {
        std::lock_guard lock(m_lock);
        overlays.push_back(show);
    }
    int SplitTaskCount() const override { return 0; }
    bool SplitTask(int, SkinUI::CUIString&, SkinUI::CUIString&) const override { return false; }
    GifRowView* FindGifRow(const SkinUI::CUIString&) override { return nullptr; }
    void SetGifListBusy(bool) override {}

    std::mutex m_lock;
    std::vector<bool> overlays;
};

class CommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallSkinArchive());
        CMessageWnd::SetAnswerer([this](const CMessageWnd& dialog) {
            std::lock_guard lock(m_messageLock);
            m_messages.push_back(dialog.GetMessageText());
            return 2;
        });
        m_window = new CMainWnd();
        m_window->m_strAppFolder = AnsiToWide(FreshFolder("cmd-program")) + L"/";
        m_window->m_strDataFolder = AnsiToWide(FreshFolder("cmd-data")) + L"/";
        ASSERT_NE(m_window->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
        hl::PumpMessages();
    }
    void TearDown() override
    {
        CMainWnd::SetSettingsDialogHook(nullptr);
        if (::IsWindow(m_window->GetHWND()))
            ::DestroyWindow(m_window->GetHWND());
        hl::PumpMessages();
        if (m_window->WaitForWorkers(20000))
            delete m_window;
        CMessageWnd::SetAnswerer(nullptr);
        CancelFlag = 0;
    }

    CMainWnd& Main() { return *m_window; }
    SkinUI::CControlUI* Find(const wchar_t* name) { return Main().GetPaintManager().FindControl(name); }
    void Click(SkinUI::CControlUI* sender)
    {
        SkinUI::TNotifyUI msg;
        msg.sType = L"click";
        msg.pSender = sender;
        Main().OnClick(msg);
    }
    void Click(const wchar_t* name)
    {
        SkinUI::CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << Narrow(name);
        Click(control);
    }
    static std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }
    int WindowHeight()
    {
        RECT rc {};
        ::GetWindowRect(Main().GetHWND(), &rc);
        return rc.bottom - rc.top;
    }
    // The settings dialog answers `result` and, when it exports, names the output.
    void AnswerSettings(int result, const std::string& folder, const wchar_t* name = L"out")
    {
        CMainWnd::SetSettingsDialogHook([this, result, folder, name](CMainWnd& main, const std::wstring& mode) {
            m_modes.push_back(mode);
            if (result == 0) {
                main.m_exportInfo.folder = AnsiToWide(folder).c_str();
                main.m_exportInfo.name = name;
                main.m_exportInfo.format = L"mp4";
            }
            return result;
        });
    }
    std::vector<std::wstring> Messages()
    {
        std::lock_guard lock(m_messageLock);
        return m_messages;
    }
    void SetCutRange(const wchar_t* startSecond, const wchar_t* endSecond)
    {
        const std::pair<const wchar_t*, const wchar_t*> fields[] = {
            { L"startHour", L"00" }, { L"startMinute", L"00" }, { L"startsecound", startSecond }, { L"startmillsecond", L"000" },
            { L"OVertHour", L"00" }, { L"OVerMinute", L"00" }, { L"OVersecound", endSecond }, { L"OVermillsecond", L"000" },
        };
        for (const auto& [name, text] : fields)
            Find(name)->SetText(text);
    }

    CMainWnd* m_window { nullptr };
    std::mutex m_messageLock;
    std::vector<std::wstring> m_messages;
    std::vector<std::wstring> m_modes;
};

}  // namespace

TEST_F(CommandsTest, OnlyTheExactNameRunsItsAction)
{
    SkinUI::CControlUI maximise, unknown, wrongCase;
    maximise.SetName(L"maxbtn");
    unknown.SetName(L"noSuchButton");
    wrongCase.SetName(L"closebtn");
    const int height = WindowHeight();
    MSG msg {};
    for (SkinUI::CControlUI* sender : { &maximise, &unknown, &wrongCase }) {
        Click(sender);
        EXPECT_FALSE(::PeekMessage(&msg, Main().GetHWND(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) << Narrow(sender->GetName().GetData());
        EXPECT_TRUE(Main().m_pmainwnd->IsVisible());
        EXPECT_EQ(WindowHeight(), height);
        EXPECT_FALSE(::IsZoomed(Main().GetHWND()));
    }
    Click(L"closeBtn");
    EXPECT_TRUE(::PeekMessage(&msg, Main().GetHWND(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_TRUE(::IsWindow(Main().GetHWND()));  // posted, not yet handled
}

TEST_F(CommandsTest, EntriesOpenTheirPageAndReturnGoesHomeThroughAnOpenPanel)
{
    const auto onHome = [this](bool home) {
        EXPECT_EQ(Main().m_pmainwnd->IsVisible(), home);
        EXPECT_EQ(Main().m_pmainkong->IsVisible(), home);
        EXPECT_EQ(Main().m_pctnClient->IsVisible(), !home);
        EXPECT_EQ(WindowHeight(), home ? 720 : 675);
    };
    const std::pair<const wchar_t*, const wchar_t*> entries[] = {
        { L"VideoCut", L"tabVideoCut" }, { L"VideoMerge", L"tabmerge" }, { L"VideoFenge", L"tabFenge" }, { L"Videogif", L"tabGIF" },
        { L"videoAdd", L"tabAdd" }, { L"videoScreen", L"tabScreen" }, { L"videoadjustment", L"tabAdjust" },
    };
    for (const auto& [entry, tab] : entries) {
        SCOPED_TRACE(Narrow(entry));
        Click(entry);
        onHome(false);
        auto* option = static_cast<SkinUI::COptionUI*>(Find(tab)->GetInterface(L"Option"));
        EXPECT_TRUE(option->IsSelected());
        Click(L"returnMainWnd");
        onHome(true);
    }

    // From the open subtitle panel the first press closes only the panel.
    Click(L"videoAdd");
    static_cast<SkinUI::CTabLayoutUI*>(Main().m_ptab_Tran->GetInterface(L"TabLayout"))->SelectItem(4);  // the multi-clip page
    Find(L"clipWork")->SetVisible(true);  // clips were added
    Main().m_pVideoAddfileL->SetVisible(false);
    Main().m_psubtitleVer->SetVisible(true);
    Main().m_pSubtitleExport->SetEnabled(true);
    Main().m_vecTextItems.resize(2);
    Main().m_textItem.text = L"typed";
    Click(L"returnMainWnd");
    onHome(false);
    EXPECT_FALSE(Main().m_psubtitleVer->IsVisible());
    EXPECT_TRUE(Main().m_pVideoAddfileL->IsVisible());
    EXPECT_TRUE(Main().m_pHorAddfileOut->IsVisible());
    EXPECT_FALSE(Main().m_pSubtitleExport->IsEnabled());
    EXPECT_TRUE(Main().m_vecTextItems.empty());
    EXPECT_TRUE(Main().m_textItem.text.empty());
    EXPECT_EQ(Main().m_pTextLayerWnd, nullptr);
    Click(L"returnMainWnd");
    onHome(true);
}

TEST_F(CommandsTest, OnlyTheExportResultStartsAJobAndCancelsPutBackWhatTheButtonChanged)
{
    RecordingView view;
    Main().m_pPageView = &view;
    const std::string out = FreshFolder("launch-out");
    struct Button { const wchar_t* name; const wchar_t* mode; };
    const Button buttons[] = {
        { L"CutVideo", L"" }, { L"SegmenExport", L"SengVideo" }, { L"AllMerge", L"" }, { L"CutAdjustVideo", L"Optimize" },
        { L"ScreenExport", L"gif" },
    };
    for (const Button& b : buttons) {
        for (int result : { 0, 1, 2 }) {
            SCOPED_TRACE(Narrow(b.name) + " answered " + std::to_string(result));
            m_modes.clear();
            view.overlays.clear();
            Main().m_exportInfo.name = L"before";
            AnswerSettings(result, out);
            const bool started = Main().LaunchExport(b.name);
            EXPECT_EQ(started, result == 0);
            ASSERT_EQ(m_modes.size(), 1u);
            EXPECT_EQ(m_modes[0], b.mode);
            if (result != 0) {
                EXPECT_EQ(Main().RunningWorkers(), 0);
            }
            ASSERT_TRUE(Main().WaitForWorkers(20000));
            const bool cut = std::wstring_view(b.name) == L"CutVideo";
            if (cut && result != 0) {
                EXPECT_EQ(view.overlays, (std::vector<bool> { false, true }));  // hidden for the dialog, back after
            }
            if (std::wstring_view(b.name) == L"AllMerge" && result != 0) {
                EXPECT_EQ(Main().m_exportInfo.name, L"视频合并");
            }
        }
    }
    // An empty cut range is the job's to refuse: it ran exactly once, for the one export answer.
    int refused = 0;
    for (const std::wstring& message : Messages())
        refused += message.find(L"结束时间必须晚于开始时间") != std::wstring::npos;
    EXPECT_EQ(refused, 1);
}

TEST_F(CommandsTest, CutFromTheWindowExportsTheRangeEvenAfterAStaleCancel)
{
    const std::string clip = Clip("in put.mp4", 2);
    ASSERT_FALSE(clip.empty());
    const std::string out = FreshFolder("cut-out");
    Main().m_strCutFile = AnsiToWide(clip);
    SetCutRange(L"00", L"01");
    AnswerSettings(0, out, L"cut one");
    CancelFlag = 1;  // a cancel that arrived after the previous export's last check
    Click(L"CutVideo");
    ASSERT_TRUE(Main().WaitForWorkers(30000));
    const Probed probed = ProbeFile(out + "/cut one.mp4");
    EXPECT_NEAR(probed.seconds, 1.0, 0.15);
    EXPECT_EQ(probed.width, 160);
    EXPECT_EQ(probed.height, 120);
    EXPECT_TRUE(probed.sound);
}

TEST_F(CommandsTest, CancelStopsOnlyItsOwnExportAndEachExportKeepsItsSettings)
{
    const std::string shortClip = Clip("gif source.mp4", 2), longClip = Clip("long.mp4", 12);
    ASSERT_FALSE(shortClip.empty());
    ASSERT_FALSE(longClip.empty());
    Main().m_strEncoder = RealTimeEncoder().c_str();
    const std::string gifFolder = FreshFolder("gif-out"), cutFolder = FreshFolder("cancel-out");

    GifListItem item;
    item.filePath = AnsiToWide(shortClip).c_str();
    item.outputName = L"moving";
    item.rowName = L"Gif0";
    item.duration = L"2000";
    Main().AddGifToQueue(item);
    AnswerSettings(0, gifFolder);
    ASSERT_TRUE(Main().LaunchExport(L"VideoGIF"));

    // A cut launched beside it names another folder, then is cancelled midway.
    Main().m_strCutFile = AnsiToWide(longClip);
    SetCutRange(L"00", L"10");
    AnswerSettings(0, cutFolder, L"cancelled");
    bool progressShown = false;
    Main().PostUiTask(700, [this, &progressShown] {
        // Inside the progress window's own loop: the user presses its cancel button.
        CShowProgress* progress = Main().m_pProgressWnd;
        progressShown = progress && ::IsWindowVisible(progress->GetHWND());
        if (progress)
            ClickControl(progress->GetPaintManager().FindControl(L"cancel"));
    });
    ASSERT_TRUE(Main().LaunchExport(L"CutVideo"));  // returns when the progress window has closed
    EXPECT_TRUE(progressShown);
    ASSERT_TRUE(Main().WaitForWorkers(30000));

    EXPECT_FALSE(std::filesystem::exists(cutFolder + "/cancelled.mp4"));
    const std::string gif = gifFolder + "/moving.gif";
    ASSERT_TRUE(std::filesystem::exists(gif)) << "the GIF beside the cancelled cut was stopped too";
    EXPECT_GT(std::filesystem::file_size(gif), 1024u);
    EXPECT_EQ(Main().m_bGifRunning, 0);

    // The next export runs normally.
    SetCutRange(L"00", L"01");
    AnswerSettings(0, cutFolder, L"next");
    ASSERT_TRUE(Main().LaunchExport(L"CutVideo"));
    ASSERT_TRUE(Main().WaitForWorkers(30000));
    EXPECT_NEAR(ProbeFile(cutFolder + "/next.mp4").seconds, 1.0, 0.15);
}

TEST_F(CommandsTest, ACancelledPageJobStillEndingKeepsItsCancelAndTheNextExportRunsWhole)
{
    const std::string clip = Clip("in put.mp4", 2);
    ASSERT_FALSE(clip.empty());
    const std::string out = FreshFolder("after-cancel-out");
    const auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };

    // A page job that ends slowly once cancelled: it is still running when the next export is
    // pressed, then asks the UI thread something (as a job asking the user does), and only then
    // reaches a step that its cancel must still stop.
    std::atomic<bool> nextPressed { false }, answered { false }, cancelSeenAtLastStep { false }, ended { false };
    Main().PostUiTask(100, [this] {
        if (CShowProgress* progress = Main().m_pProgressWnd)
            ClickControl(progress->GetPaintManager().FindControl(L"cancel"));
    });
    Main().RunWithProgressWindow(L"加载", [&, this] {
        Main().m_fJobPercent = 40;
        waitFor([] { return CancelFlag != 0; });
        waitFor([&] { return nextPressed.load(); });
        auto reply = std::make_shared<std::promise<void>>();
        std::future<void> replied = reply->get_future();
        Main().PostUiTask(0, [reply] { reply->set_value(); });
        answered = replied.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        cancelSeenAtLastStep = CancelFlag != 0;
        Main().m_fJobPercent = 100;
        Main().CloseProgressWindow();
        ended = true;
        return ExportResult::Cancelled();
    });
    ASSERT_FALSE(ended) << "the cancel closed the window only once the job had ended";

    Main().m_strCutFile = AnsiToWide(clip);
    SetCutRange(L"00", L"01");
    AnswerSettings(0, out, L"after cancel");
    nextPressed = true;
    ASSERT_TRUE(Main().LaunchExport(L"CutVideo"));
    ASSERT_TRUE(Main().WaitForWorkers(30000));
    EXPECT_TRUE(ended);
    EXPECT_TRUE(answered) << "the launch served no messages while the cancelled job ended";
    EXPECT_TRUE(cancelSeenAtLastStep) << "the next launch let the cancelled job go on";
    EXPECT_NEAR(ProbeFile(out + "/after cancel.mp4").seconds, 1.0, 0.15) << "the next export was stopped";
}

// The paint manager of the open top-level window that holds a control of that name, or null.
SkinUI::CPaintManagerUI* WindowWith(const wchar_t* controlName)
{
    SkinUI::CStdPtrArray* managers = SkinUI::CPaintManagerUI::GetPaintManagers();
    for (int i = 0; managers && i < managers->GetSize(); ++i) {
        auto* pm = static_cast<SkinUI::CPaintManagerUI*>(managers->GetAt(i));
        if (pm && ::IsWindowVisible(pm->GetPaintWindow()) && pm->FindControl(controlName))
            return pm;
    }
    return nullptr;
}

TEST_F(CommandsTest, CutThroughTheRealSettingsDialogAndProgressWindow)
{
    const std::string clip = Clip("dialog source.mp4", 2);
    ASSERT_FALSE(clip.empty());
    const std::string out = FreshFolder("dialog-out");
    Main().m_strEncoder = RealTimeEncoder().c_str();  // the export lasts about as long as its range
    Main().m_strOutFolder = AnsiToWide(out);
    Main().m_strCutFile = AnsiToWide(clip);
    SetCutRange(L"00", L"01");
    ASSERT_TRUE(Main().WaitForWorkers(30000)) << "the start-up warm-up is still running";

    // Escape in the dialog starts nothing.
    bool dialogShown = false;
    Main().PostUiTask(200, [&] {
        dialogShown = WindowWith(L"Dircte") != nullptr;
        hl::PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(Main().LaunchExport(L"CutVideo"));
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(Main().RunningWorkers(), 0);
    EXPECT_TRUE(Messages().empty());

    // The user names the output and presses export; the progress window shows until the job ends.
    bool progressShown = false;
    Main().PostUiTask(200, [&] {
        SkinUI::CPaintManagerUI* dialog = WindowWith(L"Dircte");
        ASSERT_NE(dialog, nullptr);
        dialog->FindControl(L"FileName")->SetText(L"from the dialog");
        ClickControl(dialog->FindControl(L"Open"));
        Main().PostUiTask(400, [&] {
            CShowProgress* progress = Main().m_pProgressWnd;
            progressShown = progress && WindowWith(L"progressbar") == &progress->GetPaintManager();
        });
    });
    Click(L"CutVideo");
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(Main().m_pProgressWnd.load(), nullptr);
    EXPECT_EQ(WindowWith(L"progressbar"), nullptr) << "the progress window closed with its job";
    ASSERT_TRUE(Main().WaitForWorkers(30000));
    const Probed probed = ProbeFile(out + "/from the dialog.mp4");
    EXPECT_NEAR(probed.seconds, 1.0, 0.15);
    EXPECT_EQ(probed.width, 160);
    EXPECT_EQ(probed.height, 120);
    EXPECT_TRUE(probed.sound);
    const std::vector<std::wstring> messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(L"剪切完成"), std::wstring::npos) << Narrow(messages[0]);
}

TEST_F(CommandsTest, TasksPostedDuringAModalLoopRunInsideIt)
{
    // A job behind the progress window posts work, at once and after a delay, while the window's
    // modal loop runs, and ends only once both have run: they ran inside that loop.
    const std::thread::id ui = std::this_thread::get_id();
    struct Shared {
        std::atomic<int> ran { 0 }, insideLoop { 0 }, onUiThread { 0 };
        std::promise<void> bothRan;
    };
    auto shared = std::make_shared<Shared>();
    std::atomic<bool> loopEnded { false }, jobSawBoth { false };
    Main().RunWithProgressWindow(L"加载", [&, shared] {
        std::future<void> done = shared->bothRan.get_future();
        for (int delayMs : { 0, 50 })
            Main().PostUiTask(delayMs, [this, ui, shared, &loopEnded] {
                CShowProgress* progress = Main().m_pProgressWnd;
                shared->insideLoop += !loopEnded && progress && ::IsWindowVisible(progress->GetHWND());
                shared->onUiThread += std::this_thread::get_id() == ui;
                if (++shared->ran == 2)
                    shared->bothRan.set_value();
            });
        jobSawBoth = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!jobSawBoth)
            Main().CloseProgressWindow();  // no finisher may come either: end the loop for the check
        return ExportResult::Cancelled();
    });
    loopEnded = true;
    ASSERT_TRUE(Main().WaitForWorkers(30000));
    EXPECT_TRUE(jobSawBoth) << "a task posted during the modal loop waited for the loop's end";
    EXPECT_EQ(shared->insideLoop, 2);
    EXPECT_EQ(shared->onUiThread, 2);
    EXPECT_EQ(Main().m_pProgressWnd.load(), nullptr) << "the finisher closed the progress window";
}

// A task that holds a modal loop of its own (an export's closing question) does not hold back the
// tasks behind it: they run inside its loop, as other jobs' progress must while the user reads.
TEST_F(CommandsTest, TasksBehindAModalTaskRunInsideItsLoop)
{
    std::atomic<bool> second { false }, firstSawSecond { false }, firstDone { false };
    Main().PostUiTask(0, [&] {
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             !second && std::chrono::steady_clock::now() < until;) {
            hl::PumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        firstSawSecond = second.load();
        firstDone = true;
    });
    Main().PostUiTask(0, [&] { second = true; });
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         !firstDone && std::chrono::steady_clock::now() < until;) {
        hl::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(firstDone);
    EXPECT_TRUE(firstSawSecond) << "the second task waited for the first task's loop to end";
}

TEST_F(CommandsTest, DeferredTasksRunOnTheUiThreadAfterTheirDelay)
{
    const std::thread::id ui = std::this_thread::get_id();
    std::atomic<int> ran { 0 };
    std::thread::id ranOn;
    const auto posted = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration waited {};
    std::thread([&] {
        Main().PostUiTask(60, [&] {
            ranOn = std::this_thread::get_id();
            waited = std::chrono::steady_clock::now() - posted;
            ++ran;
        });
    }).join();
    // The task's timer runs on the real clock: give a loaded machine time to reach it.
    for (const auto until = posted + std::chrono::seconds(10); ran == 0 && std::chrono::steady_clock::now() < until;) {
        hl::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(ran, 1);
    EXPECT_EQ(ranOn, ui);
    EXPECT_GE(waited, std::chrono::milliseconds(60));

    // A task still waiting when its window goes never runs.
    Main().PostUiTask(30, [&] { ++ran; });
    ::DestroyWindow(Main().GetHWND());
    for (int i = 0; i < 20; ++i) {
        hl::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(ran, 1);
}

TEST(CutPictureFit, WidePicturesFillTheWidthOthersTheHeight)
{
    struct Case { double aspect; RECT want; };
    const POINT origin { 100, 200 };
    const Case cases[] = {
        { 2.731, { 100 + (977 - 983) / 2, 200, 100 + (977 - 983) / 2 + 983, 560 } },  // at the limit: fills the height
        { 3.0, { 100, 200 + static_cast<int>((360 - 977 / 3.0) / 2.0), 1077, 200 + static_cast<int>((360 - 977 / 3.0) / 2.0) + 325 } },
        { 1.777, { 100 + static_cast<int>((977 - 639) / 2.0), 200, 100 + static_cast<int>((977 - 639) / 2.0) + 639, 560 } },
        { 0.0, { 100, 200, 100, 200 } },  // no picture: nothing to place
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aspect);
        const RECT got = FitCutPicture(c.aspect, 977, 360, origin);
        EXPECT_EQ(got.left, c.want.left);
        EXPECT_EQ(got.top, c.want.top);
        EXPECT_EQ(got.right, c.want.right);
        EXPECT_EQ(got.bottom, c.want.bottom);
    }
}
