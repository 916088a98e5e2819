#include "updater/UpdateWorker.h"

#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"

#include <cstdlib>
#include <curl/curl.h>
#include <memory>
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

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 ? value : fallback;
}

// Verified https for every request: the addresses come from a document on the network.
bool SetSecureTransfer(CURL* handle, const std::string& url)
{
    bool ok = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, EnvNumber("QUILL_UPDATE_LOW_SPEED_LIMIT", 1)) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, EnvNumber("QUILL_UPDATE_LOW_SPEED_TIME", 30)) == CURLE_OK;
    if (const char* caFile = std::getenv("QUILL_UPDATE_CA_FILE"); ok && caFile && *caFile)
        ok = curl_easy_setopt(handle, CURLOPT_CAINFO, caFile) == CURLE_OK;
    return ok;
}

size_t AppendToBuffer(char* data, size_t size, size_t count, void* buffer)
{
    static_cast<std::string*>(buffer)->append(data, size * count);
    return size * count;
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
}

void UpdateWorker::Start()
{
    Signal(m_startEvent);
    m_busy = true;
}

void UpdateWorker::Stop()
{
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
            m_downloadResult = Download() ? DownloadResult::kSucceeded : DownloadResult::kFailed;
        } else if (!m_skip) {
            FetchUpdateInfo();
            Signal(m_quitEvent);
        }
    }
    m_busy = false;
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
    std::string body;
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
    const CURLcode result = curl_easy_perform(h);
    long status = 0;
    if (const CURLcode code = curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status); code != CURLE_OK)
        return code;
    if (result != CURLE_OK) {
        LOG(ERROR) << "update info fetch failed: " << curl_easy_strerror(result) << " (" << m_url << ")";
        return 0;
    }
    if (status != 200 && status != 201) {
        LOG(ERROR) << "update info fetch failed: status " << status << " (" << m_url << ")";
        return 0;
    }
    LOG(INFO) << "curl success ";
    if (ParseUpdateInfo(Utf8ToAnsi(body)))
        LOG(INFO) << "parse cloud file success ";
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
    if (m_remoteSize < 0 || m_localSize >= static_cast<int64_t>(m_remoteSize)) {
        LOG(ERROR) << "download not started: remote size " << m_remoteSize << ", local size " << m_localSize
                   << " (" << m_url << ")";
        return false;
    }
    CURL* h = handle.get();
    if (!SetSecureTransfer(h, m_url)) {
        LOG(ERROR) << "download not started: https cannot be set up for " << m_url;
        return false;
    }
    m_file = std::fopen(m_filePath.c_str(), "ab+");
    if (!m_file) {
        LOG(ERROR) << "download not started: cannot open " << m_filePath;
        return false;
    }
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, DownloadProgressCallback);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    const CURLcode result = curl_easy_perform(h);
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    long status = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    const int64_t onDisk = GetLocalFileSize(m_filePath);
    const int64_t expected = announced >= 0 ? announced : static_cast<int64_t>(m_remoteSize);
    if (result != CURLE_OK || !closed || status != 200 || onDisk != expected
        || expected != static_cast<int64_t>(m_remoteSize)) {
        LOG(ERROR) << "download failed: " << (result != CURLE_OK ? curl_easy_strerror(result) : "incomplete")
                   << ", status " << status << ", " << onDisk << " of " << expected << " bytes (" << m_url << ")";
        unlink(m_filePath.c_str());
        return false;
    }
    ReportProgress(100);
    return true;
}

size_t UpdateWorker::WriteToFile(char* data, size_t size, size_t count, void* worker)
{
    // A short write (disk full, I/O error) ends the transfer as a write error.
    return std::fwrite(data, size, count, static_cast<UpdateWorker*>(worker)->m_file) * size;
}

int UpdateWorker::DownloadProgressCallback(void* clientData, int64_t totalDown, int64_t nowDown, int64_t, int64_t)
{
    static_cast<UpdateWorker*>(clientData)->ReportProgress(TransferPercent(double(totalDown), double(nowDown)));
    return 0;
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
    if (status != 200 || curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        return -1.0;
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
