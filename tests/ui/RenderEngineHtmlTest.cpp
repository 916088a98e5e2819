// Tagged text: line structure and link rectangles for a table of strings in a pinned monospaced
// font, then pixels where only pixels show the behaviour (colours, frames, hover, selection).

#include "RenderEngineTest.h"

#include <deque>

using namespace rendertest;
using SkinUI::CRenderEngine;
using SkinUI::CUIString;
using SkinUI::HtmlFont;

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b);
}

constexpr const wchar_t* kFace = L"DejaVu Sans Mono";
constexpr int kSize = 14;

// Fonts made on demand by style, all kept until the host goes: the renderer may hold any of them.
class FontHost : public ImageHost {
public:
    FontHost() : m_dc(::CreateCompatibleDC(nullptr)) { m_default = Make(kFace, kSize, false, false, false); }
    ~FontHost() override
    {
        for (HtmlFont& font : m_fonts)
            ::DeleteObject(font.hFont);
        ::DeleteDC(m_dc);
    }
    const HtmlFont* GetDefaultFont() override { return m_default; }
    const HtmlFont* GetFontById(int id) override { return id == 1 ? GetFontByStyle(kFace, 20, true, false, false) : m_default; }
    const HtmlFont* GetFontByStyle(const wchar_t* face, int size, bool bold, bool underline, bool italic) override
    {
        for (const HtmlFont& font : m_fonts)
            if (font.sFontName == face && font.iSize == size && font.bBold == bold && font.bUnderline == underline
                && font.bItalic == italic)
                return &font;
        ++made;
        return Make(face, size, bold, underline, italic);
    }
    POINT GetMousePos() override { return mouse; }

    POINT mouse { -1, -1 };
    int made = 0;

    // Width of a text in the default font (or a bold one).
    int Width(const wchar_t* text, bool bold = false)
    {
        const HtmlFont* font = bold ? GetFontByStyle(kFace, kSize, true, false, false) : m_default;
        HGDIOBJ old = ::SelectObject(m_dc, font->hFont);
        SIZE size {};
        ::GetTextExtentPoint32(m_dc, text, static_cast<int>(wcslen(text)), &size);
        ::SelectObject(m_dc, old);
        return size.cx;
    }
    int LineHeight() const { return m_default->tm.tmHeight + m_default->tm.tmExternalLeading; }

private:
    const HtmlFont* Make(const wchar_t* face, int size, bool bold, bool underline, bool italic)
    {
        HtmlFont font;
        font.hFont = ::CreateFont(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, 0, DEFAULT_CHARSET,
                                  0, 0, 0, 0, face);
        font.sFontName = face;
        font.iSize = size;
        font.bBold = bold;
        font.bUnderline = underline;
        font.bItalic = italic;
        HGDIOBJ old = ::SelectObject(m_dc, font.hFont);
        ::GetTextMetrics(m_dc, &font.tm);
        ::SelectObject(m_dc, old);
        m_fonts.push_back(font);
        return &m_fonts.back();
    }

    HDC m_dc;
    std::deque<HtmlFont> m_fonts;
    const HtmlFont* m_default = nullptr;
};

struct Measured {
    RECT rc;
    int lines;
};

Measured Measure(FontHost& host, const wchar_t* text, int width, UINT style = DT_WORDBREAK)
{
    Canvas canvas(8, 8);
    RECT rc { 0, 0, width, 1000 };
    int none = 0;
    CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, text, 0xFF000000, nullptr, nullptr, none, style | DT_CALCRECT);
    return { rc, (rc.bottom - rc.top) / host.LineHeight() };
}

}  // namespace

TEST(RenderEngineHtml, LineStructureOfTaggedStrings)
{
    FontHost host;
    const int w = host.Width(L"x");  // every character of the monospaced face
    ASSERT_GT(w, 0);
    struct Case {
        const wchar_t* text;
        int boxChars;  // box width in characters (plus one pixel), 0 for 9999 pixels
        UINT style;
        int lines;
        int widthChars;  // -1: not checked
    };
    const Case cases[] = {
        { L"hello", 0, 0, 1, 5 },
        { L"a\nb", 0, 0, 2, 1 },
        { L"a<n>bc", 0, 0, 2, 2 },
        { L"a{n}bc", 0, DT_SINGLELINE, 1, 3 },          // <n> does nothing on a single line
        { L"aaa bbb ccc", 5, DT_WORDBREAK, 3, 4 },      // breaks after the blanks
        { L"abcdefghij", 3, DT_WORDBREAK, 4, 3 },       // a long word breaks at the box edge
        { L"<r><b></r>", 0, 0, 1, 3 },                  // raw text is drawn literally
        { L"<{>x<}>{<}{>}", 0, 0, 1, 5 },               // escapes
        { L"<q>ab</q>", 0, 0, 1, 2 },                   // unknown letters are skipped
        { L"ab<p>cd</p>ef", 0, 0, 3, 2 },               // paragraphs start and end lines
        { L"", 0, 0, 1, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text '" << CUIString(c.text).GetData() << "'");
        const int width = c.boxChars ? c.boxChars * w + 1 : 9999;
        const Measured m = Measure(host, c.text, width, c.style);
        EXPECT_EQ(m.rc.bottom, c.lines * host.LineHeight());
        if (c.widthChars >= 0) {
            EXPECT_EQ(m.rc.right, c.widthChars * w);
        }
    }
    // A box narrower than one character still takes one character per line.
    EXPECT_EQ(Measure(host, L"abcd", w / 2).lines, 4);
    // <x> moves the pen, <y> sets the line height.
    EXPECT_EQ(Measure(host, L"<x 10>ab", 9999).rc.right, 10 + 2 * w);
    EXPECT_EQ(Measure(host, L"ab<y 40>", 9999).rc.bottom, 40);
}

TEST(RenderEngineHtml, ClosingTagsPopWhetherOrNotTheirTagPushed)
{
    FontHost host;
    const int boldX = host.Width(L"x", true), normalY = host.Width(L"y");
    EXPECT_EQ(Measure(host, L"{b}bold{/b}", 9999).rc.right, Measure(host, L"<b>bold</b>", 9999).rc.right);
    // The second <b> pushes nothing, so the first </b> already returns to the normal font.
    EXPECT_EQ(Measure(host, L"<b><b>x</b>y</b>", 9999).rc.right, boldX + normalY);
    EXPECT_EQ(Measure(host, L"</b></c></a>ab", 9999).rc.right, 2 * host.Width(L"x"));
    // Each style variant is made once and kept.
    host.made = 0;
    Measure(host, L"<u>a</u><u>b</u><i>c</i><i>d</i>", 9999);
    EXPECT_EQ(host.made, 2);
}

TEST(RenderEngineHtml, LinksAreRecordedPerLinePiece)
{
    FontHost host;
    const int w = host.Width(L"x"), h = host.LineHeight();
    Canvas canvas(400, 200);
    RECT links[3] {};
    CUIString targets[3];
    {
        RECT rc { 0, 0, 400, 200 };
        int count = 2;  // the third link is drawn but not recorded
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"<a one>ab</a> <a two>cde</a> <a three>f</a>",
                                    0xFF000000, links, targets, count, 0);
        ASSERT_EQ(count, 2);
        EXPECT_EQ(targets[0], L"one");
        EXPECT_EQ(targets[1], L"two");
        EXPECT_TRUE(SameRect(links[0], RECT { 0, 0, 2 * w, h }));
        EXPECT_TRUE(SameRect(links[1], RECT { 3 * w, 0, 6 * w, h }));
    }
    {
        // A link that wraps takes one slot per line, each with the same target.
        RECT rc { 0, 0, 5 * w + 1, 200 };
        int count = 3;
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"<a go>abcd efgh</a>", 0xFF000000, links, targets, count,
                                    DT_WORDBREAK);
        ASSERT_EQ(count, 2);
        EXPECT_EQ(targets[0], L"go");
        EXPECT_EQ(targets[1], L"go");
        EXPECT_TRUE(SameRect(links[0], RECT { 0, 0, 5 * w, h })) << links[0].right << " " << links[0].bottom;
        EXPECT_TRUE(SameRect(links[1], RECT { 0, h, 4 * w, 2 * h })) << links[1].right << " " << links[1].bottom;
    }
}

TEST(RenderEngineHtml, ColoursFramesSelectionAndHover)
{
    FontHost host;
    const int w = host.Width(L"x"), h = host.LineHeight();
    auto inks = [&](const Canvas& canvas, int left, int right, uint32_t colour) {
        int found = 0;
        for (int y = 0; y < h; ++y)
            for (int x = left; x < right; ++x)
                found += (canvas.At(x, y) & 0xFFFFFF) == colour;
        return found;
    };
    {
        Canvas canvas(200, 40);
        RECT rc { 0, 0, 200, 40 };
        int none = 0;
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"<c #FF0000>MM</c>MM", 0xFF000000, nullptr, nullptr, none,
                                    0);
        EXPECT_GT(inks(canvas, 0, 2 * w, 0xFF0000), 0);
        EXPECT_EQ(inks(canvas, 2 * w, 4 * w, 0xFF0000), 0);
        EXPECT_GT(inks(canvas, 2 * w, 4 * w, 0x000000), 0);  // the text colour again
    }
    {
        // <i name count index>: one frame of a horizontal strip; an index out of range is frame 0.
        host.Add(L"ico.png", [] {
            std::vector<uint32_t> px;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 12; ++x)
                    px.push_back(x < 4 ? Rgba(255, 0, 0) : x < 8 ? Rgba(0, 255, 0) : Rgba(0, 0, 255));
            const auto png = EncodePng(12, 4, px);
            return CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0);
        }());
        for (auto [tag, colour] : { std::pair { L"<i ico.png 3 1>", 0xFF00FF00u }, { L"<i ico.png 3 5>", 0xFFFF0000u },
                                    { L"<i file='ico.png'>", 0xFFFF0000u } }) {
            Canvas canvas(40, 40);
            RECT rc { 0, 0, 40, 40 };
            int none = 0;
            CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, tag, 0xFF000000, nullptr, nullptr, none, 0);
            const int centre = h / 2;  // the 4-pixel image sits centred on the line
            EXPECT_EQ(canvas.At(1, centre), colour) << CUIString(tag).GetData();
        }
    }
    {
        Canvas canvas(200, 40);
        RECT rc { 0, 0, 200, 40 };
        int none = 0;
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"<s>sel</s> no", 0xFF000000, nullptr, nullptr, none, 0);
        EXPECT_GT(inks(canvas, 0, 3 * w, 0xBAE4FF), 0);  // the selected background
        EXPECT_EQ(inks(canvas, 4 * w, 6 * w, 0xBAE4FF), 0);
    }
    {
        // The mouse over a recorded link: every link with that target takes the hover colour.
        RECT links[2] {};
        CUIString targets[2];
        for (int pass = 0; pass < 2; ++pass) {
            Canvas canvas(200, 40);
            RECT rc { 0, 0, 200, 40 };
            int count = 2;
            CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"<a t>MM</a>M<a t>MM</a>", 0, links, targets, count,
                                        0);
            ASSERT_EQ(count, 2);
            const uint32_t hover = 0xD3215F, link = 0x0000FF;
            EXPECT_EQ(inks(canvas, 3 * w, 5 * w, hover) > 0, pass == 1);
            EXPECT_EQ(inks(canvas, 0, 2 * w, link) > 0, pass == 0);
            host.mouse = { links[0].left + 1, links[0].top + 1 };
        }
    }
}

TEST(RenderEngineHtml, AlignmentEllipsisAndMeasuringDrawNothing)
{
    FontHost host;
    const int w = host.Width(L"x");
    {
        Canvas canvas(100, 40, 0xFFFFFFFF);
        RECT rc { 0, 0, 9999, 100 };
        int none = 0;
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"two\nlines", 0xFF000000, nullptr, nullptr, none,
                                    DT_CALCRECT);
        EXPECT_EQ(rc.right, 5 * w);
        EXPECT_EQ(rc.bottom, 2 * host.LineHeight());
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(canvas.At(x, host.LineHeight() / 2), 0xFFFFFFFFu);
    }
    {
        // A single line is centred as a whole through the pre-pass: the box itself moves.
        Canvas canvas(100, 40);
        RECT rc { 0, 0, 100, 40 };
        int none = 0;
        CRenderEngine::DrawHtmlText(canvas.dc(), host, rc, L"ab", 0xFF000000, nullptr, nullptr, none,
                                    DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        EXPECT_EQ(rc.left, 50 - w);
        EXPECT_EQ(rc.right, 50 + w);
        EXPECT_EQ(rc.top, 20 - host.LineHeight() / 2);
    }
    {
        // Without DT_SINGLELINE every run is centred on its own.
        Canvas drawn(100, 60, 0xFFFFFFFF), expected(100, 60, 0xFFFFFFFF);
        RECT rc { 0, 0, 100, 60 };
        int none = 0;
        CRenderEngine::DrawHtmlText(drawn.dc(), host, rc, L"ab\nabcd", 0xFF000000, nullptr, nullptr, none, DT_CENTER);
        HGDIOBJ old = ::SelectObject(expected.dc(), host.GetDefaultFont()->hFont);
        ::SetBkMode(expected.dc(), TRANSPARENT);
        ::TextOut(expected.dc(), (100 - 2 * w) / 2, 0, L"ab", 2);
        ::TextOut(expected.dc(), (100 - 4 * w) / 2, host.LineHeight(), L"abcd", 4);
        ::SelectObject(expected.dc(), old);
        int differ = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                differ += drawn.At(x, y) != expected.At(x, y);
        EXPECT_EQ(differ, 0);
    }
    {
        // The ellipsis drops the last one or two characters that fit and draws "..." after them.
        Canvas drawn(200, 40, 0xFFFFFFFF), expected(200, 40, 0xFFFFFFFF);
        RECT rc { 0, 0, 5 * w + 1, 40 };
        int none = 0;
        CRenderEngine::DrawHtmlText(drawn.dc(), host, rc, L"abcdefghij", 0xFF000000, nullptr, nullptr, none,
                                    DT_SINGLELINE | DT_END_ELLIPSIS);
        HGDIOBJ old = ::SelectObject(expected.dc(), host.GetDefaultFont()->hFont);
        ::SetBkMode(expected.dc(), TRANSPARENT);
        ::TextOut(expected.dc(), 0, 0, L"abc", 3);
        ::TextOut(expected.dc(), 3 * w, 0, L"...", 3);
        ::SelectObject(expected.dc(), old);
        int differ = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 5 * w + 1; ++x)
                differ += drawn.At(x, y) != expected.At(x, y);
        EXPECT_EQ(differ, 0);
    }
}
