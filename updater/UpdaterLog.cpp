#include "updater/UpdaterLog.h"

#include "updater/FileUtil.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<int> g_stderrThreshold { kLogInfo };

// Logged text comes partly from outside (URLs, item names): a control character in it could
// forge or hide lines, so each is written as an escape.
void AppendEscaped(std::string& out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x20 && ch != 0x7f) {
            out += static_cast<char>(ch);
            continue;
        }
        char escape[8];
        if (ch == '\n' || ch == '\r' || ch == '\t')
            std::snprintf(escape, sizeof escape, "\\%c", ch == '\n' ? 'n' : ch == '\r' ? 'r' : 't');
        else
            std::snprintf(escape, sizeof escape, "\\x%02x", ch);
        out += escape;
    }
}

// Writes the log file (and the copy on standard error). glog calls send() under its own lock, so lines never interleave; our
// mutex only guards the set-up and shut-down that happen outside glog's lock.
class LogFileSink : public google::LogSink {
public:
    LogFileSink(std::string basePath, std::string linkName, uint64_t maxBytes)
        : m_path(std::move(basePath) + ".log"), m_linkName(std::move(linkName)), m_maxBytes(maxBytes)
    {
    }
    ~LogFileSink() override { CloseFile(); }

    void send(google::LogSeverity severity, const char*, const char* baseFileName, int line,
              const google::LogMessageTime& time, const char* message, size_t length) override
    {
        std::lock_guard lock(m_lock);
        std::string text = FormatLogPrefix(getpid(), gettid(), time.tm(), time.usec(), severity + 1,
                                           baseFileName, line);
        if (length > 0 && message[length - 1] == '\n')
            --length;
        AppendEscaped(text, message, length);
        text += '\n';
        if (severity + 1 >= g_stderrThreshold)
            std::fwrite(text.data(), 1, text.size(), stderr);
        if (!EnsureOpen())
            return;
        // A full disk drops the message; logbufsecs 0 means the next message tries again.
        const ssize_t written = write(m_fd, text.data(), text.size());
        if (written > 0)
            m_bytesWritten += static_cast<uint64_t>(written);
        if (m_bytesWritten >= m_maxBytes)
            CloseFile();  // the name is fixed and creation exclusive: this ends file logging
    }

private:
    bool EnsureOpen()
    {
        if (m_fd >= 0)
            return true;
        if (m_attemptsToSkip > 0) {
            --m_attemptsToSkip;
            return false;
        }
        m_fd = open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            ReportOpenFailure();
            m_attemptsToSkip = 31;
            return false;
        }
        m_bytesWritten = 0;
        RemoveStaleLink();
        WriteHeader();
        return true;
    }

    void ReportOpenFailure() const
    {
        std::fprintf(stderr, "Could not create log file: %s\n", std::strerror(errno));
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        std::fprintf(stderr, "COULD NOT CREATE LOGFILE '%04d%02d%02d-%02d%02d%02d.%d'!\n", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, getpid());
    }

    // The link "<folder>/<link>.log" is our own log file when the names agree: never remove that.
    void RemoveStaleLink() const
    {
        if (m_linkName.empty())
            return;
        const size_t slash = m_path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : m_path.substr(0, slash);
        const std::string link = folder + "/" + m_linkName + ".log";
        struct stat ours {}, other {};
        if (stat(link.c_str(), &other) != 0 || fstat(m_fd, &ours) != 0)
            return;
        if (ours.st_dev != other.st_dev || ours.st_ino != other.st_ino)
            unlink(link.c_str());
    }

    void WriteHeader()
    {
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        char host[256] = "";
        gethostname(host, sizeof host - 1);
        char header[512];
        const int length = std::snprintf(header, sizeof header,
            "Log file created at: %04d/%02d/%02d %02d:%02d:%02d\n"
            "Running on machine: %s\n"
            "Log line format: [pid:tid:mmdd/hh:mm:ss.uuuuuu:severity:file(line)] msg\n",
            local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, host);
        if (length > 0 && write(m_fd, header, static_cast<size_t>(length)) == length)
            m_bytesWritten += static_cast<uint64_t>(length);
    }

    void CloseFile()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

    std::mutex m_lock;
    const std::string m_path;
    const std::string m_linkName;
    const uint64_t m_maxBytes;
    int m_fd { -1 };
    uint64_t m_bytesWritten { 0 };
    int m_attemptsToSkip { 0 };
};

std::mutex g_sinkLock;
std::unique_ptr<LogFileSink> g_sink;

void ReplaceSink(std::unique_ptr<LogFileSink> sink)
{
    std::lock_guard lock(g_sinkLock);
    if (g_sink)
        google::RemoveLogSink(g_sink.get());
    g_sink = std::move(sink);
    if (g_sink)
        google::AddLogSink(g_sink.get());
}

void RemoveIfExists(const std::string& path)
{
    if (access(path.c_str(), F_OK) == 0)
        unlink(path.c_str());
}

}  // namespace

const char* LogSeverityName(int severity)
{
    static const char* const kNames[kLogSeverityCount] = { "DEBUG", "INFO", "WARNING", "ERROR", "FATAL" };
    CHECK(severity >= 0 && severity < kLogSeverityCount) << "severity >= 0 && severity < NUM_SEVERITIES";
    return kNames[severity];
}

std::string FormatLogPrefix(long pid, long tid, const std::tm& time, long microseconds,
                            int severity, const char* baseFileName, int line)
{
    char prefix[256];
    std::snprintf(prefix, sizeof prefix, "[%ld:%ld:%02d%02d/%02d:%02d:%02d.%06ld:%s:%s(%d)] ", pid, tid,
                  time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec, microseconds,
                  LogSeverityName(severity), baseFileName ? baseFileName : "", line);
    return prefix;
}

void RotateLogFile(const std::string& name, const std::string& folder)
{
    const std::string current = folder + name + ".log";
    const std::string old = folder + name + "_old.log";
    RemoveIfExists(old);
    if (std::rename(current.c_str(), old.c_str()) != 0)
        RemoveIfExists(current);
}

void InitUpdaterLog(const std::string& name, const std::string& folder, int minSeverity, int sizeLimitMiB)
{
    RotateLogFile(name, folder);
    if (!google::IsGoogleLoggingInitialized()) {
        static std::string programName;  // glog keeps the pointer
        programName = name;
        google::InitGoogleLogging(programName.c_str());
    }
    // glog's own files stay off: every severity goes to our one file through the sink.
    for (int severity = google::GLOG_INFO; severity < google::NUM_SEVERITIES; ++severity)
        google::SetLogDestination(severity, "");
    google::SetLogFilenameExtension("-");
    FLAGS_logtostderr = false;
    FLAGS_log_dir = folder;
    FLAGS_max_log_size = sizeLimitMiB;
    FLAGS_stop_logging_if_full_disk = true;
    FLAGS_alsologtostderr = false;
    FLAGS_colorlogtostderr = false;
    FLAGS_logbufsecs = 0;
    FLAGS_minloglevel = std::max(minSeverity - 1, 0);
    FLAGS_log_link = folder;
    SetUpdaterStderrLogging(minSeverity);
    ReplaceSink(std::make_unique<LogFileSink>(folder + name, name, uint64_t(sizeLimitMiB) << 20));
}

void SetUpdaterStderrLogging(int minSeverity)
{
    // Our sink writes standard error with the log's own prefix, so glog's copy stays off.
    FLAGS_stderrthreshold = google::NUM_SEVERITIES;
    g_stderrThreshold = minSeverity;
}

bool LogWide(const wchar_t* text, int severity)
{
    LogSeverityName(severity);  // out of range is a failed check
    if (!text || severity < FLAGS_minloglevel + 1)
        return false;
    google::LogMessage("", 0, google::GLOG_INFO).stream() << WideToAnsi(text);
    return true;
}

void ShutdownUpdaterLog()
{
    ReplaceSink(nullptr);
    if (google::IsGoogleLoggingInitialized())
        google::ShutdownGoogleLogging();
}
