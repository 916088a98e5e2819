#include "updater/FileUtil.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(FileUtil, PathPieces)
{
    struct Case {
        std::wstring text, name, folder, extension;
    };
    const Case cases[] = {
        { L"https://h.example/a/b/Setup.EXE", L"Setup.EXE", L"https://h.example/a/b", L"EXE" },
        { L"/opt/quill/Quillmoor", L"Quillmoor", L"/opt/quill", L"/opt/quill/Quillmoor" },  // no dot: whole text
        { L"C:\\Prog\\Quill\\Quillmoor.exe", L"Quillmoor.exe", L"C:\\Prog\\Quill", L"exe" },
        { L"update.zip", L"update.zip", L"update.zip", L"zip" },  // no separator: folder is the text
        { L"", L"", L"", L"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << WideToAnsi(c.text));
        EXPECT_EQ(FileNameOf(c.text), c.name);
        EXPECT_EQ(FolderOf(c.text), c.folder);
        EXPECT_EQ(FileExtensionOf(c.text), c.extension);
    }
}

TEST(FileUtil, SplitPathEndsFolderWithSeparator)
{
    std::wstring folder, name;
    EXPECT_TRUE(SplitPath(L"/a/b/c.dll", folder, name));
    EXPECT_EQ(folder, L"/a/b/");
    EXPECT_EQ(name, L"c.dll");
    EXPECT_TRUE(SplitPath(L"c.dll", folder, name));
    EXPECT_EQ(folder, L"/");
    EXPECT_FALSE(SplitPath(L"", folder, name));
}

TEST(FileUtil, ReplaceAllInPlace)
{
    struct Case {
        std::wstring find, replacement, text, want;
        size_t count;
    };
    const Case cases[] = {
        { L"/", L"\\", L"a/b/c.txt", L"a\\b\\c.txt", 2 },
        { L"aa", L"a", L"aaaaa", L"aaa", 2 },      // non-overlapping, left to right
        { L"a", L"aa", L"aba", L"aabaa", 2 },      // the replacement is not searched again
        { L"", L"x", L"abc", L"abc", 0 },
        { L"x", L"y", L"", L"", 0 },
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        EXPECT_EQ(ReplaceAllInPlace(c.find, c.replacement, text), c.count) << WideToAnsi(c.text);
        EXPECT_EQ(text, c.want);
    }
}

TEST(FileUtil, TextConversions)
{
    const std::wstring chinese = L"版本更新 v2";
    EXPECT_EQ(AnsiToWide(WideToAnsi(chinese)), chinese);
    EXPECT_EQ(WideToAcp(chinese), WideToAnsi(chinese));
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(WideToAnsi(std::wstring(L"ab\0cd", 5)), "ab");  // up to the first zero
}

// Malformed bytes become U+FFFD in their place, as the system converter does (a truncated
// sequence counts once): never dropped with the whole text, never repeated (a failed strict pass
// must not leave its valid prefix behind).
TEST(FileUtil, InvalidBytesAreConvertedOnce)
{
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::string in, utf8;
    };
    const Case cases[] = {
        { "\xE7\x89\x88 ok", "\xE7\x89\x88 ok" },
        { "caf\xE9", "caf" + fffd },
        { "bad \xE7\x89", "bad " + fffd },         // truncated sequence
        { "\xC0\xAF!", fffd + fffd + "!" },         // overlong form
        { "a\xFF" "b\xE6\x96\x87", "a" + fffd + "b\xE6\x96\x87" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.in), c.utf8) << c.in;
}

TEST(FileUtil, ReadWholeFileAndSizes)
{
    TestFolder folder;
    std::string content = "stale";
    EXPECT_FALSE(ReadWholeFile(folder / "missing", content));
    EXPECT_EQ(GetFileSizeOf(folder / "missing"), -1);
    WriteText(folder / "empty", "");
    EXPECT_TRUE(ReadWholeFile(folder / "empty", content));
    EXPECT_EQ(content, "");
    WriteText(folder / "data", std::string("a\0b\r\n", 5));
    EXPECT_TRUE(ReadWholeFile(folder / "data", content));
    EXPECT_EQ(content, std::string("a\0b\r\n", 5));
    EXPECT_EQ(GetFileSizeOf(folder / "data"), 5);
    EXPECT_FALSE(ReadWholeFile(folder.Path(), content));  // a folder is not a file
}

TEST(FileUtil, DeleteFileOrMoveAside)
{
    TestFolder folder;
    EXPECT_FALSE(DeleteFileOrMoveAside(Wide(folder / "missing"), true));
    EXPECT_TRUE(Snapshot(folder.Path()).empty());

    WriteText(folder / "readonly.dll", "x");
    chmod((folder / "readonly.dll").c_str(), 0444);
    EXPECT_TRUE(DeleteFileOrMoveAside(Wide(folder / "readonly.dll"), true));
    EXPECT_FALSE(FileExists(Wide(folder / "readonly.dll"), false));

    std::filesystem::create_directory(folder / "sub");
    EXPECT_FALSE(DeleteFileOrMoveAside(Wide(folder / "sub"), true));  // folders are left alone
    EXPECT_TRUE(FileExists(Wide(folder / "sub"), true));
    EXPECT_FALSE(FileExists(Wide(folder / "readonly.dll"), true));
}

TEST(FileUtil, MoveAsideRenamesButCannotScheduleReboot)
{
    TestFolder folder;
    WriteText(folder / "busy.so", "old");
    EXPECT_FALSE(MoveAsideForDeletion(Wide(folder / "busy.so")));  // no delete-at-reboot here
    const auto files = Snapshot(folder.Path());
    ASSERT_EQ(files.size(), 1u);
    const std::string aside = files.begin()->first;
    EXPECT_TRUE(aside.size() > 8 && aside.compare(aside.size() - 8, 8, "_busy.so") == 0) << aside;
    EXPECT_EQ(aside.find_first_not_of("0123456789abcdef"), aside.size() - 8) << aside;
    EXPECT_EQ(files.begin()->second, "old");
}

}  // namespace
