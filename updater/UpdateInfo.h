#pragma once
#include <map>
#include <set>
#include <string>

// One element of the update-information document. Narrow strings are in the system code page.
struct UpdateRecord {
    std::string upver;
    std::string exeurl;
    std::string zipurl;
    int on { 0 };
    int type { 0 };
    int notify { 0 };
    int manual { 0 };
    std::set<std::string> srcver;
    std::map<int, std::string> msg;
};

using UpdateRecordMap = std::map<int, UpdateRecord>;

// What the updater will do: filled by EvaluateUpdateRecord, the last accepted record winning.
struct UpdateDecision {
    std::string url;
    bool notify { false };
    bool manual { false };
    std::map<int, std::string> changeLog;
    std::wstring updateVersion;
};

// "https://<update host>/paypage/<code>/<code>_up.json"
std::string BuildUpdateInfoUrl(const std::wstring& productCode);

// Parses the document; false when the text is not JSON (or nests deeper than the reader allows). Members of the wrong type read as
// missing; a document without an "update" array holds no records.
bool ParseUpdateInfoText(const std::string& text, UpdateRecordMap& records);

// Reads "a.b.c.d" into four fields; reading stops at the first field that is not a number and
// missing fields are 0. False (all fields 0) when a field lies outside the 32-bit signed range.
bool ParseVersion(const std::string& text, int (&fields)[4]);
// 1 when a is newer than b, -1 when older, 0 when equal; fields that cannot be read count as 0.
int CompareVersions(const std::string& a, const std::string& b);
void EvaluateUpdateRecord(const UpdateRecord& record, const std::string& installedVersion, UpdateDecision& decision);
// Runs every active record that applies to the installed version (its srcver set empty or
// naming that version), in index order; a record that is off is logged and skipped.
UpdateDecision DecideUpdate(const UpdateRecordMap& records, const std::string& installedVersion);

// "a.b.c.d" of the executable's stamped version, or empty.
std::string GetFileVersionString(const std::wstring& path);
