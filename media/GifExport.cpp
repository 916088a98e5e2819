// The GIF export: converts the queued GIF list items one by one, each row showing its own
// progress, then its open button or its failure note. No progress window and no cancel flag:
// clearing the GIF list (m_bGifRunning = 0) stops the job, which then removes the partial file.
// The launcher sets m_bGifRunning before the job starts; the job clears it under the queue's lock
// in the same step that finds no item left, so a row queued meanwhile is either taken here or
// starts a new export.

#include <cstdio>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ExportPageView.h"
#include "media/MediaInfoLibrary.h"
#include "platform/Windows.h"

namespace {

// A GIF smaller than this holds no picture worth the name.
constexpr long long kSmallestGifBytes = 1024;

}  // namespace

ExportOutcome CMainWnd::ExportGif(const MediaFileInfo& settings)
{
    m_fJobPercent = 0;
    {
        std::lock_guard lock(m_gifQueueLock);
        ++m_nGifJobsInside;
    }
    if (m_pPageView)
        m_pPageView->SetGifListBusy(true);
    ExportOutcome outcome = ExportOutcome::Succeeded;
    // Items queued while the job runs are converted by this job, in order.
    for (size_t i = 0;; ++i) {
        GifListItem item;
        {
            std::lock_guard lock(m_gifQueueLock);
            if (!m_bGifRunning || i >= m_vecGifQueue.size()) {
                // From here a row's export launches a new job, which this one must not touch.
                m_vecGifQueue.clear();
                m_bGifRunning = 0;
                if (m_pPageView)
                    m_pPageView->SetGifListBusy(false);
                break;
            }
            item = m_vecGifQueue[i];
        }
        MakeEvenSize(item.width, item.height);
        const std::wstring size = item.height.IsEmpty()
            ? std::wstring()
            : FormatWide(L" -s %sx%s ", item.width.GetData(), item.height.GetData());
        const std::wstring rate = item.frameRate.IsEmpty() ? std::wstring() : FormatWide(L"-r %s", item.frameRate.GetData());
        const std::wstring output = MakeUniqueOutputPath(
            JoinPath(settings.folder.GetData(), FormatWide(L"%s.gif", item.outputName.GetData())));
        GifRowView* row = m_pPageView ? m_pPageView->FindGifRow(item.rowName) : nullptr;
        if (row)
            row->BeginRun();

        EncoderRunRequest run;
        run.command = FormatWide(L"%s -y -i  \"%s\" %s %s -b:v 2k  -vcodec gif  -pix_fmt yuv420p \"%s\"",
                                 m_strEncoder.GetData(), QuoteInsideArgument(EncoderPath(item.filePath.GetData())).c_str(),
                                 rate.c_str(), size.c_str(), QuoteInsideArgument(EncoderPath(output)).c_str()).c_str();
        run.outputPath = output;
        run.durationSeconds = static_cast<float>(std::wcstod(item.duration.c_str(), nullptr) / 1000.0);
        run.job = EncoderJobKind::GifList;
        run.row = row;
        RunEncoderWithProgress(run);
        if (!m_bGifRunning) {
            ::DeleteFile(output.c_str());
            std::printf("gif: cancelled\n");
            outcome = ExportOutcome::Cancelled;
            continue;  // the next turn finishes
        }
        const bool converted = MediaInfoLibrary::OutputLooksValid(output, kSmallestGifBytes);
        if (converted) {
            RecordHistoryEntry(item.filePath.GetData(), output);
        } else {
            ::DeleteFile(output.c_str());
            outcome = ExportOutcome::Failed;
        }
        if (row)
            row->FinishRun(output, converted);
    }
    {
        std::lock_guard lock(m_gifQueueLock);
        --m_nGifJobsInside;
    }
    m_gifJobLeft.notify_all();
    return outcome;
}
