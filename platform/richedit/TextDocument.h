#pragma once
// The text of one text-services object: paragraphs of wide characters, each character with an
// index into a table of character formats (index 0 is the default format, which follows the
// host), paragraph alignments, and the laid-out form of each paragraph, made on demand and
// dropped when the paragraph changes. Positions count characters; a paragraph break counts one.
// Owned by its text services and used on their thread only.

#include "platform/RichEdit.h"

#include "platform/gdi/CairoPtr.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::richedit {

struct CharFormat {
    std::wstring face;
    LONG height = 0;  // twips
    DWORD effects = 0;  // CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_STRIKEOUT
    COLORREF color = 0;
    BYTE charSet = DEFAULT_CHARSET;
    BYTE pitchAndFamily = 0;
    bool operator==(const CharFormat&) const = default;
};

using LayoutPtr = CairoPtr<PangoLayout>;

struct Paragraph {
    std::wstring text;  // without the break
    std::vector<uint16_t> formats;  // one per character
    WORD align = 0;  // PFA_*; 0 = the default paragraph format's
    // Laid out form; null when stale. byteOf maps each character (and the end) to its UTF-8 byte.
    LayoutPtr layout;
    std::vector<int> byteOf;
    int height = 0;
    int width = 0;
};

// A run of text with its formats, as removed or inserted by one edit; '\r' breaks paragraphs.
struct Piece {
    std::wstring text;
    std::vector<uint16_t> formats;
};

class TextDocument {
public:
    TextDocument();

    int Length() const;
    int ParagraphCount() const { return static_cast<int>(m_paragraphs.size()); }
    Paragraph& ParagraphAt(int index) { return m_paragraphs[static_cast<size_t>(index)]; }
    const Paragraph& ParagraphAt(int index) const { return m_paragraphs[static_cast<size_t>(index)]; }
    int StartOf(int paragraph) const;
    // The paragraph holding a position (clamped to the text) and the offset in it.
    struct Position {
        int paragraph;
        int offset;
    };
    Position Locate(int cp) const;

    std::wstring Text(int from, int to, bool crlf = false) const;
    Piece Copy(int from, int to) const;
    // Replaces [from, to) with the piece; returns what was there. The touched paragraphs lose
    // their laid-out form.
    Piece Replace(int from, int to, const Piece& insert);

    // The format table; index 0 is the default.
    const CharFormat& Format(uint16_t index) const { return m_formats[index]; }
    void SetDefaultFormat(const CharFormat& format);
    uint16_t Intern(const CharFormat& format);
    // The format a character typed at cp takes: that of the character before it.
    uint16_t FormatAt(int cp) const;
    void SetFormats(int from, int to, uint16_t format);

    void DropLayouts();

private:
    void Clamp(int& from, int& to) const;
    void InvalidateStarts(int fromParagraph) const;

    std::vector<Paragraph> m_paragraphs;
    std::vector<CharFormat> m_formats;
    mutable std::vector<int> m_starts;  // valid for indices below m_startsValid
    mutable size_t m_startsValid = 0;
};

// Wide text as the document keeps it: "\r\n", "\n" and "\r" each become one break.
std::wstring NormalizeBreaks(std::wstring_view text);

}  // namespace platform::richedit
