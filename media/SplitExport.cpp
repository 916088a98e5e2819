// The split export: every task of the split list cuts the split page's source into files, one
// encoder run per file. Tasks are checked before anything runs, each output is checked like the
// cut's, and a cancel removes every file the job made.

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ExportPageView.h"
#include "media/MediaProbe.h"
#include "media/OutputCheck.h"
#include "media/SplitPlan.h"
#include "platform/Windows.h"

namespace {

const wchar_t kSplitDone[] = L"您的视频文件已分割完成，需要现在打开吗？";
const wchar_t kSplitFailed[] = L"视频文件分割失败，请您联系客服处理！";
const wchar_t kSplitRefused[] = L"分割设置无效：分段数量不能为0，每段不能短于0.1秒，分割点须在视频时长之内。请修改后重新导出。";

// Numbers the split outputs across every split job of this program run.
std::atomic<int> g_splitPartCounter { 0 };

struct SplitTask {
    std::wstring baseName;
    SplitPlan plan;
};

struct SplitOutput {
    std::wstring path;
    int result = kEncoderRunNotStarted;
    ExpectedOutput expected;
};

}  // namespace

ExportResult CMainWnd::ExportSplit(const MediaFileInfo& settings)
{
    m_fJobPercent = 0;
    std::vector<SplitTask> tasks;
    const int rows = m_pPageView ? m_pPageView->SplitTaskCount() : 0;
    for (int i = 0; i < rows; ++i) {
        SkinUI::CUIString task, baseName;
        if (!m_pPageView->SplitTask(i, task, baseName))
            continue;
        tasks.push_back({ baseName.GetData(), PlanSplitTask(task.GetData(), m_nSplitDuration) });
        if (tasks.back().plan.status == SplitPlan::Status::Refused)
            return ExportResult::Refused(kSplitRefused, L"");
    }

    const std::wstring size = !settings.width.IsEmpty() && !settings.height.IsEmpty()
        ? FormatWide(L" -s %sx%s ", settings.width.GetData(), settings.height.GetData())
        : std::wstring();
    const std::wstring exactRate = MediaProbe::EncoderFrameRate(m_strSplitFile, m_strSplitInfo);
    const std::wstring rate = exactRate.empty() ? std::wstring() : FormatWide(L"-r %s", exactRate.c_str());
    const std::wstring source = QuoteInsideArgument(EncoderPath(m_strSplitFile));
    const double sourceSeconds = MediaProbe::DurationSeconds(m_strSplitFile);
    const float rowShare = tasks.empty() ? 0 : 100.0f / static_cast<float>(tasks.size());
    std::vector<SplitOutput> outputs;
    for (size_t i = 0; i < tasks.size() && !CancelFlag; ++i) {
        const std::vector<SplitPiece>& pieces = tasks[i].plan.pieces;
        const int rowBase = static_cast<int>(i * rowShare);
        for (size_t j = 0; j < pieces.size() && !CancelFlag; ++j) {
            SplitOutput output;
            output.path = MakeUniqueOutputPath(JoinPath(settings.folder.GetData(),
                                                          FormatWide(L"%s(%d).%s", tasks[i].baseName.c_str(),
                                                                     ++g_splitPartCounter, settings.format.GetData())));
            EncoderRunRequest run;
            run.command = FormatWide(L"%s  -ss %s -t %s -y -i  \"%s\"  -vcodec h264 -acodec aac -preset superfast "
                                     L"-pix_fmt yuv420p %s %s \"%s\" ",
                                     m_strEncoder.GetData(), pieces[j].start.c_str(), pieces[j].length.c_str(),
                                     source.c_str(), rate.c_str(), size.c_str(),
                                     QuoteInsideArgument(EncoderPath(output.path)).c_str()).c_str();
            run.outputPath = output.path;
            run.durationSeconds = pieces[j].seconds;
            run.partCount = static_cast<int>(tasks.size() * pieces.size());
            run.basePercent = static_cast<int>(rowBase + j * rowShare / pieces.size());
            run.closeProgressAtEnd = i + 1 == tasks.size() && j + 1 == pieces.size();
            output.expected.seconds = pieces[j].seconds;
            if (sourceSeconds > 0)  // the last piece ends where the source does
                output.expected.seconds = std::min(output.expected.seconds,
                                                   sourceSeconds - std::wcstod(pieces[j].start.c_str(), nullptr));
            output.expected.frameRate = std::wcstod(m_strSplitInfo.c_str(), nullptr);
            outputs.push_back(output);
            outputs.back().result = RunEncoderWithProgress(run);
        }
    }

    if (CancelFlag) {
        for (const SplitOutput& output : outputs)
            ::DeleteFile(output.path.c_str());
        CancelFlag = 0;
        return ExportResult::Cancelled();
    }
    bool failed = false;
    for (const SplitOutput& output : outputs) {
        // A piece shorter than a second never reports a position, so the file decides.
        if (output.result != kEncoderRunNotStarted && OutputPlaysAsExpected(output.path, output.expected))
            continue;
        failed = true;
        ::DeleteFile(output.path.c_str());  // a broken piece is not left behind
    }
    if (failed)
        return ExportResult::Failed(kSplitFailed);
    return ExportResult::Succeeded(kSplitDone, settings.folder.GetData());
}
