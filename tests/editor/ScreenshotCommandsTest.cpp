// The screenshot page's commands on the real skin: single captures on a worker, the strip, the
// export button that follows the list, and a real export probed afterwards.
#include <gtest/gtest.h>

#include "PageCommandsFixture.h"
#include "media/CommandText.h"

namespace hl = platform::headless;

namespace {

class ScreenshotCommands : public pagecmd::PageCommandsFixture {
protected:
    void SetUp() override
    {
        pagecmd::PageCommandsFixture::SetUp();
        incoming::Select(window->m_ptabScreen);
        incoming::ShowPageOf(*window, window->m_pListScreen);
        window->m_pPicVer->SetVisible(false);
        window->m_pPicVerPlayer->SetVisible(true);
        hl::PumpMessages();
    }
    // What loading the file leaves for the captures.
    void Source(const std::wstring& path, const wchar_t* width, const wchar_t* height)
    {
        window->m_strScreenshotSource = path;
        window->m_strScreenshotWidth = width;
        window->m_strScreenshotHeight = height;
        window->m_nShotDuration = 3000;
        window->m_strShotDuration = L"00:00:03";
    }
    bool Enabled(const wchar_t* name) { return Find(name)->IsEnabled(); }
    SkinUI::CControlUI* Shot(int row) { return RowChild(Row(window->m_pListScreen, row), { 0, 1 }); }
    std::string PictureOf(int row)
    {
        const std::wstring image = Shot(row)->GetBkImage().GetData();  // "file='...' "
        const size_t open = image.find(L'\''), close = image.rfind(L'\'');
        return WideToUtf8(EncoderPath(image.substr(open + 1, close - open - 1)));
    }
    void SetFields(std::initializer_list<const wchar_t*> names, std::initializer_list<const wchar_t*> texts)
    {
        auto text = texts.begin();
        for (const wchar_t* name : names)
            Find(name)->SetText(*text++);
    }
};

}  // namespace

TEST_F(ScreenshotCommands, ASingleCaptureRunsBesideTheWindowAndNeverOverwritesAnEarlierPicture)
{
    const std::wstring clip = incoming::MakeMedia("full hd.mp4", "-f lavfi -i testsrc=size=1920x1080:rate=25 -t 1" + incoming::kH264);
    ASSERT_FALSE(clip.empty());
    Source(clip, L"1920", L"1080");
    Click(L"CutOutPic");
    // The click has returned while the encoder runs: the page waits with its buttons off.
    EXPECT_EQ(Count(window->m_pListScreen), 0);
    EXPECT_FALSE(Enabled(L"CutOutPic"));
    EXPECT_FALSE(Enabled(L"ScreenChange"));
    EXPECT_FALSE(Enabled(L"ScreenExport"));
    ASSERT_TRUE(incoming::PumpUntil([&] { return Count(window->m_pListScreen) == 1; }, 20000))
        << (Notices().empty() ? std::string() : WideToUtf8(Notices().back()));
    SkinUI::CControlUI* row = Row(window->m_pListScreen, 0);
    EXPECT_EQ(std::wstring(row->GetUserData().GetData()), L"0.00");
    EXPECT_EQ(row->GetFixedHeight(), 130 + 32);
    EXPECT_EQ(Shot(0)->GetFixedHeight(), 130);
    const std::string first = PictureOf(0);
    const pagecmd::Probed picture = pagecmd::FfProbe(first);
    EXPECT_EQ(picture.width, 232);
    EXPECT_EQ(picture.height, 130);
    EXPECT_TRUE(Enabled(L"CutOutPic"));
    EXPECT_TRUE(Enabled(L"ScreenExport"));

    // A long picture's rows have no delete bar; after a clear the numbering goes on.
    incoming::Select(Find(L"LongPic"));
    Click(L"ClearScreen");
    EXPECT_FALSE(Enabled(L"ScreenExport"));
    Click(L"CutOutPic");
    ASSERT_TRUE(incoming::PumpUntil([&] { return Count(window->m_pListScreen) == 1 && Enabled(L"CutOutPic"); }, 20000));
    EXPECT_EQ(Row(window->m_pListScreen, 0)->GetFixedHeight(), 130);
    EXPECT_FALSE(RowChild(Row(window->m_pListScreen, 0), { 0, 0 })->IsVisible());
    const std::string second = PictureOf(0);
    EXPECT_NE(second, first);
    EXPECT_TRUE(std::filesystem::exists(first)) << "the earlier picture was overwritten or removed";
    EXPECT_TRUE(std::filesystem::exists(second));

    // Removing the last row turns the export off again.
    Click(RowChild(Row(window->m_pListScreen, 0), { 0, 0, 1 }));
    EXPECT_EQ(Count(window->m_pListScreen), 0);
    EXPECT_FALSE(Enabled(L"ScreenExport"));
}

TEST_F(ScreenshotCommands, AFileWithoutAPictureIsRefusedWithANotice)
{
    const std::wstring tone = incoming::MakeMedia("tone.m4a", "-f lavfi -i sine -t 1 -c:a aac");
    ASSERT_FALSE(tone.empty());
    Source(tone, L"", L"");
    Click(L"CutOutPic");
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Count(window->m_pListScreen), 0);
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0], L"抱歉！此文件没有可截取的画面。");
    EXPECT_TRUE(Enabled(L"CutOutPic"));
    EXPECT_FALSE(Enabled(L"ScreenExport"));
}

TEST_F(ScreenshotCommands, AStripFillsTheListAndItsPicturesAreExported)
{
    const std::wstring clip = incoming::VideoWithSound("strip.mp4", 3);
    ASSERT_FALSE(clip.empty());
    Source(clip, L"320", L"240");
    EXPECT_FALSE(Find(L"MyHor")->IsVisible()) << "single shots need no range";
    incoming::Select(Find(L"Succseeion"));
    EXPECT_TRUE(Find(L"MyHor")->IsVisible()) << "a series shows its range";
    SetFields({ L"ScreenTimeInterval" }, { L"1s" });

    // An empty range adds nothing and leaves the export off.
    SetFields({ L"OVerPictHour", L"OVerPicMinute", L"OVerPicsecound", L"startPicHour", L"startPicMinute", L"startPicsecound" },
              { L"00", L"00", L"00", L"00", L"00", L"00" });
    Click(L"CutOutPic");
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Count(window->m_pListScreen), 0);
    EXPECT_FALSE(Enabled(L"ScreenExport"));
    EXPECT_TRUE(Enabled(L"CutOutPic"));
    // With nothing listed the export says so and asks nothing.
    AnswerSettings(0, FreshFolder("shots-none"));
    Find(L"ScreenExport")->SetEnabled(true);
    Click(L"ScreenExport");
    EXPECT_EQ(Notices().back(), L"截图列表是空的，请先截取画面到列表再导出。");
    {
        std::lock_guard lock(m_lock);
        EXPECT_TRUE(modes.empty());
    }

    SetFields({ L"OVerPicsecound", L"startPicsecound" }, { L"02", L"00" });
    Click(L"CutOutPic");
    EXPECT_FALSE(Enabled(L"CutOutPic")) << "a second strip could start beside the first";
    ASSERT_TRUE(Settle());
    ASSERT_EQ(Count(window->m_pListScreen), 2);
    EXPECT_EQ(std::wstring(Row(window->m_pListScreen, 1)->GetUserData().GetData()), L"1.00");
    EXPECT_TRUE(Enabled(L"ScreenExport"));

    const std::string out = FreshFolder("shots");
    AnswerSettings(0, out);
    Click(L"ScreenExport");
    ASSERT_TRUE(Settle(30000));
    const std::vector<std::string> files = FilesIn(out);
    ASSERT_EQ(files.size(), 2u);
    for (const std::string& name : files) {
        const pagecmd::Probed picture = pagecmd::FfProbe(out + "/" + name);
        EXPECT_EQ(picture.videoCodec, "mjpeg") << name;
        EXPECT_EQ(picture.width, 320) << name;
        EXPECT_EQ(picture.height, 240) << name;
    }
}
