#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <thread>

#include "MediaTestSupport.h"
#include "editor/dialogs/ShowProgress.h"
#include "editor/mainwnd/MainWnd.h"

using namespace mediatest;

namespace {

const std::wstring kSplitDone = L"您的视频文件已分割完成，需要现在打开吗？";

class SplitExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_outFolder = WideFolder() + L"分割 out" + Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Narrow(m_outFolder));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_pPageView = &m_view;
        m_main.m_strSplitFile = Fixture("in put.mp4");
        m_main.m_nSplitDuration = 4000;
        m_main.m_strSplitInfo = L"25";
        m_main.m_exportInfo.folder = m_outFolder.c_str();
        m_main.m_exportInfo.format = L"mp4";
        CancelFlag = 0;
    }

    // Output files by the number in their name: "<base>(<n>).mp4".
    std::map<int, std::wstring> Outputs() const
    {
        std::map<int, std::wstring> files;
        for (const auto& entry : std::filesystem::directory_iterator(Narrow(m_outFolder))) {
            const std::wstring name = Wide(entry.path().filename().string());
            const size_t open = name.rfind(L'(');
            if (open != std::wstring::npos)
                files[static_cast<int>(std::wcstol(name.c_str() + open + 1, nullptr, 10))] = Wide(entry.path().string());
        }
        return files;
    }

    std::wstring m_outFolder;
    FakePageView m_view;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

}  // namespace

TEST_F(SplitExportTest, ByPointEqualPartsAndLength)
{
    m_view.splitTasks = { { L"1-1.500000", L"点" }, { L"2-2", L"B" }, { L"3-1.500000", L"C" } };
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportSplit(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    const std::map<int, std::wstring> files = Outputs();
    ASSERT_EQ(files.size(), 7u);
    const double want[] = { 1.5, 2.5, 2.0, 2.0, 1.5, 1.5, 1.0 };
    int i = 0;
    int first = files.begin()->first;
    for (const auto& [number, path] : files) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(number, first + i);  // numbered on, file after file
        const OutputInfo out = Probe(path);
        EXPECT_EQ(out.videoCodec, "h264");
        EXPECT_EQ(out.audioCodec, "aac");
        EXPECT_NEAR(out.durationSeconds, want[i], 0.1);
        ++i;
    }
    EXPECT_NE(files.begin()->second.find(L"点("), std::wstring::npos);
    EXPECT_EQ(m_main.m_pProgressWnd.load(), nullptr);

    // A second split job goes on counting from the last number.
    m_view.splitTasks = { { L"2-2", L"D" } };
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportSplit(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    const std::map<int, std::wstring> after = Outputs();
    ASSERT_EQ(after.size(), 9u);
    EXPECT_EQ(after.rbegin()->first, first + 8);
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>({ kSplitDone, kSplitDone }));
}

TEST_F(SplitExportTest, ImpossibleTaskIsRefusedBeforeAnyRun)
{
    for (const wchar_t* bad : { L"2-0", L"3-0.000000", L"1-9.000000" }) {
        SCOPED_TRACE(Narrow(bad));
        m_view.splitTasks = { { L"2-2", L"good" }, { bad, L"bad" } };
        EXPECT_EQ(m_main.FinishPageExport(m_main.ExportSplit(m_main.m_exportInfo)), ExportOutcome::Refused);
        EXPECT_TRUE(Outputs().empty());
    }
    EXPECT_EQ(m_messages.Messages().size(), 3u);
    EXPECT_EQ(ChildProcessCount(), 0);
}

TEST_F(SplitExportTest, FailedPiecesAreCheckedAndRemoved)
{
    m_main.m_strSplitFile = Fixture("notmedia.mp4");
    m_view.splitTasks = { { L"2-2", L"broken" } };
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportSplit(m_main.m_exportInfo)), ExportOutcome::Failed);
    EXPECT_TRUE(Outputs().empty());
    EXPECT_EQ(m_messages.Messages(), std::vector<std::wstring>({ L"视频文件分割失败，请您联系客服处理！" }));
}

TEST_F(SplitExportTest, CancelRemovesEveryFileOfTheJob)
{
    // One second, then 39: the cancel comes while the second file is made.
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    m_main.m_strSplitFile = Fixture("long.mp4");
    m_main.m_nSplitDuration = 40000;
    m_view.splitTasks = { { L"1-1.000000", L"long" } };
    CShowProgress progress(&m_main);
    std::atomic<bool> finished { false };
    std::thread user([&] {
        while (!finished && m_main.m_fJobPercent.load() <= 51)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!finished)
            progress.Cancel();
    });
    const ExportOutcome outcome = m_main.FinishPageExport(m_main.ExportSplit(m_main.m_exportInfo));
    finished = true;
    user.join();
    EXPECT_EQ(outcome, ExportOutcome::Cancelled);
    EXPECT_TRUE(Outputs().empty());
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_EQ(CancelFlag.load(), 0);
    EXPECT_TRUE(m_messages.Messages().empty());
}
