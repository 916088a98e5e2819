#pragma once
#include <ctime>
#include <string>

#include <glog/logging.h>

// The updater's log: one file "<name>.log" in the program folder for every severity, the
// previous run's file kept as "<name>_old.log". Statements use glog (LOG(INFO) << ...); a sink
// of ours writes the file with its fixed name, header and line prefix, because glog's own file
// writer adds host, date and pid to the name and has its own header and prefix.

// Severities of the updater's log; glog's own severities are these minus one (no DEBUG).
enum UpdaterLogSeverity { kLogDebug = 0, kLogInfo = 1, kLogWarning = 2, kLogError = 3, kLogFatal = 4 };
constexpr int kLogSeverityCount = 5;

// Sets the log up; safe to call again in one process (the file then moves to the new place).
void InitUpdaterLog(const std::string& name, const std::string& folder, int minSeverity, int sizeLimitMiB);
// Keeps the previous run's log as "<name>_old.log" so the run starts without a current file.
void RotateLogFile(const std::string& name, const std::string& folder);
// Messages at or above minSeverity also go to standard error, with the log's line prefix.
void SetUpdaterStderrLogging(int minSeverity);
// Logs a wide text at INFO with an empty file name and line 0; false when nothing was logged.
bool LogWide(const wchar_t* text, int severity);
void ShutdownUpdaterLog();

// "[pid:tid:mmdd/hh:mm:ss.uuuuuu:SEVERITY:file(line)] "
std::string FormatLogPrefix(long pid, long tid, const std::tm& time, long microseconds,
                            int severity, const char* baseFileName, int line);
const char* LogSeverityName(int severity);
