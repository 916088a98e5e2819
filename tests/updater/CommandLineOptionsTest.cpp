#include "updater/CommandLineOptions.h"

#include <gtest/gtest.h>

namespace {

using Options = std::vector<CommandLineOptions::Option>;

TEST(CommandLineOptions, TokensAndOptions)
{
    struct Case {
        std::wstring raw;
        std::vector<std::wstring> tokens;
        Options options;
    };
    const Case cases[] = {
        { L"", {}, {} },
        { L"-o=tmqrx -e=Quillmoor.exe -c=Top", { L"-o=tmqrx", L"-e=Quillmoor.exe", L"-c=Top" },
          { { L"o", L"tmqrx" }, { L"e", L"Quillmoor.exe" }, { L"c", L"Top" } } },
        { L"-o tmqrx", { L"-o", L"tmqrx" }, { { L"o", L"tmqrx" } } },            // value in the next token
        { L"  -o=a\t\t-m  ", { L"-o=a", L"-m" }, { { L"o", L"a" }, { L"m", L"" } } },  // final -m waits, pushed empty
        { L"-e=\"My Editor.exe\" x", { L"-e=My Editor.exe", L"x" },
          { { L"e", L"My Editor.exe" }, { L"", L"x" } } },                        // quotes dropped, blank kept
        { L"x=y", { L"x=y" }, { { L"x", L"y" } } },
        { L"abc", { L"abc" }, { { L"", L"abc" } } },
        { L"-k=v=w", { L"-k=v=w" }, { { L"k=v=w", L"" } } },                      // not two parts: whole key
        { L"-k=v=w val", { L"-k=v=w", L"val" }, { { L"k=v=w", L"val" } } },
        { L"--o= -a -b", { L"--o=", L"-a", L"-b" }, { { L"o", L"" }, { L"a", L"" }, { L"b", L"" } } },
        { L"--- a=b=c", { L"---", L"a=b=c" }, { { L"---", L"a=b=c" } } },        // dashes only stay whole
        { L"\"\" \"-o=1", { L"-o=1" }, { { L"o", L"1" } } },                      // empty quotes, unbalanced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "raw=[" << std::string(c.raw.begin(), c.raw.end()) << "]");
        const CommandLineOptions options(c.raw);
        EXPECT_EQ(options.Tokens(), c.tokens);
        EXPECT_EQ(options.Options(), c.options);
    }
}

TEST(CommandLineOptions, TokenizeReportsUnbalancedQuotes)
{
    CommandLineOptions options(L"");
    EXPECT_TRUE(options.Tokenize(L"-a=\"b c\""));
    EXPECT_FALSE(options.Tokenize(L"-a=\"b c"));
    EXPECT_EQ(options.Tokens(), std::vector<std::wstring> { L"-a=b c" });
}

TEST(CommandLineOptions, LookUps)
{
    const CommandLineOptions options(L"-o=first -O=upper -o=second abc -m=1");
    struct Case {
        std::wstring key;
        size_t index;
        std::wstring value;
        size_t count;
    };
    const Case cases[] = {
        { L"o", 0, L"first", 2 },
        { L"o", 1, L"second", 2 },
        { L"o", 2, L"", 2 },
        { L"--o", 0, L"first", 0 },  // GetValue strips dashes, HasOption does not
        { L"O", 0, L"upper", 1 },    // case-sensitive
        { L"", 0, L"", 0 },
        { L"--", 0, L"", 0 },
        { L"m", 0, L"1", 1 },
        { L"x", 0, L"", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key=" << std::string(c.key.begin(), c.key.end()) << " index=" << c.index);
        EXPECT_EQ(options.GetValue(c.key, c.index), c.value);
        EXPECT_EQ(options.HasOption(c.key), c.count);
    }
}

}  // namespace
