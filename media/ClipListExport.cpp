// The clip-list export: empties the export queue one entry at a time, each through the stage its
// setting names, with the progress drawn into the clip's row. No progress window and no messages:
// the row shows the result. Clearing the clip list (m_bClipRunning = 0) stops the job; the entry
// being exported then leaves no file and no history entry. The launcher sets m_bClipRunning; the
// job clears it under the queue's lock when it finds no entry left.

#include <cstdio>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/ExportPageView.h"
#include "media/MediaInfoLibrary.h"
#include "platform/Windows.h"

void CMainWnd::QueueClipExport(const ClipExportEntry& entry)
{
    std::lock_guard lock(m_clipQueueLock);
    m_vecExportQueue.push_back(entry);
}

void CMainWnd::ExportClipList(int, const MediaFileInfo& settings)
{
    {
        std::lock_guard lock(m_clipQueueLock);
        ++m_nClipJobsInside;
    }
    if (m_pPageView)
        m_pPageView->SetClipListBusy(true);
    for (size_t i = 0;; ++i) {
        ClipExportEntry entry;
        {
            std::lock_guard lock(m_clipQueueLock);
            if (!m_bClipRunning || i >= m_vecExportQueue.size()) {
                // From here a row's start button launches a new job, which this one must not touch.
                m_vecExportQueue.clear();
                m_bClipRunning = 0;
                if (m_pPageView)
                    m_pPageView->SetClipListBusy(false);
                break;
            }
            entry = m_vecExportQueue[i];
        }
        std::wstring name = entry.clipPath, extension;
        SplitFileNameW(name, extension);
        // The stages always write MP4, whatever format the export settings name.
        const std::wstring output =
            MakeUniqueOutputPath(JoinPath(settings.folder.GetData(), name + L".mp4"));
        bool exported = false;
        if (entry.kind == kClipCover)
            exported = ExportClipCover(entry, output);
        else if (entry.kind == kClipMusic)
            exported = ExportClipMusic(entry, output);
        else if (entry.kind == kClipWatermark)
            exported = ExportClipWatermark(entry, output);
        else if (entry.kind == kClipSubtitles)
            exported = ExportClipSubtitles(entry, output);
        else
            std::printf("clip list: no stage for kind %d\n", entry.kind);
        if (!m_bClipRunning) {
            ::DeleteFile(output.c_str());
            continue;  // the next turn finishes
        }
        exported = exported && MediaInfoLibrary::OutputLooksValid(output, 1024);
        if (exported)
            RecordHistoryEntry(entry.clipPath, output);
        else
            ::DeleteFile(output.c_str());
        if (entry.row)
            entry.row->FinishRun(output, exported);
    }
    {
        std::lock_guard lock(m_clipQueueLock);
        --m_nClipJobsInside;
    }
    m_clipJobLeft.notify_all();
}
