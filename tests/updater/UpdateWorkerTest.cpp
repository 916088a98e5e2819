#include "updater/UpdateWorker.h"

#include "HttpsTestServer.h"
#include "updater/UpdaterLog.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

class UpdateWorkerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeTestCertificates(m_folder / "certs"));
        setenv("QUILL_UPDATE_CA_FILE", (m_folder / "certs/ca.pem").c_str(), 1);
        setenv("QUILL_UPDATE_LOW_SPEED_TIME", "2", 1);
        setenv("QUILL_UPDATE_LOW_SPEED_LIMIT", "50000", 1);  // a stall shows within seconds
        m_payload.resize(60 * 1024);
        for (size_t i = 0; i < m_payload.size(); ++i)
            m_payload[i] = static_cast<char>('a' + i % 23);
        WriteText(m_folder / "www/file.bin", m_payload);
        WriteText(m_folder / "www/up.json", R"({"update": [{"upver": "2.0.0.0", "type": 2, "on": 1}]})");
        m_server = std::make_unique<HttpsTestServer>(m_folder / "certs", "server", m_folder / "www", m_folder / "port");
        ASSERT_FALSE(m_server->Port().empty());
    }
    void TearDown() override
    {
        unsetenv("QUILL_UPDATE_CA_FILE");
        unsetenv("QUILL_UPDATE_LOW_SPEED_TIME");
        unsetenv("QUILL_UPDATE_LOW_SPEED_LIMIT");
    }

    UpdateRecordMap Fetch(const std::string& url)
    {
        UpdateWorker worker(url, std::string(), UpdateWorker::kFetch);
        worker.Start();
        worker.WaitUntilIdle();
        EXPECT_FALSE(worker.IsBusy());
        return worker.GetRecords();
    }

    // Downloads url to the test folder; returns the result and the percentages reported.
    UpdateWorker::DownloadResult Download(const std::string& url, std::vector<int>& percents)
    {
        std::mutex lock;
        UpdateWorker worker(url, Target(), UpdateWorker::kDownload);
        worker.SetProgressCallback([&](int percent) {
            std::lock_guard guard(lock);
            percents.push_back(percent);
        });
        worker.Start();
        while (worker.GetDownloadResult() == UpdateWorker::DownloadResult::kPending)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(worker.IsBusy());  // after a download the thread waits for its owner
        return worker.GetDownloadResult();
    }

    std::string Target() const { return m_folder / "download.bin"; }

    TestFolder m_folder;
    std::string m_payload;
    std::unique_ptr<HttpsTestServer> m_server;
};

TEST_F(UpdateWorkerTest, FetchKeepsOnlyAcceptedAnswers)
{
    EXPECT_EQ(Fetch(m_server->Url("/up.json")).size(), 1u);
    EXPECT_EQ(Fetch(m_server->Url("/redirect/up.json")).size(), 1u);  // the document may move
    EXPECT_TRUE(Fetch(m_server->Url("/missing.json")).empty());       // 404, even with a body
    EXPECT_TRUE(Fetch(m_server->Url("/file.bin")).empty());           // not JSON
    EXPECT_TRUE(Fetch("http://127.0.0.1:" + m_server->Port() + "/up.json").empty());
    setenv("QUILL_UPDATE_CA_FILE", (m_folder / "certs/self.pem").c_str(), 1);  // our CA unknown
    EXPECT_TRUE(Fetch(m_server->Url("/up.json")).empty());
}

TEST_F(UpdateWorkerTest, FetchWithSkipDoesNothingAndStaysBusy)
{
    UpdateWorker worker(m_server->Url("/up.json"), std::string(), UpdateWorker::kFetch);
    worker.SetSkip(true);
    worker.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(worker.IsBusy());
    EXPECT_TRUE(worker.GetRecords().empty());
}

TEST_F(UpdateWorkerTest, CompleteDownloadReportsOneHundredOnce)
{
    std::vector<int> percents;
    ASSERT_EQ(Download(m_server->Url("/file.bin"), percents), UpdateWorker::DownloadResult::kSucceeded);
    EXPECT_EQ(ReadText(Target()), m_payload);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(std::count(percents.begin(), percents.end(), 100), 1);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST_F(UpdateWorkerTest, FailedDownloadsLeaveNoFileAndNoHundred)
{
    struct Case {
        const char* name;
        std::string url;
    };
    const Case cases[] = {
        { "truncated", m_server->Url("/truncated/file.bin") },
        { "stalled", m_server->Url("/stall/file.bin") },
        { "redirected", m_server->Url("/redirect/file.bin") },
        { "missing", m_server->Url("/missing.bin") },
        { "plain http", "http://127.0.0.1:" + m_server->Port() + "/file.bin" },
        { "trickling", m_server->Url("/trickle/file.bin") },  // 2 bytes/s: under the minimum rate
        { "huge", m_server->Url("/huge/file.bin") },          // 2^62 bytes announced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> percents;
        EXPECT_EQ(Download(c.url, percents), UpdateWorker::DownloadResult::kFailed);
        EXPECT_FALSE(std::filesystem::exists(Target()));
        EXPECT_EQ(std::count(percents.begin(), percents.end(), 100), 0);
    }
}

// The reasons a download is refused or ended reach the log in words.
TEST_F(UpdateWorkerTest, LimitsOfTheDownloadAreLogged)
{
    InitUpdaterLog("worker", m_folder.Path() + "/", kLogInfo, 10);
    struct Case {
        const char* name;
        const char* maxDownload;  // empty: the shipped cap
        std::string url;
        const char* logLine;
    };
    const Case cases[] = {
        { "over the cap", "", m_server->Url("/huge/file.bin"), "more than the 2147483648 an update may have" },
        { "over the free space", "9223372036854775807", m_server->Url("/huge/file.bin"), "more than the free space" },
        { "small cap", "1000", m_server->Url("/file.bin"), "61440 bytes announced, more than the 1000" },
        { "slow", "", m_server->Url("/trickle/file.bin"), "too slow: under 50000 bytes/s for 2 s" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setenv("QUILL_UPDATE_MAX_DOWNLOAD", c.maxDownload, 1);
        std::vector<int> percents;
        EXPECT_EQ(Download(c.url, percents), UpdateWorker::DownloadResult::kFailed);
        EXPECT_FALSE(std::filesystem::exists(Target()));
        const std::string log = ReadText(m_folder / "worker.log");
        EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
    }
    unsetenv("QUILL_UPDATE_MAX_DOWNLOAD");
    ShutdownUpdaterLog();
}

// An endless or oversized document is refused at the cap, not read into memory without end.
TEST_F(UpdateWorkerTest, DocumentSizeIsCapped)
{
    std::string big = R"({"update": [{"upver": "2.0.0.0", "type": 2, "on": 1, "msg": [")";
    big += std::string(2 << 20, 'x') + "\"]}]}";
    WriteText(m_folder / "www/big.json", big);
    EXPECT_TRUE(Fetch(m_server->Url("/endless/up.json")).empty());
    EXPECT_TRUE(Fetch(m_server->Url("/big.json")).empty());
    setenv("QUILL_UPDATE_MAX_DOCUMENT", "4194304", 1);
    EXPECT_EQ(Fetch(m_server->Url("/big.json")).size(), 1u);  // the same document under a larger cap
    unsetenv("QUILL_UPDATE_MAX_DOCUMENT");
}

// Start marks the worker busy before its thread can run: a fetch that ends at once must still
// leave the worker not busy, or its owner would wait for ever.
TEST(UpdateWorkerStart, FetchThatEndsAtOnceIsNotBusyAfterwards)
{
    for (int i = 0; i < 100; ++i) {
        UpdateWorker worker("not a url", std::string(), UpdateWorker::kFetch);
        worker.Start();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (worker.IsBusy() && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        ASSERT_FALSE(worker.IsBusy()) << "round " << i;
    }
}

TEST_F(UpdateWorkerTest, SizesOfRemoteAndLocalFiles)
{
    EXPECT_EQ(GetRemoteFileSize(m_server->Url("/file.bin")), double(m_payload.size()));
    InitUpdaterLog("sizes", m_folder.Path() + "/", kLogInfo, 10);
    EXPECT_EQ(GetRemoteFileSize(m_server->Url("/missing.bin")), -1.0);
    EXPECT_EQ(GetRemoteFileSize(m_server->Url("/redirect/file.bin")), -1.0);
    EXPECT_EQ(GetRemoteFileSize(m_server->Url("/endless/file.bin")), -1.0);
    ShutdownUpdaterLog();
    // Each says its own cause.
    const std::string log = ReadText(m_folder / "sizes.log");
    for (const std::string& line : { "the server answered status 404 (" + m_server->Url("/missing.bin"),
                                    std::string("the server answered status 302 (a redirect, which is not followed)"),
                                    "the server announced no length for " + m_server->Url("/endless/file.bin") })
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(GetLocalFileSize(m_folder / "www/file.bin"), int64_t(m_payload.size()));
    EXPECT_EQ(GetLocalFileSize(m_folder / "none"), -1);
}

TEST(TransferPercent, Table)
{
    struct Case {
        double total, now;
        int want;
    };
    const Case cases[] = { { 0, 0, 0 }, { 0, 50, 0 }, { 200, 0, 0 }, { 200, 101, 50 }, { 3, 1, 33 }, { 200, 200, 99 } };
    for (const Case& c : cases)
        EXPECT_EQ(TransferPercent(c.total, c.now), c.want) << c.total << " " << c.now;
}

}  // namespace
