// Every export is judged by the file it wrote, with the real encoder: a frame that was not taken,
// a file cut short by a full disk, a range past the source's end and a text track the container
// cannot take. The full disk is a file-size limit on the encoder's process (setrlimit through
// prlimit, see SizeLimitedEncoder): a test cannot count on being allowed to mount a small tmpfs.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/ScreenshotStrip.h"
#include "platform/GdiPlus.h"

using namespace mediatest;

namespace {

constexpr long kFullDiskBytes = 16 * 1024;

class FramesList : public ScreenshotListView {
public:
    explicit FramesList(std::vector<std::wstring> times) : m_times(std::move(times)) {}
    void AddThumbnailRow(const std::wstring&, const std::wstring&, int, bool) override {}
    int RowCount() const override { return static_cast<int>(m_times.size()); }
    std::wstring RowTime(int row) const override { return m_times[row]; }
    void SetButtonEnabled(const wchar_t*, bool) override {}

private:
    std::vector<std::wstring> m_times;
};

// One export as a user starts it: a fresh main window over the shared data folder, writing into
// its own output folder.
struct Export {
    explicit Export(const std::wstring& outFolder)
    {
        main.m_strEncoder = L"ffmpeg.exe";
        main.m_strAppFolder = DataFolder();
        main.m_strDataFolder = DataFolder();
        main.m_pPageView = &view;
        main.m_exportInfo.folder = outFolder.c_str();
        main.m_exportInfo.name = L"out";
        main.m_exportInfo.format = L"mp4";
        CancelFlag = 0;
    }
    static std::wstring DataFolder() { return WideFolder() + L"数据 judged/"; }

    // A long picture of the frames at these times of a 160x120 video.
    ExportOutcome LongPicture(const char* fixture, std::vector<std::wstring> times)
    {
        FramesList list(std::move(times));
        main.m_pScreenshotList = &list;
        main.m_strScreenshotSource = Fixture(fixture);
        main.m_strScreenshotWidth = L"160";
        main.m_strScreenshotHeight = L"120";
        view.options = { L"LongPic" };
        view.fields[L"PicScaling"] = L"100%";
        return main.FinishPageExport(main.ExportScreenshots(main.m_exportInfo));
    }

    FakePageView view;
    CMainWnd main;
};

class OutputJudgingTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_token, &input, nullptr);
        std::filesystem::create_directories(Narrow(Export::DataFolder()));
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_token); }

    static ULONG_PTR s_token;
};

ULONG_PTR OutputJudgingTest::s_token = 0;

std::vector<std::string> FilesIn(const std::wstring& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Narrow(folder)))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST_F(OutputJudgingTest, EveryExportIsJudgedByItsFile)
{
    const std::wstring kFailed[] = {
        L"视频截图失败，请您联系客服处理！", L"视频文件调整失败，请您联系客服处理！", L"视频文件分割失败，请您联系客服处理！",
    };
    struct Case {
        const char* name;
        std::function<ExportOutcome(const std::wstring& out)> run;
        ExportOutcome want;
        std::vector<std::wstring> messages;
        std::vector<std::string> files;  // left in the output folder
    };
    const Case cases[] = {
        { "frames past the end, over an earlier run's frames of the same numbers",
          [](const std::wstring& out) {
              {
                  Export earlier(out + L" earlier");
                  std::filesystem::create_directories(Narrow(out + L" earlier"));
                  g_nExportImageCounter = 0;  // each run of the program numbers its frames from 1
                  EXPECT_EQ(earlier.LongPicture("red.mp4", { L"0.50", L"1.50", L"2.50" }), ExportOutcome::Succeeded);
              }
              g_nExportImageCounter = 0;
              Export later(out);
              return later.LongPicture("blue.mp4", { L"7.00", L"8.00", L"9.00" });
          },
          ExportOutcome::Failed, { L"您的视频文件已截图完成，需要现在打开吗？", kFailed[0] }, {} },
        { "adjust onto a full disk",
          [](const std::wstring& out) {
              Export adjust(out);
              adjust.main.m_strEncoder = SizeLimitedEncoder(kFullDiskBytes).c_str();
              adjust.main.m_strAdjustSourcePath = Fixture("in put.mp4");
              adjust.main.m_nAdjustSourceMs = 4000;
              adjust.view.fields = { { L"Comspin", L"原始" }, { L"VideoAcpect", L"原始" }, { L"Speed", L"1.0x" } };
              return adjust.main.FinishPageExport(adjust.main.ExportAdjusted(adjust.main.m_exportInfo));
          },
          ExportOutcome::Failed, { kFailed[1] }, {} },
        { "GIF onto a full disk",
          [](const std::wstring& out) {
              Export gif(out);
              FakeGifRow row;
              gif.view.gifRows = { { L"Gif1", &row } };
              gif.main.m_strEncoder = SizeLimitedEncoder(kFullDiskBytes).c_str();
              GifListItem item;
              item.filePath = Fixture("in put.mp4").c_str();
              item.outputName = L"anim";
              item.frameRate = L"10";
              item.rowName = L"Gif1";
              item.duration = L"4000";
              gif.main.AddGifToQueue(item);
              gif.main.m_bGifRunning = 1;
              const ExportOutcome outcome = gif.main.ExportGif(gif.main.m_exportInfo);
              EXPECT_EQ(row.finished, 1);
              EXPECT_FALSE(row.succeeded);  // the row shows its failure note
              EXPECT_TRUE(gif.main.HistorySnapshot().empty());
              return outcome;
          },
          ExportOutcome::Failed, {}, {} },
        { "split onto a full disk",
          [](const std::wstring& out) {
              Export split(out);
              split.main.m_strEncoder = SizeLimitedEncoder(kFullDiskBytes).c_str();
              split.main.m_strSplitFile = Fixture("in put.mp4");
              split.main.m_nSplitDuration = 4000;
              split.main.m_strSplitInfo = L"25";
              split.view.splitTasks = { { L"2-2", L"piece" } };
              return split.main.FinishPageExport(split.main.ExportSplit(split.main.m_exportInfo));
          },
          ExportOutcome::Failed, { kFailed[2] }, {} },
        { "cut starting at the very end",
          [](const std::wstring& out) {
              Export cut(out);
              cut.main.m_strCutFile = Fixture("blue.mp4");
              cut.main.m_strCutInfo = L"25";
              cut.view.SetCutRange(6.0, 8.0);
              return cut.main.FinishPageExport(cut.main.ExportCut(cut.main.m_exportInfo));
          },
          ExportOutcome::Refused, { L"剪切的开始时间不在视频时长之内，请修改时间后重新导出。" }, {} },
        { "cut of an MP4 with a timed-text track into MKV",
          [](const std::wstring& out) {
              Export cut(out);
              cut.main.m_strCutFile = Fixture("timedtext.mp4");
              cut.main.m_strCutWidth = L"160";
              cut.main.m_strCutHeight = L"120";
              cut.main.m_strCutInfo = L"25";
              cut.main.m_exportInfo.format = L"mkv";
              cut.main.m_strCutViewWidth = L"400";  // the crop rectangle stays untouched
              cut.main.m_strCutViewHeight = L"300";
              cut.view.SetCutRange(1.0, 3.0);
              const ExportOutcome outcome = cut.main.FinishPageExport(cut.main.ExportCut(cut.main.m_exportInfo));
              const OutputInfo info = Probe(out + L"/out.mkv");
              EXPECT_NEAR(info.durationSeconds, 2.0, 0.15);
              EXPECT_FALSE(info.audioCodec.empty());
              return outcome;
          },
          ExportOutcome::Succeeded, { L"您的视频文件已剪切完成,需要现在打开吗？" }, { "out.mkv" } },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring out = WideFolder() + L"judged out " + std::to_wstring(++n);
        std::filesystem::create_directories(Narrow(out));
        MessageRecorder messages;
        EXPECT_EQ(c.run(out), c.want);
        EXPECT_EQ(messages.Messages(), c.messages);
        EXPECT_EQ(FilesIn(out), c.files);
    }
}
