#include "editor/mainwnd/EditingRecords.h"

#include <gtest/gtest.h>

namespace {

TextItem StyledItem()
{
    TextItem item;
    item.name = L"Index1001";
    item.text = L"字幕 one";
    item.startSeconds = 1.5f;
    item.endSeconds = 4.2f;
    item.color = 0x00ff8800;
    item.colorText = L"0088ff";
    item.bold = 1;
    item.centerUnderline = 1;
    item.SyncFontStyle();
    item.xText = L"12";
    item.secondYText = L"40";
    item.startText = L"00:00:01.5";
    return item;
}

}  // namespace

TEST(EditingRecords, TextItemSurvivesARoundTripThroughAClip)
{
    const TextItem item = StyledItem();
    EXPECT_EQ(item.fontStyle, kFontBold | kFontStrikeout);
    ClipRecord clip;
    clip.textItems.push_back(item);
    const ClipRecord saved = clip;
    const TextItem& back = saved.textItems.front();
    EXPECT_EQ(back.name, item.name);
    EXPECT_EQ(back.text, item.text);
    EXPECT_EQ(back.color, item.color);
    EXPECT_EQ(back.startText, item.startText);
    EXPECT_EQ(back.secondYText, item.secondYText);
    EXPECT_EQ(back.bold, 1);
    EXPECT_EQ(back.italic, 0);
    EXPECT_EQ(back.centerUnderline, 1);
    EXPECT_EQ(back.fontStyle, kFontBold | kFontStrikeout);
}

TEST(EditingRecords, ClipKeepsItsOwnCopyOfTheTextItems)
{
    std::vector<TextItem> windowItems { StyledItem() };
    ClipRecord clip;
    clip.textItems = windowItems;
    ClipRecord copy = clip;
    windowItems[0].text = L"changed";
    windowItems.push_back(TextItem());
    copy.textItems[0].name = L"Index2000";
    EXPECT_EQ(clip.textItems.size(), 1u);
    EXPECT_EQ(clip.textItems[0].text, L"字幕 one");
    EXPECT_EQ(clip.textItems[0].name, L"Index1001");
}

TEST(EditingRecords, DefaultsStartEmptyAndWhite)
{
    const MediaFileInfo info;
    EXPECT_TRUE(info.name.empty() && info.width.IsEmpty() && info.folder.IsEmpty() && info.path.IsEmpty());
    EXPECT_EQ(std::wstring(WatermarkSettings.font.GetData()), L"微软雅黑");
    EXPECT_EQ(WatermarkSettings.size, 28);
    EXPECT_EQ(WatermarkSettings.textColor, -1);
    EXPECT_EQ(WatermarkSettings.textAlpha, 255);
    const ClipRecord clip;
    EXPECT_EQ(clip.coverKeepRatio, 1);
    EXPECT_EQ(clip.hasSubtitleFile, 1);
    EXPECT_EQ(clip.reserved[0] + clip.reserved[1] + clip.reserved[2], 0);
    EXPECT_EQ(TextItem().scale, 1.0f);
}

// Every picture shape fits the 724 x 360 box, and the scale follows the side that fills it.
TEST(EditingRecords, TextLayerFitsTheBoxForEveryShape)
{
    struct Case { int width, height; int layerWidth, layerHeight; float scale; };
    const Case cases[] = {
        { 1920, 1080, 640, 360, 3.0f },     // 16:9: full height
        { 2390, 1000, 724, 304, 3.3011f },  // 2.39:1, between the box's shape and 2.708: full width
        { 3000, 1000, 724, 242, 4.1436f },  // 3:1
        { 1080, 1920, 202, 360, 5.3333f },  // portrait
        { 724, 360, 724, 360, 1.0f },       // the box's own shape
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const TextLayerSize size = TextLayerSizeFor(static_cast<double>(c.width) / c.height);
        EXPECT_EQ(size.width, c.layerWidth);
        EXPECT_EQ(size.height, c.layerHeight);
        EXPECT_LE(size.width, kTextLayerBoxWidth);
        EXPECT_LE(size.height, kTextLayerBoxHeight);
        EXPECT_NEAR(TextLayerScale(c.width, c.height), c.scale, 1e-3);
    }
    EXPECT_EQ(TextLayerSizeFor(0).width, 0);
    EXPECT_EQ(TextLayerScale(0, 100), 0.0f);
}

TEST(EditingRecords, ClipRecordBecomesAnExportEntry)
{
    ClipRecord clip;
    clip.kind = kClipMusic;
    clip.path = L"/v/clip one.mp4";
    clip.durationMsText = L"83456";
    clip.coverFile = L"/t/cover.png";
    clip.musicPath = L"/m/song.mp3";
    const wchar_t* start[4] = { L"00", L"01", L"02", L"5" };
    const wchar_t* end[4] = { L"00", L"02", L"00", L"0" };
    for (int i = 0; i < 4; ++i) {
        clip.musicStart[i] = start[i];
        clip.musicEnd[i] = end[i];
        clip.positionStart[i] = start[i];
        clip.positionEnd[i] = end[i];
    }
    clip.videoVolume = 50;
    clip.musicVolume = 150;
    clip.musicLoop = 1;
    clip.subtitleFile = L"/s/a.srt";
    clip.textItems.push_back(StyledItem());
    clip.textItems[0].pngPath = L"/t/Index1001.png";

    const ClipExportEntry entry = MakeClipExportEntry(clip, L"1920", L"1080", L"25");
    EXPECT_EQ(entry.kind, kClipMusic);
    EXPECT_EQ(entry.clipPath, L"/v/clip one.mp4");
    EXPECT_EQ(entry.durationMsText, L"83456");
    EXPECT_FLOAT_EQ(entry.musicStart, 62.5f);
    EXPECT_FLOAT_EQ(entry.musicEnd, 120.0f);
    EXPECT_FLOAT_EQ(entry.placeStart, 62.5f);
    EXPECT_EQ(entry.soundVolume, 50);
    EXPECT_EQ(entry.musicVolume, 150);
    EXPECT_TRUE(entry.loopMusic);
    EXPECT_EQ(entry.videoWidth, L"1920");
    EXPECT_EQ(entry.frameRate, L"25");
    EXPECT_TRUE(entry.useSubtitleFile);
    ASSERT_EQ(entry.subtitles.size(), 1u);
    EXPECT_EQ(entry.subtitles[0].picturePath, L"/t/Index1001.png");
    EXPECT_FLOAT_EQ(entry.subtitles[0].startSeconds, 1.5f);

    clip.hasSubtitleFile = 0;
    EXPECT_FALSE(MakeClipExportEntry(clip, L"", L"", L"").useSubtitleFile);
}
