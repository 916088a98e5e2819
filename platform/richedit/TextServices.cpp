#include "platform/richedit/TextServices.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/ScopedCairoState.h"
#include "platform/gdi/TextEngine.h"
#include "platform/richedit/RichTextStream.h"

#include <algorithm>
#include <cwctype>
#include <mutex>

const GUID IID_IUnknown = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const GUID IID_ITextHost = { 0xC5BDD8D0, 0xD26E, 0x11CE, { 0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5 } };
const GUID IID_ITextServices = { 0x8D33F740, 0xCF58, 0x11CE, { 0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5 } };

namespace platform::richedit {

namespace {

constexpr wchar_t kBullet = 0x25CF;
constexpr LONG kDefaultLimit = 32767;

enum class CharClass { Space, Word, Mark };

CharClass ClassOf(wchar_t c)
{
    if (c == L'\r' || std::iswspace(static_cast<wint_t>(c)))
        return CharClass::Space;
    if (c == L'_' || c >= 0x2E80 || std::iswalnum(static_cast<wint_t>(c)))
        return CharClass::Word;
    return CharClass::Mark;
}

int CharOfByte(const std::vector<int>& byteOf, int byte)
{
    auto it = std::upper_bound(byteOf.begin(), byteOf.end(), byte);
    return static_cast<int>(it - byteOf.begin()) - 1;
}

PangoAlignment PangoAlign(WORD align)
{
    return align == PFA_CENTER ? PANGO_ALIGN_CENTER : align == PFA_RIGHT ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
}

void CopyOut(const std::wstring& text, LPWSTR buffer)
{
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
}

}  // namespace

TextServices::TextServices(ITextHost* host) : m_host(host)
{
    ReadHost();
}

TextServices::~TextServices() = default;

// ---- IUnknown ----------------------------------------------------------------------------------

HRESULT TextServices::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    if (riid == IID_ITextServices || riid == IID_IUnknown) {
        *object = static_cast<ITextServices*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TextServices::AddRef()
{
    return ++m_refs;
}

ULONG TextServices::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

// ---- Host properties ---------------------------------------------------------------------------

void TextServices::ReadHost()
{
    DWORD bits = 0;
    m_host->TxGetPropertyBits(0xFFFFFFFF, &bits);
    m_bits = bits;
    DWORD limit = kDefaultLimit;
    if (SUCCEEDED(m_host->TxGetMaxLength(&limit)))
        m_maxLength = limit;
    m_host->TxGetScrollBars(&m_scrollBars);
    TXTBACKSTYLE style = TXTBACK_TRANSPARENT;
    m_host->TxGetBackStyle(&style);
    m_opaque = style == TXTBACK_OPAQUE;
    m_host->TxGetPasswordChar(&m_password);
    m_dpi = Dpi();
    RECT client {};
    if (SUCCEEDED(m_host->TxGetClientRect(&client)))
        m_client = client;
    ReadDefaultFormats();
}

void TextServices::ReadDefaultFormats()
{
    const CHARFORMAT2W* cf = nullptr;
    if (SUCCEEDED(m_host->TxGetCharFormat(&cf)) && cf) {
        CharFormat format = m_doc.Format(0);
        if (cf->dwMask & CFM_FACE)
            format.face.assign(cf->szFaceName, wcsnlen(cf->szFaceName, LF_FACESIZE));
        if (cf->dwMask & CFM_SIZE)
            format.height = cf->yHeight;
        const DWORD effects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
        format.effects = (format.effects & ~(cf->dwMask & effects)) | (cf->dwEffects & cf->dwMask & effects);
        if (cf->dwMask & CFM_COLOR)
            format.color = (cf->dwEffects & CFE_AUTOCOLOR) ? m_host->TxGetSysColor(COLOR_WINDOWTEXT) : cf->crTextColor;
        if (cf->dwMask & CFM_CHARSET)
            format.charSet = cf->bCharSet;
        format.pitchAndFamily = cf->bPitchAndFamily;
        m_doc.SetDefaultFormat(format);
    }
    const PARAFORMAT2* pf = nullptr;
    if (SUCCEEDED(m_host->TxGetParaFormat(&pf)) && pf && (pf->dwMask & PFM_ALIGNMENT) && pf->wAlignment != m_defaultAlign) {
        m_defaultAlign = pf->wAlignment;
        m_doc.DropLayouts();
    }
}

int TextServices::Dpi() const
{
    HDC dc = m_host->TxGetDC();
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    m_host->TxReleaseDC(dc);
    return dpi > 0 ? dpi : 96;
}

// ---- Editing -----------------------------------------------------------------------------------

bool TextServices::ReplaceSelection(std::wstring_view text, Origin origin, bool canUndo, bool typing)
{
    if (origin == Origin::User && Has(TXTBIT_READONLY))
        return false;
    std::wstring clean = NormalizeBreaks(text);
    if (!MultiLine())
        clean.resize(std::min(clean.size(), clean.find(L'\r')));
    const int from = SelMin(), to = SelMax();
    const LONG kept = m_doc.Length() - (to - from);
    const size_t room = static_cast<size_t>(std::max<LONG>(0, static_cast<LONG>(m_maxLength) - kept));
    if (clean.size() > room)
        clean.resize(room);
    if (clean.empty() && from == to) {
        if (origin == Origin::Program)
            Changed();
        return origin == Origin::Program;
    }
    const uint16_t format = m_doc.FormatAt(from);
    Piece insert { clean, std::vector<uint16_t>(clean.size(), format) };
    for (size_t i = 0; i < clean.size(); ++i)
        if (clean[i] == L'\r')
            insert.formats[i] = 0;
    Apply(from, to, insert, canUndo, typing);
    m_anchor = m_caret = from + static_cast<int>(clean.size());
    Changed();
    return true;
}

void TextServices::Apply(int from, int to, const Piece& insert, bool canUndo, bool typing)
{
    Piece removed = m_doc.Replace(from, to, insert);
    m_redo.clear();
    if (!canUndo) {
        m_undo.clear();
        m_undoOpen = false;
        return;
    }
    const bool joins = typing && m_undoOpen && !m_undo.empty() && m_undo.back().typing && removed.text.empty()
        && m_undo.back().at + static_cast<int>(m_undo.back().inserted.text.size()) == from;
    if (joins) {
        m_undo.back().inserted.text += insert.text;
        m_undo.back().inserted.formats.insert(m_undo.back().inserted.formats.end(), insert.formats.begin(),
                                              insert.formats.end());
    } else {
        PushUndo({ from, std::move(removed), insert, typing });
    }
    m_undoOpen = typing;
}

void TextServices::PushUndo(UndoStep step)
{
    if (m_undoLimit == 0)
        return;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > m_undoLimit)
        m_undo.erase(m_undo.begin());
}

void TextServices::Changed()
{
    m_modified = true;
    m_goalX = -1;
    UpdateScrollBars();
    ScrollToCaret();
    PlaceCaret();
    Invalidate();
    if (m_eventMask & ENM_CHANGE)
        m_host->TxNotify(EN_CHANGE, nullptr);
}

void TextServices::Select(int anchor, int caret, bool keepGoal)
{
    const int length = m_doc.Length();
    anchor = std::clamp(anchor, 0, length);
    caret = std::clamp(caret, 0, length);
    m_undoOpen = false;
    if (!keepGoal)
        m_goalX = -1;
    if (anchor == m_anchor && caret == m_caret)
        return;
    m_anchor = anchor;
    m_caret = caret;
    ScrollToCaret();
    PlaceCaret();
    Invalidate();
    if (m_eventMask & ENM_SELCHANGE) {
        SELCHANGE change {};
        change.nmhdr.code = EN_SELCHANGE;
        change.chrg = { SelMin(), SelMax() };
        change.seltyp = SelMin() == SelMax() ? SEL_EMPTY : SEL_TEXT;
        m_host->TxNotify(EN_SELCHANGE, &change);
    }
}

bool TextServices::Undo()
{
    if (m_undo.empty())
        return false;
    UndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    m_doc.Replace(step.at, step.at + static_cast<int>(step.inserted.text.size()), step.removed);
    m_anchor = step.at;
    m_caret = step.at + static_cast<int>(step.removed.text.size());
    m_redo.push_back(std::move(step));
    m_undoOpen = false;
    Changed();
    return true;
}

bool TextServices::Redo()
{
    if (m_redo.empty())
        return false;
    UndoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    m_doc.Replace(step.at, step.at + static_cast<int>(step.removed.text.size()), step.inserted);
    m_anchor = m_caret = step.at + static_cast<int>(step.inserted.text.size());
    m_undo.push_back(std::move(step));
    m_undoOpen = false;
    Changed();
    return true;
}

int TextServices::MoveWord(int from, bool forward) const
{
    const int length = m_doc.Length();
    auto at = [this](int cp) {
        const std::wstring c = m_doc.Text(cp, cp + 1);
        return ClassOf(c.empty() ? L'\r' : c[0]);
    };
    int cp = from;
    if (forward) {
        if (cp >= length)
            return length;
        const CharClass first = at(cp);
        while (cp < length && first != CharClass::Space && at(cp) == first)
            ++cp;
        while (cp < length && at(cp) == CharClass::Space)
            ++cp;
        return cp == from ? cp + 1 : cp;
    }
    while (cp > 0 && at(cp - 1) == CharClass::Space)
        --cp;
    if (cp == 0)
        return 0;
    const CharClass word = at(cp - 1);
    while (cp > 0 && at(cp - 1) == word)
        --cp;
    return cp;
}

void TextServices::SelectWordAt(int cp)
{
    const int length = m_doc.Length();
    if (length == 0)
        return;
    const int probe = std::min(cp, length - 1);
    auto at = [this](int i) {
        const std::wstring c = m_doc.Text(i, i + 1);
        return ClassOf(c.empty() ? L'\r' : c[0]);
    };
    const CharClass kind = at(probe);
    int start = probe, end = probe + 1;
    while (start > 0 && at(start - 1) == kind)
        --start;
    while (end < length && at(end) == kind)
        ++end;
    Select(start, end);
}

bool TextServices::Copy() const
{
    if (SelMin() == SelMax() || Has(TXTBIT_USEPASSWORD))
        return false;
    const std::wstring text = m_doc.Text(SelMin(), SelMax(), true);
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, const_cast<wchar_t*>(text.c_str()));
    CloseClipboard();
    return true;
}

bool TextServices::Paste()
{
    if (Has(TXTBIT_READONLY) || !OpenClipboard(nullptr))
        return false;
    const auto* data = static_cast<const wchar_t*>(GetClipboardData(CF_UNICODETEXT));
    const std::wstring text = data ? data : L"";
    CloseClipboard();
    return !text.empty() && ReplaceSelection(text, Origin::User, true);
}

// ---- Layout ------------------------------------------------------------------------------------

CairoPtr<PangoFontDescription> TextServices::Describe(const CharFormat& format) const
{
    CairoPtr<PangoFontDescription> owned(pango_font_description_new());
    PangoFontDescription* description = owned.get();
    pango_font_description_set_family(description, format.face.empty() ? "Sans" : WideToUtf8(format.face).c_str());
    double pixels = (format.height > 0 ? format.height : 180) * m_dpi / 1440.0;
    if (m_zoomNum > 0 && m_zoomDen > 0)
        pixels = pixels * m_zoomNum / m_zoomDen;
    pango_font_description_set_absolute_size(description, std::max(1.0, pixels) * PANGO_SCALE);
    pango_font_description_set_weight(description, (format.effects & CFE_BOLD) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, (format.effects & CFE_ITALIC) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return owned;
}

Paragraph& TextServices::Laid(int index)
{
    Paragraph& p = m_doc.ParagraphAt(index);
    if (p.layout)
        return p;
    std::lock_guard guard(TextLock());
    std::string utf8;
    utf8.reserve(p.text.size());
    p.byteOf.resize(p.text.size() + 1);
    const bool masked = Has(TXTBIT_USEPASSWORD);
    for (size_t i = 0; i < p.text.size(); ++i) {
        p.byteOf[i] = static_cast<int>(utf8.size());
        wchar_t c = masked ? (m_password ? m_password : kBullet) : p.text[i];
        AppendUtf8(utf8, static_cast<char32_t>(c == 0 ? L' ' : c));
    }
    p.byteOf[p.text.size()] = static_cast<int>(utf8.size());

    LayoutPtr owned(pango_layout_new(TextContext(true)));
    PangoLayout* layout = owned.get();
    const CharFormat& base = m_doc.Format(0);
    pango_layout_set_font_description(layout, Describe(base).get());
    const CairoPtr<PangoAttrList> ownedAttrs(pango_attr_list_new());
    PangoAttrList* attrs = ownedAttrs.get();
    auto addEffects = [&](const CharFormat& format, guint start, guint end) {
        if (format.effects & CFE_UNDERLINE) {
            PangoAttribute* a = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            a->start_index = start, a->end_index = end;
            pango_attr_list_insert(attrs, a);
        }
        if (format.effects & CFE_STRIKEOUT) {
            PangoAttribute* a = pango_attr_strikethrough_new(TRUE);
            a->start_index = start, a->end_index = end;
            pango_attr_list_insert(attrs, a);
        }
    };
    addEffects(base, 0, static_cast<guint>(utf8.size()));
    for (size_t i = 0; i < p.formats.size();) {
        size_t j = i;
        while (j < p.formats.size() && p.formats[j] == p.formats[i])
            ++j;
        if (p.formats[i] != 0) {
            const CharFormat& run = m_doc.Format(p.formats[i]);
            const guint start = static_cast<guint>(p.byteOf[i]), end = static_cast<guint>(p.byteOf[j]);
            PangoAttribute* font = pango_attr_font_desc_new(Describe(run).get());
            font->start_index = start, font->end_index = end;
            pango_attr_list_insert(attrs, font);
            PangoAttribute* color = pango_attr_foreground_new(GetRValue(run.color) * 257, GetGValue(run.color) * 257,
                                                              GetBValue(run.color) * 257);
            color->start_index = start, color->end_index = end;
            pango_attr_list_insert(attrs, color);
            addEffects(run, start, end);
        }
        i = j;
    }
    pango_layout_set_attributes(layout, attrs);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    pango_layout_set_alignment(layout, PangoAlign(p.align ? p.align : m_defaultAlign));
    if (Wraps()) {
        pango_layout_set_width(layout, std::max(1, ClientWidth()) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    p.height = logical.height;
    p.width = logical.x + logical.width;
    p.layout = std::move(owned);
    return p;
}

int TextServices::ContentHeight()
{
    int height = 0;
    for (int i = 0; i < m_doc.ParagraphCount(); ++i)
        height += Laid(i).height;
    return height;
}

int TextServices::ContentWidth()
{
    int width = 0;
    for (int i = 0; i < m_doc.ParagraphCount(); ++i)
        width = std::max(width, Laid(i).width);
    return width;
}

int TextServices::ParagraphTop(int index)
{
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += Laid(i).height;
    return top;
}

int TextServices::XOffset(int index)
{
    const Paragraph& p = Laid(index);
    const WORD align = p.align ? p.align : m_defaultAlign;
    const int room = ClientWidth() - p.width;
    if (Wraps() || room <= 0)
        return 0;
    return align == PFA_CENTER ? room / 2 : align == PFA_RIGHT ? room : 0;
}

int TextServices::LineHeight()
{
    const RECT box = CaretBox(m_caret);
    return std::max<LONG>(1, box.bottom - box.top);
}

RECT TextServices::CaretBox(int cp)
{
    const TextDocument::Position at = m_doc.Locate(cp);
    Paragraph& p = Laid(at.paragraph);
    PangoRectangle strong;
    {
        std::lock_guard guard(TextLock());
        pango_layout_get_cursor_pos(p.layout.get(), p.byteOf[static_cast<size_t>(at.offset)], &strong, nullptr);
    }
    const int x = XOffset(at.paragraph) + PANGO_PIXELS(strong.x);
    const int y = ParagraphTop(at.paragraph) + PANGO_PIXELS(strong.y);
    return { x, y, x + 1, y + std::max(1, PANGO_PIXELS(strong.height)) };
}

int TextServices::HitTest(POINT client)
{
    const int x = client.x - m_client.left + m_scrollX;
    const int y = client.y - m_client.top + m_scrollY;
    int top = 0, index = 0;
    for (; index < m_doc.ParagraphCount() - 1; ++index) {
        const int height = Laid(index).height;
        if (y < top + height)
            break;
        top += height;
    }
    Paragraph& p = Laid(index);
    int byte = 0, trailing = 0;
    {
        std::lock_guard guard(TextLock());
        pango_layout_xy_to_index(p.layout.get(), (x - XOffset(index)) * PANGO_SCALE, std::max(0, y - top) * PANGO_SCALE,
                                 &byte, &trailing);
    }
    const int offset = std::min(CharOfByte(p.byteOf, byte) + trailing, static_cast<int>(p.text.size()));
    return m_doc.StartOf(index) + std::max(0, offset);
}

int TextServices::DisplayLineCount()
{
    int count = 0;
    std::lock_guard guard(TextLock());
    for (int i = 0; i < m_doc.ParagraphCount(); ++i)
        count += pango_layout_get_line_count(Laid(i).layout.get());
    return count;
}

int TextServices::DisplayLineStart(int line)
{
    if (line < 0)
        return -1;
    std::lock_guard guard(TextLock());
    for (int i = 0; i < m_doc.ParagraphCount(); ++i) {
        Paragraph& p = Laid(i);
        const int lines = pango_layout_get_line_count(p.layout.get());
        if (line < lines) {
            PangoLayoutLine* l = pango_layout_get_line_readonly(p.layout.get(), line);
            return m_doc.StartOf(i) + CharOfByte(p.byteOf, l->start_index);
        }
        line -= lines;
    }
    return -1;
}

int TextServices::DisplayLineOf(int cp)
{
    const TextDocument::Position at = m_doc.Locate(cp);
    std::lock_guard guard(TextLock());
    int line = 0;
    for (int i = 0; i < at.paragraph; ++i)
        line += pango_layout_get_line_count(Laid(i).layout.get());
    Paragraph& p = Laid(at.paragraph);
    int inner = 0, x = 0;
    pango_layout_index_to_line_x(p.layout.get(), p.byteOf[static_cast<size_t>(at.offset)], FALSE, &inner, &x);
    return line + inner;
}

void TextServices::ScrollToCaret()
{
    if (ClientHeight() == 0 || ClientWidth() == 0)
        return;
    const RECT box = CaretBox(m_caret);
    int x = m_scrollX, y = m_scrollY;
    if (box.top < y)
        y = box.top;
    else if (box.bottom > y + ClientHeight())
        y = box.bottom - ClientHeight();
    if (!Wraps()) {
        if (box.left < x)
            x = box.left;
        else if (box.right > x + ClientWidth())
            x = box.right - ClientWidth();
    }
    SetScroll(x, y);
}

void TextServices::SetScroll(int x, int y)
{
    x = Wraps() ? 0 : std::clamp(x, 0, std::max(0, ContentWidth() + 1 - ClientWidth()));
    y = std::clamp(y, 0, std::max(0, ContentHeight() - ClientHeight()));
    if (x == m_scrollX && y == m_scrollY)
        return;
    const bool vertical = y != m_scrollY, horizontal = x != m_scrollX;
    m_scrollX = x;
    m_scrollY = y;
    if (vertical && m_vbarMade)
        m_host->TxSetScrollPos(SB_VERT, y, TRUE);
    if (horizontal && m_hbarMade)
        m_host->TxSetScrollPos(SB_HORZ, x, TRUE);
    PlaceCaret();
    Invalidate();
}

void TextServices::UpdateScrollBars()
{
    if (!m_inPlace)
        return;
    if (MultiLine() && (m_scrollBars & WS_VSCROLL)) {
        if (!m_vbarMade) {
            m_vbarMade = true;
            m_host->TxEnableScrollBar(SB_VERT, ESB_DISABLE_BOTH);
        }
        const int height = ContentHeight();
        if (height != m_reportedHeight || ClientHeight() != m_reportedClientH) {
            m_reportedHeight = height;
            m_reportedClientH = ClientHeight();
            m_host->TxSetScrollRange(SB_VERT, 0, height, TRUE);
        }
    }
    if (!Wraps() && (m_scrollBars & WS_HSCROLL)) {
        if (!m_hbarMade) {
            m_hbarMade = true;
            m_host->TxEnableScrollBar(SB_HORZ, ESB_DISABLE_BOTH);
        }
        const int width = ContentWidth();
        if (width != m_reportedWidth || ClientWidth() != m_reportedClientW) {
            m_reportedWidth = width;
            m_reportedClientW = ClientWidth();
            m_host->TxSetScrollRange(SB_HORZ, 0, width, TRUE);
        }
    }
    SetScroll(m_scrollX, m_scrollY);
}

void TextServices::PlaceCaret()
{
    if (!m_focused)
        return;
    const RECT box = CaretBox(m_caret);
    const int height = box.bottom - box.top;
    if (height != m_caretHeight) {
        m_caretHeight = height;
        m_host->TxCreateCaret(nullptr, 1, height);
        m_host->TxShowCaret(TRUE);
    }
    m_host->TxSetCaretPos(m_client.left + box.left - m_scrollX, m_client.top + box.top - m_scrollY);
}

void TextServices::Invalidate()
{
    if (m_inPlace)
        m_host->TxInvalidateRect(nullptr, FALSE);
}

// ---- Drawing -----------------------------------------------------------------------------------

void TextServices::DrawParagraph(cairo_t* cr, int index, int x, int y, bool showSelection)
{
    Paragraph& p = Laid(index);
    const int start = m_doc.StartOf(index);
    const int from = std::clamp(SelMin() - start, 0, static_cast<int>(p.text.size()));
    const int to = std::clamp(SelMax() - start, 0, static_cast<int>(p.text.size()));
    SetSourceColor(cr, m_doc.Format(0).color);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, p.layout.get());
    if (!showSelection || from >= to)
        return;
    ScopedCairoState saved(cr);
    const CairoPtr<PangoLayoutIter> owned(pango_layout_get_iter(p.layout.get()));
    PangoLayoutIter* iter = owned.get();
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        int top = 0, bottom = 0;
        pango_layout_iter_get_line_yrange(iter, &top, &bottom);
        int* ranges = nullptr;
        int count = 0;
        pango_layout_line_get_x_ranges(line, p.byteOf[static_cast<size_t>(from)], p.byteOf[static_cast<size_t>(to)], &ranges,
                                       &count);
        for (int i = 0; i < count; ++i)
            cairo_rectangle(cr, x + PANGO_PIXELS(ranges[2 * i]), y + PANGO_PIXELS(top),
                            PANGO_PIXELS(ranges[2 * i + 1] - ranges[2 * i]), PANGO_PIXELS(bottom - top));
        g_free(ranges);
    } while (pango_layout_iter_next_line(iter));
    cairo_clip(cr);
    SetSourceColor(cr, m_host->TxGetSysColor(COLOR_HIGHLIGHT));
    cairo_paint(cr);
    SetSourceColor(cr, m_host->TxGetSysColor(COLOR_HIGHLIGHTTEXT));
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, p.layout.get());
}

HRESULT TextServices::TxDraw(DWORD, LONG, void*, void*, HDC hdcDraw, HDC, LPCRECT lprcBounds, LPCRECT, LPRECT lprcUpdate,
                             void*, DWORD, LONG)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdcDraw);
    if (!dc)
        return E_INVALIDARG;
    if (lprcBounds && (lprcBounds->left != m_client.left || lprcBounds->top != m_client.top
                       || lprcBounds->right != m_client.right || lprcBounds->bottom != m_client.bottom)) {
        const int oldWidth = ClientWidth();
        m_client = *lprcBounds;
        if (Wraps() && oldWidth != ClientWidth())
            m_doc.DropLayouts();
    }
    RECT area = m_client;
    if (lprcUpdate && !IntersectRect(&area, &m_client, lprcUpdate))
        return S_OK;
    std::lock_guard guard(TextLock());
    AlphaGuard alpha(dc, area, AlphaGuard::Mode::Changed);
    Canvas canvas(dc);
    if (!canvas.Valid())
        return S_OK;
    cairo_t* cr = canvas.Get();
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_clip(cr);
    if (m_opaque) {
        SetSourceColor(cr, m_host->TxGetSysColor(COLOR_WINDOW));
        cairo_paint(cr);
    }
    const bool showSelection = m_focused || !(Has(TXTBIT_HIDESELECTION) || m_selectionHidden);
    int y = m_client.top - m_scrollY;
    for (int i = 0; i < m_doc.ParagraphCount() && y < area.bottom; ++i) {
        const int height = Laid(i).height;
        if (y + height > area.top)
            DrawParagraph(cr, i, m_client.left + XOffset(i) - m_scrollX, y, showSelection);
        y += height;
    }
    return S_OK;
}

// ---- Messages ----------------------------------------------------------------------------------

bool TextServices::OnKeyDown(WPARAM key)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    const int length = m_doc.Length();
    auto moveTo = [&](int cp, bool keepGoal = false) { Select(shift ? m_anchor : cp, cp, keepGoal); };
    auto vertical = [&](int dy) {
        const RECT box = CaretBox(m_caret);
        if (m_goalX < 0)
            m_goalX = box.left;
        const int y = dy < 0 ? box.top + dy : box.bottom - 1 + dy;
        if (y < 0 || y >= ContentHeight())
            return;
        const int goal = m_goalX;
        moveTo(HitTest({ m_client.left + goal - m_scrollX, m_client.top + y - m_scrollY }), true);
        m_goalX = goal;
    };
    switch (key) {
    case VK_LEFT:
        moveTo(!shift && SelMin() != SelMax() ? SelMin() : ctrl ? MoveWord(m_caret, false) : m_caret - 1);
        return true;
    case VK_RIGHT:
        moveTo(!shift && SelMin() != SelMax() ? SelMax() : ctrl ? MoveWord(m_caret, true) : m_caret + 1);
        return true;
    case VK_UP:
        vertical(-1);
        return true;
    case VK_DOWN:
        vertical(1);
        return true;
    case VK_PRIOR:
        vertical(-std::max(1, ClientHeight()));
        return true;
    case VK_NEXT:
        vertical(std::max(1, ClientHeight()));
        return true;
    case VK_HOME:
        moveTo(ctrl ? 0 : DisplayLineStart(DisplayLineOf(m_caret)));
        return true;
    case VK_END: {
        if (ctrl) {
            moveTo(length);
            return true;
        }
        const int next = DisplayLineStart(DisplayLineOf(m_caret) + 1);
        const TextDocument::Position at = m_doc.Locate(m_caret);
        const int paragraphEnd = m_doc.StartOf(at.paragraph) + static_cast<int>(m_doc.ParagraphAt(at.paragraph).text.size());
        moveTo(next < 0 || next > paragraphEnd ? paragraphEnd : next - 1);
        return true;
    }
    case VK_BACK:
    case VK_DELETE: {
        if (key == VK_DELETE && shift) {
            if (Copy())
                ReplaceSelection(L"", Origin::User, true);
            return true;
        }
        if (Has(TXTBIT_READONLY))
            return true;
        if (SelMin() == SelMax()) {
            const int edge = key == VK_BACK ? (ctrl ? MoveWord(m_caret, false) : m_caret - 1)
                                            : (ctrl ? MoveWord(m_caret, true) : m_caret + 1);
            if (edge < 0 || edge > length)
                return true;
            m_anchor = edge;
        }
        ReplaceSelection(L"", Origin::User, true);
        return true;
    }
    case VK_RETURN:
        if (MultiLine())
            ReplaceSelection(L"\r", Origin::User, true);
        return true;
    case VK_INSERT:
        if (ctrl)
            Copy();
        else if (shift)
            Paste();
        return true;
    default:
        break;
    }
    if (!ctrl)
        return false;
    switch (key) {
    case 'A':
        Select(0, length);
        return true;
    case 'C':
        Copy();
        return true;
    case 'X':
        if (!Has(TXTBIT_READONLY) && Copy())
            ReplaceSelection(L"", Origin::User, true);
        return true;
    case 'V':
        Paste();
        return true;
    case 'Z':
        Undo();
        return true;
    case 'Y':
        Redo();
        return true;
    default:
        return false;
    }
}

bool TextServices::OnChar(wchar_t c)
{
    if ((c < 0x20 && c != L'\t') || c == 0x7F)
        return false;
    if (Has(TXTBIT_READONLY))
        return true;
    MakeRoomToType();
    ReplaceSelection(std::wstring_view(&c, 1), Origin::User, true, true);
    return true;
}

// A full field takes typing as overwrite, so a new value can always be typed over the old one:
// the character after the caret gives way, or at the end the first one.
void TextServices::MakeRoomToType()
{
    const int length = m_doc.Length();
    if (SelMin() != SelMax() || length == 0 || length < static_cast<LONG>(m_maxLength))
        return;
    if (m_caret < length) {
        m_anchor = m_caret + 1;
        return;
    }
    Apply(0, 1, Piece {}, true, false);
    m_anchor = m_caret = length - 1;
}

void TextServices::OnMouse(UINT msg, WPARAM wparam, LPARAM lparam)
{
    const POINT pt { GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam) };
    switch (msg) {
    case WM_LBUTTONDOWN: {
        const int cp = HitTest(pt);
        Select((wparam & MK_SHIFT) ? m_anchor : cp, cp);
        m_dragging = true;
        m_host->TxSetCapture(TRUE);
        break;
    }
    case WM_MOUSEMOVE:
        if (m_dragging)
            Select(m_anchor, HitTest(pt));
        break;
    case WM_LBUTTONUP:
        if (m_dragging) {
            m_dragging = false;
            m_host->TxSetCapture(FALSE);
        }
        break;
    case WM_LBUTTONDBLCLK:
        SelectWordAt(HitTest(pt));
        break;
    case WM_RBUTTONDOWN: {
        const int cp = HitTest(pt);
        if (cp < SelMin() || cp > SelMax())
            Select(cp, cp);
        break;
    }
    default:
        break;
    }
}

void TextServices::OnScroll(bool vertical, WPARAM wparam)
{
    const int line = LineHeight();
    const int page = vertical ? std::max(1, ClientHeight()) : std::max(1, ClientWidth());
    int pos = vertical ? m_scrollY : m_scrollX;
    switch (LOWORD(wparam)) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = HIWORD(wparam); break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = vertical ? ContentHeight() : ContentWidth(); break;
    default: return;
    }
    if (vertical)
        SetScroll(m_scrollX, pos);
    else
        SetScroll(pos, m_scrollY);
}

LRESULT TextServices::GetTextEx(const GETTEXTEX* request, LPWSTR buffer) const
{
    if (!request || !buffer)
        return 0;
    const bool crlf = request->flags & GT_USECRLF;
    const std::wstring text = (request->flags & GT_SELECTION) ? m_doc.Text(SelMin(), SelMax(), crlf)
                                                              : m_doc.Text(0, m_doc.Length(), crlf);
    if (request->codepage != CP_UNICODE_TEXT) {
        const std::string utf8 = WideToUtf8(text);
        if (request->cb == 0)
            return 0;
        const size_t count = std::min<size_t>(utf8.size(), request->cb - 1);
        std::copy_n(utf8.begin(), count, reinterpret_cast<char*>(buffer));
        reinterpret_cast<char*>(buffer)[count] = 0;
        return static_cast<LRESULT>(count);
    }
    const size_t room = request->cb / sizeof(wchar_t);
    if (room == 0)
        return 0;
    const size_t count = std::min(text.size(), room - 1);
    CopyOut(text.substr(0, count), buffer);
    return static_cast<LRESULT>(count);
}

LRESULT TextServices::GetLine(int line, LPWSTR buffer) const
{
    auto* self = const_cast<TextServices*>(this);
    const int start = self->DisplayLineStart(line);
    if (!buffer || start < 0)
        return 0;
    const size_t room = static_cast<size_t>(buffer[0]);
    const int next = self->DisplayLineStart(line + 1);
    const TextDocument::Position at = m_doc.Locate(start);
    const int paragraphEnd = m_doc.StartOf(at.paragraph) + static_cast<int>(m_doc.ParagraphAt(at.paragraph).text.size());
    const int end = next < 0 || next > paragraphEnd ? paragraphEnd : next;
    std::wstring text = m_doc.Text(start, end);
    text.resize(std::min(text.size(), room));
    std::copy(text.begin(), text.end(), buffer);
    return static_cast<LRESULT>(text.size());
}

LRESULT TextServices::CharFormatMessage(UINT msg, WPARAM wparam, CHARFORMAT2W* cf)
{
    if (!cf)
        return 0;
    const DWORD all = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (msg == EM_GETCHARFORMAT) {
        const CharFormat& f = m_doc.Format(wparam == SCF_DEFAULT ? 0 : m_doc.FormatAt(SelMin() + (SelMin() < SelMax())));
        const UINT size = cf->cbSize;
        *cf = {};
        cf->cbSize = size;
        cf->dwMask = all;
        cf->dwEffects = f.effects;
        cf->yHeight = f.height;
        cf->crTextColor = f.color;
        cf->bCharSet = f.charSet;
        cf->bPitchAndFamily = f.pitchAndFamily;
        const size_t n = std::min<size_t>(f.face.size(), LF_FACESIZE - 1);
        std::copy_n(f.face.begin(), n, cf->szFaceName);
        cf->szFaceName[n] = 0;
        return cf->dwMask;
    }
    auto merged = [cf](CharFormat f) {
        if (cf->dwMask & CFM_FACE)
            f.face.assign(cf->szFaceName, wcsnlen(cf->szFaceName, LF_FACESIZE));
        if (cf->dwMask & CFM_SIZE)
            f.height = cf->yHeight;
        if (cf->dwMask & CFM_COLOR)
            f.color = cf->crTextColor;
        if (cf->dwMask & CFM_CHARSET)
            f.charSet = cf->bCharSet;
        const DWORD bits = cf->dwMask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT);
        f.effects = (f.effects & ~bits) | (cf->dwEffects & bits);
        if (cf->dwMask & CFM_WEIGHT)
            f.effects = cf->wWeight >= FW_BOLD ? (f.effects | CFE_BOLD) : (f.effects & ~CFE_BOLD);
        return f;
    };
    if (wparam == SCF_DEFAULT) {
        m_doc.SetDefaultFormat(merged(m_doc.Format(0)));
    } else {
        if ((wparam & SCF_WORD) && SelMin() == SelMax())
            SelectWordAt(m_caret);
        const int from = (wparam & SCF_ALL) ? 0 : SelMin(), to = (wparam & SCF_ALL) ? m_doc.Length() : SelMax();
        for (int cp = from; cp < to; ++cp) {
            const CharFormat f = merged(m_doc.Format(m_doc.FormatAt(cp + 1)));
            m_doc.SetFormats(cp, cp + 1, f == m_doc.Format(0) ? 0 : m_doc.Intern(f));
        }
    }
    UpdateScrollBars();
    PlaceCaret();
    Invalidate();
    return 1;
}

LRESULT TextServices::ParaFormatMessage(UINT msg, PARAFORMAT2* pf)
{
    if (!pf)
        return 0;
    const TextDocument::Position first = m_doc.Locate(SelMin()), last = m_doc.Locate(SelMax());
    if (msg == EM_GETPARAFORMAT) {
        const WORD align = m_doc.ParagraphAt(first.paragraph).align;
        const UINT size = pf->cbSize;
        *pf = {};
        pf->cbSize = size;
        pf->dwMask = PFM_ALIGNMENT;
        pf->wAlignment = align ? align : m_defaultAlign;
        return pf->dwMask;
    }
    if (!(pf->dwMask & PFM_ALIGNMENT))
        return 1;
    for (int i = first.paragraph; i <= last.paragraph; ++i) {
        m_doc.ParagraphAt(i).align = pf->wAlignment;
        m_doc.ParagraphAt(i).layout.reset();
    }
    UpdateScrollBars();
    PlaceCaret();
    Invalidate();
    return 1;
}

HRESULT TextServices::TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult)
{
    LRESULT result = 0;
    HRESULT handled = S_OK;
    switch (msg) {
    case WM_CHAR:
    case WM_IME_CHAR:
        handled = OnChar(static_cast<wchar_t>(wparam)) ? S_OK : S_FALSE;
        break;
    case WM_KEYDOWN:
        handled = OnKeyDown(wparam) ? S_OK : S_FALSE;
        break;
    case WM_MOUSEMOVE:
        // Hovering is left to the window (enter, leave, cursor); only a drag selects.
        handled = m_dragging ? S_OK : S_FALSE;
        OnMouse(msg, wparam, lparam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        OnMouse(msg, wparam, lparam);
        break;
    case WM_RBUTTONUP:
        handled = S_FALSE;  // the window turns it into WM_CONTEXTMENU
        break;
    case WM_MOUSEWHEEL: {
        const int steps = static_cast<SHORT>(HIWORD(wparam)) / WHEEL_DELTA;
        if (LOWORD(wparam) & MK_CONTROL) {
            int tenths = (m_zoomNum > 0 && m_zoomDen > 0) ? m_zoomNum * 10 / m_zoomDen : 10;
            tenths = std::clamp(tenths + steps, 1, 64);
            TxSendMessage(EM_SETZOOM, static_cast<WPARAM>(tenths), 10, nullptr);
        } else {
            SetScroll(m_scrollX, m_scrollY - steps * 3 * LineHeight());
        }
        break;
    }
    case WM_SETCURSOR:
        m_host->TxSetCursor(LoadCursor(nullptr, IDC_IBEAM), TRUE);
        break;
    case WM_SETFOCUS:
        m_focused = true;
        m_caretHeight = 0;
        PlaceCaret();
        Invalidate();
        break;
    case WM_KILLFOCUS:
        m_focused = false;
        m_dragging = false;
        m_host->TxShowCaret(FALSE);
        Invalidate();
        break;
    case WM_TIMER:
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
        OnScroll(msg == WM_VSCROLL, wparam);
        break;
    case WM_SETTEXT:
        TxSetText(reinterpret_cast<LPCWSTR>(lparam));
        result = TRUE;
        break;
    case WM_GETTEXT: {
        const GETTEXTEX request { static_cast<DWORD>(wparam * sizeof(wchar_t)), GT_USECRLF, CP_UNICODE_TEXT, nullptr, nullptr };
        result = GetTextEx(&request, reinterpret_cast<LPWSTR>(lparam));
        break;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(m_doc.Text(0, m_doc.Length(), true).size());
        break;
    case WM_COPY:
        Copy();
        break;
    case WM_CUT:
        if (!Has(TXTBIT_READONLY) && Copy())
            ReplaceSelection(L"", Origin::User, true);
        break;
    case WM_PASTE:
        Paste();
        break;
    case WM_CLEAR:
        ReplaceSelection(L"", Origin::User, true);
        break;
    case EM_GETTEXTEX:
        result = GetTextEx(reinterpret_cast<const GETTEXTEX*>(wparam), reinterpret_cast<LPWSTR>(lparam));
        break;
    case EM_GETTEXTLENGTHEX: {
        const auto* request = reinterpret_cast<const GETTEXTLENGTHEX*>(wparam);
        const bool crlf = request && (request->flags & GTL_USECRLF);
        result = static_cast<LRESULT>(m_doc.Length() + (crlf ? m_doc.ParagraphCount() - 1 : 0));
        break;
    }
    case EM_GETLINE:
        result = GetLine(static_cast<int>(wparam), reinterpret_cast<LPWSTR>(lparam));
        break;
    case EM_GETLINECOUNT:
        result = DisplayLineCount();
        break;
    case EM_LINEINDEX:
        result = DisplayLineStart(static_cast<int>(wparam) < 0 ? DisplayLineOf(m_caret) : static_cast<int>(wparam));
        break;
    case EM_LINELENGTH: {
        const int cp = static_cast<int>(wparam) < 0 ? m_caret : static_cast<int>(wparam);
        const int line = DisplayLineOf(cp);
        const int start = DisplayLineStart(line), next = DisplayLineStart(line + 1);
        const TextDocument::Position at = m_doc.Locate(start);
        const int end = m_doc.StartOf(at.paragraph) + static_cast<int>(m_doc.ParagraphAt(at.paragraph).text.size());
        result = (next < 0 || next > end ? end : next) - start;
        break;
    }
    case EM_EXLINEFROMCHAR:
        result = DisplayLineOf(static_cast<int>(lparam));
        break;
    case EM_LINEFROMCHAR:
        result = DisplayLineOf(static_cast<int>(wparam) < 0 ? m_caret : static_cast<int>(wparam));
        break;
    case EM_LINESCROLL:
        SetScroll(m_scrollX + static_cast<int>(wparam) * LineHeight() / 2, m_scrollY + static_cast<int>(lparam) * LineHeight());
        result = TRUE;
        break;
    case EM_SCROLLCARET:
        ScrollToCaret();
        break;
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lparam))
            *range = { SelMin(), SelMax() };
        break;
    case EM_GETSEL:
        if (auto* start = reinterpret_cast<DWORD*>(wparam))
            *start = static_cast<DWORD>(SelMin());
        if (auto* end = reinterpret_cast<DWORD*>(lparam))
            *end = static_cast<DWORD>(SelMax());
        result = MAKELONG(static_cast<WORD>(std::min(SelMin(), 0xFFFF)), static_cast<WORD>(std::min(SelMax(), 0xFFFF)));
        break;
    case EM_EXSETSEL:
    case EM_SETSEL: {
        CHARRANGE range {};
        if (msg == EM_SETSEL)
            range = { static_cast<LONG>(wparam), static_cast<LONG>(lparam) };
        else if (lparam)
            range = *reinterpret_cast<const CHARRANGE*>(lparam);
        const int length = m_doc.Length();
        if (range.cpMin < 0) {
            const int at = range.cpMax < 0 ? length : SelMax();
            Select(at, at);
        } else {
            Select(range.cpMin, range.cpMax < 0 || range.cpMax > length ? length : range.cpMax);
        }
        result = SelMax();
        break;
    }
    case EM_GETSELTEXT:
        if (auto* buffer = reinterpret_cast<LPWSTR>(lparam)) {
            const std::wstring text = m_doc.Text(SelMin(), SelMax());
            CopyOut(text, buffer);
            result = static_cast<LRESULT>(text.size());
        }
        break;
    case EM_GETTEXTRANGE:
        if (auto* range = reinterpret_cast<TEXTRANGEW*>(lparam); range && range->lpstrText) {
            const int length = m_doc.Length();
            const int to = range->chrg.cpMax < 0 ? length : std::min<int>(range->chrg.cpMax, length);
            const int from = std::clamp<int>(range->chrg.cpMin, 0, length);
            const std::wstring text = from < to ? m_doc.Text(from, to) : std::wstring();
            CopyOut(text, range->lpstrText);
            result = static_cast<LRESULT>(text.size());
        }
        break;
    case EM_SELECTIONTYPE:
        result = SelMin() == SelMax() ? SEL_EMPTY : (SEL_TEXT | (SelMax() - SelMin() > 1 ? SEL_MULTICHAR : 0));
        break;
    case EM_REPLACESEL:
        ReplaceSelection(lparam ? reinterpret_cast<LPCWSTR>(lparam) : L"", Origin::Program, wparam != 0);
        break;
    case EM_CANUNDO:
        result = !m_undo.empty();
        break;
    case EM_CANREDO:
        result = !m_redo.empty();
        break;
    case EM_UNDO:
        result = Undo();
        break;
    case EM_REDO:
        result = Redo();
        break;
    case EM_EMPTYUNDOBUFFER:
        m_undo.clear();
        m_redo.clear();
        m_undoOpen = false;
        break;
    case EM_SETUNDOLIMIT:
        m_undoLimit = wparam;
        if (m_undo.size() > m_undoLimit)
            m_undo.erase(m_undo.begin(), m_undo.begin() + static_cast<long>(m_undo.size() - m_undoLimit));
        result = static_cast<LRESULT>(wparam);
        break;
    case EM_CANPASTE:
        result = IsClipboardFormatAvailable(CF_UNICODETEXT) ? 1 : 0;
        break;
    case EM_GETMODIFY:
        result = m_modified;
        break;
    case EM_SETMODIFY:
        m_modified = wparam != 0;
        break;
    case EM_HIDESELECTION:
        m_selectionHidden = wparam != 0;
        Invalidate();
        break;
    case EM_CHARFROMPOS:
        if (const auto* pt = reinterpret_cast<const POINT*>(lparam))
            result = HitTest(*pt);
        break;
    case EM_POSFROMCHAR:
        if (auto* pt = reinterpret_cast<POINT*>(wparam)) {
            const RECT box = CaretBox(static_cast<int>(lparam));
            *pt = { m_client.left + box.left - m_scrollX, m_client.top + box.top - m_scrollY };
        }
        break;
    case EM_GETZOOM:
        if (auto* num = reinterpret_cast<int*>(wparam))
            *num = m_zoomNum;
        if (auto* den = reinterpret_cast<int*>(lparam))
            *den = m_zoomDen;
        result = TRUE;
        break;
    case EM_SETZOOM: {
        const int num = static_cast<int>(wparam), den = static_cast<int>(lparam);
        const bool off = num == 0 && den == 0;
        if (!off && (num <= 0 || den <= 0 || num > 64 * den || den > 64 * num))
            break;
        m_zoomNum = num;
        m_zoomDen = den;
        m_doc.DropLayouts();
        UpdateScrollBars();
        PlaceCaret();
        Invalidate();
        result = TRUE;
        break;
    }
    case EM_AUTOURLDETECT:
        m_autoUrl = wparam != 0;
        break;
    case EM_GETAUTOURLDETECT:
        result = m_autoUrl;
        break;
    case EM_GETEVENTMASK:
        result = m_eventMask;
        break;
    case EM_SETEVENTMASK:
        result = m_eventMask;
        m_eventMask = static_cast<DWORD>(lparam);
        break;
    case EM_GETCHARFORMAT:
    case EM_SETCHARFORMAT:
        result = CharFormatMessage(msg, wparam, reinterpret_cast<CHARFORMAT2W*>(lparam));
        break;
    case EM_GETPARAFORMAT:
    case EM_SETPARAFORMAT:
        result = ParaFormatMessage(msg, reinterpret_cast<PARAFORMAT2*>(lparam));
        break;
    case EM_STREAMIN:
    case EM_STREAMOUT:
        result = Stream(msg == EM_STREAMIN, wparam, reinterpret_cast<EDITSTREAM*>(lparam));
        break;
    case EM_LIMITTEXT:
    case EM_EXLIMITTEXT: {
        const LPARAM limit = msg == EM_LIMITTEXT ? static_cast<LPARAM>(wparam) : lparam;
        m_maxLength = limit > 0 ? static_cast<DWORD>(limit) : kDefaultLimit;
        break;
    }
    case EM_SETREADONLY:
        m_bits = wparam ? (m_bits | TXTBIT_READONLY) : (m_bits & ~TXTBIT_READONLY);
        result = TRUE;
        break;
    case EM_SETLANGOPTIONS:
        break;
    case EM_REQUESTRESIZE: {
        REQRESIZE request {};
        request.nmhdr.code = EN_REQUESTRESIZE;
        request.rc = { 0, 0, ContentWidth(), ContentHeight() };
        if (m_eventMask & ENM_REQUESTRESIZE)
            m_host->TxNotify(EN_REQUESTRESIZE, &request);
        break;
    }
    default:
        handled = S_FALSE;
        break;
    }
    if (plresult)
        *plresult = result;
    return handled;
}

LRESULT TextServices::Stream(bool in, WPARAM format, EDITSTREAM* stream)
{
    if (!stream || !stream->pfnCallback)
        return 0;
    const bool selection = format & SFF_SELECTION;
    if (!in) {
        const int from = selection ? SelMin() : 0, to = selection ? SelMax() : m_doc.Length();
        std::vector<WORD> aligns;
        const TextDocument::Position a = m_doc.Locate(from), b = m_doc.Locate(to);
        for (int i = a.paragraph; i <= b.paragraph; ++i)
            aligns.push_back(m_doc.ParagraphAt(i).align ? m_doc.ParagraphAt(i).align : m_defaultAlign);
        const std::string bytes = (format & SF_RTF) ? WriteRtf(m_doc, m_doc.Copy(from, to), aligns)
                                                    : WritePlain(m_doc.Text(from, to, true), format & SF_UNICODE);
        return static_cast<LRESULT>(WriteStream(*stream, bytes));
    }
    std::string bytes;
    if (!ReadStream(*stream, &bytes))
        return 0;
    if (!selection)
        Select(0, m_doc.Length());
    if (!(format & SF_RTF)) {
        const std::wstring text = ReadPlain(bytes, format & SF_UNICODE);
        ReplaceSelection(text, Origin::Program, false);
        return static_cast<LRESULT>(text.size());
    }
    RtfContent content = ReadRtf(bytes, m_doc.Format(0), m_doc);
    const int from = SelMin();
    ReplaceSelection(content.piece.text, Origin::Program, false);
    if (SelMax() - from == static_cast<int>(content.piece.text.size())) {
        for (size_t i = 0; i < content.piece.formats.size(); ++i)
            m_doc.SetFormats(from + static_cast<int>(i), from + static_cast<int>(i) + 1, content.piece.formats[i]);
        const int first = m_doc.Locate(from).paragraph;
        for (size_t i = 0; i < content.aligns.size() && first + static_cast<int>(i) < m_doc.ParagraphCount(); ++i)
            m_doc.ParagraphAt(first + static_cast<int>(i)).align = content.aligns[i];
        m_doc.DropLayouts();
        UpdateScrollBars();
        Invalidate();
    }
    return static_cast<LRESULT>(content.piece.text.size());
}

// ---- The rest of ITextServices -----------------------------------------------------------------

HRESULT TextServices::TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled)
{
    if (plMin) *plMin = 0;
    if (plMax) *plMax = ContentWidth();
    if (plPos) *plPos = m_scrollX;
    if (plPage) *plPage = ClientWidth();
    if (pfEnabled) *pfEnabled = ContentWidth() > ClientWidth();
    return S_OK;
}

HRESULT TextServices::TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled)
{
    if (plMin) *plMin = 0;
    if (plMax) *plMax = ContentHeight();
    if (plPos) *plPos = m_scrollY;
    if (plPage) *plPage = ClientHeight();
    if (pfEnabled) *pfEnabled = ContentHeight() > ClientHeight();
    return S_OK;
}

HRESULT TextServices::OnTxSetCursor(DWORD, LONG, void*, void*, HDC, HDC, LPCRECT lprcClient, INT x, INT y)
{
    const RECT area = lprcClient ? *lprcClient : m_client;
    const POINT pt { x, y };
    if (PtInRect(&area, pt))
        m_host->TxSetCursor(LoadCursor(nullptr, IDC_IBEAM), TRUE);
    return S_OK;
}

HRESULT TextServices::OnTxInPlaceActivate(LPCRECT prcClient)
{
    ReadHost();
    if (prcClient)
        m_client = *prcClient;
    m_inPlace = true;
    UpdateScrollBars();
    Invalidate();
    return S_OK;
}

HRESULT TextServices::OnTxInPlaceDeactivate()
{
    if (m_focused)
        m_host->TxShowCaret(FALSE);
    m_inPlace = false;
    return S_OK;
}

HRESULT TextServices::TxGetText(std::wstring* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = m_doc.Text(0, m_doc.Length());
    return S_OK;
}

HRESULT TextServices::TxSetText(LPCWSTR pszText)
{
    m_anchor = 0;
    m_caret = m_doc.Length();
    ReplaceSelection(pszText ? pszText : L"", Origin::Program, false);
    m_anchor = m_caret = 0;
    m_modified = false;
    m_scrollX = m_scrollY = 0;
    UpdateScrollBars();
    PlaceCaret();
    return S_OK;
}

HRESULT TextServices::TxGetNaturalSize(DWORD, HDC, HDC, void*, DWORD, const SIZEL*, LONG* pwidth, LONG* pheight)
{
    if (!pwidth || !pheight)
        return E_INVALIDARG;
    const int width = *pwidth;
    LONG height = 0, widest = 0;
    std::lock_guard guard(TextLock());
    for (int i = 0; i < m_doc.ParagraphCount(); ++i) {
        Paragraph& p = Laid(i);
        if (!Wraps() || width == ClientWidth()) {
            height += p.height;
            widest = std::max<LONG>(widest, p.width);
            continue;
        }
        const LayoutPtr copy(pango_layout_copy(p.layout.get()));
        pango_layout_set_width(copy.get(), std::max(1, width) * PANGO_SCALE);
        PangoRectangle logical;
        pango_layout_get_pixel_extents(copy.get(), nullptr, &logical);
        height += logical.height;
        widest = std::max<LONG>(widest, logical.x + logical.width);
    }
    *pwidth = widest;
    *pheight = height;
    return S_OK;
}

HRESULT TextServices::TxGetDropTarget(void** ppDropTarget)
{
    if (ppDropTarget)
        *ppDropTarget = nullptr;
    return E_NOTIMPL;
}

HRESULT TextServices::OnTxPropertyBitsChange(DWORD, DWORD)
{
    const int oldWidth = ClientWidth();
    const DWORD oldBits = m_bits;
    const WCHAR oldPassword = m_password;
    ReadHost();
    const DWORD shaping = TXTBIT_WORDWRAP | TXTBIT_MULTILINE | TXTBIT_USEPASSWORD;
    if ((Wraps() && oldWidth != ClientWidth()) || ((oldBits ^ m_bits) & shaping) || oldPassword != m_password)
        m_doc.DropLayouts();
    UpdateScrollBars();
    PlaceCaret();
    Invalidate();
    return S_OK;
}

}  // namespace platform::richedit

HRESULT CreateTextServices(IUnknown* punkOuter, ITextHost* pITextHost, IUnknown** ppUnk)
{
    if (!ppUnk)
        return E_INVALIDARG;
    *ppUnk = nullptr;
    if (punkOuter || !pITextHost)
        return E_INVALIDARG;  // no aggregation: the host uses the services as they are
    *ppUnk = new platform::richedit::TextServices(pITextHost);
    return S_OK;
}
