// GDI text: measuring, DrawText's layout flags, and pixels of Latin and Chinese text.

#include "platform/WinGdi.h"
#include "platform/gdi/TextCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

class TextCanvas {
public:
    TextCanvas(int width, int height, const wchar_t* face = L"Tahoma", int pixels = -14, LONG weight = FW_NORMAL)
        : m_width(width), m_height(height)
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        SelectObject(m_dc, m_bitmap);
        LOGFONTW lf {};
        lf.lfHeight = pixels;
        lf.lfWeight = weight;
        std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        m_font = CreateFontIndirect(&lf);
        SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
        SetTextColor(m_dc, RGB(255, 255, 255));
    }
    ~TextCanvas()
    {
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
        DeleteObject(m_font);
    }
    HDC dc() const { return m_dc; }
    uint32_t at(int x, int y) const { return m_bits[y * m_width + x]; }
    // Bounding box of the pixels that are not 0.
    RECT Ink() const
    {
        RECT box { m_width, m_height, -1, -1 };
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (at(x, y)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    SIZE Extent(const wchar_t* text) const
    {
        SIZE size {};
        GetTextExtentPoint32(m_dc, text, static_cast<int>(std::wcslen(text)), &size);
        return size;
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HFONT m_font = nullptr;
    uint32_t* m_bits = nullptr;
};

TEST(TextDraw, ExtentsGrowWithLengthAndFontSize)
{
    TextCanvas small(10, 10, L"Arial", -12), large(10, 10, L"Arial", -24);
    const SIZE one = small.Extent(L"Hello"), two = small.Extent(L"Hello, world");
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(two.cx, one.cx);
    EXPECT_EQ(one.cy, two.cy);
    EXPECT_GT(large.Extent(L"Hello").cx, one.cx);
    EXPECT_GT(large.Extent(L"Hello").cy, one.cy);
    EXPECT_EQ(small.Extent(L"").cx, 0);
    EXPECT_GT(small.Extent(L"").cy, 0) << "an empty text still has the line height";
}

// The skins name Windows faces: each must land on the installed font meant for it (same
// extents as asking for that font by its own name).
TEST(TextDraw, WindowsFacesResolveToInstalledFonts)
{
    struct Case {
        const wchar_t* face;
        const wchar_t* installed;
    };
    const Case cases[] = {
        { L"微软雅黑", L"WenQuanYi Micro Hei" },
        { L"Microsoft YaHei", L"WenQuanYi Micro Hei" },
        { L"宋体", L"WenQuanYi Micro Hei" },
        { L"Arial", L"DejaVu Sans" },
        { L"Tahoma", L"DejaVu Sans" },
    };
    const wchar_t* sample = L"Quill 视频 0123";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.installed);
        TextCanvas alias(4, 4, c.face, -15), real(4, 4, c.installed, -15);
        EXPECT_EQ(alias.Extent(sample).cx, real.Extent(sample).cx);
    }
    TextCanvas sans(4, 4, L"DejaVu Sans", -15), cjk(4, 4, L"WenQuanYi Micro Hei", -15);
    EXPECT_NE(sans.Extent(sample).cx, cjk.Extent(sample).cx) << "the sample tells the two fonts apart";
}

TEST(TextDraw, MetricsFollowTheLogFont)
{
    TextCanvas normal(4, 4, L"Tahoma", -20), bold(4, 4, L"Tahoma", -20, FW_BOLD);
    TEXTMETRICW tm {};
    ASSERT_TRUE(GetTextMetrics(normal.dc(), &tm));
    EXPECT_GE(tm.tmHeight, 20);
    EXPECT_LT(tm.tmHeight, 30);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    TEXTMETRICW tb {};
    ASSERT_TRUE(GetTextMetrics(bold.dc(), &tb));
    EXPECT_EQ(tb.tmWeight, FW_BOLD);
    EXPECT_GT(bold.Extent(L"Wide text").cx, normal.Extent(L"Wide text").cx);

    // A positive height is the cell height (ascent + descent).
    LOGFONTW lf {};
    lf.lfHeight = 30;
    std::wcscpy(lf.lfFaceName, L"Arial");
    HFONT cell = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(normal.dc(), cell);
    ASSERT_TRUE(GetTextMetrics(normal.dc(), &tm));
    EXPECT_NEAR(tm.tmHeight, 30, 1);
    SelectObject(normal.dc(), old);
    LOGFONTW back {};
    ASSERT_EQ(GetObject(cell, sizeof back, &back), static_cast<int>(sizeof back));
    EXPECT_EQ(back.lfHeight, 30);
    EXPECT_STREQ(back.lfFaceName, L"Arial");
    DeleteObject(cell);
}

TEST(TextDraw, ChineseTextMeasuresAndDrawsWithTheAlphaByteLeftZero)
{
    TextCanvas canvas(200, 40, L"微软雅黑", -16);
    const SIZE size = canvas.Extent(L"视频编辑器");
    EXPECT_GT(size.cx, 5 * 10);
    EXPECT_GT(size.cy, 10);
    RECT rect { 0, 0, 200, 40 };
    DrawText(canvas.dc(), L"视频编辑器", -1, &rect, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    const RECT ink = canvas.Ink();
    ASSERT_LT(ink.left, ink.right) << "no pixels drawn";
    EXPECT_GT(ink.right - ink.left, 5 * 10);
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x)
            ASSERT_EQ(canvas.at(x, y) >> 24, 0u) << "GDI text leaves alpha 0 at " << x << "," << y;
}

TEST(TextDraw, UnderlineAndQualityShowInThePixels)
{
    auto draw = [](BYTE underline, BYTE quality, RECT* ink, bool* onlyFullPixels) {
        TextCanvas canvas(120, 40, L"Arial", -16);
        LOGFONTW lf {};
        lf.lfHeight = -16;
        lf.lfUnderline = underline;
        lf.lfQuality = quality;
        std::wcscpy(lf.lfFaceName, L"Arial");
        HFONT font = CreateFontIndirect(&lf);
        HGDIOBJ old = SelectObject(canvas.dc(), font);
        TextOut(canvas.dc(), 4, 4, L"ace", 3);  // no descenders: an underline shows below the ink
        SelectObject(canvas.dc(), old);
        DeleteObject(font);
        *ink = canvas.Ink();
        *onlyFullPixels = true;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                *onlyFullPixels = *onlyFullPixels && (canvas.at(x, y) == 0 || canvas.at(x, y) == 0x00FFFFFFu);
    };
    RECT plain {}, underlined {}, sharp {};
    bool plainFull = false, underlinedFull = false, sharpFull = false;
    draw(0, ANTIALIASED_QUALITY, &plain, &plainFull);
    draw(1, ANTIALIASED_QUALITY, &underlined, &underlinedFull);
    draw(0, NONANTIALIASED_QUALITY, &sharp, &sharpFull);
    EXPECT_GT(underlined.bottom, plain.bottom);
    EXPECT_FALSE(plainFull) << "anti-aliased edges blend";
    EXPECT_TRUE(sharpFull) << "non-antialiased text is all or nothing";
}

TEST(TextDraw, CalcRectWithWordBreakGivesMoreLinesWhenNarrower)
{
    TextCanvas canvas(4, 4, L"Arial", -14);
    const wchar_t* text = L"The quick brown fox jumps over the lazy dog again and again";
    RECT wide { 0, 0, 2000, 0 }, narrow { 0, 0, 100, 0 };
    const int wideHeight = DrawText(canvas.dc(), text, -1, &wide, DT_CALCRECT | DT_WORDBREAK);
    const int narrowHeight = DrawText(canvas.dc(), text, -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GT(narrowHeight, 2 * wideHeight);
    EXPECT_EQ(narrow.bottom, narrowHeight);
    EXPECT_LE(narrow.right, 100);
    // Without a word break there is one line, as wide as the text.
    RECT single { 0, 0, 100, 0 };
    DrawText(canvas.dc(), text, -1, &single, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(single.right, canvas.Extent(text).cx);
    EXPECT_EQ(single.bottom, wideHeight);
    // An edit control shows whole lines only: a box a line and a half high shows one line.
    TextCanvas edit(100, 100, L"Arial", -14), plain(100, 100, L"Arial", -14);
    RECT box { 0, 0, 100, wideHeight * 3 / 2 };
    DrawText(edit.dc(), text, -1, &box, DT_WORDBREAK | DT_EDITCONTROL);
    DrawText(plain.dc(), text, -1, &box, DT_WORDBREAK);
    EXPECT_LE(edit.Ink().bottom, wideHeight);
    EXPECT_GT(plain.Ink().bottom, wideHeight);
    // A Chinese sentence breaks between characters.
    RECT cjk { 0, 0, 60, 0 };
    const int lineHeight = DrawText(canvas.dc(), L"视", -1, &cjk, DT_CALCRECT | DT_WORDBREAK);
    cjk = { 0, 0, 60, 0 };
    EXPECT_GT(DrawText(canvas.dc(), L"视频编辑器视频编辑器", -1, &cjk, DT_CALCRECT | DT_WORDBREAK), 2 * lineHeight);
}

TEST(TextDraw, EndEllipsisFitsTheRectangle)
{
    TextCanvas canvas(400, 30, L"Arial", -14);
    const wchar_t* text = L"A rather long caption that cannot fit";
    RECT rect { 10, 0, 90, 30 };
    DrawText(canvas.dc(), text, -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    RECT ink = canvas.Ink();
    ASSERT_LT(ink.left, ink.right);
    EXPECT_LE(ink.right, 90) << "the ellipsis keeps the text inside";
    TextCanvas plain(400, 30, L"Arial", -14);
    DrawText(plain.dc(), text, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(plain.Ink().right, 90) << "without it the text runs on";
    TextCanvas clipped(400, 30, L"Arial", -14);
    DrawText(clipped.dc(), text, -1, &rect, DT_SINGLELINE);
    EXPECT_LE(clipped.Ink().right, 90) << "clipped to the rectangle";
}

TEST(TextDraw, AlignmentPlacesTheLine)
{
    struct Case {
        UINT format;
        int minLeft, maxRight, minTop, maxBottom;
    };
    // A short word in a 200 x 100 box.
    const Case cases[] = {
        { DT_SINGLELINE | DT_LEFT | DT_TOP, 0, 60, 0, 30 },
        { DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, 140, 200, 70, 100 },
        { DT_SINGLELINE | DT_CENTER | DT_VCENTER, 70, 130, 30, 70 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        TextCanvas canvas(200, 100, L"Arial", -16);
        RECT rect { 0, 0, 200, 100 };
        DrawText(canvas.dc(), L"Word", -1, &rect, c.format);
        const RECT ink = canvas.Ink();
        EXPECT_GE(ink.left, c.minLeft);
        EXPECT_LE(ink.right, c.maxRight);
        EXPECT_GE(ink.top, c.minTop);
        EXPECT_LE(ink.bottom, c.maxBottom);
    }
}

TEST(TextDraw, PrefixAmpersandIsNotDrawnUnlessNoPrefix)
{
    TextCanvas canvas(4, 4, L"Arial", -14);
    RECT prefixed { 0, 0, 0, 0 }, bare { 0, 0, 0, 0 }, literal { 0, 0, 0, 0 };
    DrawText(canvas.dc(), L"&Open", -1, &prefixed, DT_CALCRECT | DT_SINGLELINE);
    DrawText(canvas.dc(), L"Open", -1, &bare, DT_CALCRECT | DT_SINGLELINE);
    DrawText(canvas.dc(), L"&Open", -1, &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(prefixed.right, bare.right);
    EXPECT_GT(literal.right, bare.right);
}

TEST(TextDraw, OpaqueBackgroundFillsTheTextCell)
{
    TextCanvas canvas(100, 30, L"Arial", -14);
    SetBkMode(canvas.dc(), OPAQUE);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    SetTextColor(canvas.dc(), RGB(255, 255, 255));
    TextOut(canvas.dc(), 0, 0, L"ii", 2);
    EXPECT_EQ(canvas.at(1, 1), 0x000000FFu) << "background colour, alpha 0";
    EXPECT_EQ(canvas.at(80, 1), 0u) << "beyond the text";
}

// Export jobs render text on their own threads while the UI thread paints.
TEST(TextDraw, ThreadsDrawTextAtOnce)
{
    auto draw = [](const wchar_t* face, int* inkWidth) {
        for (int i = 0; i < 20; ++i) {
            TextCanvas canvas(120, 30, face, -12 - i % 4);
            RECT rect { 0, 0, 120, 30 };
            const std::wstring text = L"线程 " + std::to_wstring(i);
            DrawText(canvas.dc(), text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER);
            const RECT ink = canvas.Ink();
            *inkWidth = std::min<int>(*inkWidth, ink.right - ink.left);
        }
    };
    int first = 1000, second = 1000;
    std::thread other(draw, L"宋体", &second);
    draw(L"Arial", &first);
    other.join();
    EXPECT_GT(first, 10);
    EXPECT_GT(second, 10);
}

// Replaces every copy of a name in a font file's bytes (ASCII and UTF-16BE) with another of the
// same length: a font with a family name nobody has installed.
void Rename(std::vector<char>& bytes, const std::string& from, const std::string& to)
{
    auto replaceAll = [&bytes](const std::string& a, const std::string& b) {
        for (auto it = std::search(bytes.begin(), bytes.end(), a.begin(), a.end()); it != bytes.end();
             it = std::search(it + a.size(), bytes.end(), a.begin(), a.end()))
            std::copy(b.begin(), b.end(), it);
    };
    auto utf16 = [](const std::string& text) {
        std::string out;
        for (char c : text)
            out += std::string(1, '\0') + c;
        return out;
    };
    replaceAll(from, to);
    replaceAll(utf16(from), utf16(to));
}

TEST(TextDraw, FontsFromMemoryAreUsableByTheirFamily)
{
    const std::filesystem::path home = std::filesystem::temp_directory_path() / ("textdraw-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    // The fonts go to files under TMPDIR; the next tests of this program get theirs back.
    struct TmpDirSwap {
        std::string previous;
        bool had { false };
        explicit TmpDirSwap(const std::filesystem::path& dir)
        {
            if (const char* now = std::getenv("TMPDIR")) {
                previous = now;
                had = true;
            }
            setenv("TMPDIR", dir.c_str(), 1);
        }
        ~TmpDirSwap()
        {
            if (had)
                setenv("TMPDIR", previous.c_str(), 1);
            else
                unsetenv("TMPDIR");
        }
    } swap(home);
    std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", std::ios::binary);
    ASSERT_TRUE(file) << "fonts-dejavu-core is installed by the set-up script";
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Rename(bytes, "DejaVu Sans Mono", "QuillTestMonoFnt");
    auto width = [](const wchar_t* face) { return TextCanvas(4, 4, face, -14).Extent(L"iiiiiiii").cx; };
    const LONG mono = width(L"DejaVu Sans Mono");
    ASSERT_NE(width(L"QuillTestMonoFnt"), mono) << "not installed yet: another font stands in";

    DWORD count = 0;
    HANDLE font = AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &count);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(width(L"QuillTestMonoFnt"), mono);
    EXPECT_TRUE(RemoveFontMemResourceEx(font));
    EXPECT_NE(width(L"QuillTestMonoFnt"), mono);
    EXPECT_FALSE(RemoveFontMemResourceEx(font));

    char junk[64] = "not a font";
    EXPECT_EQ(AddFontMemResourceEx(junk, sizeof junk, nullptr, &count), nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(AddFontMemResourceEx(nullptr, 0, nullptr, &count), nullptr);
    std::filesystem::remove_all(home);
}

}  // namespace

// Text is drawn from a coverage mask kept with its cached layout; the pixels are those of drawing
// it glyph by glyph (no mask kept), when the mask is made and when it is reused: hinted and
// single-bit text, underlined, Latin and Chinese.
TEST(TextDraw, KeptInkMasksGiveThePixelsOfGlyphDrawing)
{
    struct Case {
        BYTE quality;
        BYTE underline;
        const wchar_t* text;
    };
    const Case cases[] = {
        { DEFAULT_QUALITY, FALSE, L"Quick jig fox" },
        { DEFAULT_QUALITY, TRUE, L"Clip \u89c6\u9891 7" },
        { NONANTIALIASED_QUALITY, TRUE, L"Sharp &edge" },
    };
    constexpr int kW = 180, kH = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << int(c.quality) << " underline " << int(c.underline));
        auto draw = [&] {
            TextCanvas canvas(kW, kH);
            LOGFONTW lf {};
            lf.lfHeight = -15;
            lf.lfQuality = c.quality;
            lf.lfUnderline = c.underline;
            std::wcsncpy(lf.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
            HFONT font = CreateFontIndirect(&lf);
            HGDIOBJ old = SelectObject(canvas.dc(), font);
            RECT rc { 3, 2, kW - 3, kH - 2 };
            DrawText(canvas.dc(), c.text, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            SelectObject(canvas.dc(), old);
            DeleteObject(font);
            std::vector<uint32_t> pixels;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    pixels.push_back(canvas.at(x, y));
            return pixels;
        };
        platform::ClearLayoutCache();
        const int64_t limit = platform::SetInkMaskLimit(0);
        const std::vector<uint32_t> glyphs = draw();
        platform::SetInkMaskLimit(limit);
        platform::ClearLayoutCache();
        const std::vector<uint32_t> made = draw(), reused = draw();
        EXPECT_GT(std::count_if(glyphs.begin(), glyphs.end(), [](uint32_t p) { return p != 0; }), 50);
        for (const std::vector<uint32_t>* masked : { &made, &reused }) {
            int worst = 0;
            for (size_t i = 0; i < glyphs.size(); ++i)
                for (int shift = 0; shift < 32; shift += 8)
                    worst = std::max(worst, std::abs(int((glyphs[i] >> shift) & 0xFF) - int(((*masked)[i] >> shift) & 0xFF)));
            EXPECT_LE(worst, 1);
        }
    }
}
