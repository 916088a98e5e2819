#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"

using namespace mediatest;

namespace {

GifListItem Item(const std::wstring& source, const wchar_t* output, const wchar_t* rate, const wchar_t* row,
                 const wchar_t* width, const wchar_t* height, const wchar_t* durationMs)
{
    GifListItem item;
    item.filePath = source.c_str();
    item.outputName = output;
    item.frameRate = rate;
    item.rowName = row;
    item.width = width;
    item.height = height;
    item.duration = durationMs;
    return item;
}

class GifExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_outFolder = WideFolder() + L"动图 [gif]" + Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Narrow(m_outFolder));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_pPageView = &m_view;
        m_main.m_exportInfo.folder = m_outFolder.c_str();
        m_view.gifRows = { { L"Gif1", &m_row1 }, { L"Gif2", &m_row2 } };
    }

    std::wstring m_outFolder;
    FakePageView m_view;
    FakeGifRow m_row1, m_row2;
    CMainWnd m_main;
};

}  // namespace

TEST_F(GifExportTest, RowsShowTheirProgressAndResult)
{
    std::ofstream(Narrow(m_outFolder + L"/anim.gif")) << "an older GIF of the same name";
    m_main.AddGifToQueue(Item(Fixture("in put.mp4"), L"anim", L"10", L"Gif1", L"161", L"121", L"4000"));
    m_main.AddGifToQueue(Item(Fixture("clip.webm"), L"small", L"", L"Gif2", L"", L"", L"2000"));
    m_main.m_bGifRunning = 1;  // as the launcher does
    ASSERT_EQ(m_main.ExportGif(m_main.m_exportInfo), ExportOutcome::Succeeded);

    for (FakeGifRow* row : { &m_row1, &m_row2 }) {
        EXPECT_EQ(row->begun, 1);
        EXPECT_EQ(row->finished, 1);
        EXPECT_TRUE(row->succeeded);
        ASSERT_FALSE(row->percents.empty());
        EXPECT_TRUE(std::is_sorted(row->percents.begin(), row->percents.end()));
        EXPECT_EQ(row->percents.back(), 100.0f);
    }
    EXPECT_EQ(m_row1.output, m_outFolder + L"/anim(1).gif");
    const OutputInfo first = Probe(EncoderPath(m_row1.output));
    EXPECT_EQ(first.videoCodec, "gif");
    EXPECT_EQ(first.width, 160);  // 161 x 121 lowered to even sides
    EXPECT_EQ(first.height, 120);
    EXPECT_NEAR(first.durationSeconds, 4.0, 0.15);
    const OutputInfo second = Probe(EncoderPath(m_row2.output));
    EXPECT_EQ(second.width, 160);  // no height: the source's size
    EXPECT_EQ(m_main.HistorySnapshot().size(), 2u);
    EXPECT_EQ(m_view.busyChanges, std::vector<bool>({ true, false }));
    EXPECT_TRUE(m_main.m_vecGifQueue.empty());
    EXPECT_EQ(m_main.m_bGifRunning.load(), 0);
}

TEST_F(GifExportTest, ClearingTheListStopsTheJob)
{
    m_main.m_strEncoder = RealTimeEncoder().c_str();
    m_main.AddGifToQueue(Item(Fixture("long.mp4"), L"long", L"5", L"Gif1", L"", L"", L"40000"));
    m_main.AddGifToQueue(Item(Fixture("small.mp4"), L"small", L"5", L"Gif2", L"", L"", L"1000"));
    std::thread user([&] {
        for (;;) {
            {
                std::lock_guard guard(m_row1.lock);
                if (!m_row1.percents.empty())
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_main.m_bGifRunning = 0;  // the user cleared the GIF list
    });
    m_main.m_bGifRunning = 1;  // as the launcher does
    const ExportOutcome outcome = m_main.ExportGif(m_main.m_exportInfo);
    user.join();
    EXPECT_EQ(outcome, ExportOutcome::Cancelled);
    EXPECT_EQ(m_row2.begun, 0);  // the rest of the queue stays untouched
    EXPECT_TRUE(std::filesystem::is_empty(Narrow(m_outFolder)));
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_TRUE(m_main.HistorySnapshot().empty());
}

namespace {

// Calls back when the job reports its list busy or free: the free report is the job's end.
class EndHookView : public FakePageView {
public:
    void SetGifListBusy(bool busy) override
    {
        FakePageView::SetGifListBusy(busy);
        if (!busy && onEnd)
            onEnd();
    }
    std::function<void()> onEnd;
};

}  // namespace

TEST_F(GifExportTest, ARowOfferedAsTheJobEndsIsTakenAndFinishedOrLeftForANewExport)
{
    EndHookView view;
    view.gifRows = { { L"Gif1", &m_row1 }, { L"Gif2", &m_row2 } };
    m_main.m_pPageView = &view;
    m_main.m_strEncoder = L"/bin/true";  // ends at once; the row's result does not matter here
    // At the job's end another thread presses row 2's export. It is either taken by this job, or
    // refused so that the press launches a new export; it must never be taken and then dropped.
    std::future<bool> offered;
    view.onEnd = [&] {
        offered = std::async(std::launch::async, [&] {
            return m_main.OfferGifToRunningJob({ Item(Fixture("small.mp4"), L"b", L"", L"Gif2", L"", L"", L"1000") });
        });
        offered.wait_for(std::chrono::milliseconds(300));
    };
    m_main.m_bGifRunning = 1;  // as the launcher does
    m_main.AddGifToQueue(Item(Fixture("small.mp4"), L"a", L"", L"Gif1", L"", L"", L"1000"));
    m_main.ExportGif(m_main.m_exportInfo);
    ASSERT_TRUE(offered.valid());
    const bool taken = offered.get();
    EXPECT_FALSE(taken) << "the job took a row after it had decided to end";
    EXPECT_EQ(m_row2.finished, taken ? 1 : 0);
    EXPECT_TRUE(m_main.m_vecGifQueue.empty());
    EXPECT_EQ(m_main.m_bGifRunning.load(), 0);
}
