// The cut export: the range between the cut page's start and end fields of one source into a new
// file, optionally cropped, with an MKV source's subtitles burnt in, muted by the volume slider,
// in the export settings' format, folder and size. The output is judged by the file it is: it
// must read as media and last as long as the range. A re-encode that did not write such a file is
// retried as a stream copy.

#include <algorithm>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/CutCrop.h"
#include "media/ExportPageView.h"
#include "media/MediaInfoLibrary.h"
#include "media/MediaProbe.h"
#include "media/OutputCheck.h"
#include "platform/Windows.h"

namespace {

const wchar_t kCutDone[] = L"您的视频文件已剪切完成,需要现在打开吗？";
const wchar_t kCutFailed[] = L"视频文件剪切失败，请您联系客服处理！";
const wchar_t kCutBadRange[] = L"剪切的结束时间必须晚于开始时间，请修改时间后重新导出。";
const wchar_t kCutPastEnd[] = L"剪切的开始时间不在视频时长之内，请修改时间后重新导出。";

long FieldNumber(const ExportPageView* view, const wchar_t* name)
{
    return view ? std::wcstol(view->FieldText(name).GetData(), nullptr, 10) : 0;
}

float RangeSeconds(const ExportPageView* view, const wchar_t* hours, const wchar_t* minutes,
                   const wchar_t* seconds, const wchar_t* milliseconds)
{
    const double total = FieldNumber(view, hours) * 3600.0 + FieldNumber(view, minutes) * 60.0
        + FieldNumber(view, seconds) + FieldNumber(view, milliseconds) * 0.001;
    return static_cast<float>(total);
}

std::wstring FieldString(const ExportPageView* view, const wchar_t* name)
{
    return view ? std::wstring(view->FieldText(name).GetData()) : std::wstring();
}

std::wstring Quoted(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

// The filter chain of the cut: the crop, then the source's own subtitles. The cut's input starts
// at 0, so the subtitles are drawn against the source's clock and the clock is then reset.
std::wstring CutFilterChain(const CutCropRect& crop, bool burnSubtitles, float start, const std::wstring& source)
{
    std::wstring chain;
    if (crop.crop)
        chain = FormatWide(L"crop=%d:%d:%d:%d", crop.width, crop.height, crop.left, crop.top);
    if (!burnSubtitles)
        return chain;
    if (!chain.empty())
        chain += L",";
    chain += FormatWide(L"setpts=PTS+%f/TB,subtitles=%s,setpts=PTS-STARTPTS", static_cast<double>(start),
                        QuoteInsideArgument(EscapeFilterPath(source)).c_str());
    return chain;
}

// A good cut plays for the range, or for what is left of the source after the start when the
// range runs past its end.
ExpectedOutput ExpectedCut(double sourceSeconds, float start, float duration, const std::wstring& wholeRate)
{
    ExpectedOutput expected;
    expected.seconds = duration;
    if (sourceSeconds > 0)
        expected.seconds = std::min<double>(duration, sourceSeconds - start);
    expected.frameRate = std::wcstol(wholeRate.c_str(), nullptr, 10);
    return expected;
}

// The cut hides the crop pair for its dialog; however it ends, the pair comes back.
ExportResult CutResult(ExportResult result)
{
    result.restoreOverlays = true;
    return result;
}

}  // namespace

ExportResult CMainWnd::ExportCut(const MediaFileInfo& settings)
{
    m_fJobPercent = 0;
    const ExportPageView* view = m_pPageView;
    const float start = RangeSeconds(view, L"startHour", L"startMinute", L"startsecound", L"startmillsecond");
    const float end = RangeSeconds(view, L"OVertHour", L"OVerMinute", L"OVersecound", L"OVermillsecond");
    const float duration = end - start;
    const std::wstring source = m_strCutFile;
    const double sourceSeconds = MediaProbe::DurationSeconds(source);
    // A range that starts where the source has ended holds nothing, like an empty one.
    const bool pastEnd = sourceSeconds > 0 && start >= sourceSeconds;
    if (duration <= 0 || start < 0 || pastEnd)
        return CutResult(ExportResult::Refused(pastEnd ? kCutPastEnd : kCutBadRange, L""));
    const std::wstring encoder = m_strEncoder.GetData();
    std::wstring command = FormatWide(L"%s -ss %f -t %f  -y -i \"%s\" ", encoder.c_str(), static_cast<double>(start),
                                      static_cast<double>(duration), Quoted(source).c_str());

    CutCropInputs cropInputs;
    cropInputs.left = FieldString(view, L"Xwidth");
    cropInputs.top = FieldString(view, L"Yheight");
    cropInputs.width = FieldString(view, L"cut_width");
    cropInputs.height = FieldString(view, L"cut_height");
    cropInputs.shownWidth = m_strCutViewWidth;
    cropInputs.shownHeight = m_strCutViewHeight;
    cropInputs.sourceWidth = static_cast<int>(std::wcstol(m_strCutWidth.c_str(), nullptr, 10));
    cropInputs.sourceHeight = static_cast<int>(std::wcstol(m_strCutHeight.c_str(), nullptr, 10));
    cropInputs.aspect = std::wcstod(m_strCutAspect.c_str(), nullptr);
    cropInputs.maximised = m_bMaximized != 0;
    cropInputs.boxWidth = m_nPreviewWidth;
    cropInputs.boxHeight = m_nPreviewHeight;
    cropInputs.workArea = view ? view->WorkAreaSize() : SIZE {};
    const std::wstring chain = CutFilterChain(ComputeCutCrop(cropInputs), m_bCutInfo1 != 0, start, source);
    if (!chain.empty())
        command += FormatWide(L" -filter_complex \"%s\" ", chain.c_str());
    const std::wstring rate = MediaProbe::EncoderFrameRate(source, m_strCutInfo);
    if (!rate.empty())
        command += FormatWide(L" -r %s  ", rate.c_str());

    const std::wstring output = MakeUniqueOutputPath(JoinPath(settings.folder.GetData(),
                                                                settings.name + L"." + settings.format.GetData()));
    const std::wstring size = !settings.width.IsEmpty() && !settings.height.IsEmpty()
        ? FormatWide(L" -s %sx%s ", settings.width.GetData(), settings.height.GetData())
        : std::wstring();
    const bool mute = view && view->SliderValue(L"SoundSlider") == 0;

    // The file is the judge: a run shorter than a second never reports a position.
    const ExpectedOutput expected = ExpectedCut(sourceSeconds, start, duration, m_strCutInfo);
    ExpectedOutput copied = expected;
    copied.mayRunLonger = true;

    // The picture and sound are cut; a text track is not: it would be carried on past the range,
    // and a container may not take it at all (an MP4's timed text in MKV). The source's own extension decides the route, not that of whichever page loaded last.
    std::wstring sourceName = source, sourceExt, tempPath;
    SplitFileNameW(sourceName, sourceExt);
    bool written = false;
    if (sourceExt == L"webm") {
        tempPath = JoinPath(UserTempFolder(), L"vkEditTemp.ts");
        const wchar_t* tail = mute
            ? L"%s -sn -vcodec h264  -ar 44100  -crf 23 %s -preset superfast -pix_fmt yuv420p  -an -max_interleave_delta 0 \"%s\" "
            : L"%s -sn -vcodec h264 -acodec libmp3lame  -ar 44100 -ac 2 -crf 23 %s -preset superfast -pix_fmt yuv420p -max_interleave_delta 0 \"%s\" ";
        EncoderRunRequest pass1;
        pass1.command = FormatWide(tail, command.c_str(), size.c_str(), Quoted(tempPath).c_str()).c_str();
        pass1.outputPath = tempPath;
        pass1.durationSeconds = duration;
        pass1.partCount = 2;
        pass1.closeProgressAtEnd = true;
        if (!CancelFlag)
            RunEncoderWithProgress(pass1);  // judged by the file it wrote, not by its positions
        if (CancelFlag)
            return CancelCut(output, tempPath);
        if (!MediaInfoLibrary::OutputLooksValid(tempPath)) {
            ::DeleteFile(tempPath.c_str());
            return FinishCut(source, output, false);
        }
        EncoderRunRequest pass2;
        pass2.command = FormatWide(L"%s -y -i \"%s\" -c copy  \"%s\" ", encoder.c_str(), Quoted(tempPath).c_str(),
                                   Quoted(output).c_str()).c_str();
        pass2.outputPath = output;
        pass2.durationSeconds = duration;
        pass2.partCount = 2;
        pass2.basePercent = 50;
        pass2.closeProgressAtEnd = true;
        RunEncoderWithProgress(pass2);
        written = OutputPlaysAsExpected(output, expected);
        ::DeleteFile(tempPath.c_str());
    } else if (!CancelFlag) {
        const wchar_t* tail = mute ? L"%s -sn -vcodec h264  %s -preset superfast -pix_fmt yuv420p -an \"%s\""
                                   : L"%s -sn -vcodec h264 -acodec aac  %s -preset superfast -pix_fmt yuv420p \"%s\"";
        EncoderRunRequest run;
        run.command = FormatWide(tail, command.c_str(), size.c_str(), Quoted(output).c_str()).c_str();
        run.outputPath = output;
        run.durationSeconds = duration;
        RunEncoderWithProgress(run);
        written = OutputPlaysAsExpected(output, expected);
        if (!written && !CancelFlag) {
            EncoderRunRequest copy;
            copy.command = FormatWide(L"%s -ss %f -t %f  -y -i \"%s\" -c copy -map 0:v -map 0:a?  -max_muxing_queue_size 34500 \"%s\" ",
                                      encoder.c_str(), static_cast<double>(start), static_cast<double>(duration),
                                      Quoted(source).c_str(), Quoted(output).c_str()).c_str();
            copy.outputPath = output;
            copy.durationSeconds = duration;
            copy.closeProgressAtEnd = true;
            RunEncoderWithProgress(copy);
            written = OutputPlaysAsExpected(output, copied);
        }
    }
    if (CancelFlag)
        return CancelCut(output, tempPath);
    return FinishCut(source, output, written);
}

ExportResult CMainWnd::CancelCut(const std::wstring& outputPath, const std::wstring& tempPath)
{
    ::DeleteFile(outputPath.c_str());
    if (!tempPath.empty())
        ::DeleteFile(tempPath.c_str());
    CancelFlag = 0;
    return CutResult(ExportResult::Cancelled());
}

ExportResult CMainWnd::FinishCut(const std::wstring& sourcePath, const std::wstring& outputPath, bool written)
{
    if (!written) {
        ::DeleteFile(outputPath.c_str());  // a broken output is not left behind
        return CutResult(ExportResult::Failed(kCutFailed));
    }
    return CutResult(ExportResult::Succeeded(kCutDone, outputPath, sourcePath));
}
