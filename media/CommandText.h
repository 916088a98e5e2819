#pragma once
// Text that goes into an encoder command line. Command lines are split into arguments by the
// Windows quoting rules, and a filter argument is parsed twice more by the encoder (filtergraph,
// then the filter's options), so a user's file name needs escaping for each level it passes.

#include <string>

// The path as the encoder sees it: the editor joins folders with a backslash and keeps its work
// folders drive-rooted ("X:\\ZaDaro"); the encoder gets the same POSIX path the file functions use.
std::wstring EncoderPath(const std::wstring& path);

// Text to put between the double quotes of a command-line argument: embedded quotes and the
// backslashes before them are escaped, so the argument comes back as written.
std::wstring QuoteInsideArgument(const std::wstring& text);

// A file path as a value of a filter option inside a filtergraph ("subtitles=<here>"): quoted for
// the option parser, then escaped for the filtergraph parser. Blanks, quotes, brackets, commas,
// colons, semicolons and backslashes all survive.
std::wstring EscapeFilterPath(const std::wstring& path);
