#include "media/EncoderStatusParser.h"

#include <cctype>

namespace {

// The encoder's progress lines end in a carriage return; a line longer than this is not a status
// line and is parsed as it stands rather than kept growing.
constexpr size_t kMaxPendingBytes = 4096;

long ReadLeadingInteger(std::string_view piece)
{
    size_t i = 0;
    while (i < piece.size() && std::isspace(static_cast<unsigned char>(piece[i])))
        ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '-' || piece[i] == '+'))
        negative = piece[i++] == '-';
    long value = 0;
    for (; i < piece.size() && std::isdigit(static_cast<unsigned char>(piece[i])) && value < 1000000; ++i)
        value = value * 10 + (piece[i] - '0');
    return negative ? -value : value;
}

}  // namespace

float EncoderStatusParser::ParseClock(std::string_view text)
{
    const size_t first = text.find(':');
    if (first == std::string_view::npos)
        return -1;
    const size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos)
        return -1;
    const long hours = ReadLeadingInteger(text.substr(0, first));
    const long minutes = ReadLeadingInteger(text.substr(first + 1, second - first - 1));
    const long seconds = ReadLeadingInteger(text.substr(second + 1));
    return static_cast<float>(hours * 3600 + minutes * 60 + seconds);
}

bool EncoderStatusParser::ParseText(std::string_view text, const PositionSink& sink)
{
    size_t from = 0;
    for (;;) {
        const size_t time = text.find("time", from);
        const size_t bitrate = text.find("bitrate", from);
        if (time == std::string_view::npos || bitrate == std::string_view::npos)
            return true;
        // A "bitrate" before "time" (the stream summary) gives an empty span and no value.
        if (bitrate > time && time + 5 <= text.size()) {
            const float seconds = ParseClock(text.substr(time + 5, bitrate - time));
            if (seconds > 0 && !sink(seconds))
                return false;
        }
        from = bitrate + 7;
    }
}

bool EncoderStatusParser::Feed(std::string_view chunk, const PositionSink& sink)
{
    m_pending.append(chunk);
    const size_t lineEnd = m_pending.find_last_of("\r\n");
    if (lineEnd == std::string::npos) {
        if (m_pending.size() <= kMaxPendingBytes)
            return true;
        std::string text;
        text.swap(m_pending);
        return ParseText(text, sink);
    }
    const std::string text = m_pending.substr(0, lineEnd + 1);
    m_pending.erase(0, lineEnd + 1);
    return ParseText(text, sink);
}

bool EncoderStatusParser::Finish(const PositionSink& sink)
{
    std::string text;
    text.swap(m_pending);
    return ParseText(text, sink);
}
