#include "base/StringHelpers.h"

#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

TEST(StringHelpers, FormatWideAroundTheFirstBuffer)
{
    for (size_t length : { 1023u, 1024u, 1500u, 5000u }) {
        const std::wstring body(length - 2, L'x');
        const std::wstring text = FormatWide(L"[%s]", body.c_str());
        EXPECT_EQ(text.size(), length);
        EXPECT_EQ(text.back(), L']');
    }
    EXPECT_EQ(FormatWide(L"%s\\%d_%S", L"C:\\视频", 7, "a.mp4"), L"C:\\视频\\7_a.mp4");
}

TEST(StringHelpers, CodePageConversionsStopAtTheUnconvertible)
{
    const std::wstring chinese = L"D:\\视频\\剪辑.mp4";
    EXPECT_EQ(AnsiToWide(WideToAnsi(chinese)), chinese);
    EXPECT_EQ(WideToAnsi(chinese), "D:\\\xe8\xa7\x86\xe9\xa2\x91\\\xe5\x89\xaa\xe8\xbe\x91.mp4") << "ANSI is UTF-8 here";

    const std::wstring loneSurrogate { L'a', L'b', static_cast<wchar_t>(0xD800), L'c' };
    EXPECT_EQ(WideToAnsi(loneSurrogate), "ab");
    EXPECT_EQ(AnsiToWide("ab\xff" "cd"), L"ab");
    EXPECT_EQ(AnsiToWide("ab\xe8\xa7"), L"ab") << "a sequence cut short ends the text";
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToAnsi(std::wstring(L"ab\0cd", 5)), "ab");

    EXPECT_EQ(WideToCodePage(L"中文", 936), "\xd6\xd0\xce\xc4");
    EXPECT_EQ(WideToUtf8(L"中"), "\xe4\xb8\xad");
    EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(StringHelpers, ReplaceAllInPlace)
{
    struct Case {
        std::wstring pattern, replacement, text, want;
        size_t count;
    };
    const Case cases[] = {
        { L"\\", L"\\\\", L"C:\\a\\b.srt", L"C:\\\\a\\\\b.srt", 2 },
        { L"ab", L"", L"aabb", L"ab", 1 },  // the search does not look back into the joined text
        { L"aa", L"b", L"aaaaa", L"bba", 2 },
        { L"x", L"yz", L"axbxc", L"ayzbyzc", 2 },
        { L"", L"z", L"abc", L"abc", 0 },
        { L"q", L"z", L"abc", L"abc", 0 },
        { L"a", L"z", L"", L"", 0 },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        Case c = cases[i];
        EXPECT_EQ(ReplaceAllInPlace(c.pattern, c.replacement, c.text), c.count);
        EXPECT_EQ(c.text, c.want);
    }
}

TEST(StringHelpers, LowerCasingTouchesOnlyAsciiCapitals)
{
    EXPECT_EQ(ToLowerAsciiCopy(L"ÄBC-Z[@]"), L"Äbc-z[@]");
    std::wstring text = L"MOVIE.MKV";
    ToLowerAsciiInPlace(text);
    EXPECT_EQ(text, L"movie.mkv");
}

TEST(StringHelpers, FoldersOfPaths)
{
    struct Split {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
    };
    const Split splits[] = {
        { L"D:\\video\\clip.mp4", L"D:\\video\\", L"clip.mp4" },
        { L"D:/video/clip.mp4", L"D:/video/", L"clip.mp4" },
        { L"/home/u/a.b.c", L"/home/u/", L"a.b.c" },
        { L"D:clip.mp4", L"D:\\", L"clip.mp4" },
        { L"clip.mp4", L"", L"clip.mp4" },  // no folder part: the current folder, never a root
    };
    for (const Split& s : splits) {
        std::wstring folder = L"old", name = L"old";
        ASSERT_TRUE(SplitFolderAndFileName(s.path, folder, name));
        EXPECT_EQ(folder, s.folder);
        EXPECT_EQ(name, s.name);
    }
    std::wstring folder, name;
    EXPECT_FALSE(SplitFolderAndFileName(L"", folder, name));

    struct Part {
        const wchar_t* path;
        bool found;
        const wchar_t* folder;
    };
    const Part parts[] = {
        { L"C:\\dir\\file.txt", true, L"C:\\dir\\" },
        { L"C:\\dir\\", true, L"C:\\dir\\" },
        { L"/usr/bin/ffmpeg", true, L"/usr/bin/" },
        { L"\\file", false, L"" },  // the first character is not looked at
        { L"x", false, L"" },
        { L"", false, L"" },
    };
    for (const Part& p : parts) {
        std::wstring found;
        EXPECT_EQ(FolderPartOfPath(p.path, found), p.found);
        EXPECT_EQ(found, p.folder);
    }
}

TEST(StringHelpers, ProgramAndTemporaryFolders)
{
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::wstring program = platform::Utf8ToWide(self);
    const std::wstring folder = FolderOfOwnCode();
    EXPECT_EQ(folder, program.substr(0, program.rfind(L'/') + 1));
    EXPECT_EQ(PathOfModule(nullptr), program);
    EXPECT_EQ(FolderOfModule(nullptr), folder);

    const char* old = getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", "/nonexistent-quill-tmp", 1);  // only read, never written
    EXPECT_EQ(UserTempFolder(), L"/nonexistent-quill-tmp/");
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}
