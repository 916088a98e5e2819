#include "platform/richedit/TextDocument.h"

#include <algorithm>

namespace platform::richedit {

TextDocument::TextDocument() : m_paragraphs(1), m_formats(1) { }

int TextDocument::Length() const
{
    const int last = ParagraphCount() - 1;
    return StartOf(last) + static_cast<int>(m_paragraphs.back().text.size());
}

void TextDocument::InvalidateStarts(int fromParagraph) const
{
    m_startsValid = std::min(m_startsValid, static_cast<size_t>(std::max(0, fromParagraph)));
}

int TextDocument::StartOf(int paragraph) const
{
    const size_t wanted = static_cast<size_t>(paragraph);
    if (m_starts.size() < m_paragraphs.size())
        m_starts.resize(m_paragraphs.size());
    while (m_startsValid <= wanted) {
        const size_t i = m_startsValid;
        m_starts[i] = i == 0 ? 0 : m_starts[i - 1] + static_cast<int>(m_paragraphs[i - 1].text.size()) + 1;
        ++m_startsValid;
    }
    return m_starts[wanted];
}

TextDocument::Position TextDocument::Locate(int cp) const
{
    cp = std::clamp(cp, 0, Length());
    int low = 0, high = ParagraphCount() - 1;
    while (low < high) {  // the last paragraph starting at or before cp
        const int mid = (low + high + 1) / 2;
        if (StartOf(mid) <= cp)
            low = mid;
        else
            high = mid - 1;
    }
    return { low, cp - StartOf(low) };
}

void TextDocument::Clamp(int& from, int& to) const
{
    const int length = Length();
    from = std::clamp(from, 0, length);
    to = std::clamp(to, 0, length);
    if (from > to)
        std::swap(from, to);
}

Piece TextDocument::Copy(int from, int to) const
{
    Clamp(from, to);
    Piece piece;
    Position at = Locate(from);
    for (int left = to - from; left > 0; --left) {
        const Paragraph& p = m_paragraphs[static_cast<size_t>(at.paragraph)];
        if (at.offset < static_cast<int>(p.text.size())) {
            piece.text += p.text[static_cast<size_t>(at.offset)];
            piece.formats.push_back(p.formats[static_cast<size_t>(at.offset)]);
            ++at.offset;
            continue;
        }
        piece.text += L'\r';
        piece.formats.push_back(0);
        ++at.paragraph;
        at.offset = 0;
    }
    return piece;
}

std::wstring TextDocument::Text(int from, int to, bool crlf) const
{
    Clamp(from, to);
    std::wstring out;
    const Position a = Locate(from), b = Locate(to);
    for (int i = a.paragraph; i <= b.paragraph; ++i) {
        const std::wstring& text = m_paragraphs[static_cast<size_t>(i)].text;
        const size_t begin = i == a.paragraph ? static_cast<size_t>(a.offset) : 0;
        const size_t end = i == b.paragraph ? static_cast<size_t>(b.offset) : text.size();
        out.append(text, begin, end - begin);
        if (i != b.paragraph)
            out += crlf ? L"\r\n" : L"\r";
    }
    return out;
}

Piece TextDocument::Replace(int from, int to, const Piece& insert)
{
    Clamp(from, to);
    Piece removed = Copy(from, to);
    const Position a = Locate(from), b = Locate(to);
    Paragraph& first = m_paragraphs[static_cast<size_t>(a.paragraph)];
    Paragraph& last = m_paragraphs[static_cast<size_t>(b.paragraph)];
    std::wstring tailText = last.text.substr(static_cast<size_t>(b.offset));
    std::vector<uint16_t> tailFormats(last.formats.begin() + b.offset, last.formats.end());
    first.text.resize(static_cast<size_t>(a.offset));
    first.formats.resize(static_cast<size_t>(a.offset));
    m_paragraphs.erase(m_paragraphs.begin() + a.paragraph + 1, m_paragraphs.begin() + b.paragraph + 1);

    std::vector<Paragraph> added;
    Paragraph* current = &m_paragraphs[static_cast<size_t>(a.paragraph)];
    const WORD align = current->align;
    for (size_t i = 0; i < insert.text.size(); ++i) {
        if (insert.text[i] == L'\r') {
            added.emplace_back();
            added.back().align = align;
            current = &added.back();
            continue;
        }
        current->text += insert.text[i];
        current->formats.push_back(i < insert.formats.size() ? insert.formats[i] : 0);
    }
    current->text += tailText;
    current->formats.insert(current->formats.end(), tailFormats.begin(), tailFormats.end());
    m_paragraphs[static_cast<size_t>(a.paragraph)].layout.reset();
    for (Paragraph& p : added)
        p.layout.reset();
    m_paragraphs.insert(m_paragraphs.begin() + a.paragraph + 1, std::make_move_iterator(added.begin()),
                        std::make_move_iterator(added.end()));
    InvalidateStarts(a.paragraph + 1);
    return removed;
}

void TextDocument::SetDefaultFormat(const CharFormat& format)
{
    if (m_formats[0] == format)
        return;
    m_formats[0] = format;
    DropLayouts();
}

uint16_t TextDocument::Intern(const CharFormat& format)
{
    for (size_t i = 0; i < m_formats.size(); ++i)
        if (m_formats[i] == format)
            return static_cast<uint16_t>(i);
    if (m_formats.size() >= 0xFFFF)
        return 0;  // a full table falls back to the default rather than growing without end
    m_formats.push_back(format);
    return static_cast<uint16_t>(m_formats.size() - 1);
}

uint16_t TextDocument::FormatAt(int cp) const
{
    const Position at = Locate(cp);
    const Paragraph& p = m_paragraphs[static_cast<size_t>(at.paragraph)];
    if (at.offset > 0)
        return p.formats[static_cast<size_t>(at.offset - 1)];
    return p.formats.empty() ? 0 : p.formats.front();
}

void TextDocument::SetFormats(int from, int to, uint16_t format)
{
    Clamp(from, to);
    Position at = Locate(from);
    for (int left = to - from; left > 0; --left) {
        Paragraph& p = m_paragraphs[static_cast<size_t>(at.paragraph)];
        p.layout.reset();
        if (at.offset < static_cast<int>(p.text.size())) {
            p.formats[static_cast<size_t>(at.offset++)] = format;
            continue;
        }
        ++at.paragraph;
        at.offset = 0;
    }
}

void TextDocument::DropLayouts()
{
    for (Paragraph& p : m_paragraphs)
        p.layout.reset();
}

std::wstring NormalizeBreaks(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            ++i;
        out += text[i] == L'\n' ? L'\r' : text[i];
    }
    return out;
}

}  // namespace platform::richedit
