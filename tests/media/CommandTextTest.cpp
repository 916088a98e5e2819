#include <gtest/gtest.h>

#include "media/CommandText.h"

#include <cstdlib>

#include "base/StringHelpers.h"
#include "platform/WinBase.h"

// A quoted argument comes back from the command-line splitter exactly as the user's file is named.
TEST(CommandText, QuotedArgumentSurvivesSplitting)
{
    const std::wstring names[] = {
        L"plain.mp4",
        L"with blank.mp4",
        L"say \"hi\".mp4",
        L"back\\\"slash.mp4",
        L"trailing backslash\\",
        L"视频 [1], it's; a:b.mp4",
    };
    for (const std::wstring& name : names) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::vector<std::wstring> args =
            platform::SplitCommandLine(L"ffmpeg -i \"" + QuoteInsideArgument(name) + L"\" -y out.mp4");
        ASSERT_EQ(args.size(), 5u);
        EXPECT_EQ(args[2], name);
        EXPECT_EQ(args[3], L"-y");
    }
}

TEST(CommandText, PathsForTheEncoder)
{
    EXPECT_EQ(EncoderPath(L"/home/u/Tessaly\\out.mp4"), L"/home/u/Tessaly/out.mp4");
    // A drive-rooted work folder is the home folder's, as the file functions have it.
    EXPECT_EQ(EncoderPath(L"C:\\ZaDaro\\temp1.png"), AnsiToWide(std::getenv("HOME")) + L"/ZaDaro/temp1.png");
    // Quoted for the option parser, then every graph-special character escaped once more.
    EXPECT_EQ(EscapeFilterPath(L"/v/[a] b'c,d;e:f.mkv"), L"\\'/v/\\[a\\] b\\'\\\\\\'\\'c\\,d\\;e:f.mkv\\'");
}
