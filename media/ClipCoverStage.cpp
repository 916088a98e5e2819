// The clip-list export's cover stage. A cover shown for less than 0.2 s becomes the output's
// attached picture while the clip's streams are copied; a longer one becomes a still video of that
// length joined in front of the clip, both halves fitted into the larger size of the two.

#include <cwchar>
#include <cwctype>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/MediaLibraries.h"
#include "media/MediaProbe.h"
#include "platform/Windows.h"

namespace {

constexpr double kAttachedPictureSeconds = 0.2;
constexpr long kLargestCoverSide = 4000;

std::wstring Arg(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

long Number(const std::wstring& text)
{
    return std::wcstol(text.c_str(), nullptr, 10);
}

bool SplitSize(const std::wstring& text, std::wstring& width, std::wstring& height)
{
    const size_t x = text.find(L'x');
    if (x == std::wstring::npos || text.find(L'x', x + 1) != std::wstring::npos)
        return false;
    width = text.substr(0, x);
    height = text.substr(x + 1);
    return true;
}

}  // namespace

bool PictureSize(const std::wstring& path, long& width, long& height)
{
    const MediaLibraryCalls* av = MediaLibraries();
    AVFormatContext* format = nullptr;
    if (!av || av->avformat_open_input(&format, WideToUtf8(path).c_str(), nullptr, nullptr) != 0)
        return false;
    width = height = 0;
    if (av->avformat_find_stream_info(format, nullptr) >= 0) {
        for (unsigned i = 0; i < format->nb_streams && width == 0; ++i) {
            const AVCodecParameters* codec = format->streams[i]->codecpar;
            if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
                width = codec->width;
                height = codec->height;
            }
        }
    }
    av->avformat_close_input(&format);
    return width > 0 && height > 0;
}


bool CMainWnd::ExportClipCover(const ClipExportEntry& entry, const std::wstring& outputPath)
{
    const float clipSeconds = static_cast<float>(Number(entry.durationMsText) / 1000);
    EncoderRunRequest run;
    run.job = EncoderJobKind::ClipList;
    run.row = entry.row;
    if (static_cast<double>(entry.coverDuration) < kAttachedPictureSeconds) {
        run.command = FormatWide(L"%s -y -i \"%s\" -i \"%s\" -map 0 -map 1 -c copy -disposition:v:1 attached_pic  %s  \"%s\" ",
                                 m_strEncoder.GetData(), Arg(entry.clipPath).c_str(), Arg(entry.coverPicture).c_str(),
                                 m_strEncoderExtra.GetData(), Arg(outputPath).c_str()).c_str();
        run.outputPath = outputPath;
        run.durationSeconds = clipSeconds;
        RunEncoderWithProgress(run);
        return true;
    }

    std::wstring clipWidth, clipHeight;
    const bool clipSized = entry.row && SplitSize(entry.row->Resolution(), clipWidth, clipHeight);
    long coverWidth = 0, coverHeight = 0;
    if (!clipSized || !PictureSize(entry.coverPicture, coverWidth, coverHeight))
        return false;
    // A very large cover takes the clip's width (landscape) or height (portrait), keeping its aspect.
    if (coverWidth > kLargestCoverSide || coverHeight > kLargestCoverSide) {
        if (coverWidth > coverHeight) {
            coverHeight = static_cast<long>(static_cast<double>(coverHeight) * Number(clipWidth) / coverWidth);
            coverWidth = Number(clipWidth);
        } else {
            coverWidth = static_cast<long>(static_cast<double>(coverWidth) * Number(clipHeight) / coverHeight);
            coverHeight = Number(clipHeight);
        }
    }
    std::wstring w = std::to_wstring(coverWidth), h = std::to_wstring(coverHeight);
    MakeEvenSizeW(w, h);
    // One still video per export and clip: another clip's cover is never overwritten.
    const std::wstring mergeFolder = JoinPath(m_strDataFolder, L"TempMerge");
    const std::wstring segment = JoinPath(mergeFolder, FormatWide(L"tempCorver-%s.mp4", RandomDigits(10).GetData()));
    CreateFolderWithParents(mergeFolder);
    run.command = FormatWide(L"%s  -loop 1 -f image2 -pattern_type none  -y -i \"%s\"  -t  %f -vcodec h264  -s %sx%s  -preset superfast "
                             L"-pix_fmt yuv420p %s  \"%s\" ",
                             m_strEncoder.GetData(), Arg(entry.coverPicture).c_str(),
                             static_cast<double>(entry.coverDuration), w.c_str(), h.c_str(),
                             m_strEncoderExtra.GetData(), Arg(segment).c_str()).c_str();
    run.outputPath = segment;
    run.durationSeconds = entry.coverDuration;
    run.partCount = 2;
    RunEncoderWithProgress(run);

    std::wstring targetWidth = Number(w) > Number(clipWidth) ? w : clipWidth;
    std::wstring targetHeight = Number(h) > Number(clipHeight) ? h : clipHeight;
    MakeEvenSizeW(targetWidth, targetHeight);
    const wchar_t* tw = targetWidth.c_str();
    const wchar_t* th = targetHeight.c_str();
    const std::wstring silence = Arg(m_strAppFolder + L"roreravconvert.aac");
    std::wstring graph;
    for (int j = 0; j < 2; ++j)
        graph += FormatWide(L"[%d:v]scale='trunc(min(%s,%s*dar)/2)*2':'trunc(min(%s/dar,%s)/2)*2',setsar=1:1,"
                            L"pad=%s:%s:trunc((%s-iw)/2):trunc((%s-ih)/2):black[slice%d];",
                            j, tw, th, tw, th, tw, th, tw, th, j);
    // The cover half is silent; so is the clip half of a clip without sound.
    graph += entry.row->IsMute() ? L"[slice0][2:a][slice1][3:a]" : L"[slice0][2:a][slice1][1:a]";
    const std::wstring exactRate = MediaProbe::EncoderFrameRate(entry.clipPath, entry.frameRate);
    const std::wstring rate = exactRate.empty() ? L"" : L" -r " + exactRate;
    run.command = FormatWide(L"%s -y -i \"%s\" -i \"%s\"  -i \"%s\" -i \"%s\"  -filter_complex \"%sconcat=n=2:v=1:a=1[v][a]\" "
                             L"-map [v] -map [a] -vcodec h264 -acodec aac -preset superfast -pix_fmt yuv420p  %s %s   \"%s\"",
                             m_strEncoder.GetData(), Arg(segment).c_str(), Arg(entry.clipPath).c_str(), silence.c_str(),
                             silence.c_str(), graph.c_str(), rate.c_str(), m_strEncoderExtra.GetData(),
                             Arg(outputPath).c_str()).c_str();
    run.outputPath = outputPath;
    run.durationSeconds = clipSeconds + entry.coverDuration;
    run.partCount = 2;
    run.basePercent = 50;
    RunEncoderWithProgress(run);
    ::DeleteFile(segment.c_str());
    return true;
}
