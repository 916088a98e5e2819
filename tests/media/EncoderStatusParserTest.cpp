#include <gtest/gtest.h>

#include "media/EncoderStatusParser.h"

namespace {

std::vector<float> ParseAll(const std::vector<std::string>& chunks)
{
    std::vector<float> seen;
    EncoderStatusParser parser;
    const auto sink = [&](float seconds) { seen.push_back(seconds); return true; };
    for (const std::string& chunk : chunks)
        parser.Feed(chunk, sink);
    parser.Finish(sink);
    return seen;
}

}  // namespace

TEST(EncoderStatusParser, PositionsFromStatusText)
{
    struct Case { const char* name; std::vector<std::string> chunks; std::vector<float> want; };
    const Case cases[] = {
        { "hours, minutes and whole seconds", { "frame=1 time=01:02:03.45 bitrate=1.0kbits/s\r" }, { 3723 } },
        { "half a second is no progress", { "time=00:00:00.50 bitrate=N/A\r" }, {} },
        { "N/A is skipped", { "size=N/A time=N/A bitrate=N/A speed=N/A\r" }, {} },
        { "negative start is no progress", { "time=-00:00:00.02 bitrate=N/A\r" }, {} },
        { "summary bitrate before the first time",
          { "  Duration: 00:00:04.00, start: 0.000000, bitrate: 380 kb/s\nframe=5 time=00:00:02.00 bitrate=9k\r" },
          { 2 } },
        { "creation_time metadata is not a position",
          { "    creation_time   : 2024-01-01T00:00:00.000000Z\n  Duration: 00:00:04.00, bitrate: 1 kb/s\n" }, {} },
        { "several lines in one chunk", { "time=00:00:01.00 bitrate=1\rtime=00:00:02.00 bitrate=1\r" }, { 1, 2 } },
        { "a line cut inside its time", { "frame=1 time=00:0", "0:03.00 bitrate=2k\r" }, { 3 } },
        { "a line cut inside bitrate", { "time=00:00:04.00 bit", "rate=2k\r" }, { 4 } },
        { "last line without a line end", { "time=00:00:05.00 bitrate=2k" }, { 5 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseAll(c.chunks), c.want);
    }
}

TEST(EncoderStatusParser, ClockNeedsExactlyThreePieces)
{
    EXPECT_EQ(EncoderStatusParser::ParseClock("00:01:05.12 bitra"), 65.0f);
    EXPECT_EQ(EncoderStatusParser::ParseClock("01:05.12 "), -1.0f);
    EXPECT_EQ(EncoderStatusParser::ParseClock("1:2:3:4"), -1.0f);
}

TEST(EncoderStatusParser, SinkStopsTheParse)
{
    EncoderStatusParser parser;
    std::vector<float> seen;
    const bool more = parser.Feed("time=00:00:01.00 bitrate=1\rtime=00:00:02.00 bitrate=1\r",
                                  [&](float s) { seen.push_back(s); return false; });
    EXPECT_FALSE(more);
    EXPECT_EQ(seen, std::vector<float>({ 1 }));
}

TEST(EncoderStatusParser, EndlessLineIsParsedNotHoarded)
{
    std::vector<float> seen;
    EncoderStatusParser parser;
    std::string noise(5000, 'x');
    parser.Feed(noise + " time=00:00:07.00 bitrate=1", [&](float s) { seen.push_back(s); return true; });
    EXPECT_EQ(seen, std::vector<float>({ 7 }));
}
