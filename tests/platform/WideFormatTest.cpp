#include "platform/WinBase.h"

#include <gtest/gtest.h>

using platform::FormatWideArgs;

TEST(WideFormat, WindowsConventionsTable)
{
    const char* utf8 = "\xe4\xb8\xad\xe6\x96\x87 ok";  // "中文 ok" in UTF-8
    struct Case {
        std::wstring got, want;
    };
    const Case cases[] = {
        { FormatWideArgs(L"%s|%ls|%ws", L"wide", L"long", L"w"), L"wide|long|w" },
        { FormatWideArgs(L"%S|%hs", "narrow", utf8), L"narrow|中文 ok" },  // narrow is UTF-8, any locale
        { FormatWideArgs(L"%c%C%hc%lc", L'中', 'a', 'b', L'文'), L"中ab文" },
        { FormatWideArgs(L"%d %u %x %X", -5, 4000000000u, 255u, 255u), L"-5 4000000000 ff FF" },
        { FormatWideArgs(L"%ld %lu", static_cast<LONG>(-7), static_cast<DWORD>(7)), L"-7 7" },
        { FormatWideArgs(L"%lld %I64d %I64u %I64x", -1LL << 40, 1LL << 40, ~0ULL, 0xABCDEF0123ULL),
            L"-1099511627776 1099511627776 18446744073709551615 abcdef0123" },
        { FormatWideArgs(L"%I32d %Iu", -3, static_cast<size_t>(9)), L"-3 9" },
        { FormatWideArgs(L"%f %.2f %.0f", 1.5, 2.345, 2.5), L"1.500000 2.35 2" },
        { FormatWideArgs(L"%02d:%02d:%02d.%03d", 1, 2, 3, 4), L"01:02:03.004" },
        { FormatWideArgs(L"%5s|%-5s|%.2s", L"ab", L"ab", L"abcdef"), L"   ab|ab   |ab" },
        { FormatWideArgs(L"%*d|%-*d|%.*f", 4, 7, 3, 7, 1, 2.25), L"   7|7  |2.2" },
        { FormatWideArgs(L"%u%%", 42u), L"42%" },
        { FormatWideArgs(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)" },
        { FormatWideArgs(L"%ws\\%x_%ws", L"C:\\dir\\", 0xbeefu, L"a.dll"), L"C:\\dir\\\\beef_a.dll" },
        { FormatWideArgs(L"100%"), L"100%" },     // a format ending inside a conversion stays as written
        { FormatWideArgs(L"%y %d", 3), L"%y 3" },  // an unknown conversion is copied, takes no argument
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want);
}

TEST(WideFormat, LongResultsAndCutBuffers)
{
    const std::wstring padded = FormatWideArgs(L"%3000d", 1);
    ASSERT_EQ(padded.size(), 3000u);
    EXPECT_EQ(padded.back(), L'1');
    const std::wstring long_text(5000, L'x');
    EXPECT_EQ(FormatWideArgs(L"[%s]", long_text.c_str()).size(), 5002u);

    wchar_t buffer[5];
    EXPECT_EQ(platform::FormatWideInto(buffer, 5, L"%s", L"File not found"), 14);
    EXPECT_STREQ(buffer, L"File");
}
