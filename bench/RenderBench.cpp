// The render engine on a 1280x800 memory frame, each subject against a baseline from the same run:
//  - 200 nine-grid buttons (a 30x30 translucent image, 4-pixel corners, drawn at 100x30) against
//    200 plain AlphaBlend stretches of the whole image (one blit each instead of nine);
//  - 100 tagged-text labels (bold, colour, a link; two passes per line) against 100 DrawText
//    calls of the same words without tags;
//  - decoding a 256x256 PNG into a premultiplied bitmap against stb_image's decoding alone.
// Report the ratios subject/baseline.

#include "platform/WinGdi.h"
#include "ui/core/RenderEngine.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

using SkinUI::CRenderEngine;
using SkinUI::HtmlFont;

namespace {

constexpr int kWidth = 1280, kHeight = 800;

void Append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

std::vector<unsigned char> Png(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(0x80000000u | uint32_t(x * 7 % 256) | (uint32_t(y * 5 % 256) << 8));
    std::vector<unsigned char> out;
    stbi_write_png_to_func(Append, &out, width, height, 4, pixels.data(), width * 4);
    return out;
}

class BenchHost : public SkinUI::IRenderHost {
public:
    explicit BenchHost(HDC dc) : m_dc(dc) { m_default = Make(false, false, false); }
    ~BenchHost() override
    {
        for (HtmlFont& font : m_fonts)
            DeleteObject(font.hFont);
    }
    const HtmlFont* GetDefaultFont() override { return m_default; }
    const HtmlFont* GetFontById(int) override { return m_default; }
    const HtmlFont* GetFontByStyle(const wchar_t*, int, bool bold, bool underline, bool italic) override
    {
        for (const HtmlFont& font : m_fonts)
            if (font.bBold == bold && font.bUnderline == underline && font.bItalic == italic)
                return &font;
        return Make(bold, underline, italic);
    }
    const SkinUI::TImageInfo* GetImage(const wchar_t*, const wchar_t*, DWORD) override { return nullptr; }
    DWORD GetLinkColor() override { return 0xFF0000FF; }
    DWORD GetLinkHoverColor() override { return 0xFFD3215F; }
    DWORD GetSelectedBkColor() override { return 0xFFBAE4FF; }
    POINT GetMousePos() override { return { -1, -1 }; }
    bool IsLayered() override { return false; }
    HFONT DefaultFont() const { return m_default->hFont; }

private:
    const HtmlFont* Make(bool bold, bool underline, bool italic)
    {
        HtmlFont font;
        font.hFont = CreateFont(-12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, 0, DEFAULT_CHARSET, 0, 0, 0,
                                0, L"DejaVu Sans");
        font.sFontName = L"DejaVu Sans";
        font.iSize = 12;
        font.bBold = bold;
        font.bUnderline = underline;
        font.bItalic = italic;
        HGDIOBJ old = SelectObject(m_dc, font.hFont);
        GetTextMetrics(m_dc, &font.tm);
        SelectObject(m_dc, old);
        m_fonts.push_back(font);
        return &m_fonts.back();
    }
    HDC m_dc;
    std::deque<HtmlFont> m_fonts;
    const HtmlFont* m_default = nullptr;
};

struct Frame {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    Frame()
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
    }
    ~Frame()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

RECT ButtonRect(int i)
{
    const int x = (i % 12) * 105, y = (i / 12) * 40;
    return { x, y, x + 100, y + 30 };
}

void BM_NineGridButtons(benchmark::State& state)
{
    Frame frame;
    const std::vector<unsigned char> png = Png(30, 30);
    SkinUI::TImageInfo* image = CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0);
    const RECT all { 0, 0, kWidth, kHeight }, part { 0, 0, 30, 30 }, corners { 4, 4, 4, 4 };
    for (auto _ : state)
        for (int i = 0; i < 200; ++i)
            CRenderEngine::DrawImage(frame.dc, image->hBitmap, ButtonRect(i), all, part, corners, true);
    CRenderEngine::FreeImage(image);
}

void BM_StretchBaseline(benchmark::State& state)
{
    Frame frame;
    const std::vector<unsigned char> png = Png(30, 30);
    SkinUI::TImageInfo* image = CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, image->hBitmap);
    const BLENDFUNCTION blend { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    for (auto _ : state)
        for (int i = 0; i < 200; ++i) {
            const RECT rc = ButtonRect(i);
            AlphaBlend(frame.dc, rc.left, rc.top, 100, 30, source, 0, 0, 30, 30, blend);
        }
    SelectObject(source, old);
    DeleteDC(source);
    CRenderEngine::FreeImage(image);
}

void BM_HtmlLabels(benchmark::State& state)
{
    Frame frame;
    BenchHost host(frame.dc);
    for (auto _ : state)
        for (int i = 0; i < 100; ++i) {
            RECT rc { (i % 4) * 320, (i / 4) * 32, (i % 4) * 320 + 300, (i / 4) * 32 + 30 };
            int none = 0;
            CRenderEngine::DrawHtmlText(frame.dc, host, rc, L"<b>Clip</b> length <c #FF0000>00:42</c>, see <a h>help</a>",
                                        0xFF000000, nullptr, nullptr, none, DT_SINGLELINE);
        }
}

void BM_DrawTextBaseline(benchmark::State& state)
{
    Frame frame;
    BenchHost host(frame.dc);
    SelectObject(frame.dc, host.DefaultFont());
    SetBkMode(frame.dc, TRANSPARENT);
    for (auto _ : state)
        for (int i = 0; i < 100; ++i) {
            RECT rc { (i % 4) * 320, (i / 4) * 32, (i % 4) * 320 + 300, (i / 4) * 32 + 30 };
            DrawText(frame.dc, L"Clip length 00:42, see help", -1, &rc, DT_SINGLELINE);
        }
}

void BM_DecodePremultiplied(benchmark::State& state)
{
    const std::vector<unsigned char> png = Png(256, 256);
    for (auto _ : state)
        CRenderEngine::FreeImage(CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0));
}

void BM_DecodeBaseline(benchmark::State& state)
{
    const std::vector<unsigned char> png = Png(256, 256);
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_image_free(stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &n, 4));
    }
}

}  // namespace

BENCHMARK(BM_NineGridButtons)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HtmlLabels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTextBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePremultiplied)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
