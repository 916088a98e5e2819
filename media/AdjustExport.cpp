// The adjust export: brightness, saturation and contrast, speed, display aspect, reversed playback
// and rotation, in one to three encoder runs chained through files in the TempMerge folder. The
// bar moves through one equal share per run. Cancel stops the chain and removes everything it
// wrote; only a usable output is kept and recorded.

#include "media/AdjustExport.h"

#include <cwchar>
#include <functional>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ExportPageView.h"
#include "media/MediaProbe.h"
#include "media/OutputCheck.h"
#include "platform/Windows.h"

namespace {

constexpr long long kSmallestAdjustedBytes = 1024;
const wchar_t* const kKeep = L"原始";

std::wstring Arg(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

std::wstring EqTerms(const AdjustSettings& s)
{
    std::wstring terms;
    if (s.brightness != 100) {
        const float b = static_cast<float>(s.brightness) * 1.0f / 100;
        terms += b > 1.0f ? FormatWide(L"brightness=%f", static_cast<double>(b - 1))
                          : FormatWide(L"brightness=-%f", static_cast<double>(1 - b));
    }
    if (s.saturation != 100)
        terms += FormatWide(terms.empty() ? L"saturation=%f" : L":saturation=%f",
                            static_cast<double>(static_cast<float>(s.saturation) * 1.0f / 66.7f));
    if (s.contrast != 100)
        terms += FormatWide(terms.empty() ? L"contrast=%f" : L":contrast=%f",
                            static_cast<double>(static_cast<float>(s.contrast) * 1.0f / 100.0f));
    return terms;
}

}  // namespace

std::vector<AdjustRun> PlanAdjustRuns(const AdjustSettings& s, const std::wstring& encoder, const std::wstring& source,
                                      const std::wstring& output, const std::wstring intermediates[2])
{
    const bool eq = s.brightness != 100 || s.saturation != 100 || s.contrast != 100;
    const bool rotate = s.rotate && s.rotation != kKeep;
    const bool speedChanged = s.speed != L"1.0x";
    const bool aspect = s.aspect != kKeep;
    const std::wstring speed = s.speed.empty() ? L"1.0" : s.speed.substr(0, s.speed.size() - 1);
    const std::wstring size = !s.width.empty() && !s.height.empty()
        ? FormatWide(L" -s %sx%s ", s.width.c_str(), s.height.c_str()) : L"";
    // A source without sound has no audio for atempo or areverse to work on.
    const std::wstring tempo = s.sourceHasSound ? FormatWide(L" -af atempo=%s ", speed.c_str()) : L" ";
    const std::wstring aspectOption = aspect ? FormatWide(L" -aspect %s ", s.aspect.c_str()) : L"";
    const wchar_t* tail = L" -vcodec h264 -acodec aac -pix_fmt yuv420p  -preset superfast ";

    using Builder = std::function<std::wstring(const std::wstring& in, const std::wstring& out)>;
    std::vector<Builder> builders;
    if (eq)
        builders.push_back([&](const std::wstring& in, const std::wstring& out) {
            std::wstring cmd = FormatWide(L"%s -y -i \"%s\" -filter_complex [0:v]eq=%s", encoder.c_str(), Arg(in).c_str(),
                                          EqTerms(s).c_str());
            if (speedChanged)
                cmd += FormatWide(L",setpts=PTS/%s%s", speed.c_str(), tempo.c_str());
            cmd += aspectOption;
            if (s.rotation == kKeep)
                cmd += size;
            return cmd + FormatWide(L"%s\"%s\" ", tail, Arg(out).c_str());
        });
    if (s.reverse)
        builders.push_back([&](const std::wstring& in, const std::wstring& out) {
            return FormatWide(L"%s -y -i \"%s\" -filter_complex %s%s -vcodec h264 -acodec aac -pix_fmt yuv420p %s "
                              L"-preset superfast \"%s\" ",
                              encoder.c_str(), Arg(in).c_str(),
                              s.sourceHasSound ? L"[0:v]reverse;[0:a]areverse" : L"[0:v]reverse", aspectOption.c_str(),
                              size.c_str(), Arg(out).c_str());
        });
    const auto speedRun = [&](const std::wstring& sizePart) {
        return [&, sizePart](const std::wstring& in, const std::wstring& out) {
            return FormatWide(L"%s -y -i  \"%s\" -filter_complex setpts=PTS/%s%s%s%s\"%s\" ", encoder.c_str(),
                              Arg(in).c_str(), speed.c_str(), tempo.c_str(), sizePart.c_str(), tail, Arg(out).c_str());
        };
    };
    if (s.reverse && !eq && speedChanged)
        builders.push_back(speedRun(size));
    if (rotate)
        builders.push_back([&, eq](const std::wstring& in, const std::wstring& out) {
            const wchar_t* turn = s.rotation == L"90°" ? L" -vf \"transpose = 1\" "
                : s.rotation == L"180°"                ? L" -vf \"transpose=2,transpose=2\" "
                                                       : L"  -vf \"transpose = 2\" ";
            return FormatWide(L"%s -y -i \"%s\" %s%s%s\"%s\" ", encoder.c_str(), Arg(in).c_str(), turn,
                              eq || s.reverse ? L"" : aspectOption.c_str(), tail, Arg(out).c_str());
        });
    if (rotate && !eq && !s.reverse && speedChanged)
        builders.push_back(speedRun(L""));
    if (!eq && !s.reverse && !rotate)
        builders.push_back([&](const std::wstring& in, const std::wstring& out) {
            std::wstring cmd = FormatWide(L"%s -y -i  \"%s\"  ", encoder.c_str(), Arg(in).c_str());
            if (speedChanged)
                cmd += FormatWide(L"%s  -filter_complex setpts=PTS/%s%s ", L"", speed.c_str(), tempo.c_str());
            return cmd + aspectOption + FormatWide(L"%s%s\"%s\" ", size.c_str(), tail, Arg(out).c_str());
        });

    std::vector<AdjustRun> runs;
    const int count = static_cast<int>(builders.size());
    for (int j = 0; j < count; ++j) {
        AdjustRun run;
        run.input = j == 0 ? source : runs.back().output;
        run.output = j == count - 1 ? output : intermediates[j % 2];
        run.partCount = count;
        run.basePercent = 100 * j / count;
        run.command = builders[j](run.input, run.output);
        runs.push_back(run);
    }
    return runs;
}

ExportResult CMainWnd::ExportAdjusted(const MediaFileInfo& exportSettings)
{
    m_fJobPercent = 0;
    const std::wstring source = m_strAdjustSourcePath;
    const auto sourceMs = m_nAdjustSourceMs;
    AdjustSettings settings;
    if (m_pPageView) {
        settings.brightness = m_pPageView->SliderValue(L"brightSlider");
        settings.saturation = m_pPageView->SliderValue(L"saturationSlider");
        settings.contrast = m_pPageView->SliderValue(L"duibiProSlider");
        settings.reverse = m_pPageView->OptionSelected(L"UpsideDown");
        settings.rotate = m_pPageView->OptionSelected(L"Spin");
        settings.rotation = m_pPageView->FieldText(L"Comspin").GetData();
        settings.aspect = m_pPageView->FieldText(L"VideoAcpect").GetData();
        settings.speed = m_pPageView->FieldText(L"Speed").GetData();
    }
    settings.width = exportSettings.width.GetData();
    settings.height = exportSettings.height.GetData();
    int frameRate = 0, durationMs = 0, width = 0, height = 0;
    uint8_t subtitles = 0;
    MediaProbe probe;
    const int probed = probe.Open(WideToUtf8(source).c_str(), frameRate, subtitles, durationMs, width, height);
    if (probed != MediaProbe::kOpenFailed)
        probe.Close();
    settings.sourceHasSound = probed != MediaProbe::kNoAudio;

    const std::wstring output = MakeUniqueOutputPath(JoinPath(exportSettings.folder.GetData(),
                                                                exportSettings.name + L"." + exportSettings.format.GetData()));
    const std::wstring digits = RandomDigits(10).GetData();
    const std::wstring mergeFolder = JoinPath(m_strDataFolder, L"TempMerge");
    const std::wstring intermediates[2] = {
        JoinPath(mergeFolder, FormatWide(L"%s-1.%s", digits.c_str(), exportSettings.format.GetData())),
        JoinPath(mergeFolder, FormatWide(L"%s-2.%s", digits.c_str(), exportSettings.format.GetData())),
    };
    CreateFolderWithParents(mergeFolder);
    const std::vector<AdjustRun> runs = PlanAdjustRuns(settings, m_strEncoder.GetData(), source, output, intermediates);
    for (size_t j = 0; j < runs.size() && !CancelFlag; ++j) {
        EncoderRunRequest request;
        request.command = runs[j].command.c_str();
        request.outputPath = runs[j].output;
        request.durationSeconds = static_cast<float>(sourceMs / 1000);
        request.partCount = runs[j].partCount;
        request.basePercent = runs[j].basePercent;
        request.closeProgressAtEnd = j + 1 == runs.size();
        RunEncoderWithProgress(request);
    }
    for (const std::wstring& intermediate : intermediates)
        ::DeleteFile(intermediate.c_str());
    if (CancelFlag) {
        CancelFlag = 0;
        ::DeleteFile(output.c_str());
        return ExportResult::Cancelled();
    }
    // Judged by the file: one cut short by a full disk still has a size, but neither an index nor
    // the source's length (changed by the speed).
    ExpectedOutput expected;
    const double speed = std::wcstod(settings.speed.c_str(), nullptr);
    expected.seconds = sourceMs / 1000.0 / (speed > 0 ? speed : 1.0);
    expected.frameRate = frameRate;
    expected.minimumBytes = kSmallestAdjustedBytes;
    if (!OutputPlaysAsExpected(output, expected)) {
        ::DeleteFile(output.c_str());
        return ExportResult::Failed(L"视频文件调整失败，请您联系客服处理！");
    }
    return ExportResult::Succeeded(L"您的视频文件已调整完成，需要现在打开吗？", output, source);
}
