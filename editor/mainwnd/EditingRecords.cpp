#include "editor/mainwnd/EditingRecords.h"

WatermarkStyle WatermarkSettings;

void TextItem::SyncFontStyle()
{
    fontStyle = (bold ? kFontBold : 0) | (italic ? kFontItalic : 0) | (bottomUnderline ? kFontUnderline : 0)
        | (centerUnderline ? kFontStrikeout : 0);
}

namespace {

constexpr double kBoxAspect = static_cast<double>(kTextLayerBoxWidth) / kTextLayerBoxHeight;

float SecondsOf(const SkinUI::CUIString (&time)[4])
{
    return ClipTimeSeconds(time[0].GetData(), time[1].GetData(), time[2].GetData(), time[3].GetData());
}

}  // namespace

TextLayerSize TextLayerSizeFor(double aspect)
{
    if (aspect <= 0)
        return {};
    if (aspect > kBoxAspect) {
        const int margin = static_cast<int>((kTextLayerBoxHeight - kTextLayerBoxWidth / aspect) / 2);
        return { kTextLayerBoxWidth, kTextLayerBoxHeight - 2 * margin };
    }
    return { static_cast<int>(aspect * kTextLayerBoxHeight), kTextLayerBoxHeight };
}

float TextLayerScale(int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return 0;
    const double aspect = static_cast<double>(pictureWidth) / pictureHeight;
    if (aspect > kBoxAspect)
        return static_cast<float>(pictureWidth) / kTextLayerBoxWidth;
    return static_cast<float>(pictureHeight) / kTextLayerBoxHeight;
}

ClipExportEntry MakeClipExportEntry(const ClipRecord& clip, const std::wstring& videoWidth,
                                    const std::wstring& videoHeight, const std::wstring& frameRate)
{
    ClipExportEntry entry;
    entry.kind = clip.kind;
    entry.clipPath = clip.path.GetData();
    entry.durationMsText = clip.durationMsText.GetData();
    entry.frameRate = frameRate;
    entry.coverDuration = clip.coverDuration;
    entry.coverPicture = clip.coverFile;
    entry.musicPath = clip.musicPath.GetData();
    entry.musicStart = SecondsOf(clip.musicStart);
    entry.musicEnd = SecondsOf(clip.musicEnd);
    entry.placeStart = SecondsOf(clip.positionStart);
    entry.placeEnd = SecondsOf(clip.positionEnd);
    entry.soundVolume = clip.videoVolume;
    entry.musicVolume = clip.musicVolume;
    entry.loopMusic = clip.musicLoop != 0;
    entry.videoWidth = videoWidth;
    entry.videoHeight = videoHeight;
    entry.watermarkPicture = clip.watermarkPng;
    entry.useSubtitleFile = clip.hasSubtitleFile && !clip.subtitleFile.empty();
    entry.subtitleFile = clip.subtitleFile;
    for (const TextItem& item : clip.textItems)
        entry.subtitles.push_back({ item.pngPath, item.startSeconds, item.endSeconds });
    return entry;
}
