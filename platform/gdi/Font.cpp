// Fonts: LOGFONT records resolved to Pango font descriptions, their metrics, and fonts loaded
// from memory (written to a private folder and added to fontconfig for this process only).

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/TextEngine.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr int kDefaultPixelHeight = 12;

std::wstring FaceName(const LOGFONTW& font)
{
    size_t length = 0;
    while (length < LF_FACESIZE && font.lfFaceName[length])
        ++length;
    return std::wstring(font.lfFaceName, length);
}

// Ascent + descent in pixels of a description at its current size.
double CellHeight(const PangoFontDescription* description)
{
    CairoPtr<PangoFontMetrics> metrics(pango_context_get_metrics(TextContext(true), description, nullptr));
    return (pango_font_metrics_get_ascent(metrics.get()) + pango_font_metrics_get_descent(metrics.get())) / double(PANGO_SCALE);
}

}  // namespace

FontObject::FontObject(const LOGFONTW& logFont) : GdiObject(GdiKind::Font), m_logFont(logFont)
{
    m_description.reset(pango_font_description_new());
    PangoFontDescription* description = m_description.get();
    std::wstring face = FaceName(logFont);
    if (!face.empty() && face.front() == L'@')
        face.erase(0, 1);  // vertical-writing variants of CJK faces draw as the face itself
    pango_font_description_set_family(description, face.empty() ? "Sans" : WideToUtf8(face).c_str());
    const LONG weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::clamp<LONG>(logFont.lfWeight, 100, 1000);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(description, logFont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Negative: the character (em) height. Positive: the cell height, ascent + descent.
    const int height = logFont.lfHeight == 0 ? kDefaultPixelHeight : std::abs(logFont.lfHeight);
    pango_font_description_set_absolute_size(description, height * double { PANGO_SCALE });
    if (logFont.lfHeight > 0) {
        std::lock_guard guard(TextLock());
        const double cell = CellHeight(description);
        if (cell > 0)
            pango_font_description_set_absolute_size(description, std::max(1.0, height * height / cell) * PANGO_SCALE);
    }
    UpdateKey();
}

// Fonts that lay out alike share one key, so the text cache serves fonts made anew per paint.
void FontObject::UpdateKey()
{
    char* description = pango_font_description_to_string(m_description.get());
    m_key = description;
    g_free(description);
    m_key += '|' + std::to_string(m_logFont.lfUnderline != 0) + std::to_string(m_logFont.lfStrikeOut != 0)
        + std::to_string(m_logFont.lfQuality == NONANTIALIASED_QUALITY);
}

FontObject::FontObject(const LOGFONTW& logFont, double pixelSize) : FontObject(logFont)
{
    pango_font_description_set_absolute_size(m_description.get(), std::max(1.0, pixelSize) * PANGO_SCALE);
    UpdateKey();
}

bool FontObject::CachedMetrics(unsigned generation, TEXTMETRICW* metrics) const
{
    if (m_metricsGeneration != generation)
        return false;
    *metrics = m_metrics;
    return true;
}

void FontObject::CacheMetrics(unsigned generation, const TEXTMETRICW& metrics) const
{
    m_metrics = metrics;
    m_metricsGeneration = generation;
}

HFONT DefaultGuiFont()
{
    LOGFONTW font {};
    font.lfHeight = -kDefaultPixelHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(font.lfFaceName, L"宋体", LF_FACESIZE - 1);
    return static_cast<HFONT>(RegisterStockObject(std::make_shared<FontObject>(font)));
}

std::shared_ptr<FontObject> FontOfDC(DeviceContext* dc)
{
    if (dc && dc->Current().font)
        return dc->Current().font;
    return FindFont(GetStockObject(SYSTEM_FONT));
}

namespace {

// Fonts added from memory: each is a file in a private folder that lives as long as its handle.
class MemoryFonts {
public:
    HANDLE Add(const void* data, size_t size, DWORD* count)
    {
        std::lock_guard guard(TextLock());
        if (!EnsureFolder())
            return nullptr;
        const std::string path = m_folder + "/font" + std::to_string(++m_serial);
        if (!WriteFile(path, data, size))
            return nullptr;
        int faces = 0;
        FcPattern* pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr, &faces);
        if (!pattern) {
            std::remove(path.c_str());
            return nullptr;
        }
        FcPatternDestroy(pattern);
        FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(path.c_str()));
        m_files.push_back(path);
        ClearLayoutCache();
        if (count)
            *count = static_cast<DWORD>(std::max(1, faces));
        return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(m_serial));
    }

    bool Remove(HANDLE handle)
    {
        std::lock_guard guard(TextLock());
        const std::string path = m_folder + "/font" + std::to_string(reinterpret_cast<uintptr_t>(handle));
        auto it = std::find(m_files.begin(), m_files.end(), path);
        if (m_folder.empty() || it == m_files.end())
            return false;
        std::remove(path.c_str());
        m_files.erase(it);
        // fontconfig cannot drop one application font: start the set again with the others.
        FcConfigAppFontClear(FcConfigGetCurrent());
        for (const std::string& file : m_files)
            FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(file.c_str()));
        ClearLayoutCache();
        return true;
    }

    ~MemoryFonts()
    {
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        if (!m_folder.empty())
            rmdir(m_folder.c_str());
    }

private:
    bool EnsureFolder()
    {
        if (!m_folder.empty() && access(m_folder.c_str(), W_OK) == 0)
            return true;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillfonts-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return false;
        m_folder = pattern;
        return true;
    }

    static bool WriteFile(const std::string& path, const void* data, size_t size)
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return false;
        const bool written = std::fwrite(data, 1, size, file) == size;
        if (std::fclose(file) == 0 && written)
            return true;
        std::remove(path.c_str());
        return false;
    }

    std::string m_folder;
    std::vector<std::string> m_files;
    uintptr_t m_serial = 0;
};

MemoryFonts& Fonts()
{
    static MemoryFonts fonts;  // destroyed at exit: the private folder goes with it
    return fonts;
}

}  // namespace

}  // namespace platform

using platform::DeviceContext;

HFONT CreateFontIndirect(const LOGFONTW* font)
{
    if (!font)
        return nullptr;
    return static_cast<HFONT>(platform::RegisterGdiObject(std::make_shared<platform::FontObject>(*font)));
}

HFONT CreateFontIndirectW(const LOGFONTW* font)
{
    return CreateFontIndirect(font);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, LPCWSTR face)
{
    LOGFONTW font {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfItalic = static_cast<BYTE>(italic != 0);
    font.lfUnderline = static_cast<BYTE>(underline != 0);
    font.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    font.lfCharSet = static_cast<BYTE>(charSet);
    font.lfOutPrecision = static_cast<BYTE>(outPrecision);
    font.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    font.lfQuality = static_cast<BYTE>(quality);
    font.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face)
        std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&font);
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRICW* metrics)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto font = platform::FontOfDC(dc);
    if (!dc || !font || !metrics)
        return FALSE;
    std::lock_guard guard(platform::TextLock());
    if (font->CachedMetrics(platform::FontGeneration(), metrics))
        return TRUE;
    PangoContext* context = platform::TextContext(font->LogFont().lfQuality != NONANTIALIASED_QUALITY);
    platform::CairoPtr<PangoFontMetrics> owned(pango_context_get_metrics(context, font->Description(), nullptr));
    PangoFontMetrics* fm = owned.get();
    const auto pixels = [](int units) { return static_cast<LONG>(std::lround(units / double(PANGO_SCALE))); };
    *metrics = {};
    metrics->tmAscent = pixels(pango_font_metrics_get_ascent(fm));
    metrics->tmDescent = pixels(pango_font_metrics_get_descent(fm));
    metrics->tmHeight = metrics->tmAscent + metrics->tmDescent;
    const LONG em = pixels(pango_font_description_get_size(font->Description()));
    metrics->tmInternalLeading = std::max<LONG>(0, metrics->tmHeight - em);
    metrics->tmExternalLeading = std::max<LONG>(0, pixels(pango_font_metrics_get_height(fm)) - metrics->tmHeight);
    metrics->tmAveCharWidth = std::max<LONG>(1, pixels(pango_font_metrics_get_approximate_char_width(fm)));
    metrics->tmMaxCharWidth = metrics->tmAveCharWidth;
    if (platform::CairoPtr<PangoFont> loaded { pango_context_load_font(context, font->Description()) }) {
        cairo_font_extents_t extents;
        cairo_scaled_font_extents(pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(loaded.get())), &extents);
        metrics->tmMaxCharWidth = std::max(metrics->tmAveCharWidth, static_cast<LONG>(std::ceil(extents.max_x_advance)));
    }
    const LOGFONTW& lf = font->LogFont();
    metrics->tmWeight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
    metrics->tmItalic = lf.lfItalic ? 1 : 0;
    metrics->tmUnderlined = lf.lfUnderline ? 1 : 0;
    metrics->tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    metrics->tmCharSet = lf.lfCharSet;
    metrics->tmPitchAndFamily = lf.lfPitchAndFamily;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFFFC;
    metrics->tmDefaultChar = L'?';
    metrics->tmBreakChar = L' ';
    metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
    font->CacheMetrics(platform::FontGeneration(), *metrics);
    return TRUE;
}

// A: the ink's start from the pen; B: the ink's width; C: what remains of the advance. A glyph
// without ink (a blank) is all advance: B is the advance, A and C are 0.
BOOL GetCharABCWidths(HDC hdc, UINT first, UINT last, ABC* widths)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto font = platform::FontOfDC(dc);
    if (!dc || !font || !widths || last < first)
        return FALSE;
    std::lock_guard guard(platform::TextLock());
    for (UINT c = first; c <= last; ++c) {
        const wchar_t text[1] = { static_cast<wchar_t>(c) };
        platform::LayoutRequest request;
        request.font = font.get();
        request.text = std::wstring_view(text, 1);
        PangoRectangle ink, logical;
        pango_layout_get_pixel_extents(platform::CachedLayout(request), &ink, &logical);
        ABC& abc = widths[c - first];
        if (ink.width <= 0) {
            abc = { 0, static_cast<UINT>(logical.width), 0 };
            continue;
        }
        abc.abcA = ink.x;
        abc.abcB = static_cast<UINT>(ink.width);
        abc.abcC = logical.width - ink.x - ink.width;
    }
    return TRUE;
}

HANDLE AddFontMemResourceEx(PVOID data, DWORD size, PVOID, DWORD* count)
{
    if (count)
        *count = 0;
    if (!data || size == 0)
        return nullptr;
    return platform::Fonts().Add(data, size, count);
}

BOOL RemoveFontMemResourceEx(HANDLE handle)
{
    return handle && platform::Fonts().Remove(handle);
}
