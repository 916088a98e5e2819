#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "MediaTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ScreenshotStrip.h"
#include "platform/GdiPlus.h"

using namespace mediatest;

namespace {

class FakeScreenshotList : public ScreenshotListView {
public:
    struct Row {
        Row(std::wstring t, std::wstring p = L"", int h = 0, bool l = false)
            : time(std::move(t)), picture(std::move(p)), height(h), longPicture(l) {}
        std::wstring time, picture;
        int height;
        bool longPicture;
    };
    void AddThumbnailRow(const std::wstring& time, const std::wstring& picture, int height, bool longPicture) override
    {
        rows.emplace_back(time, picture, height, longPicture);
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    std::wstring RowTime(int row) const override
    {
        if (row == cancelAtRow)
            CancelFlag = 1;  // the user cancels while this frame is taken
        return rows[row].time;
    }
    void SetButtonEnabled(const wchar_t* name, bool enabled) override { buttons[name] = enabled; }

    std::vector<Row> rows;
    std::map<std::wstring, bool> buttons;
    int cancelAtRow = -1;
};

class ScreenshotTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_token); }

    void SetUp() override
    {
        const std::wstring name = Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_appFolder = WideFolder() + L"程序 " + name + L"/";
        // "%d" in the folders: the picture writer must not take it for a frame number.
        m_outFolder = WideFolder() + L"shots 100%d [out] " + name;
        m_tempFolder = WideFolder() + L"ZaDaro 100%d " + name;
        for (const std::wstring& folder : { m_appFolder, m_outFolder, m_tempFolder })
            std::filesystem::create_directories(Narrow(folder));
        m_main.m_strEncoder = L"ffmpeg.exe";
        m_main.m_strAppFolder = m_appFolder;
        m_main.m_strDataFolder = m_appFolder;
        m_main.m_strTempFolder = m_tempFolder;
        m_main.m_pPageView = &m_view;
        m_main.m_pScreenshotList = &m_list;
        m_main.m_exportInfo.folder = m_outFolder.c_str();
        CancelFlag = 0;
    }

    void UseVideo(const char* fixture, const wchar_t* width, const wchar_t* height)
    {
        m_main.m_strScreenshotSource = Fixture(fixture);
        m_main.m_strScreenshotWidth = width;
        m_main.m_strScreenshotHeight = height;
    }

    void SetRange(const wchar_t* start, const wchar_t* end, const wchar_t* interval)
    {
        m_view.fields[L"startPicsecound"] = start;
        m_view.fields[L"OVerPicsecound"] = end;
        m_view.fields[L"ScreenTimeInterval"] = interval;
    }

    std::vector<std::string> OutputFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Narrow(m_outFolder)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static ULONG_PTR s_token;
    std::wstring m_appFolder, m_outFolder, m_tempFolder;
    FakePageView m_view;
    FakeScreenshotList m_list;
    MessageRecorder m_messages;
    CMainWnd m_main;
};

ULONG_PTR ScreenshotTest::s_token = 0;

}  // namespace

TEST(ScreenshotThumbnail, HeightKeepsTheAspectAtWidth232)
{
    EXPECT_EQ(ScreenshotThumbnailHeight(L"1920", L"1080"), 130);
    EXPECT_EQ(ScreenshotThumbnailHeight(L"160", L"120"), 174);
    EXPECT_EQ(ScreenshotThumbnailHeight(L"", L"1080"), 0);
    EXPECT_EQ(ScreenshotThumbnailHeight(L"0", L"0"), 0);
}

TEST_F(ScreenshotTest, StripAddsOneRowPerInterval)
{
    UseVideo("long.mp4", L"160", L"120");
    SetRange(L"10", L"20", L"3s");
    m_main.BuildScreenshotStrip();
    ASSERT_EQ(m_list.rows.size(), 4u);
    const wchar_t* times[] = { L"10.00", L"13.00", L"16.00", L"19.00" };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_list.rows[i].time, times[i]);
        EXPECT_EQ(m_list.rows[i].height, 174);
        const OutputInfo picture = Probe(EncoderPath(m_list.rows[i].picture));
        EXPECT_EQ(picture.width, 232);
        EXPECT_EQ(picture.height, 174);
        EXPECT_TRUE(Exists(EncoderPath(m_tempFolder + L"\\temp" + std::to_wstring(i + 1) + L"@.png")));
    }
    EXPECT_EQ(m_main.m_vecScreenshotTimes, (std::vector<float> { 10, 13, 16, 19 }));
    EXPECT_TRUE(m_list.buttons[L"CutOutPic"]);

    SetRange(L"0", L"2", L"0");  // an interval of 0 means one second; numbering goes on
    m_main.BuildScreenshotStrip();
    ASSERT_EQ(m_list.rows.size(), 6u);
    EXPECT_EQ(m_list.rows[5].time, L"1.00");
    EXPECT_EQ(m_main.m_nScreenshotCounter.load(), 6);

    SetRange(L"5", L"5", L"1");
    m_main.BuildScreenshotStrip();
    EXPECT_EQ(m_list.rows.size(), 6u);
}

TEST_F(ScreenshotTest, ExportWritesScaledPicturesWithoutOverwriting)
{
    UseVideo("in put.mp4", L"320", L"240");
    const int first = g_nExportImageCounter + 1;
    m_list.rows = { { L"0.00" }, { L"1.00" }, { L"2.00" } };
    m_view.options = { L"PIcJpg" };
    m_view.fields[L"PicScaling"] = L"50%";
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportScreenshots(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    m_view.options = {};
    m_view.fields[L"PicScaling"] = L"33%";
    // A file already holds the next number: the export must pick another name.
    const std::string taken = "image" + std::to_string(first + 3) + ".png";
    std::ofstream(Narrow(m_outFolder) + "/" + taken) << "keep me";
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportScreenshots(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    const std::vector<std::string> files = OutputFiles();
    ASSERT_EQ(files.size(), 7u);
    int jpegs = 0;
    for (const std::string& file : files) {
        const std::wstring path = m_outFolder + L"/" + Wide(file);
        if (file == taken) {
            std::ifstream kept(Narrow(path));
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
            continue;
        }
        const OutputInfo info = Probe(path);
        const bool jpeg = file.ends_with(".jpg");
        jpegs += jpeg;
        EXPECT_EQ(info.width, jpeg ? 160 : 105) << file;  // 320 x 0.33 = 105.6
        EXPECT_EQ(info.height, jpeg ? 120 : 79) << file;
    }
    EXPECT_EQ(jpegs, 3);
    EXPECT_FLOAT_EQ(m_main.m_fJobPercent.load(), 100.0f);
    EXPECT_EQ(m_messages.Messages().size(), 2u);
}

TEST_F(ScreenshotTest, LongPictureStitchesFramesTopToBottom)
{
    UseVideo("rgb.mp4", L"160", L"120");
    m_list.rows = { { L"2.50" }, { L"0.50" }, { L"1.50" } };
    m_view.options = { L"LongPic" };
    m_view.fields[L"PicScaling"] = L"100%";
    ASSERT_EQ(m_main.FinishPageExport(m_main.ExportScreenshots(m_main.m_exportInfo)), ExportOutcome::Succeeded);
    ASSERT_EQ(OutputFiles(), std::vector<std::string> { "视频截图.png" });
    const std::wstring picture = m_outFolder + L"/视频截图.png";
    const OutputInfo info = Probe(picture);
    EXPECT_EQ(info.width, 160);
    EXPECT_EQ(info.height, 360);
    // The bands follow the list's order, each the colour of its frame's second.
    const char* bands[] = { "blue", "red", "green" };
    for (int k = 0; k < 3; ++k) {
        Rgb colour;
        ASSERT_TRUE(PixelAt(picture, 80, 60 + 120 * k, colour));
        EXPECT_EQ(ColourName(colour), bands[k]) << "band " << k;
    }
}

TEST_F(ScreenshotTest, CancelStopsAndRemovesThisExportsPictures)
{
    UseVideo("in put.mp4", L"320", L"240");
    m_list.rows = { { L"0.00" }, { L"1.00" }, { L"2.00" } };
    m_list.cancelAtRow = 1;
    m_view.fields[L"PicScaling"] = L"100%";
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportScreenshots(m_main.m_exportInfo)), ExportOutcome::Cancelled);
    EXPECT_TRUE(OutputFiles().empty());
    EXPECT_EQ(CancelFlag.load(), 0);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ScreenshotTest, AnEmptyListIsNothingToExportNotASuccess)
{
    UseVideo("small.mp4", L"160", L"120");
    EXPECT_EQ(m_main.FinishPageExport(m_main.ExportScreenshots(m_main.m_exportInfo)), ExportOutcome::Refused);
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_EQ(m_messages.Messages()[0], L"截图列表是空的，没有可导出的图片。");
    EXPECT_TRUE(OutputFiles().empty());
}
