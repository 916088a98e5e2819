#include "platform/richedit/RichTextStream.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

namespace platform::richedit {

namespace {

constexpr LONG kChunk = 4096;

struct RtfState {
    CharFormat format;
    bool skip = false;
    int unicodeSkip = 1;
};

// The reader of one RTF text: a recursive-descent walk over groups with a stack of states.
class RtfReader {
public:
    RtfReader(const std::string& bytes, const CharFormat& base, TextDocument& doc) : m_in(bytes), m_base(base), m_doc(doc)
    {
        m_content.aligns.push_back(0);
    }

    RtfContent Read()
    {
        std::vector<RtfState> stack { RtfState { m_base } };
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                stack.push_back(stack.back());
                continue;
            }
            if (c == '}') {
                if (stack.size() == m_tableLevel)
                    m_table = Table::None;
                if (stack.size() > 1)
                    stack.pop_back();
                continue;
            }
            if (c == '\\') {
                ControlWord(stack);
                continue;
            }
            if (c == '\r' || c == '\n')
                continue;
            Text(stack.back(), static_cast<unsigned char>(c));
        }
        return std::move(m_content);
    }

private:
    void Text(const RtfState& state, char32_t c)
    {
        if (state.skip || m_table != Table::None) {
            if (m_table != Table::None && !state.skip)
                TableText(static_cast<char>(c));
            return;
        }
        if (c == '\r') {
            m_content.piece.text += L'\r';
            m_content.piece.formats.push_back(0);
            m_content.aligns.push_back(m_align);
            return;
        }
        if (m_highSurrogate && c >= 0xDC00 && c <= 0xDFFF) {
            c = 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (c - 0xDC00);
            m_highSurrogate = 0;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            m_highSurrogate = c;
            return;
        }
        m_content.piece.text += static_cast<wchar_t>(c);
        m_content.piece.formats.push_back(state.format == m_base ? 0 : m_doc.Intern(state.format));
    }

    void TableText(char c)
    {
        if (m_table == Table::Fonts) {
            if (c == ';') {
                m_fonts[m_fontIndex] = Utf8ToWide(m_fontName);
                m_fontName.clear();
            } else if (c != ' ' || !m_fontName.empty()) {
                m_fontName += c;
            }
            return;
        }
        if (c == ';') {  // colour table: one entry per semicolon; the first empty one is "auto"
            m_colors.push_back(m_color);
            m_color = 0;
        }
    }

    void ControlWord(std::vector<RtfState>& stack)
    {
        RtfState& state = stack.back();
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            Symbol(stack, c);
            return;
        }
        std::string word;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])))
            word += m_in[m_pos++];
        bool hasValue = false;
        long value = 0;
        const size_t start = m_pos;
        if (m_pos < m_in.size() && (m_in[m_pos] == '-' || std::isdigit(static_cast<unsigned char>(m_in[m_pos])))) {
            ++m_pos;
            while (m_pos < m_in.size() && m_pos - start < 10 && std::isdigit(static_cast<unsigned char>(m_in[m_pos])))
                ++m_pos;
            value = std::strtol(m_in.substr(start, m_pos - start).c_str(), nullptr, 10);
            hasValue = true;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        Apply(state, stack.size(), word, hasValue, value);
    }

    void Symbol(std::vector<RtfState>& stack, char c)
    {
        RtfState& state = stack.back();
        switch (c) {
        case '*':
            state.skip = true;  // an optional destination we do not know
            break;
        case '\'': {
            if (m_pos + 2 > m_in.size())
                return;
            const long byte = std::strtol(m_in.substr(m_pos, 2).c_str(), nullptr, 16);
            m_pos += 2;
            if (m_pendingSkip > 0) {
                --m_pendingSkip;
                return;
            }
            Text(state, static_cast<char32_t>(byte));  // bytes of the ANSI page read as Latin-1
            break;
        }
        case '~':
            Text(state, 0xA0);
            break;
        case '\\':
        case '{':
        case '}':
            Text(state, static_cast<unsigned char>(c));
            break;
        default:
            break;
        }
    }

    void Apply(RtfState& state, size_t level, const std::string& word, bool hasValue, long value)
    {
        static const char* const kSkipped[] = { "stylesheet", "info", "pict", "object", "header", "footer",
                                                "listtable", "listoverridetable", "themedata", "colorschememapping",
                                                "latentstyles", "datastore", "xmlnstbl", "rsidtbl", "generator" };
        const bool on = !hasValue || value != 0;
        auto effect = [&](DWORD bit, bool set) { state.format.effects = set ? (state.format.effects | bit) : (state.format.effects & ~bit); };
        if (std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped)) {
            state.skip = true;
        } else if (word == "fonttbl") {
            m_table = Table::Fonts;
            m_tableLevel = level;
        } else if (word == "colortbl") {
            m_table = Table::Colors;
            m_tableLevel = level;
        } else if (word == "par" || word == "line") {
            Text(state, '\r');
        } else if (word == "tab") {
            Text(state, '\t');
        } else if (word == "b") {
            effect(CFE_BOLD, on);
        } else if (word == "i") {
            effect(CFE_ITALIC, on);
        } else if (word == "ul") {
            effect(CFE_UNDERLINE, on);
        } else if (word == "ulnone") {
            effect(CFE_UNDERLINE, false);
        } else if (word == "strike") {
            effect(CFE_STRIKEOUT, on);
        } else if (word == "plain") {
            state.format = m_base;
        } else if (word == "f" && hasValue) {
            if (m_table == Table::Fonts)
                m_fontIndex = value;
            else if (auto it = m_fonts.find(value); it != m_fonts.end())
                state.format.face = it->second.substr(0, LF_FACESIZE - 1);
        } else if (word == "fs" && hasValue && value > 0) {
            state.format.height = std::min<long>(value, 3276) * 10;  // half-points to twips
        } else if (word == "cf" && hasValue) {
            state.format.color = value > 0 && static_cast<size_t>(value) < m_colors.size() ? m_colors[static_cast<size_t>(value)]
                                                                                           : m_base.color;
        } else if (word == "red" || word == "green" || word == "blue") {
            const int shift = word == "red" ? 0 : word == "green" ? 8 : 16;
            m_color |= static_cast<COLORREF>(std::clamp<long>(value, 0, 255)) << shift;
        } else if (word == "pard") {
            SetAlign(0);
        } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
            SetAlign(word == "qc" ? PFA_CENTER : word == "qr" ? PFA_RIGHT : word == "qj" ? PFA_JUSTIFY : PFA_LEFT);
        } else if (word == "uc" && hasValue) {
            state.unicodeSkip = static_cast<int>(std::clamp<long>(value, 0, 8));
        } else if (word == "u" && hasValue) {
            Text(state, static_cast<char32_t>(value < 0 ? value + 65536 : value));
            m_pendingSkip = state.unicodeSkip;
            SkipFallback();
        }
    }

    // The characters that stand in for a \u character in readers without Unicode.
    void SkipFallback()
    {
        while (m_pendingSkip > 0 && m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{' || c == '}')
                break;
            if (c == '\\') {
                if (m_pos + 1 < m_in.size() && m_in[m_pos + 1] == '\'') {
                    m_pos += std::min<size_t>(4, m_in.size() - m_pos);
                    --m_pendingSkip;
                    continue;
                }
                break;
            }
            ++m_pos;
            --m_pendingSkip;
        }
        m_pendingSkip = 0;
    }

    void SetAlign(WORD align)
    {
        m_align = align;
        m_content.aligns.back() = align;
    }

    enum class Table { None, Fonts, Colors };

    const std::string& m_in;
    size_t m_pos = 0;
    CharFormat m_base;
    TextDocument& m_doc;
    RtfContent m_content;
    Table m_table = Table::None;
    size_t m_tableLevel = 0;  // the group depth that holds the table
    std::map<long, std::wstring> m_fonts;
    long m_fontIndex = 0;
    std::string m_fontName;
    std::vector<COLORREF> m_colors;
    COLORREF m_color = 0;
    WORD m_align = 0;
    int m_pendingSkip = 0;
    char32_t m_highSurrogate = 0;
};

void AppendEscaped(std::string& out, wchar_t c)
{
    if (c == L'\\' || c == L'{' || c == L'}') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == L'\t') {
        out += "\\tab ";
    } else if (c >= 0x20 && c < 0x80) {
        out += static_cast<char>(c);
    } else if (c > 0xFFFF) {
        const char32_t v = static_cast<char32_t>(c) - 0x10000;
        out += "\\u" + std::to_string(static_cast<int16_t>(0xD800 + (v >> 10))) + "?";
        out += "\\u" + std::to_string(static_cast<int16_t>(0xDC00 + (v & 0x3FF))) + "?";
    } else {
        out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(c))) + "?";
    }
}

}  // namespace

bool ReadStream(EDITSTREAM& stream, std::string* bytes)
{
    char buffer[kChunk];
    for (;;) {
        LONG done = 0;
        stream.dwError = stream.pfnCallback(stream.dwCookie, reinterpret_cast<LPBYTE>(buffer), kChunk, &done);
        if (stream.dwError != 0)
            return false;
        if (done <= 0)
            return true;
        bytes->append(buffer, static_cast<size_t>(std::min(done, kChunk)));
    }
}

size_t WriteStream(EDITSTREAM& stream, const std::string& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        std::string chunk = bytes.substr(written, kChunk);
        LONG done = 0;
        stream.dwError = stream.pfnCallback(stream.dwCookie, reinterpret_cast<LPBYTE>(chunk.data()),
                                            static_cast<LONG>(chunk.size()), &done);
        if (stream.dwError != 0 || done <= 0)
            break;
        written += static_cast<size_t>(std::min<LONG>(done, static_cast<LONG>(chunk.size())));
    }
    return written;
}

std::wstring ReadPlain(const std::string& bytes, bool utf16)
{
    if (!utf16)
        return Utf8ToWide(bytes);
    std::wstring out;
    char32_t high = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && high) {
            out += static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
            continue;
        }
        high = 0;
        if (unit != 0xFEFF || !out.empty())
            out += static_cast<wchar_t>(unit);
    }
    return out;
}

std::string WritePlain(const std::wstring& text, bool utf16)
{
    if (!utf16)
        return WideToUtf8(text);
    std::string out;
    auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (wchar_t c : text) {
        const char32_t v = static_cast<char32_t>(c);
        if (v > 0xFFFF) {
            unit(0xD800 + ((v - 0x10000) >> 10));
            unit(0xDC00 + ((v - 0x10000) & 0x3FF));
        } else {
            unit(v);
        }
    }
    return out;
}

RtfContent ReadRtf(const std::string& bytes, const CharFormat& base, TextDocument& doc)
{
    return RtfReader(bytes, base, doc).Read();
}

std::string WriteRtf(const TextDocument& doc, const Piece& piece, const std::vector<WORD>& aligns)
{
    std::vector<std::wstring> faces;
    std::vector<COLORREF> colors;
    auto indexOf = [](auto& list, const auto& value) {
        auto it = std::find(list.begin(), list.end(), value);
        if (it != list.end())
            return static_cast<int>(it - list.begin());
        list.push_back(value);
        return static_cast<int>(list.size() - 1);
    };
    std::string body;
    size_t paragraph = 0;
    auto pard = [&] {
        const WORD align = paragraph < aligns.size() ? aligns[paragraph] : 0;
        body += align == PFA_CENTER ? "\\pard\\qc" : align == PFA_RIGHT ? "\\pard\\qr" : align == PFA_JUSTIFY ? "\\pard\\qj" : "\\pard\\ql";
    };
    pard();
    int last = -1;
    for (size_t i = 0; i < piece.text.size(); ++i) {
        if (piece.text[i] == L'\r') {
            body += "\\par\n";
            ++paragraph;
            pard();
            last = -1;
            continue;
        }
        if (piece.formats[i] != last) {
            last = piece.formats[i];
            const CharFormat& f = doc.Format(piece.formats[i]);
            body += "\\plain\\f" + std::to_string(indexOf(faces, f.face)) + "\\fs" + std::to_string(f.height / 10) + "\\cf"
                + std::to_string(indexOf(colors, f.color) + 1);
            body += (f.effects & CFE_BOLD) ? "\\b" : "";
            body += (f.effects & CFE_ITALIC) ? "\\i" : "";
            body += (f.effects & CFE_UNDERLINE) ? "\\ul" : "";
            body += (f.effects & CFE_STRIKEOUT) ? "\\strike" : "";
            body += ' ';
        }
        AppendEscaped(body, piece.text[i]);
    }
    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (size_t i = 0; i < faces.size(); ++i) {
        out += "{\\f" + std::to_string(i) + " ";
        for (wchar_t c : faces[i])
            AppendEscaped(out, c);
        out += ";}";
    }
    out += "}{\\colortbl ;";
    for (COLORREF c : colors)
        out += "\\red" + std::to_string(GetRValue(c)) + "\\green" + std::to_string(GetGValue(c)) + "\\blue"
            + std::to_string(GetBValue(c)) + ";";
    out += "}\n" + body + "}";
    return out;
}

}  // namespace platform::richedit
