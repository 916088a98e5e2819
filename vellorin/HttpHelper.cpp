#include "vellorin/HttpHelper.h"

#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTotalTimeoutSeconds = 120;

// The library's download threads; stopped and joined when the library goes.
class Downloads {
public:
    ~Downloads()
    {
        m_stopping = true;
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(m_lock);
            threads.swap(m_threads);
        }
        for (std::thread& thread : threads)
            thread.join();
    }

    void Start(std::string url, std::string path, HttpDoneCallback done)
    {
        std::lock_guard lock(m_lock);
        m_threads.emplace_back([this, url = std::move(url), path = std::move(path), done] {
            Download(url, path);
            if (done)
                done();
        });
    }

    bool Stopping() const { return m_stopping; }

private:
    void Download(const std::string& url, const std::string& path);

    std::mutex m_lock;
    std::vector<std::thread> m_threads;
    std::atomic<bool> m_stopping { false };
};

Downloads& AllDownloads()
{
    static Downloads downloads;
    return downloads;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

int AbortWhenStopping(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return AllDownloads().Stopping() ? 1 : 0;
}

std::string PosixPath(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

bool Fetch(const std::string& url, FILE* file)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, AbortWhenStopping);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK)
        std::fprintf(stderr, "vellorin: download of %s failed: %s\n", url.c_str(), curl_easy_strerror(result));
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

void Downloads::Download(const std::string& url, const std::string& path)
{
    const std::string target = PosixPath(path);
    const std::string partial = target + ".part";
    FILE* file = std::fopen(partial.c_str(), "wbx");
    if (!file) {
        std::fprintf(stderr, "vellorin: cannot write %s\n", partial.c_str());
        return;
    }
    const bool fetched = Fetch(url, file);
    const bool closed = std::fclose(file) == 0;
    if (fetched && closed && std::rename(partial.c_str(), target.c_str()) == 0)
        return;
    std::remove(partial.c_str());
}

}  // namespace

extern "C" {

int http_init()
{
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    return result == CURLE_OK ? 0 : -1;
}

int http_download_file(const char* url, const char* path, HttpDoneCallback done, HttpProgressCallback, int, void*, int)
{
    if (!url || !*url || !path || !*path)
        return -1;
    http_init();
    AllDownloads().Start(url, path, done);
    return 0;
}
}
