// The clip-list export's watermark and subtitle stages: a watermark picture over the whole clip,
// a subtitle file burnt in, or typed subtitles each shown over its own time span. The pictures are
// scaled to the clip's frame inside the filter graph, so the pictures the records name are never
// rewritten or deleted here, and every path in a filter is escaped for any file name.

#include <cstdio>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"

namespace {

std::wstring Arg(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

bool FrameSizeKnown(const ClipExportEntry& entry)
{
    return std::wcstol(entry.videoWidth.c_str(), nullptr, 10) > 0 && std::wcstol(entry.videoHeight.c_str(), nullptr, 10) > 0;
}

}  // namespace

bool CMainWnd::ExportClipWatermark(const ClipExportEntry& entry, const std::wstring& outputPath)
{
    if (!FrameSizeKnown(entry))
        return false;
    const std::wstring graph = FormatWide(L"[1:v]scale=%s:%s[mark];[0:v][mark]overlay=0:0[v]", entry.videoWidth.c_str(),
                                          entry.videoHeight.c_str());
    EncoderRunRequest run;
    run.command = FormatWide(L"%s -y -i \"%s\" -i  \"%s\" -filter_complex \"%s\" -map [v] -map 0:a? -vcodec h264 "
                             L"-acodec aac -pix_fmt yuv420p -preset superfast %s\"%s\"",
                             m_strEncoder.GetData(), Arg(entry.clipPath).c_str(), Arg(entry.watermarkPicture).c_str(),
                             graph.c_str(), m_strEncoderExtra.GetData(), Arg(outputPath).c_str()).c_str();
    run.outputPath = outputPath;
    run.durationSeconds = static_cast<float>(std::wcstol(entry.durationMsText.c_str(), nullptr, 10) / 1000);
    run.job = EncoderJobKind::ClipList;
    run.row = entry.row;
    RunEncoderWithProgress(run);
    return true;
}

bool CMainWnd::ExportClipSubtitles(const ClipExportEntry& entry, const std::wstring& outputPath)
{
    std::wstring graph;
    if (entry.useSubtitleFile) {
        graph = L"[0:v]subtitles=" + EscapeFilterPath(entry.subtitleFile) + L"[v]";
    } else {
        if (entry.subtitles.empty() || !FrameSizeKnown(entry)) {
            std::printf("clip list: no typed subtitles to lay over\n");
            return false;
        }
        const size_t count = entry.subtitles.size();
        for (size_t k = 0; k < count; ++k)
            graph += FormatWide(L"movie=%s,scale=%s:%s,format=yuva444p,colorchannelmixer=aa=1.00[ImageSrc%zu];",
                                EscapeFilterPath(entry.subtitles[k].picturePath).c_str(), entry.videoWidth.c_str(),
                                entry.videoHeight.c_str(), k);
        for (size_t k = 0; k < count; ++k) {
            const std::wstring in = k == 0 ? L"[0:v]" : FormatWide(L"[v%zu]", k);
            const std::wstring out = k + 1 == count ? L"[v]" : FormatWide(L"[v%zu];", k + 1);
            graph += FormatWide(L"%s[ImageSrc%zu]overlay=1:1:enable=between(t\\,%f\\,%f)%s", in.c_str(), k,
                                static_cast<double>(entry.subtitles[k].startSeconds),
                                static_cast<double>(entry.subtitles[k].endSeconds), out.c_str());
        }
    }
    EncoderRunRequest run;
    run.command = FormatWide(L"%s -y -i \"%s\"  -filter_complex \"%s\" -map [v] -map 0:a? -vcodec h264 -acodec aac "
                             L"-pix_fmt yuv420p -preset superfast %s \"%s\" ",
                             m_strEncoder.GetData(), Arg(entry.clipPath).c_str(), QuoteInsideArgument(graph).c_str(),
                             m_strEncoderExtra.GetData(), Arg(outputPath).c_str()).c_str();
    run.outputPath = outputPath;
    run.durationSeconds = static_cast<float>(std::wcstol(entry.durationMsText.c_str(), nullptr, 10) / 1000);
    run.job = EncoderJobKind::ClipList;
    run.row = entry.row;
    RunEncoderWithProgress(run);
    return true;
}
