// The merge pre-conversion pool: up to m_nMergeWorkerCount workers re-encode the merge rows into
// one common form (H.264 at 24 fps, AAC 44100 Hz stereo, one frame size), each taking the next row
// from the cursor under m_csMergeLock. The lock covers only taking the row, naming its file and
// building its command; it is released before the encoder starts, so the workers' encoders run
// side by side. Every worker thread is joined before the pool run returns.

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <thread>
#include <vector>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/MergeExport.h"
#include "media/MergeWorkerPool.h"
#include "media/WorkFiles.h"
#include "platform/Windows.h"

namespace {

std::vector<std::wstring> SplitAtX(const std::wstring& text)
{
    std::vector<std::wstring> pieces(1);
    for (wchar_t c : text) {
        if (c == L'x')
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

// The frame size every converted file gets: agreeing sides keep the row's (or the export's) size,
// a side that differs between rows takes the full HD value.
void ConversionTarget(const std::wstring& resolution, const MediaFileInfo& exportInfo, int agreement,
                      std::wstring& width, std::wstring& height)
{
    const std::vector<std::wstring> pieces = SplitAtX(resolution);
    width = L"1920";
    height = L"1080";
    if (pieces.size() == 2) {
        width = pieces[0];
        height = pieces[1];
    }
    if (!exportInfo.width.IsEmpty() && !exportInfo.height.IsEmpty()) {
        width = exportInfo.width.GetData();
        height = exportInfo.height.GetData();
    }
    CMainWnd::MakeEvenSizeW(width, height);
    if (agreement == 0 || agreement == 3)
        height = L"1080";
    if (agreement == 1 || agreement == 3)
        width = L"1920";
}

// Numbers the converted files for the life of the process.
std::atomic<int> g_nMergeConvertCounter { 0 };

}  // namespace

float MergePoolShares::Sum() const
{
    float sum = 0;
    for (int i = 0; i < count; ++i)
        sum += percents[i];
    return sum;
}

void MergeRowProgress::ShowProgress(float percent, const std::wstring&)
{
    m_shares.percents[m_row] = percent * m_weight;
    m_jobPercent = m_shares.Sum();
}

int CMainWnd::ComputeWorkerCount()
{
    SYSTEM_INFO info {};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors < 3 ? 2 : static_cast<int>(info.dwNumberOfProcessors - 1);
}

void CMainWnd::RunMergePool()
{
    const int rows = m_pMergeList ? m_pMergeList->RowCount() : 0;
    MergePoolShares shares(rows);
    {
        std::lock_guard lock(m_csMergeLock);
        m_nMergeNextRow = 0;
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < std::min(rows, m_nMergeWorkerCount); ++i)
        workers.emplace_back([this, &shares] { ConvertNextMergeInput(shares); });
    for (std::thread& worker : workers)
        worker.join();
    std::lock_guard lock(m_csMergeLock);
    m_nMergeNextRow = 0;
}

void CMainWnd::ConvertNextMergeInput(MergePoolShares& shares)
{
    for (;;) {
        EncoderRunRequest run;
        int row = 0;
        {
            std::lock_guard lock(m_csMergeLock);
            if (CancelFlag || m_nMergeNextRow >= m_pMergeList->RowCount())
                return;
            row = m_nMergeNextRow++;
            const std::wstring input = m_pMergeList->RowPath(row).GetData();
            std::wstring width, height;
            ConversionTarget(m_pMergeList->RowResolution(row).GetData(), m_mergeSettings, m_nMergeSizeAgreement, width,
                             height);
            run.outputPath = ExportWorkFile(L"merge-row", ++g_nMergeConvertCounter, L"mp4");
            ::DeleteFile(run.outputPath.c_str());  // only a file this run wrote is ever joined
            // The picture is labelled and mapped with the input's sound, or with silence for a row
            // without sound, so that every converted file can be joined with audio.
            const bool mute = m_pMergeList->RowIsMute(row);
            const std::wstring graph = FormatWide(
                L"[0:v]scale='trunc(min(%s,%s*dar)/2)*2':'trunc(min(%s/dar,%s)/2)*2',setsar=1:1,"
                L"pad=%s:%s:trunc((%s-iw)/2):trunc((%s-ih)/2):black[v]",
                width.c_str(), height.c_str(), width.c_str(), height.c_str(), width.c_str(), height.c_str(),
                width.c_str(), height.c_str());
            run.command = FormatWide(
                L"%s -y -i  \"%s\"%s -vcodec h264 -acodec aac -ar 44100 -r 24 -ac 2 -ab 128k -preset superfast "
                L"-crf 24 -pix_fmt yuv420p -filter_complex \"%s\" -map [v] %s \"%s\" ",
                m_strEncoder.GetData(), QuoteInsideArgument(EncoderPath(input)).c_str(),
                mute ? L" -f lavfi -i anullsrc=r=44100:cl=stereo" : L"", graph.c_str(),
                mute ? L"-map 1:a -shortest" : L"-map 0:a:0",
                QuoteInsideArgument(EncoderPath(run.outputPath)).c_str()).c_str();
            m_pMergeList->SetConvertedPath(row, run.outputPath.c_str());
        }
        const float rowSeconds = static_cast<float>(std::wcstol(m_pMergeList->RowDuration(row).GetData(), nullptr, 10)) / 1000.0f;
        const float weight = m_nMergeTotalSeconds > 0 ? rowSeconds / static_cast<float>(m_nMergeTotalSeconds) : 0.0f;
        MergeRowProgress progress(shares, row, weight, m_fJobPercent);
        run.durationSeconds = rowSeconds;
        run.partCount = 2;
        run.job = EncoderJobKind::MergeRow;
        run.row = &progress;
        RunEncoderWithProgress(run);
    }
}
