#include "updater/UpdateWorker.h"

#include "updater/FileUtil.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "updater/UpdaterSettings.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

// Verified https for every request: the addresses come from a document on the network.
bool SetSecureTransfer(CURL* handle, const std::string& url)
{
    const TransferLimits limits = GetTransferLimits();
    bool ok = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds) == CURLE_OK;
    if (const std::string caFile = UpdateCaFile(); ok && !caFile.empty())
        ok = curl_easy_setopt(handle, CURLOPT_CAINFO, caFile.c_str()) == CURLE_OK;
    return ok;
}

// Why a transfer ended, in words a log reader can act on.
std::string TransferFailure(CURLcode result)
{
    if (result != CURLE_OPERATION_TIMEDOUT)
        return curl_easy_strerror(result);
    const TransferLimits limits = GetTransferLimits();
    return "too slow: under " + std::to_string(limits.lowSpeedBytesPerSecond) + " bytes/s for "
        + std::to_string(limits.lowSpeedSeconds) + " s";
}

struct CappedBuffer {
    std::string text;
    size_t cap;
    bool overflowed { false };
};

// Returning less than given ends the transfer: a document beyond the cap is refused, not grown.
size_t AppendToBuffer(char* data, size_t size, size_t count, void* target)
{
    auto* buffer = static_cast<CappedBuffer*>(target);
    const size_t bytes = size * count;
    if (bytes > buffer->cap - buffer->text.size()) {
        buffer->overflowed = true;
        return 0;
    }
    buffer->text.append(data, bytes);
    return bytes;
}

size_t Discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

}  // namespace

UpdateWorker::UpdateWorker(std::string url, std::string filePath, int mode)
    : m_url(std::move(url))
    , m_filePath(std::move(filePath))
    , m_mode(mode)
    , m_thread(&UpdateWorker::ThreadProc, this)
{
}

UpdateWorker::~UpdateWorker()
{
    Stop();
    m_thread.join();
    if (m_verifiedFd >= 0)
        close(m_verifiedFd);
}

void UpdateWorker::Start()
{
    // Busy first: a fetch may end (and clear it) before Signal returns.
    m_busy = true;
    Signal(m_startEvent);
}

void UpdateWorker::WaitUntilIdle()
{
    std::unique_lock lock(m_eventLock);
    m_eventChanged.wait(lock, [this] { return !m_busy; });
}

void UpdateWorker::PostReportsTo(HWND window)
{
    m_onProgress = [window](int percent) { ::PostMessageW(window, WM_UPDATE_PROGRESS, static_cast<WPARAM>(percent), 0); };
    m_onFinished = [window](DownloadResult result) {
        if (result == DownloadResult::kFailed)
            ::PostMessageW(window, WM_UPDATE_DOWNLOAD_FAILED, 0, 0);
    };
}

void UpdateWorker::Stop()
{
    m_stopRequested = true;  // a running download ends at its next progress call
    Signal(m_quitEvent);
}

void UpdateWorker::Signal(AutoResetEvent& event)
{
    // Notify under the lock: once the thread has seen the quit event, the owner may destroy the
    // worker, so the signalling thread must not touch it after unlocking.
    std::lock_guard lock(m_eventLock);
    event.signalled = true;
    m_eventChanged.notify_all();
}

UpdateRecordMap UpdateWorker::GetRecords() const
{
    std::lock_guard lock(m_recordsLock);
    return m_records;
}

void UpdateWorker::ThreadProc()
{
    for (;;) {
        std::unique_lock lock(m_eventLock);
        m_eventChanged.wait(lock, [this] { return m_startEvent.signalled || m_quitEvent.signalled; });
        if (m_quitEvent.signalled) {
            m_quitEvent.signalled = false;
            break;
        }
        m_startEvent.signalled = false;
        lock.unlock();
        if (m_mode == kDownload) {
            FinishDownload(Download());
        } else if (!m_skip) {
            FetchUpdateInfo();
            Signal(m_quitEvent);
        }
    }
    std::lock_guard lock(m_eventLock);
    m_busy = false;
    m_eventChanged.notify_all();
}

void UpdateWorker::FinishDownload(bool succeeded)
{
    // 100 before the result: whoever sees the result has been given every percentage.
    if (succeeded)
        ReportProgress(100);
    const DownloadResult result = succeeded ? DownloadResult::kSucceeded : DownloadResult::kFailed;
    m_downloadResult = result;
    if (m_onFinished)
        m_onFinished(result);
}

int UpdateWorker::FetchUpdateInfo()
{
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        std::fputs("curl init failed\n", stderr);
        return -1;
    }
    curl_slist* headers = nullptr;
    for (const char* header : { "Accept:application/json", "Content-Type:application/x-www-form-urlencoded", "charset:utf-8" })
        headers = curl_slist_append(headers, header);
    const HeaderList headerList(headers);
    const int64_t cap = GetTransferLimits().maxDocumentBytes;
    CappedBuffer body { std::string(), static_cast<size_t>(cap) };
    CURL* h = handle.get();
    if (!SetSecureTransfer(h, m_url)) {
        LOG(ERROR) << "update info fetch not started: https cannot be set up for " << m_url;
        return -1;
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, AppendToBuffer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_POST, 0L);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(h, CURLOPT_HEADER, 0L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 30000L);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(cap));
    const CURLcode result = curl_easy_perform(h);
    long status = 0;
    if (const CURLcode code = curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status); code != CURLE_OK)
        return code;
    if (body.overflowed || result == CURLE_FILESIZE_EXCEEDED) {
        LOG(ERROR) << "update info refused: larger than " << cap << " bytes (" << m_url << ")";
        return 0;
    }
    if (result != CURLE_OK) {
        LOG(ERROR) << "update info fetch failed: " << TransferFailure(result) << " (" << m_url << ")";
        return 0;
    }
    if (status != 200 && status != 201) {
        LOG(ERROR) << "update info fetch failed: status " << status << " (" << m_url << ")";
        return 0;
    }
    LOG(INFO) << "curl success ";
    if (ParseUpdateInfo(Utf8ToAnsi(body.text)))
        LOG(INFO) << "parse cloud file success ";
    else
        LOG(ERROR) << "parse cloud file error";
    return 0;
}

bool UpdateWorker::ParseUpdateInfo(const std::string& text)
{
    std::lock_guard lock(m_recordsLock);
    return ParseUpdateInfoText(text, m_records);
}

bool UpdateWorker::Download()
{
    CurlHandle handle(curl_easy_init());
    if (!handle)
        return false;
    m_localSize = GetLocalFileSize(m_filePath);
    m_remoteSize = GetRemoteFileSize(m_url);
    if (m_remoteSize < 0) {
        LOG(ERROR) << "download not started: the server gave no size for " << m_url << " (see above)";
        return false;
    }
    if (m_localSize >= static_cast<int64_t>(m_remoteSize)) {
        LOG(ERROR) << "download not started: " << m_filePath << " already holds " << m_localSize << " of "
                   << static_cast<int64_t>(m_remoteSize) << " bytes (" << m_url << ")";
        return false;
    }
    const int64_t expected = static_cast<int64_t>(m_remoteSize);
    if (!HasRoomFor(expected))
        return false;
    CURL* h = handle.get();
    if (!SetSecureTransfer(h, m_url)) {
        LOG(ERROR) << "download not started: https cannot be set up for " << m_url;
        return false;
    }
    // Never through a link someone left at the path; the folder is ours alone anyway.
    const int fd = open(m_filePath.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    m_file = fd >= 0 ? fdopen(fd, "ab+") : nullptr;
    if (!m_file) {
        if (fd >= 0)
            close(fd);
        LOG(ERROR) << "download not started: cannot open " << m_filePath;
        return false;
    }
    m_written = 0;
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(expected));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, DownloadProgressCallback);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    const CURLcode result = curl_easy_perform(h);
    // The file stays open from here to the apply step: what was checked is what gets unpacked.
    const int held = std::fflush(m_file) == 0 ? dup(fileno(m_file)) : -1;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    long status = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    struct stat info {};
    const int64_t onDisk = held >= 0 && fstat(held, &info) == 0 ? int64_t(info.st_size) : -1;
    if (announced < 0)
        announced = expected;
    if (result != CURLE_OK || held < 0 || !closed || status != 200 || onDisk != announced || announced != expected) {
        LOG(ERROR) << "download failed: " << (result != CURLE_OK ? TransferFailure(result) : "incomplete")
                   << ", status " << status << ", " << onDisk << " of " << announced << " bytes (" << m_url << ")";
        if (held >= 0)
            close(held);
        unlink(m_filePath.c_str());
        return false;
    }
    m_verifiedFd = held;
    return true;
}

bool UpdateWorker::HasRoomFor(int64_t bytes) const
{
    const int64_t cap = GetTransferLimits().maxDownloadBytes;
    if (bytes > cap) {
        LOG(ERROR) << "download not started: " << bytes << " bytes announced, more than the " << cap
                   << " an update may have (" << m_url << ")";
        return false;
    }
    const std::string folder = m_filePath.substr(0, m_filePath.find_last_of('/') + 1);
    struct statvfs space {};
    if (statvfs(folder.empty() ? "." : folder.c_str(), &space) == 0
        && bytes > static_cast<int64_t>(space.f_bavail) * static_cast<int64_t>(space.f_frsize)) {
        LOG(ERROR) << "download not started: " << bytes << " bytes announced, more than the free space in " << folder;
        return false;
    }
    return true;
}

int UpdateWorker::VerifiedFile() const
{
    return m_verifiedFd;
}

size_t UpdateWorker::WriteToFile(char* data, size_t size, size_t count, void* target)
{
    // A short write (disk full, I/O error, more than was announced) ends the transfer as a
    // write error.
    auto* worker = static_cast<UpdateWorker*>(target);
    const size_t bytes = size * count;
    if (static_cast<double>(worker->m_written + bytes) > worker->m_remoteSize)
        return 0;
    const size_t written = std::fwrite(data, 1, bytes, worker->m_file);
    worker->m_written += written;
    return written;
}

int UpdateWorker::DownloadProgressCallback(void* clientData, int64_t totalDown, int64_t nowDown, int64_t, int64_t)
{
    auto* worker = static_cast<UpdateWorker*>(clientData);
    worker->ReportProgress(TransferPercent(double(totalDown), double(nowDown)));
    return worker->m_stopRequested ? 1 : 0;
}

void UpdateWorker::ReportProgress(int percent)
{
    // libcurl calls back many times per percent; the windows only need the changes.
    if (percent == m_lastPercent || !m_onProgress)
        return;
    m_lastPercent = percent;
    m_onProgress(percent);
}

double GetRemoteFileSize(std::string url)
{
    CurlHandle handle(curl_easy_init());
    if (!handle)
        return -1.0;
    CURL* h = handle.get();
    if (!SetSecureTransfer(h, url) || curl_easy_setopt(h, CURLOPT_HEADER, 1L) != CURLE_OK
        || curl_easy_setopt(h, CURLOPT_NOBODY, 1L) != CURLE_OK
        || curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard) != CURLE_OK)
        return -1.0;
    if (const CURLcode code = curl_easy_perform(h); code != CURLE_OK) {
        LOG(ERROR) << "error:" << code << ":" << curl_easy_strerror(code) << " (" << url << ")";
        return -1.0;
    }
    long status = 0;
    curl_off_t length = -1;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        LOG(ERROR) << "the server answered status " << status
                   << (status >= 300 && status < 400 ? " (a redirect, which is not followed)" : "") << " (" << url << ")";
        return -1.0;
    }
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK || length < 0) {
        LOG(ERROR) << "the server announced no length for " << url;
        return -1.0;
    }
    return static_cast<double>(length);
}

int64_t GetLocalFileSize(std::string path)
{
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return static_cast<int64_t>(size);
}

int TransferPercent(double total, double now)
{
    if (total <= 0)
        return 0;
    const int percent = static_cast<int>(now * 100 / total);
    return percent < 0 ? 0 : percent > 99 ? 99 : percent;
}
