#pragma once
// Builds a zip archive for a test through fixtures/make_zip.py (items in the given order).

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using ZipItems = std::vector<std::pair<std::string, std::string>>;

inline std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char ch : text)
        out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return out + "'";
}

inline bool MakeZip(const std::string& path, const ZipItems& items)
{
    std::string command = "python3 " QUILL_SOURCE_DIR "/tests/updater/fixtures/make_zip.py " + ShellQuote(path);
    for (const auto& [name, content] : items)
        command += " " + ShellQuote(name) + " " + ShellQuote(content);
    return std::system(command.c_str()) == 0;
}
