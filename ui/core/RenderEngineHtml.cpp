// Tagged text: a small set of one-letter tags in <> or {} for fonts, colours, links, paragraphs,
// inline images, raw text and selection, laid out with wrapping and an end ellipsis.
//
// Each line is walked twice when drawing: a measuring pass learns the line's height (a tall font
// or image may come late in the line), then the drawing pass starts again from the saved line
// start and draws every piece bottom-aligned on that height. Links are recorded in the measuring
// pass only, so the caller's slots are filled once per line whatever the pass count.

#include "ui/core/RenderEngine.h"

#include "platform/ScopedDCState.h"
#include "platform/WinUser.h"
#include "ui/core/UIGeometry.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace SkinUI {

namespace {

COLORREF GdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool IsTagStart(wchar_t ch)
{
    return ch == L'<' || ch == L'{';
}

bool IsTagEnd(wchar_t ch)
{
    return ch == L'>' || ch == L'}';
}

bool IsOpeningTag(const wchar_t* p)
{
    return IsTagStart(p[0]) && p[1] >= L'a' && p[1] <= L'z' && (p[2] == L' ' || IsTagEnd(p[2]));
}

bool IsClosingTag(const wchar_t* p)
{
    return IsTagStart(p[0]) && p[1] == L'/' && iswalpha(p[2]);
}

bool IsRawEnd(const wchar_t* p)
{
    return IsClosingTag(p) && p[2] == L'r';
}

// The character an escape stands for, or 0: "<{>" "<}>" "{<}" "{>}".
wchar_t EscapeAt(const wchar_t* p)
{
    if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>')
        return p[1];
    if (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}')
        return p[1];
    return 0;
}

const wchar_t* SkipBlanks(const wchar_t* p)
{
    while (*p == L' ')
        ++p;
    return p;
}

// Past the ">" or "}" that ends the tag starting at p (the end of the text when there is none).
const wchar_t* AfterTag(const wchar_t* p)
{
    while (*p != L'\0' && !IsTagEnd(*p))
        ++p;
    return *p == L'\0' ? p : p + 1;
}

CUIString TagText(const wchar_t* params)
{
    const wchar_t* end = params;
    while (*end != L'\0' && !IsTagEnd(*end))
        ++end;
    return CUIString(params, static_cast<int>(end - params));
}

bool IsAsciiLetter(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

int FontHeight(const HtmlFont* font)
{
    return font->tm.tmHeight + font->tm.tmExternalLeading;
}

// The value of key='…' in an inline image's tag text, empty when absent.
CUIString QuotedValue(const CUIString& text, const wchar_t* key)
{
    CUIString search = key;
    search += L"='";
    const int at = text.Find(search);
    if (at < 0)
        return CUIString();
    const int start = at + search.GetLength();
    const int end = text.Find(L'\'', start);
    return end < 0 ? CUIString() : text.Mid(start, end - start);
}

// The layout of one call. The pen walks the box; lines end at the right edge, at "\n" and at
// tags that ask for it.
class HtmlLayout {
public:
    HtmlLayout(HDC hDC, IRenderHost& host, RECT& rc, DWORD textColor, RECT* links, CUIString* targets, int capacity,
               UINT style)
        : m_dc(hDC), m_host(host), m_rc(rc), m_textColor(textColor), m_links(links), m_targets(targets),
          m_capacity(capacity), m_style(style), m_draw((style & DT_CALCRECT) == 0)
    {
    }

    void FindHover(int count);
    int Run(const wchar_t* text);

private:
    struct LineStart {
        const wchar_t* text;
        std::vector<const HtmlFont*> fonts;
        std::vector<DWORD> colours;
        std::vector<int> extras;
        bool raw, inLink, selected;
        int linkIndex;
        POINT pen, linkStart;
    };

    LineStart Save() const;
    void Restore(const LineStart& start);
    void WalkLine(bool drawing);
    void Token();
    void OpeningTag();
    void ClosingTag();
    void Escape(wchar_t ch);
    void Blank();
    void TextRun();
    void InlineImage(const CUIString& params, const wchar_t* tag);
    void EndOpenLinkPiece();

    const HtmlFont* CurrentFont() const { return m_fonts.empty() ? m_default : m_fonts.back(); }
    int ParagraphExtra() const { return m_extras.empty() ? 0 : m_extras.back(); }
    void SelectFont(const HtmlFont* font);
    void PushFont(const HtmlFont* font);
    void PopFont();
    void PushVariant(bool bold, bool underline, bool italic);
    void SetColour(DWORD colour) { ::SetTextColor(m_dc, GdiColour(colour)); }
    void PopColour();
    void RaiseLineHeight(int height) { m_lineHeight = std::max(m_lineHeight, height); }
    bool Drawing() const { return m_draw && m_drawingPass; }
    int TextTop(const HtmlFont* font) const { return m_pt.y + m_drawLineHeight - FontHeight(font); }

    HDC m_dc;
    IRenderHost& m_host;
    RECT& m_rc;
    DWORD m_textColor;
    RECT* m_links;
    CUIString* m_targets;
    int m_capacity;
    UINT m_style;
    bool m_draw;

    const HtmlFont* m_default = nullptr;
    const wchar_t* m_p = nullptr;
    std::vector<const HtmlFont*> m_fonts;
    std::vector<DWORD> m_colours;
    std::vector<int> m_extras;
    POINT m_pt {};
    POINT m_linkStart {};
    int m_lineHeight = 0;
    int m_drawLineHeight = 0;  // the measured height the drawing pass aligns to
    int m_maxX = 0;
    int m_maxImageBottom = 0;
    int m_linkIndex = 0;
    int m_lineLinkIndex = 0;
    bool m_raw = false;
    bool m_inLink = false;
    bool m_selected = false;
    bool m_lineEnd = false;
    bool m_drawingPass = false;
    CUIString m_hoverTarget;
    bool m_hover = false;
};

void HtmlLayout::FindHover(int count)
{
    if (!m_links || !m_targets)
        return;
    const POINT mouse = m_host.GetMousePos();
    for (int i = 0; i < count; ++i) {
        if (::PtInRect(&m_links[i], mouse)) {
            m_hoverTarget = m_targets[i];
            m_hover = true;
            return;
        }
    }
}

HtmlLayout::LineStart HtmlLayout::Save() const
{
    return { m_p, m_fonts, m_colours, m_extras, m_raw, m_inLink, m_selected, m_linkIndex, m_pt, m_linkStart };
}

void HtmlLayout::Restore(const LineStart& start)
{
    m_p = start.text;
    m_fonts = start.fonts;
    m_colours = start.colours;
    m_extras = start.extras;
    m_raw = start.raw;
    m_inLink = start.inLink;
    m_selected = start.selected;
    m_linkIndex = start.linkIndex;
    m_pt = start.pen;
    m_linkStart = start.linkStart;
    ::SelectObject(m_dc, CurrentFont()->hFont);
    SetColour(m_colours.empty() ? m_textColor : m_colours.back());
    ::SetBkMode(m_dc, m_selected ? OPAQUE : TRANSPARENT);
}

void HtmlLayout::SelectFont(const HtmlFont* font)
{
    ::SelectObject(m_dc, font->hFont);
    RaiseLineHeight(FontHeight(font) + ParagraphExtra());
}

void HtmlLayout::PushFont(const HtmlFont* font)
{
    if (!font)
        return;
    m_fonts.push_back(font);
    SelectFont(font);
}

void HtmlLayout::PopFont()
{
    const HtmlFont* popped = CurrentFont();
    if (!m_fonts.empty())
        m_fonts.pop_back();
    const HtmlFont* now = CurrentFont();
    ::SelectObject(m_dc, now->hFont);
    if (popped->bItalic && !now->bItalic) {
        // The italic overhang: half the blank's C width in the italic font.
        ABC abc {};
        ::SelectObject(m_dc, popped->hFont);
        ::GetCharABCWidths(m_dc, L' ', L' ', &abc);
        ::SelectObject(m_dc, now->hFont);
        m_pt.x += abc.abcC / 2;
    }
    RaiseLineHeight(FontHeight(now) + ParagraphExtra());
}

void HtmlLayout::PushVariant(bool bold, bool underline, bool italic)
{
    const HtmlFont* font = CurrentFont();
    PushFont(m_host.GetFontByStyle(font->sFontName, font->iSize, font->bBold || bold, font->bUnderline || underline,
                                   font->bItalic || italic));
}

void HtmlLayout::PopColour()
{
    if (!m_colours.empty())
        m_colours.pop_back();
    SetColour(m_colours.empty() ? m_textColor : m_colours.back());
}

int HtmlLayout::Run(const wchar_t* text)
{
    m_default = m_host.GetDefaultFont();
    if (!m_default)
        return 0;
    m_p = text;
    ::SelectObject(m_dc, m_default->hFont);
    ::SetBkMode(m_dc, TRANSPARENT);
    SetColour(m_textColor);
    ::SetBkColor(m_dc, GdiColour(m_host.GetSelectedBkColor()));

    m_pt = { m_rc.left, m_rc.top };
    m_linkStart = m_pt;
    m_lineHeight = FontHeight(m_default) + ParagraphExtra();
    m_maxX = m_rc.left;
    while (*m_p != L'\0') {
        if (m_draw) {
            const LineStart start = Save();
            WalkLine(false);
            const int measuredLinks = m_linkIndex;
            m_drawLineHeight = m_lineHeight;
            Restore(start);
            WalkLine(true);
            m_linkIndex = measuredLinks;
        } else {
            WalkLine(false);
        }
        const bool newline = *m_p == L'\n';
        if (newline)
            ++m_p;
        if (m_style & DT_SINGLELINE)
            break;
        if (*m_p == L'\0' && !newline)
            break;  // the last line keeps its pen for the height
        m_pt.x = m_rc.left;
        m_pt.y += m_draw ? m_drawLineHeight : m_lineHeight;
        if (m_draw && m_pt.y > m_rc.bottom)
            break;
        m_linkStart = m_pt;
        m_lineHeight = FontHeight(CurrentFont()) + ParagraphExtra();
        if (m_pt.x >= m_rc.right)
            break;
    }
    if (!m_draw) {
        m_rc.bottom = std::max(m_maxImageBottom, m_pt.y + m_lineHeight);
        m_rc.right = std::min<LONG>(m_rc.right, m_maxX);
    }
    return m_linkIndex;
}

// One pass over a line: tokens until a line end. The "\n" ending it is left for the caller.
void HtmlLayout::WalkLine(bool drawing)
{
    m_drawingPass = drawing;
    m_lineEnd = false;
    m_lineLinkIndex = m_linkIndex;
    while (*m_p != L'\0' && *m_p != L'\n' && !m_lineEnd) {
        Token();
        if (m_pt.x >= m_rc.right)
            m_lineEnd = true;
    }
    if (drawing)
        return;
    if (m_inLink)
        EndOpenLinkPiece();
    for (int i = m_lineLinkIndex; i < m_linkIndex; ++i)
        m_links[i].bottom = m_pt.y + m_lineHeight;
}

// A link running past the line's end: this line's piece gets its slot and the next slot carries
// the same target for the piece on the next line.
void HtmlLayout::EndOpenLinkPiece()
{
    if (m_linkIndex >= m_capacity)
        return;
    m_links[m_linkIndex] = { m_linkStart.x, m_linkStart.y, std::min<LONG>(m_pt.x, m_rc.right),
                             m_pt.y + m_lineHeight };
    ++m_linkIndex;
    if (m_linkIndex < m_capacity)
        m_targets[m_linkIndex] = m_targets[m_linkIndex - 1];
}

void HtmlLayout::Token()
{
    if (m_raw) {
        if (IsRawEnd(m_p)) {
            m_raw = false;
            m_p = AfterTag(m_p);
            return;
        }
        TextRun();
        return;
    }
    if (IsOpeningTag(m_p)) {
        OpeningTag();
        return;
    }
    if (IsClosingTag(m_p)) {
        ClosingTag();
        return;
    }
    if (const wchar_t ch = EscapeAt(m_p)) {
        Escape(ch);
        m_p += 3;
        return;
    }
    if (*m_p == L' ') {
        Blank();
        ++m_p;
        return;
    }
    TextRun();
}

void HtmlLayout::OpeningTag()
{
    const wchar_t letter = m_p[1];
    const wchar_t* tag = m_p;
    const CUIString params = TagText(SkipBlanks(m_p + 2));
    m_p = AfterTag(m_p);
    switch (letter) {
    case L'a': {
        if (!m_drawingPass && m_linkIndex < m_capacity)
            m_targets[m_linkIndex] = params;
        DWORD colour = m_textColor != 0 ? m_textColor : m_host.GetLinkColor();
        if (m_hover && m_hoverTarget == params.GetData())
            colour = m_host.GetLinkHoverColor();
        m_colours.push_back(colour);
        SetColour(colour);
        if (!CurrentFont()->bUnderline)
            PushVariant(false, true, false);
        m_inLink = true;
        m_linkStart = m_pt;
        break;
    }
    case L'b':
        if (!CurrentFont()->bBold)
            PushVariant(true, false, false);
        break;
    case L'c': {
        const wchar_t* value = params.GetData();
        if (*value == L'#')
            ++value;
        const DWORD colour = static_cast<DWORD>(wcstol(value, nullptr, 16));
        m_colours.push_back(colour);
        SetColour(colour);
        break;
    }
    case L'f': {
        if (iswdigit(params[0])) {
            PushFont(m_host.GetFontById(static_cast<int>(wcstol(params, nullptr, 10))));
            break;
        }
        const wchar_t* p = params.GetData();
        const wchar_t* nameEnd = p;
        while (*nameEnd != L'\0' && *nameEnd != L' ')
            ++nameEnd;
        const CUIString name(p, static_cast<int>(nameEnd - p));
        p = SkipBlanks(nameEnd);
        int size = 10;
        if (iswdigit(*p)) {
            wchar_t* end = nullptr;
            size = std::min(ReadSkinNumber(p, &end), kMaxSkinFontSize);
            p = end;
        }
        CUIString styles = p;
        styles.MakeLower();
        PushFont(m_host.GetFontByStyle(name, size, styles.Find(L"bold") >= 0, styles.Find(L"underline") >= 0,
                                       styles.Find(L"italic") >= 0));
        break;
    }
    case L'i':
        if (params.IsEmpty()) {
            if (!CurrentFont()->bItalic)
                PushVariant(false, false, true);
        } else {
            InlineImage(params, tag);
        }
        break;
    case L'n':
        if (!(m_style & DT_SINGLELINE))
            m_lineEnd = true;
        break;
    case L'p': {
        if (m_pt.x > m_rc.left)
            m_lineEnd = true;
        const int extra = static_cast<int>(wcstol(params, nullptr, 10));
        m_extras.push_back(extra);
        RaiseLineHeight(FontHeight(CurrentFont()) + extra);
        break;
    }
    case L'r':
        m_raw = true;
        break;
    case L's':
        m_selected = !m_selected;
        if (Drawing())
            ::SetBkMode(m_dc, m_selected ? OPAQUE : TRANSPARENT);
        break;
    case L'u':
        if (!CurrentFont()->bUnderline)
            PushVariant(false, true, false);
        break;
    case L'x':
        m_pt.x += static_cast<int>(wcstol(params, nullptr, 10));
        m_maxX = std::max<int>(m_maxX, m_pt.x);
        break;
    case L'y':
        m_lineHeight = static_cast<int>(wcstol(params, nullptr, 10));
        break;
    default:
        break;  // unknown letters are skipped
    }
}

void HtmlLayout::ClosingTag()
{
    const wchar_t letter = m_p[2];
    m_p = AfterTag(m_p);
    switch (letter) {
    case L'a':
        if (!m_drawingPass && m_linkIndex < m_capacity) {
            m_links[m_linkIndex] = { m_linkStart.x, m_linkStart.y, m_pt.x, m_pt.y + FontHeight(CurrentFont()) };
            ++m_linkIndex;
        }
        PopColour();
        m_inLink = false;
        PopFont();
        break;
    case L'b':
    case L'f':
    case L'i':
    case L'u':
        PopFont();
        break;
    case L'c':
        PopColour();
        break;
    case L'p':
        if (m_pt.x > m_rc.left)
            m_lineEnd = true;
        if (!m_extras.empty())
            m_extras.pop_back();
        RaiseLineHeight(FontHeight(CurrentFont()) + ParagraphExtra());
        break;
    case L'r':
        m_raw = false;
        break;
    case L's':
        m_selected = !m_selected;
        if (Drawing())
            ::SetBkMode(m_dc, m_selected ? OPAQUE : TRANSPARENT);
        break;
    default:
        break;
    }
}

void HtmlLayout::Escape(wchar_t ch)
{
    SIZE size {};
    ::GetTextExtentPoint32(m_dc, &ch, 1, &size);
    if (Drawing())
        ::TextOut(m_dc, m_pt.x, TextTop(CurrentFont()), &ch, 1);
    m_pt.x += size.cx;
    m_maxX = std::max<int>(m_maxX, m_pt.x);
}

void HtmlLayout::Blank()
{
    SIZE size {};
    ::GetTextExtentPoint32(m_dc, L" ", 1, &size);
    if (Drawing())
        ::TextOut(m_dc, m_pt.x, TextTop(CurrentFont()), L" ", 1);  // keeps an underline going
    m_pt.x += size.cx;
    m_maxX = std::max<int>(m_maxX, m_pt.x);
}

// Characters up to the next tag start, "\n" or the end (in raw text, up to the raw end). The width
// is estimated from the widest character and measured only once the estimate reaches the edge.
void HtmlLayout::TextRun()
{
    const HtmlFont* font = CurrentFont();
    const wchar_t* start = m_p;
    const int boxRight = m_rc.right;
    int count = 0, lastBreak = 0;
    SIZE size {};
    bool overflow = false;
    for (;;) {
        const wchar_t ch = start[count];
        if (ch == L'\0' || ch == L'\n')
            break;
        if (count > 0 && (m_raw ? IsRawEnd(start + count) : IsTagStart(ch)))
            break;
        ++count;
        if (!IsAsciiLetter(ch))
            lastBreak = count;
        if (m_pt.x + count * font->tm.tmMaxCharWidth < boxRight)
            continue;
        ::GetTextExtentPoint32(m_dc, start, count, &size);
        if (m_pt.x + size.cx > boxRight) {
            overflow = true;
            break;
        }
    }
    if (overflow) {
        // A line always takes at least one character, even in a box narrower than it.
        if (m_pt.x > m_rc.left || count > 1)
            --count;
        if ((m_style & DT_WORDBREAK) && lastBreak > 0 && lastBreak <= count)
            count = lastBreak;
        if ((m_style & DT_END_ELLIPSIS) && count > 0)
            count -= count >= 2 ? 2 : 1;
        m_lineEnd = true;
    }
    if (count == 0) {
        m_lineEnd = true;
        if (m_pt.x == m_rc.left && *start != L'\0')
            count = 1;  // never stall on a character that fits nowhere
        else
            return;
    }
    ::GetTextExtentPoint32(m_dc, start, count, &size);
    const bool ellipsis = overflow && (m_style & DT_END_ELLIPSIS);
    if (Drawing()) {
        int x = m_pt.x;
        const int boxWidth = m_rc.right - m_rc.left;
        if (!(m_style & DT_SINGLELINE) && (m_style & DT_CENTER))
            x += (boxWidth - size.cx) / 2;
        else if (!(m_style & DT_SINGLELINE) && (m_style & DT_RIGHT))
            x += boxWidth - size.cx;
        ::TextOut(m_dc, x, TextTop(font), start, count);
        if (ellipsis)
            ::TextOut(m_dc, x + size.cx, m_pt.y, L"...", 3);
    }
    m_p = start + count;
    m_pt.x += size.cx;
    if (ellipsis)
        m_pt.x = std::max<int>(m_pt.x, boxRight);
    m_maxX = std::max<int>(m_maxX, m_pt.x);
}

void HtmlLayout::InlineImage(const CUIString& params, const wchar_t* tag)
{
    CUIString name, type;
    int count = 1, index = 0;
    if (params.Find(L"file='") >= 0 || params.Find(L"res='") >= 0) {
        name = QuotedValue(params, L"file");
        if (name.IsEmpty())
            name = QuotedValue(params, L"res");
        type = QuotedValue(params, L"restype");
    } else {
        int end = 0;
        while (end < params.GetLength() && params[end] != L' ')
            ++end;
        name = params.Left(end);
        wchar_t* next = nullptr;
        const wchar_t* rest = params.GetData() + end;
        count = std::max(1, static_cast<int>(wcstol(rest, &next, 10)));
        index = static_cast<int>(wcstol(next, nullptr, 10));
        if (index < 0 || index >= count)
            index = 0;
    }
    const TImageInfo* image = m_host.GetImage(name, type.IsEmpty() ? nullptr : type.GetData(), 0);
    if (!image || !image->hBitmap)
        return;
    const int frameWidth = image->nX / count;
    if (m_pt.x + frameWidth > m_rc.right && m_pt.x > m_rc.left && !(m_style & DT_SINGLELINE)) {
        m_lineEnd = true;
        m_p = tag;  // read again on the next line
        return;
    }
    if (Drawing()) {
        int bottom = m_pt.y + m_drawLineHeight;
        if (image->nY < m_drawLineHeight)
            bottom -= (m_drawLineHeight - image->nY) / 2;
        const RECT box { m_pt.x, bottom - image->nY, m_pt.x + frameWidth, bottom };
        const RECT part { index * frameWidth, 0, (index + 1) * frameWidth, image->nY };
        CRenderEngine::DrawImage(m_dc, image->hBitmap, box, box, part, {}, image->bAlpha, 255);
    }
    RaiseLineHeight(image->nY);
    m_pt.x += frameWidth;
    m_maxImageBottom = std::max<int>(m_maxImageBottom, m_pt.y + image->nY);
    m_maxX = std::max<int>(m_maxX, m_pt.x);
}

}  // namespace

void CRenderEngine::DrawHtmlText(HDC hDC, IRenderHost& host, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                                 RECT* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle)
{
    if (!hDC || !pstrText || ::IsRectEmpty(&rc))
        return;
    const int capacity = (prcLinks && sLinks) ? std::max(0, nLinkRects) : 0;
    const bool draw = (uStyle & DT_CALCRECT) == 0;
    ScopedDCState saved(hDC);
    if (draw)
        ::IntersectClipRect(hDC, rc.left, rc.top, rc.right, rc.bottom);

    if (draw && (uStyle & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
        RECT measured { 0, 0, 9999, 100 };
        int none = 0;
        DrawHtmlText(hDC, host, measured, pstrText, dwTextColor, nullptr, nullptr, none, uStyle | DT_CALCRECT);
        const int width = measured.right - measured.left, height = measured.bottom - measured.top;
        if (uStyle & DT_SINGLELINE) {
            if (uStyle & DT_CENTER) {
                rc.left = rc.left + (rc.right - rc.left) / 2 - width / 2;
                rc.right = rc.left + width;
            }
            if (uStyle & DT_RIGHT)
                rc.left = rc.right - width;
        }
        if (uStyle & DT_VCENTER) {
            rc.top = rc.top + (rc.bottom - rc.top) / 2 - height / 2;
            rc.bottom = rc.top + height;
        }
        if (uStyle & DT_BOTTOM)
            rc.top = rc.bottom - height;
    }

    HtmlLayout layout(hDC, host, rc, dwTextColor, prcLinks, sLinks, capacity, uStyle);
    layout.FindHover(capacity);
    nLinkRects = layout.Run(pstrText);
}

}  // namespace SkinUI
