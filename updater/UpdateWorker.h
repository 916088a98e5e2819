#pragma once
#include "updater/UpdateInfo.h"
#include "platform/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// One network job of the updater on a thread of its own: the fetch of the update-information
// document (fetch mode) or the download of the update file (download mode). One owner creates
// it, calls Start, waits for the fetch (WaitUntilIdle) or for the reports of the download, and
// destroys it on its own thread; the destructor ends a running download and joins the thread.
// A window that owns a download worker gives it its handle (PostReportsTo): the worker reaches
// it only by posted messages.
//
// Every transfer is https only, with the peer and host verified against the system's CA store,
// and ended when it is slower than the minimum rate of UpdaterSettings.h. The document and the
// download have size caps; a download larger than the free space is not started.
//
// Progress is reported as a percentage; 100 is reported once, and only after the download has
// been checked complete: the transfer succeeded, the status was 200 and the bytes on disk equal
// the announced length. A failed download removes its partial file. A complete download stays
// open (VerifiedFile) until the worker is destroyed, so the apply step reads exactly the bytes
// that were checked, whatever happens to the path meanwhile.
class UpdateWorker {
public:
    enum Mode { kDownload = 0, kFetch = 1 };
    enum class DownloadResult { kPending, kSucceeded, kFailed };
    using ProgressCallback = std::function<void(int percent)>;
    using FinishedCallback = std::function<void(DownloadResult result)>;

    UpdateWorker(std::string url, std::string filePath, int mode);
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    void Start();
    bool IsBusy() const { return m_busy; }
    // Blocks until the thread has ended: after a fetch (without the skip flag), or after Stop.
    void WaitUntilIdle();
    void Stop();
    UpdateRecordMap GetRecords() const;

    void SetSkip(bool skip) { m_skip = skip; }
    // Set before Start; without them nothing is reported. Both are called on the worker thread:
    // the progress with each new percentage, the end once per download, after any 100.
    void SetProgressCallback(ProgressCallback callback) { m_onProgress = std::move(callback); }
    void SetFinishedCallback(FinishedCallback callback) { m_onFinished = std::move(callback); }
    // Reports to a window, set before Start: WM_UPDATE_PROGRESS with each percentage and
    // WM_UPDATE_DOWNLOAD_FAILED when a download ends without a checked file.
    void PostReportsTo(HWND window);
    DownloadResult GetDownloadResult() const { return m_downloadResult; }
    // The checked download, open for reading; -1 unless the download succeeded. The worker owns it.
    int VerifiedFile() const;

    int FetchUpdateInfo();
    bool ParseUpdateInfo(const std::string& text);

private:
    struct AutoResetEvent {
        bool signalled { false };
    };

    void ThreadProc();
    bool Download();
    void FinishDownload(bool succeeded);
    void Signal(AutoResetEvent& event);
    void ReportProgress(int percent);
    bool HasRoomFor(int64_t bytes) const;
    static int DownloadProgressCallback(void* clientData, int64_t totalDown, int64_t nowDown, int64_t, int64_t);
    static size_t WriteToFile(char* data, size_t size, size_t count, void* worker);

    std::atomic<bool> m_busy { true };
    std::mutex m_eventLock;
    std::condition_variable m_eventChanged;
    AutoResetEvent m_startEvent, m_quitEvent;
    FILE* m_file { nullptr };
    size_t m_written { 0 };
    std::atomic<int> m_verifiedFd { -1 };  // set on the worker thread before 100 is reported
    std::string m_url;
    std::string m_filePath;
    double m_remoteSize { -1.0 };
    int64_t m_localSize { -1 };
    int m_mode;
    std::atomic<bool> m_skip { false };
    std::atomic<bool> m_stopRequested { false };
    mutable std::mutex m_recordsLock;
    UpdateRecordMap m_records;
    ProgressCallback m_onProgress;
    FinishedCallback m_onFinished;
    int m_lastPercent { -1 };
    std::atomic<DownloadResult> m_downloadResult { DownloadResult::kPending };
    std::thread m_thread;  // last: started once every other member exists
};

double GetRemoteFileSize(std::string url);
int64_t GetLocalFileSize(std::string path);
// The percentage of a transfer as reported while it runs: 0 for an unknown total, never 100
// (only a checked, complete download reports 100).
int TransferPercent(double total, double now);
