#include "updater/UpdateInfo.h"

#include "TestFolder.h"
#include "updater/FileUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

TEST(UpdateInfo, CompareVersions)
{
    struct Case {
        const char* a;
        const char* b;
        int want;
    };
    const Case cases[] = {
        { "2.0.0.0", "1.9.9.9", 1 },
        { "1.9.9.9", "2.0.0.0", -1 },
        { "2.0.0.0", "2.0.0.0", 0 },
        { "10.0.0.0", "9.9.9.9", 1 },  // numbers, not text
        { "3.1", "3.1.0.0", 0 },        // missing fields are 0
        { "", "0.0.0.0", 0 },
        { "0.0.0.1", "", 1 },
        { "1.2.x.4", "1.2.0.0", 0 },   // reading stops at the first bad field
        { "-1.0.0.0", "0.0.0.0", -1 },  // signed fields
        { "2147483647.0.0.0", "2147483646.9.9.9", 1 },
        { "4294967298.0.0.0", "2.0.0.0", -1 },  // beyond 32 bits: invalid, counts as 0.0.0.0
        { "1.99999999999999999999", "1.0", -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersions(c.a, c.b), c.want) << c.a << " vs " << c.b;
}

TEST(UpdateInfo, ParsesRecordsAndIgnoresWrongTypes)
{
    const std::string document = R"({
        // comments are allowed
        "update": [
            { "upver": "2.0.0.0", "zipurl": "https://h/u.zip", "type": 2, "on": 1, "notify": 0,
              "msg": ["a", "b"], "srcver": ["1.9.9.9", "1.9.9.8"], "extra": true },
            { "upver": 2, "exeurl": ["x"], "type": "1", "on": 1.5, "msg": "line", "srcver": [3, "1.0.0.0"] },
            "not an object",
            { }
        ] })";
    UpdateRecordMap records;
    ASSERT_TRUE(ParseUpdateInfoText(document, records));
    ASSERT_EQ(records.size(), 3u);
    const UpdateRecord& first = records.at(0);
    EXPECT_EQ(first.upver, "2.0.0.0");
    EXPECT_EQ(first.zipurl, "https://h/u.zip");
    EXPECT_EQ(first.type, 2);
    EXPECT_EQ(first.on, 1);
    EXPECT_EQ(first.msg, (std::map<int, std::string> { { 0, "a" }, { 1, "b" } }));
    EXPECT_EQ(first.srcver, (std::set<std::string> { "1.9.9.8", "1.9.9.9" }));
    const UpdateRecord& wrong = records.at(1);  // mistyped members read as missing
    EXPECT_EQ(wrong.upver, "");
    EXPECT_EQ(wrong.exeurl, "");
    EXPECT_EQ(wrong.type, 0);
    EXPECT_EQ(wrong.on, 0);
    EXPECT_TRUE(wrong.msg.empty());
    EXPECT_EQ(wrong.srcver, std::set<std::string> { "1.0.0.0" });
    EXPECT_EQ(records.count(2), 0u);
    EXPECT_EQ(records.at(3).upver, "");
}

TEST(UpdateInfo, DocumentsWithoutRecords)
{
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        { "not json", false },
        { "", false },
        { "{}", true },
        { "{\"update\": {}}", true },
        { "{\"update\": 5}", true },
        { "[1, 2]", true },   // root not an object: no records, no crash
        { "\"text\"", true },
    };
    for (const Case& c : cases) {
        UpdateRecordMap records;
        EXPECT_EQ(ParseUpdateInfoText(c.text, records), c.valid) << c.text;
        EXPECT_TRUE(records.empty()) << c.text;
    }
}

UpdateRecord Record(const char* upver, int type, int notify, int manual, int on = 1, std::set<std::string> srcver = {})
{
    UpdateRecord record;
    record.upver = upver;
    record.exeurl = std::string("https://h/") + upver + "/Setup.exe";
    record.zipurl = std::string("https://h/") + upver + "/update.zip";
    record.type = type;
    record.notify = notify;
    record.manual = manual;
    record.on = on;
    record.srcver = std::move(srcver);
    record.msg = { { 0, std::string("log ") + upver } };
    return record;
}

TEST(UpdateInfo, Decision)
{
    struct Case {
        const char* name;
        std::vector<UpdateRecord> records;
        std::string installed;
        std::string url;
        bool notify, manual;
        std::wstring version;
    };
    const Case cases[] = {
        { "silent archive", { Record("2.0.0.0", 2, 0, 0) }, "1.9.9.9", "https://h/2.0.0.0/update.zip", false, false, L"2.0.0.0" },
        { "dialog installer", { Record("2.0.0.0", 1, 1, 0) }, "1.9.9.9", "https://h/2.0.0.0/Setup.exe", true, false, L"2.0.0.0" },
        { "only manual", { Record("2.0.0.0", 1, 1, 1) }, "1.9.9.9", "https://h/2.0.0.0/Setup.exe", true, true, L"2.0.0.0" },
        { "equal version", { Record("1.9.9.9", 2, 0, 0) }, "1.9.9.9", "", false, false, L"" },
        { "older offer", { Record("1.0.0.0", 2, 0, 0) }, "1.9.9.9", "", false, false, L"" },
        { "no version info", { Record("0.0.0.1", 2, 0, 0) }, "", "https://h/0.0.0.1/update.zip", false, false, L"0.0.0.1" },
        { "type 3: no url", { Record("2.0.0.0", 3, 1, 1) }, "1.9.9.9", "", true, true, L"2.0.0.0" },
        { "off", { Record("2.0.0.0", 2, 0, 0, 0) }, "1.9.9.9", "", false, false, L"" },
        { "srcver matches", { Record("2.0.0.0", 2, 0, 0, 1, { "1.9.9.9" }) }, "1.9.9.9", "https://h/2.0.0.0/update.zip", false, false, L"2.0.0.0" },
        { "srcver other", { Record("2.0.0.0", 2, 0, 0, 1, { "1.9.9.8" }) }, "1.9.9.9", "", false, false, L"" },
        { "later wins", { Record("2.0.0.0", 2, 0, 0), Record("2.1.0.0", 1, 1, 1) }, "1.9.9.9",
          "https://h/2.1.0.0/Setup.exe", true, true, L"2.1.0.0" },
        { "type 3 keeps earlier url", { Record("2.0.0.0", 2, 0, 0), Record("2.1.0.0", 3, 1, 0) }, "1.9.9.9",
          "https://h/2.0.0.0/update.zip", true, false, L"2.1.0.0" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRecordMap records;
        for (size_t i = 0; i < c.records.size(); ++i)
            records[int(i)] = c.records[i];
        const UpdateDecision decision = DecideUpdate(records, c.installed);
        EXPECT_EQ(decision.url, c.url);
        EXPECT_EQ(decision.notify, c.notify);
        EXPECT_EQ(decision.manual, c.manual);
        EXPECT_EQ(decision.updateVersion, c.version);
        if (!c.version.empty()) {
            EXPECT_EQ(decision.changeLog.at(0), "log " + WideToAnsi(c.version));
        }
    }
}

TEST(UpdateInfo, OutOfRangeVersionsAreRefused)
{
    struct Case {
        const char* text;
        bool valid;
        int fields[4];
    };
    const Case cases[] = {
        { "2.0.0.0", true, { 2, 0, 0, 0 } },
        { "3.1", true, { 3, 1, 0, 0 } },
        { "-2147483648.2147483647", true, { INT32_MIN, INT32_MAX, 0, 0 } },
        { "4294967298.0.0.0", false, {} },
        { "1.2.2147483648.0", false, {} },
        { "1.2.x.99999999999", true, { 1, 2, 0, 0 } },  // reading stopped before the big field
    };
    for (const Case& c : cases) {
        int fields[4] = { 7, 7, 7, 7 };
        EXPECT_EQ(ParseVersion(c.text, fields), c.valid) << c.text;
        EXPECT_TRUE(std::equal(fields, fields + 4, c.fields)) << c.text;
    }
    // A wrapped version must never be installed as the small version it wraps to.
    UpdateDecision decision;
    EvaluateUpdateRecord(Record("4294967298.0.0.0", 2, 0, 0), "1.9.9.9", decision);
    EvaluateUpdateRecord(Record("4294967298.0.0.0", 2, 0, 0), "", decision);
    EXPECT_TRUE(decision.url.empty());
    EXPECT_TRUE(decision.updateVersion.empty());
}

// A document the JSON reader refuses with an exception (nesting beyond its limit) or that holds
// bytes that are not UTF-8 must neither end the program nor lose the other records.
TEST(UpdateInfo, HostileDocuments)
{
    UpdateRecordMap records;
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(ParseUpdateInfoText(deep, records));
    EXPECT_FALSE(ParseUpdateInfoText("{\"update\": [{\"msg\": " + deep + "}]}", records));
    EXPECT_TRUE(records.empty());

    const std::string document = "{\"update\": [{\"upver\": \"2.0.0.0\", \"msg\": [\"caf\xE9\"]}]}";
    ASSERT_TRUE(ParseUpdateInfoText(Utf8ToAnsi(document), records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.at(0).upver, "2.0.0.0");
    EXPECT_EQ(records.at(0).msg.at(0), "caf\xEF\xBF\xBD");
}

TEST(UpdateInfo, EvaluatingTwiceGivesTheSameDecision)
{
    const UpdateRecord record = Record("2.0.0.0", 2, 1, 0);
    UpdateDecision once, twice;
    EvaluateUpdateRecord(record, "1.0.0.0", once);
    EvaluateUpdateRecord(record, "1.0.0.0", twice);
    EvaluateUpdateRecord(record, "1.0.0.0", twice);
    EXPECT_EQ(once.url, twice.url);
    EXPECT_EQ(once.changeLog, twice.changeLog);
    EXPECT_EQ(once.notify, twice.notify);
}

TEST(UpdateInfo, UpdateInfoUrlUsesTheHostOverride)
{
    setenv("QUILL_UPDATE_HOST", "127.0.0.1:8443", 1);
    EXPECT_EQ(BuildUpdateInfoUrl(L"tmqrx"), "https://127.0.0.1:8443/paypage/tmqrx/tmqrx_up.json");
    unsetenv("QUILL_UPDATE_HOST");
    EXPECT_EQ(BuildUpdateInfoUrl(L"tmqrx").rfind("https://", 0), 0u);
    EXPECT_NE(BuildUpdateInfoUrl(L"tmqrx").find("/paypage/tmqrx/tmqrx_up.json"), std::string::npos);
}

TEST(UpdateInfo, FileVersionOfStampedExecutable)
{
    EXPECT_EQ(GetFileVersionString(Wide(QUILL_BINARY_DIR "/bin/fake_editor")), "1.9.9.9");
    EXPECT_EQ(GetFileVersionString(Wide(QUILL_BINARY_DIR "/bin/updater_tests")), "");  // not stamped
    EXPECT_EQ(GetFileVersionString(L"/nonexistent/editor"), "");
    TestFolder folder;
    WriteText(folder / "garbage", std::string("\x7f" "ELF\x02\x01", 6) + std::string(100, '\xff'));
    EXPECT_EQ(GetFileVersionString(Wide(folder / "garbage")), "");
}

}  // namespace
