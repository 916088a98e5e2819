#pragma once
#include "updater/UpdateInfo.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// One network job of the updater on a thread of its own: the fetch of the update-information
// document (fetch mode) or the download of the update file (download mode). The owner creates
// it, calls Start, polls IsBusy (or waits for progress), and destroys it; the destructor ends
// and joins the thread.
//
// Every transfer is https only, with the peer and host verified against the system's CA store
// (or QUILL_UPDATE_CA_FILE). A transfer slower than QUILL_UPDATE_LOW_SPEED_LIMIT bytes per
// second (default 1) for QUILL_UPDATE_LOW_SPEED_TIME seconds (default 30) is ended.
//
// Progress is reported as a percentage; 100 is reported once, and only after the download has
// been checked complete: the transfer succeeded, the status was 200 and the bytes on disk equal
// the announced length. A failed download removes its partial file.
class UpdateWorker {
public:
    enum Mode { kDownload = 0, kFetch = 1 };
    enum class DownloadResult { kPending, kSucceeded, kFailed };
    using ProgressCallback = std::function<void(int percent)>;

    UpdateWorker(std::string url, std::string filePath, int mode);
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    void Start();
    bool IsBusy() const { return m_busy; }
    void Stop();
    UpdateRecordMap GetRecords() const;

    void SetSkip(bool skip) { m_skip = skip; }
    // Set before Start (the program passes PostProgressToUpdaterWindows); without one nothing is
    // reported.
    void SetProgressCallback(ProgressCallback callback) { m_onProgress = std::move(callback); }
    DownloadResult GetDownloadResult() const { return m_downloadResult; }

    int FetchUpdateInfo();
    bool ParseUpdateInfo(const std::string& text);

private:
    struct AutoResetEvent {
        bool signalled { false };
    };

    void ThreadProc();
    bool Download();
    void Signal(AutoResetEvent& event);
    void ReportProgress(int percent);
    static int DownloadProgressCallback(void* clientData, int64_t totalDown, int64_t nowDown, int64_t, int64_t);
    static size_t WriteToFile(char* data, size_t size, size_t count, void* worker);

    std::atomic<bool> m_busy { true };
    std::mutex m_eventLock;
    std::condition_variable m_eventChanged;
    AutoResetEvent m_startEvent, m_quitEvent;
    FILE* m_file { nullptr };
    std::string m_url;
    std::string m_filePath;
    double m_remoteSize { -1.0 };
    int64_t m_localSize { -1 };
    int m_mode;
    std::atomic<bool> m_skip { false };
    mutable std::mutex m_recordsLock;
    UpdateRecordMap m_records;
    ProgressCallback m_onProgress;
    int m_lastPercent { -1 };
    std::atomic<DownloadResult> m_downloadResult { DownloadResult::kPending };
    std::thread m_thread;  // last: started once every other member exists
};

double GetRemoteFileSize(std::string url);
int64_t GetLocalFileSize(std::string path);
// The percentage of a transfer as reported while it runs: 0 for an unknown total, never 100
// (only a checked, complete download reports 100).
int TransferPercent(double total, double now);
