#pragma once
// Streaming a text-services document in and out: plain text (UTF-8, or UTF-16LE for the Unicode
// form, the form files and other programs use), and RTF limited to what the document holds
// (fonts, sizes, bold/italic/underline/strike-out, colours, paragraphs and their alignment).
// Reading takes what it knows and skips unknown groups; writing writes what the document holds.

#include "platform/richedit/TextDocument.h"

#include <string>
#include <vector>

namespace platform::richedit {

// Pulls the whole stream through its callback; false when the callback reports an error.
bool ReadStream(EDITSTREAM& stream, std::string* bytes);
// Pushes the bytes through the callback; returns how many it took.
size_t WriteStream(EDITSTREAM& stream, const std::string& bytes);

std::wstring ReadPlain(const std::string& bytes, bool utf16);
std::string WritePlain(const std::wstring& text, bool utf16);

struct RtfContent {
    Piece piece;  // formats are indices into the document's table
    std::vector<WORD> aligns;  // one per paragraph of the piece
};
// `base` is the format that \plain returns to; new formats are interned in the document.
RtfContent ReadRtf(const std::string& bytes, const CharFormat& base, TextDocument& doc);
std::string WriteRtf(const TextDocument& doc, const Piece& piece, const std::vector<WORD>& aligns);

}  // namespace platform::richedit
