#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <thread>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

using namespace mediatest;

namespace {

// A stand-in encoder: prints status lines the way the real one does, in pieces.
std::wstring FakeEncoder()
{
    const std::string path = Folder() + "fake-encoder.sh";
    if (!std::filesystem::exists(path)) {
        std::ofstream(path) << R"SH(#!/bin/sh
case "$1" in
split)
  printf 'ffmpeg version fake\n  Duration: 00:00:04.00, start: 0.000000, bitrate: 10 kb/s\n'
  printf 'frame=1 time=00:0'; sleep 0.1; printf '0:01.00 bitrate=1k\r'
  sleep 0.1; printf 'frame=2 time=00:00:02.00 bit'; sleep 0.1; printf 'rate=1k\r'
  printf 'frame=3 time=00:00:03.00 bitrate=1k\r' ;;
na) printf 'frame=0 size=N/A time=N/A bitrate=N/A\rframe=0 time=00:00:00.40 bitrate=N/A\r' ;;
fail) echo 'in.mp4: No such file or directory' >&2; exit 1 ;;
stdin) [ "$(readlink /proc/$$/fd/0)" = /dev/null ] && printf 'time=00:00:01.00 bitrate=1k\r' ;;
hang) echo $$ > "$2"; printf 'time=00:00:01.00 bitrate=1k\r'; exec sleep 3600 ;;
esac
)SH";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    return Wide(path);
}

EncoderRunRequest FakeRun(const std::wstring& mode, EncoderJobKind job = EncoderJobKind::Page)
{
    EncoderRunRequest request;
    request.command = (L"\"" + FakeEncoder() + L"\" " + mode).c_str();
    request.durationSeconds = 4;
    request.job = job;
    return request;
}

// A GIF row that clears the GIF list as soon as its first percentage arrives.
class ClearingRow : public FakeGifRow {
public:
    explicit ClearingRow(CMainWnd& main) : m_main(main) {}
    void ShowProgress(float percent, const std::wstring& text) override
    {
        FakeGifRow::ShowProgress(percent, text);
        m_main.m_bGifRunning = 0;
    }

private:
    CMainWnd& m_main;
};

}  // namespace

TEST(EncoderRunner, ResultsOfFakeEncoder)
{
    CMainWnd main;
    struct Case { std::wstring mode; int want; };
    const Case cases[] = {
        { L"split", kEncoderRunProgressed },
        { L"na", kEncoderRunNoProgress },
        { L"fail", kEncoderRunNoProgress },
        { L"stdin", kEncoderRunProgressed },  // the encoder's input is the null device
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.mode));
        EXPECT_EQ(main.RunEncoderWithProgress(FakeRun(c.mode)), c.want);
    }
    EncoderRunRequest missing;
    missing.command = (WideFolder() + L"no-such-encoder -version").c_str();
    EXPECT_EQ(main.RunEncoderWithProgress(missing), kEncoderRunNotStarted);
    EXPECT_EQ(ChildProcessCount(), 0);
}

TEST(EncoderRunner, PercentagesOfOneShareOfTheJob)
{
    CMainWnd main;
    main.m_bGifRunning = 1;
    FakeGifRow row;
    EncoderRunRequest request = FakeRun(L"split", EncoderJobKind::GifList);
    request.partCount = 2;
    request.basePercent = 50;
    request.row = &row;
    ASSERT_EQ(main.RunEncoderWithProgress(request), kEncoderRunProgressed);
    // 1, 2 and 3 of 4 seconds in the second half, then the finished run completes its share.
    EXPECT_EQ(row.percents, std::vector<float>({ 62.5f, 75.0f, 87.5f, 100.0f }));
    EXPECT_EQ(row.lastText, L"100.00%");
    EXPECT_EQ(main.m_fJobPercent.load(), 0.0f);  // a row's run leaves the page percentage alone

    request.job = EncoderJobKind::Page;
    request.partCount = 1;
    request.basePercent = 0;
    ASSERT_EQ(main.RunEncoderWithProgress(request), kEncoderRunProgressed);
    EXPECT_EQ(main.m_fJobPercent.load(), 100.0f);
}

TEST(EncoderRunner, StoppedRunKillsAndReapsItsEncoder)
{
    // The GIF list is cleared after the first position; a cancel comes before any position.
    struct Case { const char* name; EncoderJobKind job; int want; };
    const Case cases[] = {
        { "GIF list cleared", EncoderJobKind::GifList, kEncoderRunProgressed },
        { "cancelled", EncoderJobKind::Page, kEncoderRunNoProgress },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMainWnd main;
        main.m_bGifRunning = 1;
        const std::string pidFile = Folder() + "hang.pid";
        std::filesystem::remove(pidFile);
        EncoderRunRequest request = FakeRun(L"hang " + Wide(pidFile), c.job);
        ClearingRow row(main);
        request.row = &row;
        main.SetProgressWindow(reinterpret_cast<CShowProgress*>(&row), nullptr);
        CancelFlag = c.job == EncoderJobKind::Page;
        EXPECT_EQ(main.RunEncoderWithProgress(request), c.want);
        pid_t pid = 0;
        std::ifstream(pidFile) >> pid;
        // A cancel that came first ends the encoder as soon as it is started, maybe before it
        // wrote its id; a cleared list stops one that is running.
        if (c.job == EncoderJobKind::GifList) {
            ASSERT_GT(pid, 0);
        }
        if (pid > 0) {
            EXPECT_EQ(kill(pid, 0), -1);  // gone, and not left as a zombie either
            EXPECT_EQ(errno, ESRCH);
        }
        EXPECT_EQ(ChildProcessCount(), 0);
        // A cancel closes the progress window; a cleared GIF list has none to close.
        EXPECT_EQ(main.m_pProgressWnd.load() == nullptr, c.job == EncoderJobKind::Page);
        CancelFlag = 0;
    }
}

// The job thread closes the progress window by posting WM_CLOSE to its handle, once, however
// many runs and clean-ups ask for it.
TEST(EncoderRunner, ProgressWindowIsClosedByHandleOnce)
{
    setenv("QUILL_BACKEND", "headless", 1);
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = L"ShowProgress";
    RegisterClassEx(&windowClass);
    HWND window = CreateWindowEx(0, L"ShowProgress", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CMainWnd main;
    int notAWindow = 0;
    main.SetProgressWindow(reinterpret_cast<CShowProgress*>(&notAWindow), window);
    EncoderRunRequest request = FakeRun(L"split");
    request.closeProgressAtEnd = true;
    std::thread job([&] {
        main.RunEncoderWithProgress(request);
        main.CloseProgressWindow();  // the job's own clean-up finds it closed already
    });
    job.join();
    EXPECT_EQ(main.m_pProgressWnd.load(), nullptr);
    int closes = 0;
    MSG message {};
    while (PeekMessage(&message, window, 0, 0, PM_REMOVE))
        closes += message.message == WM_CLOSE;
    EXPECT_EQ(closes, 1);
    DestroyWindow(window);
}

TEST(EncoderRunner, RunAndWaitFinishesTheCommand)
{
    CMainWnd main;
    const std::wstring frame = WideFolder() + L"frame 1.png";
    main.RunEncoderAndWait(L"ffmpeg.exe -y -i \"" + Fixture("small.mp4") + L"\" -vframes 1 -f image2 \"" + frame + L"\"");
    EXPECT_TRUE(Exists(frame));
    EXPECT_EQ(ChildProcessCount(), 0);
}

TEST(EncoderRunner, RealEncoderPercentagesRiseToHundred)
{
    const std::wstring input = Fixture("in put.mp4");
    ASSERT_FALSE(input.empty());
    CMainWnd main;
    main.m_bGifRunning = 1;
    FakeGifRow row;
    EncoderRunRequest request;
    request.command = (L"\"" + RealTimeEncoder() + L"\" -y -i \"" + input + L"\" -f null -").c_str();
    request.durationSeconds = 4;
    request.job = EncoderJobKind::GifList;
    request.row = &row;
    ASSERT_EQ(main.RunEncoderWithProgress(request), kEncoderRunProgressed);
    ASSERT_GE(row.percents.size(), 3u);
    EXPECT_TRUE(std::is_sorted(row.percents.begin(), row.percents.end()));
    EXPECT_GT(row.percents.front(), 0.0f);
    EXPECT_EQ(row.percents.back(), 100.0f);
}

TEST(JobConventions, UniqueOutputPathCountsFromTheGivenName)
{
    CMainWnd main;
    const std::wstring folder = WideFolder() + L"unique 名";
    std::filesystem::create_directories(Narrow(folder));
    const std::wstring wanted = folder + L"/a.mp4";
    EXPECT_EQ(main.MakeUniqueOutputPath(wanted), wanted);
    std::ofstream(Narrow(folder + L"/a.mp4")) << "x";
    EXPECT_EQ(main.MakeUniqueOutputPath(wanted), folder + L"/a(1).mp4");
    std::ofstream(Narrow(folder + L"/a(1).mp4")) << "x";
    EXPECT_EQ(main.MakeUniqueOutputPath(wanted), folder + L"/a(2).mp4");
    EXPECT_EQ(std::wstring(main.MakeUniqueOutputPathUI(wanted.c_str()).GetData()), folder + L"/a(2).mp4");
}

TEST(JobConventions, HistoryEntryNamesAndPaths)
{
    CMainWnd main;
    main.RecordHistoryEntry(L"D:\\clips\\Holiday.MP4", L"/home/u/Tessaly\\Holiday(1).gif");
    const std::vector<HistoryRecord> history = main.HistorySnapshot();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].sourceName, L"Holiday.mp4");
    EXPECT_EQ(history[0].outputName, L"Holiday(1).gif");
    EXPECT_EQ(history[0].sourcePath, L"D:\\clips\\Holiday.MP4");
    EXPECT_EQ(history[0].outputPath, L"/home/u/Tessaly\\Holiday(1).gif");
    int year = 0, month = 0, day = 0;
    ASSERT_EQ(swscanf(history[0].date.c_str(), L"%d-%d-%d", &year, &month, &day), 3);
    EXPECT_GE(year, 2024);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31);
}

TEST(JobConventions, EvenSizesAndRandomDigits)
{
    struct Case { std::wstring width, height, wantWidth, wantHeight; };
    const Case cases[] = {
        { L"481", L"271", L"480", L"270" },
        { L"480", L"", L"480", L"" },
        { L"1", L"2", L"0", L"2" },
    };
    for (const Case& c : cases) {
        std::wstring w = c.width, h = c.height;
        CMainWnd::MakeEvenSizeW(w, h);
        EXPECT_EQ(w, c.wantWidth);
        EXPECT_EQ(h, c.wantHeight);
    }
    CMainWnd main;
    const SkinUI::CUIString digits = main.RandomDigits(6);
    ASSERT_EQ(digits.GetLength(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(digits[i] >= L'0' && digits[i] <= L'9');
}
