#include "updater/UpdaterLog.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sstream>
#include <vector>
#include <unistd.h>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// True when some line matches the shell-style pattern.
bool HasLine(const std::vector<std::string>& lines, const std::string& pattern)
{
    for (const std::string& line : lines)
        if (fnmatch(pattern.c_str(), line.c_str(), 0) == 0)
            return true;
    return false;
}

TEST(UpdaterLog, LinePrefix)
{
    std::tm time {};
    time.tm_mon = 2;  // March
    time.tm_mday = 7;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;
    struct Case {
        int severity;
        const char* file;
        int line;
        const char* want;
    };
    const Case cases[] = {
        { kLogInfo, "vkupdate", 42, "[12:345:0307/09:05:03.000042:INFO:vkupdate(42)] " },
        { kLogError, "", 0, "[12:345:0307/09:05:03.000042:ERROR:(0)] " },
        { kLogDebug, "a.cpp", 1, "[12:345:0307/09:05:03.000042:DEBUG:a.cpp(1)] " },
        { kLogFatal, "b", 7, "[12:345:0307/09:05:03.000042:FATAL:b(7)] " },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLogPrefix(12, 345, time, 42, c.severity, c.file, c.line), c.want);
}

TEST(UpdaterLog, SeverityOutOfRangeIsAFailedCheck)
{
    EXPECT_DEATH(LogSeverityName(5), "severity >= 0 && severity < NUM_SEVERITIES");
    EXPECT_DEATH(LogWide(L"x", -1), "severity >= 0");
}

TEST(UpdaterLog, Rotation)
{
    struct Case {
        const char* name;
        bool current, old;
    };
    const Case cases[] = {
        { "both", true, true },     // a stale old log is replaced, not appended to
        { "current only", true, false },
        { "old only", false, true },
        { "none", false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        if (c.current)
            WriteText(folder / "vkupdate.log", "current run");
        if (c.old)
            WriteText(folder / "vkupdate_old.log", "stale");
        RotateLogFile("vkupdate", folder.Path() + "/");
        EXPECT_FALSE(std::filesystem::exists(folder / "vkupdate.log"));
        if (c.current)
            EXPECT_EQ(ReadText(folder / "vkupdate_old.log"), "current run");
        else
            EXPECT_FALSE(std::filesystem::exists(folder / "vkupdate_old.log"));
    }
}

// One process, one glog: both runs happen here in order, the second moving the first's file.
// Text from outside (a URL with CR/LF, an item name with an escape character) cannot forge or
// hide a line: control characters are written as escapes. The file is writable by its owner
// only, whatever the umask lets through.
TEST(UpdaterLog, ControlCharactersAreEscapedAndTheFileIsNotGroupWritable)
{
    TestFolder folder;
    const mode_t oldMask = umask(0002);
    InitUpdaterLog("vkupdate", folder.Path() + "/", kLogInfo, 10);
    LOG(ERROR) << "download failed (https://h/u.zip\r\n[1:1:0101/00:00:00.000000:INFO:x(1)] APP Exit!)";
    EXPECT_TRUE(LogWide(L"item\x1b[2K\tname copy ok", kLogInfo));
    ShutdownUpdaterLog();
    umask(oldMask);
    const std::string log = ReadText(folder / "vkupdate.log");
    const std::vector<std::string> lines = Lines(log);
    EXPECT_FALSE(HasLine(lines, "\\[1:1:*")) << log;
    EXPECT_NE(log.find("u.zip\\r\\n[1:1:0101"), std::string::npos) << log;
    EXPECT_NE(log.find("item\\x1b[2K\\tname copy ok\n"), std::string::npos) << log;
    struct stat info {};
    ASSERT_EQ(stat((folder / "vkupdate.log").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(UpdaterLog, FileHeaderLinesAndSecondRun)
{
    TestFolder folder;
    const std::string dir = folder.Path() + "/";
    InitUpdaterLog("vkupdate", dir, kLogInfo, 10);
    LOG(INFO) << "parse test file";
    LOG(ERROR) << "read test file error";
    EXPECT_TRUE(LogWide(L"/opt/q/Quillmoor copy ok", kLogInfo));
    EXPECT_FALSE(LogWide(nullptr, kLogInfo));
    EXPECT_FALSE(LogWide(L"dropped", kLogDebug));  // below the minimum severity

    const std::string log = ReadText(dir + "vkupdate.log");
    const std::vector<std::string> lines = Lines(log);
    ASSERT_GE(lines.size(), 6u) << log;
    const std::string d2 = "[0-9][0-9]";
    EXPECT_EQ(fnmatch(("Log file created at: " + d2 + d2 + "/" + d2 + "/" + d2 + " " + d2 + ":" + d2 + ":" + d2).c_str(),
                      lines[0].c_str(), 0), 0) << lines[0];
    EXPECT_EQ(lines[1].rfind("Running on machine: ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "Log line format: [pid:tid:mmdd/hh:mm:ss.uuuuuu:severity:file(line)] msg");
    const std::string prefix = "\\[" + std::to_string(getpid()) + ":[0-9]*:" + d2 + d2 + "/" + d2 + ":" + d2 + ":" + d2
        + "." + d2 + d2 + d2 + ":";
    EXPECT_TRUE(HasLine(lines, prefix + "INFO:UpdaterLogTest.cpp([0-9]*)] parse test file")) << log;
    EXPECT_TRUE(HasLine(lines, prefix + "ERROR:UpdaterLogTest.cpp([0-9]*)] read test file error")) << log;
    EXPECT_TRUE(HasLine(lines, prefix + "INFO:(0)] /opt/q/Quillmoor copy ok")) << log;
    EXPECT_EQ(log.find("dropped"), std::string::npos);

    InitUpdaterLog("vkupdate", dir, kLogInfo, 10);
    LOG(INFO) << "second run";
    ShutdownUpdaterLog();
    EXPECT_EQ(ReadText(dir + "vkupdate_old.log"), log);
    const std::string second = ReadText(dir + "vkupdate.log");
    EXPECT_EQ(second.rfind("Log file created at: ", 0), 0u);
    EXPECT_NE(second.find("] second run\n"), std::string::npos);
    EXPECT_EQ(second.find("parse test file"), std::string::npos);
}

TEST(UpdaterLog, FileLoggingStopsAtTheSizeLimit)
{
    TestFolder folder;
    const std::string dir = folder.Path() + "/";
    InitUpdaterLog("small", dir, kLogInfo, 1);
    SetUpdaterStderrLogging(kLogFatal);  // keep a megabyte of x off the test output
    const std::string block(20000, 'x');  // below glog's message length cap
    for (int i = 0; i < 60; ++i)
        LOG(INFO) << block;
    LOG(INFO) << "after the limit";
    ShutdownUpdaterLog();
    const auto size = std::filesystem::file_size(dir + "small.log");
    EXPECT_GE(size, 1u << 20);
    EXPECT_LT(size, (1u << 20) + 2 * block.size());
    EXPECT_EQ(ReadText(dir + "small.log").find("after the limit"), std::string::npos);
}

}  // namespace
