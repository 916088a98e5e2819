#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ToCodePage(UINT codePage, const std::wstring& text, BOOL* usedDefault = nullptr)
{
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, usedDefault);
    return out;
}

std::wstring FromCodePage(UINT codePage, const std::string& bytes, DWORD flags = 0)
{
    const int size = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
    return out;
}

}  // namespace

TEST(Encoding, GbkRoundTripOfChineseText)
{
    const std::wstring text = L"您的视频文件已分割完成 ok";
    const std::string gbk = ToCodePage(936, text);
    EXPECT_EQ(gbk.substr(0, 4), "\xc4\xfa\xb5\xc4");  // 您的
    EXPECT_EQ(gbk.size(), 2 * 11 + 3u);
    EXPECT_EQ(FromCodePage(936, gbk), text);
}

TEST(Encoding, UnconvertibleCharactersGiveDefinedResults)
{
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToCodePage(936, L"a\U0001F600b", &usedDefault), "a?b");  // an emoji has no GBK code
    EXPECT_TRUE(usedDefault);
    char out[8] = {};
    const wchar_t emoji[] = L"\U0001F600";
    WideCharToMultiByte(936, 0, emoji, -1, out, sizeof out, "#", nullptr);
    EXPECT_STREQ(out, "#");

    EXPECT_EQ(FromCodePage(936, "a\xff" "b"), L"a\xFFFD" L"b");  // 0xFF is no GBK lead byte
    EXPECT_EQ(FromCodePage(CP_UTF8, "a\xc3(b\xe4\xb8"), L"a\xFFFD(b\xFFFD");
    EXPECT_EQ(ToCodePage(CP_UTF8, std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xc3(", 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(Encoding, Utf8AndTheSystemCodePage)
{
    const std::wstring text = L"中文 \U0001F600 é";
    EXPECT_EQ(ToCodePage(CP_UTF8, text), "\xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80 \xc3\xa9");
    EXPECT_EQ(ToCodePage(CP_ACP, text), ToCodePage(CP_UTF8, text)) << "the system code page is UTF-8";
    EXPECT_EQ(FromCodePage(CP_UTF8, ToCodePage(CP_UTF8, text)), text);
    EXPECT_EQ(ToCodePage(CP_UTF8, L"\xD83D\xDE00"), "\xf0\x9f\x98\x80") << "a UTF-16 pair is joined";
}

TEST(Encoding, WindowsSizeRules)
{
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ab", -1, nullptr, 0, nullptr, nullptr), 3) << "-1 counts the terminator";
    char small[2];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"abc", 3, small, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    wchar_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 4), 4);
    EXPECT_STREQ(wide, L"abc");
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, wide, 4), 0) << "unsupported code page";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
