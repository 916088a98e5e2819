#pragma once
// Pulls the encoder's position out of its status output. A status line carries the position as
// "time=HH:MM:SS.xx" somewhere before "bitrate"; only the whole seconds count, and a position of
// zero (or one that is not three ":"-separated numbers, like "N/A") is no progress at all.
// Output arrives in pipe-sized chunks that may cut a line anywhere, so the unfinished last line
// is kept and parsed together with the next chunk. One parser per run; not thread-safe.

#include <functional>
#include <string>
#include <string_view>

class EncoderStatusParser {
public:
    // Called for every position greater than zero, in order; returning false stops the parse.
    using PositionSink = std::function<bool(float seconds)>;

    // Parses every complete line of what has arrived; false when the sink asked to stop.
    bool Feed(std::string_view chunk, const PositionSink& sink);
    // Parses what is left once the output has ended.
    bool Finish(const PositionSink& sink);

    // The positions in one piece of text, by the "time" ... "bitrate" pairing; exposed for tests.
    static bool ParseText(std::string_view text, const PositionSink& sink);
    // Whole seconds of "HH:MM:SS..." (each piece read up to its first non-digit), or -1 when the
    // text is not exactly three pieces.
    static float ParseClock(std::string_view text);

private:
    std::string m_pending;
};
