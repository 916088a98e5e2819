#include "media/CommandText.h"

#include "platform/base/Path.h"

std::wstring EncoderPath(const std::wstring& path)
{
    // The same mapping as the file functions, drive-rooted work folders included: the encoder
    // must write where the editor later looks.
    return platform::ToWidePath(platform::ToPosixPath(path));
}

std::wstring QuoteInsideArgument(const std::wstring& text)
{
    std::wstring out;
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            out += c;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes + 1, L'\\');  // double the run before a quote, then escape it
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes, L'\\');  // the closing quote follows: a trailing run must be doubled
    return out;
}

std::wstring EscapeFilterPath(const std::wstring& path)
{
    // Option level: one single-quoted token; a quote inside ends it, adds an escaped quote and
    // opens a new one.
    std::wstring option = L"'";
    for (wchar_t c : EncoderPath(path)) {
        if (c == L'\'')
            option += L"'\\''";
        else
            option += c;
    }
    option += L"'";
    // Filtergraph level: every character the graph parser treats specially gets a backslash.
    std::wstring graph;
    for (wchar_t c : option) {
        if (c == L'\\' || c == L'\'' || c == L'[' || c == L']' || c == L',' || c == L';')
            graph += L'\\';
        graph += c;
    }
    return graph;
}
