#include "ui/core/ZipArchiveReader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace SkinUI;
namespace fs = std::filesystem;

namespace {

using ZipPtr = std::unique_ptr<ZipHandle, ZipHandleCloser>;

constexpr DWORD kAttrReadOnly = 0x01;
constexpr DWORD kAttrDirectory = 0x10;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

int64_t UnixSeconds(const FILETIME& t)
{
    const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
}

// Every path under root, relative, so a test can show that nothing appeared outside its target.
std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        out.insert(fs::relative(entry.path(), root).string());
    return out;
}

// Each test gets a fresh folder with the fixtures made by the script, and runs inside it (a
// relative unzip target lies under the current directory).
class ZipReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zipreader-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_fixtures = m_root / "fixtures";
        const std::string command = "HOME='" + m_root.string() + "' TMPDIR='" + m_root.string() + "' python3 '" +
            QUILL_SOURCE_DIR "/tests/ui/fixtures/make_zip_fixtures.py' '" + m_fixtures.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        m_previous = fs::current_path();
        fs::create_directories(m_root / "work");
        fs::current_path(m_root / "work");
        const char* home = std::getenv("HOME");
        m_previousHome = home ? home : "";
        setenv("HOME", (m_root / "home").c_str(), 1);
    }

    void TearDown() override
    {
        fs::current_path(m_previous);
        setenv("HOME", m_previousHome.c_str(), 1);
        std::error_code ec;
        fs::permissions(m_root, fs::perms::all, fs::perm_options::add, ec);
        for (const auto& entry : fs::recursive_directory_iterator(m_root, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_root, ec);
    }

    ZipPtr OpenFile(const std::string& name, const char* password = nullptr)
    {
        return ZipPtr(ZipReaderOpenFile(Wide((m_fixtures / name).string()).c_str(), password));
    }

    // A memory archive must outlive its handle: keep the bytes in the test.
    ZipPtr OpenMemory(const std::string& name, const char* password = nullptr)
    {
        m_bytes.push_back(ReadFile(m_fixtures / name));
        return ZipPtr(ZipReaderOpenMemory(m_bytes.back().data(), m_bytes.back().size(), password));
    }

    static std::string Extract(ZipHandle* zip, int index, DWORD* result)
    {
        ZipItemRecord record;
        *result = ZipReaderGetItem(zip, index, &record);
        if (*result != kZipOk)
            return {};
        std::string data(record.uncompressedSize + 1, '\0');
        *result = ZipReaderExtractToMemory(zip, index, data.data(), static_cast<DWORD>(data.size()));
        data.resize(record.uncompressedSize);
        return data;
    }

    static int Find(ZipHandle* zip, const wchar_t* name)
    {
        int index = -1;
        EXPECT_EQ(ZipReaderFindItem(zip, name, false, &index, nullptr), kZipOk) << Narrow(name);
        return index;
    }

    fs::path m_root, m_fixtures, m_previous;
    std::string m_previousHome;
    std::vector<std::string> m_bytes;
};

TEST_F(ZipReaderTest, ListsItemsWithCleanNamesAttributesAndSizes)
{
    struct Want { const wchar_t* name; DWORD attributes; DWORD size; };
    const Want want[] = {
        { L"stored.txt", 0x20, 12 }, { L"deflated.txt", 0x20, 2500 }, { L"dir/", 0x30, 0 },
        { L"dir/sub/deep.txt", 0x20, 12 }, { L"empty.txt", 0x20, 0 }, { L"skin/main.xml", 0x20, 9 },
        { L"\u00e4.txt", 0x20, 9 }, { L"ut.txt", 0x20, 6 }, { L"readonly.txt", 0x21, 5 },
    };
    // A 2,000-byte comment ends the archive; the stub shifts every stored offset.
    for (const char* archive : { "basic.zip", "stub.zip" }) {
        for (bool inMemory : { false, true }) {
            SCOPED_TRACE(std::string(archive) + (inMemory ? " in memory" : " as file"));
            ZipPtr zip = inMemory ? OpenMemory(archive) : OpenFile(archive);
            ASSERT_TRUE(zip) << ZipReaderGetLastResult();
            ZipItemRecord record;
            ASSERT_EQ(ZipReaderGetItem(zip.get(), -1, &record), kZipOk);
            EXPECT_EQ(record.index, 9);
            EXPECT_STREQ(record.name, L"");
            for (int i = 8; i >= 0; --i) {  // backwards: every step walks from the first item
                ASSERT_EQ(ZipReaderGetItem(zip.get(), i, &record), kZipOk);
                EXPECT_EQ(record.index, i);
                EXPECT_STREQ(record.name, want[i].name);
                EXPECT_EQ(record.attributes, want[i].attributes) << i;
                EXPECT_EQ(record.uncompressedSize, want[i].size) << i;
            }
            EXPECT_EQ(ZipReaderGetItem(zip.get(), 9, &record), kZipBadArguments);
            EXPECT_EQ(ZipReaderGetItem(zip.get(), -2, &record), kZipBadArguments);
        }
    }
}

TEST_F(ZipReaderTest, UnzipsStoredDeflatedAndDescriptorItemsToMemory)
{
    struct Case { const char* archive; const wchar_t* item; size_t size; std::string head; };
    const Case cases[] = {
        { "basic.zip", L"stored.txt", 12, "stored text\n" },
        { "basic.zip", L"deflated.txt", 2500, "skin quill image" },
        { "basic.zip", L"dir/sub/deep.txt", 12, "deep inside\n" },
        { "basic.zip", L"empty.txt", 0, "" },
        { "stub.zip", L"deflated.txt", 2500, "skin quill image" },
        { "descriptor.zip", L"streamed.txt", 700000, "skin quill image" },
        { "cmake.zip", L"skin/main.xml", 3032, "<Window size=\"400,300\">skin" },
        { "cmake.zip", L"skin/img/dot.bin", 1024, std::string("\0\1\2\3", 4) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.archive) + " " + Narrow(c.item));
        for (bool inMemory : { false, true }) {
            ZipPtr zip = inMemory ? OpenMemory(c.archive) : OpenFile(c.archive);
            ASSERT_TRUE(zip);
            DWORD result = 0;
            const std::string data = Extract(zip.get(), Find(zip.get(), c.item), &result);
            EXPECT_EQ(result, kZipOk);
            EXPECT_EQ(data.size(), c.size);
            EXPECT_EQ(data.substr(0, c.head.size()), c.head);
        }
    }
}

TEST_F(ZipReaderTest, PiecewiseUnzipReportsMoreUntilTheEnd)
{
    ZipPtr zip = OpenFile("basic.zip");
    ASSERT_TRUE(zip);
    DWORD result = 0;
    const std::string whole = Extract(zip.get(), 1, &result);
    ASSERT_EQ(result, kZipOk);

    std::string pieces;
    std::vector<DWORD> results;
    char buffer[1000];
    do {
        result = ZipReaderExtractToMemory(zip.get(), 1, buffer, sizeof buffer);
        results.push_back(result);
        pieces.append(buffer, result == kZipMore ? sizeof buffer : whole.size() - pieces.size());
    } while (result == kZipMore && results.size() < 10);
    EXPECT_EQ(results, (std::vector<DWORD> { kZipMore, kZipMore, kZipOk }));
    EXPECT_EQ(pieces, whole);

    // Any other call ends the open item: the next unzip starts from the first byte again.
    ASSERT_EQ(ZipReaderExtractToMemory(zip.get(), 1, buffer, sizeof buffer), kZipMore);
    ZipItemRecord record;
    ASSERT_EQ(ZipReaderGetItem(zip.get(), 0, &record), kZipOk);
    ASSERT_EQ(ZipReaderExtractToMemory(zip.get(), 1, buffer, sizeof buffer), kZipMore);
    EXPECT_EQ(std::string(buffer, sizeof buffer), whole.substr(0, sizeof buffer));
}

TEST_F(ZipReaderTest, FindsByStoredNameFoldingOnlyAsciiLetters)
{
    struct Case { std::wstring name; bool ignoreCase; DWORD result; int index; };
    const Case cases[] = {
        { L"skin/main.xml", false, kZipOk, 5 },
        { L"SKIN/Main.XML", true, kZipOk, 5 },
        { L"SKIN/Main.XML", false, kZipNotFound, -1 },
        { L"\u00e4.txt", false, kZipOk, 6 },
        { L"\u00c4.txt", true, kZipNotFound, -1 },  // non-ASCII letters never fold
        { L"skin\\main.xml", true, kZipNotFound, -1 },  // callers turn "\" into "/" first
        { std::wstring(300, L'a'), false, kZipNotFound, -1 },
    };
    ZipPtr zip = OpenFile("basic.zip");
    ASSERT_TRUE(zip);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.begin() + std::min<size_t>(c.name.size(), 20)));
        int index = 99;
        ZipItemRecord record {};
        EXPECT_EQ(ZipReaderFindItem(zip.get(), c.name.c_str(), c.ignoreCase, &index, &record), c.result);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(record.index, c.index);
    }
}

TEST_F(ZipReaderTest, ExtendedTimestampReplacesOnlyTheTimesItAnnounces)
{
    ZipPtr zip = OpenFile("basic.zip");
    ASSERT_TRUE(zip);
    ZipItemRecord plain, timed;
    ASSERT_EQ(ZipReaderGetItem(zip.get(), 0, &plain), kZipOk);
    ASSERT_EQ(ZipReaderGetItem(zip.get(), Find(zip.get(), L"ut.txt"), &timed), kZipOk);
    EXPECT_EQ(UnixSeconds(timed.modificationTime), 1600000000);
    // The DOS time 2020-05-17 10:30:42 is local time.
    std::tm local {};
    local.tm_year = 120, local.tm_mon = 4, local.tm_mday = 17, local.tm_hour = 10, local.tm_min = 30,
    local.tm_sec = 42, local.tm_isdst = -1;
    const int64_t dos = std::mktime(&local);
    for (const FILETIME& t : { plain.modificationTime, plain.accessTime, timed.accessTime, timed.creationTime })
        EXPECT_EQ(UnixSeconds(t), dos);

    ASSERT_EQ(ZipReaderExtractToFile(zip.get(), Find(zip.get(), L"ut.txt"), L"out\\ut.txt"), kZipOk);
    struct stat st {};
    ASSERT_EQ(stat("out/ut.txt", &st), 0);
    EXPECT_EQ(st.st_mtime, 1600000000);
}

TEST_F(ZipReaderTest, EncryptedItemNeedsTheRightPassword)
{
    for (const char* password : { "wrong", static_cast<const char*>(nullptr), "" }) {
        SCOPED_TRACE(password ? password : "(none)");
        ZipPtr zip = OpenFile("encrypted.zip", password);
        ASSERT_TRUE(zip);
        char buffer[64] = "untouched";
        EXPECT_EQ(ZipReaderExtractToMemory(zip.get(), 0, buffer, sizeof buffer), kZipPassword);
        EXPECT_STREQ(buffer, "untouched");
        WriteFile("secret.txt", "older");
        EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, L"secret.txt"), kZipPassword);
        EXPECT_EQ(ReadFile("secret.txt"), "older");
        EXPECT_EQ(Tree("."), (std::set<std::string> { "secret.txt" }));
    }
    ZipPtr zip = OpenMemory("encrypted.zip", "quill");
    DWORD result = 0;
    std::string expected;
    for (int i = 0; i < 20; ++i)
        expected += "the secret text of the skin\n";
    EXPECT_EQ(Extract(zip.get(), 0, &result), expected);
    EXPECT_EQ(result, kZipOk);
}

TEST_F(ZipReaderTest, UnzipsEveryItemToFilesWithFolders)
{
    ZipPtr zip = OpenFile("basic.zip");
    ASSERT_TRUE(zip);
    ZipItemRecord record;
    ASSERT_EQ(ZipReaderGetItem(zip.get(), -1, &record), kZipOk);
    for (int i = 0; i < record.index; ++i) {
        ZipItemRecord item;
        ASSERT_EQ(ZipReaderGetItem(zip.get(), i, &item), kZipOk);
        std::wstring target = L"out\\" + std::wstring(item.name);
        EXPECT_EQ(ZipReaderExtractToFile(zip.get(), i, target.c_str()), kZipOk) << i;
    }
    EXPECT_TRUE(fs::is_directory("out/dir/sub"));
    EXPECT_EQ(ReadFile("out/dir/sub/deep.txt"), "deep inside\n");
    EXPECT_EQ(ReadFile("out/stored.txt"), "stored text\n");
    EXPECT_EQ(fs::file_size("out/deflated.txt"), 2500u);
    EXPECT_TRUE(fs::is_regular_file("out/empty.txt"));
    EXPECT_EQ(fs::file_size("out/empty.txt"), 0u);
    EXPECT_EQ(fs::status("out/readonly.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Tree("out").size(), 11u) << "no temporary file is left beside the targets";

    // An existing file is replaced; an absolute target is used as it stands.
    WriteFile("out/stored.txt", "old");
    const std::string absolute = (fs::current_path() / "abs/stored.txt").string();
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, L"out/stored.txt"), kZipOk);
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, Wide(absolute).c_str()), kZipOk);
    EXPECT_EQ(ReadFile("out/stored.txt"), "stored text\n");
    EXPECT_EQ(ReadFile(absolute), "stored text\n");
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, L"out/"), kZipNoFile);

    // A drive-rooted target lives in the home folder.
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, L"C:\\drive\\stored.txt"), kZipOk);
    EXPECT_EQ(ReadFile(m_root / "home/drive/stored.txt"), "stored text\n");
}

TEST_F(ZipReaderTest, RefusesNamesThatLeaveTheTarget)
{
    struct Case { const char* stored; const wchar_t* listed; DWORD result; };
    const Case cases[] = {
        { "../x", L"../x", kZipUnsafeName },
        { "a/../../b", L"../b", kZipUnsafeName },
        { "/abs", L"abs", kZipUnsafeName },
        { "C:\\x", L"x", kZipUnsafeName },
        { "..\\y", L"..\\y", kZipUnsafeName },
        { "ok/../ok.txt", L"ok.txt", kZipUnsafeName },
        { "C:\\dir\\..\\x\\file.txt", L"x\\file.txt", kZipUnsafeName },
        { "/../../file.txt", L"file.txt", kZipUnsafeName },
        { "ok.txt", L"ok.txt", kZipOk },
    };
    fs::create_directories("target");
    const std::set<std::string> before = Tree(m_root);
    ZipPtr zip = OpenFile("hostile.zip");
    ASSERT_TRUE(zip);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.stored);
        ZipItemRecord record;
        ASSERT_EQ(ZipReaderGetItem(zip.get(), i, &record), kZipOk);
        EXPECT_STREQ(record.name, c.listed);
        // As the updater does: the target is a folder plus the listed name.
        const std::wstring target = L"target\\" + std::wstring(record.name);
        EXPECT_EQ(ZipReaderExtractToFile(zip.get(), i, target.c_str()), c.result);
    }
    // A name that does not fit a record is refused too, but its data can still be read.
    const int overlong = static_cast<int>(std::size(cases));
    ZipItemRecord record;
    EXPECT_EQ(ZipReaderGetItem(zip.get(), overlong, &record), kZipUnsafeName);
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), overlong, L"target\\long.txt"), kZipUnsafeName);
    char buffer[64];
    EXPECT_EQ(ZipReaderExtractToMemory(zip.get(), overlong, buffer, sizeof buffer), kZipOk);

    std::set<std::string> after = Tree(m_root);
    EXPECT_EQ(after.erase("work/target/ok.txt"), 1u);
    EXPECT_EQ(after, before);
}

TEST_F(ZipReaderTest, CrcMismatchFailsAndKeepsTheExistingFile)
{
    ZipPtr zip = OpenFile("badcrc.zip");
    ASSERT_TRUE(zip);
    DWORD result = 0;
    Extract(zip.get(), 0, &result);
    EXPECT_EQ(result, kZipOk);
    Extract(zip.get(), 1, &result);
    EXPECT_EQ(result, kZipFlateError);
    fs::create_directories("out");
    WriteFile("out/bad.txt", "previous version");
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 1, L"out/bad.txt"), kZipFlateError);
    EXPECT_EQ(ReadFile("out/bad.txt"), "previous version");
    EXPECT_EQ(Tree("out"), (std::set<std::string> { "bad.txt" }));
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, L"out/good.txt"), kZipOk) << "the archive stays usable";
}

TEST_F(ZipReaderTest, DamagedOrMissingArchivesFailToOpen)
{
    for (const char* name : { "truncated.zip", "missing.zip", "" }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ZipReaderOpenFile(Wide((m_fixtures / name).string()).c_str(), nullptr), nullptr);
        EXPECT_EQ(ZipReaderGetLastResult(), kZipNoFile);
    }
    const std::string notZip = "just some text, no archive here";
    EXPECT_EQ(ZipReaderOpenMemory(notZip.data(), notZip.size(), nullptr), nullptr);
    EXPECT_EQ(ZipReaderOpenMemory(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(ZipReaderGetLastResult(), kZipNoFile);
}

// Every prefix of an archive, and every single damaged byte of its directory and end record, either
// fails to open or gives a result code for every item: never a crash, a hang or a false success.
TEST_F(ZipReaderTest, DamagedBytesEndWithAResultCode)
{
    const std::string original = ReadFile(m_fixtures / "cmake.zip");
    const std::set<DWORD> allowed { kZipOk, kZipMore, kZipCorrupt, kZipReadFailed, kZipUnsafeName, kZipFlateError, kZipPassword };
    auto exercise = [&](const std::string& bytes) {
        ZipPtr zip(ZipReaderOpenMemory(bytes.data(), bytes.size(), nullptr));
        if (!zip)
            return;
        ZipItemRecord record;
        ASSERT_EQ(ZipReaderGetItem(zip.get(), -1, &record), kZipOk);
        char buffer[4096];
        for (int i = 0; i < record.index; ++i) {
            EXPECT_TRUE(allowed.count(ZipReaderGetItem(zip.get(), i, &record)));
            const DWORD result = ZipReaderExtractToMemory(zip.get(), i, buffer, sizeof buffer);
            EXPECT_TRUE(allowed.count(result)) << std::hex << result;
        }
    };
    for (size_t length = 0; length < original.size(); ++length)
        exercise(original.substr(0, length));
    const size_t directory = original.rfind(std::string("PK\1\2", 4), original.rfind(std::string("PK\1\2", 4)) - 1);
    for (size_t at = directory; at < original.size(); ++at) {
        for (char flip : { '\x01', '\x80', '\xFF' }) {
            std::string damaged = original;
            damaged[at] = static_cast<char>(damaged[at] ^ flip);
            exercise(damaged);
        }
    }
    // A damaged data byte of a whole archive is caught by the CRC.
    std::string damaged = original;
    damaged[40 + 32 + 30] ^= 0x10;
    ZipPtr zip(ZipReaderOpenMemory(damaged.data(), damaged.size(), nullptr));
    DWORD result = 0;
    Extract(zip.get(), 0, &result);
    EXPECT_EQ(result, kZipFlateError);
}

TEST_F(ZipReaderTest, RefusesNullAndForeignHandlesAndBadArguments)
{
    ZipItemRecord record;
    char buffer[8];
    EXPECT_EQ(ZipReaderGetItem(nullptr, 0, &record), kZipBadArguments);
    EXPECT_EQ(ZipReaderFindItem(nullptr, L"x", true, nullptr, nullptr), kZipBadArguments);
    EXPECT_EQ(ZipReaderExtractToMemory(nullptr, 0, buffer, sizeof buffer), kZipBadArguments);
    EXPECT_EQ(ZipReaderExtractToFile(nullptr, 0, L"x"), kZipBadArguments);
    EXPECT_EQ(ZipReaderClose(nullptr), kZipBadArguments);
    ZipHandle foreign { 2, nullptr };
    EXPECT_EQ(ZipReaderGetItem(&foreign, 0, &record), kZipWrongHandleKind);
    EXPECT_EQ(ZipReaderClose(&foreign), kZipWrongHandleKind);

    ZipPtr zip = OpenFile("basic.zip");
    ASSERT_TRUE(zip);
    EXPECT_EQ(ZipReaderExtractToMemory(zip.get(), 9, buffer, sizeof buffer), kZipBadArguments);
    EXPECT_EQ(ZipReaderExtractToMemory(zip.get(), 0, nullptr, 8), kZipBadArguments);
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), -1, L"x"), kZipBadArguments);
    EXPECT_EQ(ZipReaderExtractToFile(zip.get(), 0, nullptr), kZipBadArguments);
    EXPECT_EQ(ZipReaderGetLastResult(), kZipBadArguments);
    EXPECT_FALSE(fs::exists("x"));
}

TEST(FormatZipMessage, CopiesTerminatedTextAndReturnsItsFullLength)
{
    struct Case { DWORD code; unsigned size; const wchar_t* copied; unsigned length; };
    const Case cases[] = {
        { kZipMore, 6, L"Still", 24 },
        { kZipNotFound, 5, L"File", 29 },
        { kZipOk, 100, L"Success", 7 },
        { kZipFlateError, 100, L"Zip-bug: an internal error during flation", 41 },
        { 0x12345, 100, L"unknown zip result code", 23 },
        { kZipPassword, 1, L"", 25 },
    };
    for (const Case& c : cases) {
        wchar_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        EXPECT_EQ(FormatZipMessage(c.code, buffer, c.size), c.length) << std::hex << c.code;
        EXPECT_STREQ(buffer, c.copied);
    }
    EXPECT_EQ(FormatZipMessage(kZipMore, nullptr, 10), 24u);
    ZipReaderClose(nullptr);
    wchar_t buffer[64];
    FormatZipMessage(kZipLastResult, buffer, 64);
    EXPECT_STREQ(buffer, L"Caller: faulty arguments");
}

}  // namespace
