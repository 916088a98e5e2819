#include "platform/gdi/TextEngine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangofc-fontmap.h>

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

// The skins name Windows faces; each maps to an installed font with the glyphs it needs. CJK
// faces go to the CJK font first (its Latin glyphs match the face's look better than a mix).
constexpr const char* kFontAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>微软雅黑</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>Microsoft YaHei</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>Microsoft YaHei UI</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>宋体</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>SimSun</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>新宋体</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>黑体</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>SimHei</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>楷体</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>仿宋</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <alias binding="same"><family>Arial</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Tahoma</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Verdana</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Segoe UI</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Calibri</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>MS Shell Dlg</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>MS Shell Dlg 2</family><prefer><family>DejaVu Sans</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Times New Roman</family><prefer><family>DejaVu Serif</family><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Courier New</family><prefer><family>DejaVu Sans Mono</family><family>WenQuanYi Micro Hei Mono</family></prefer></alias>
  <alias binding="same"><family>Consolas</family><prefer><family>DejaVu Sans Mono</family><family>WenQuanYi Micro Hei Mono</family></prefer></alias>
</fontconfig>
)";

struct TextState {
    PangoFontMap* fontMap = nullptr;
    PangoContext* contexts[2][2] = {};  // [typographic][antialias]
};

PangoContext* MakeContext(PangoFontMap* fontMap, bool antialias, bool typographic)
{
    PangoContext* context = pango_font_map_create_context(fontMap);
    const CairoPtr<cairo_font_options_t> options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options.get(), typographic ? CAIRO_HINT_STYLE_NONE : CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options.get(), typographic ? CAIRO_HINT_METRICS_OFF : CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options.get());
    return context;
}

// Least recently used layouts, keyed by everything that shapes them.
class LayoutCache {
public:
    PangoLayout* Find(const std::string& key)
    {
        auto it = m_index.find(key);
        if (it == m_index.end())
            return nullptr;
        m_entries.splice(m_entries.begin(), m_entries, it->second);
        return it->second->second.get();
    }
    PangoLayout* Add(const std::string& key, CairoPtr<PangoLayout> layout)
    {
        PangoLayout* added = layout.get();
        m_entries.emplace_front(key, std::move(layout));
        m_index[key] = m_entries.begin();
        if (m_entries.size() <= kCapacity)
            return added;
        m_index.erase(m_entries.back().first);
        m_entries.pop_back();
        return added;
    }
    void Clear()
    {
        m_entries.clear();
        m_index.clear();
    }

private:
    using Entry = std::pair<std::string, CairoPtr<PangoLayout>>;
    static constexpr size_t kCapacity = 1024;
    std::list<Entry> m_entries;
    std::unordered_map<std::string, std::list<Entry>::iterator> m_index;
};

LayoutCache& Cache()
{
    static LayoutCache* cache = new LayoutCache;
    return *cache;
}

// Made on first use and kept for the life of the process (text may be drawn until exit).
TextState& State()
{
    static TextState* state = [] {
        FcInit();
        FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(kFontAliases), FcTrue);
        auto* made = new TextState;
        made->fontMap = pango_cairo_font_map_new();
        for (int typographic = 0; typographic < 2; ++typographic)
            for (int antialias = 0; antialias < 2; ++antialias)
                made->contexts[typographic][antialias] = MakeContext(made->fontMap, antialias, typographic);
        return made;
    }();
    return *state;
}

// The text as Pango gets it, with the prefix marks taken out (their byte offsets returned).
std::string PrepareText(const LayoutRequest& request, std::vector<std::pair<int, int>>* underlined)
{
    std::string out;
    out.reserve(request.text.size());
    const std::wstring_view text = request.text;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == 0)
            c = L' ';  // Pango stops at a 0 byte; GDI draws the character cell
        if (request.singleLine && (c == L'\r' || c == L'\n'))
            c = L' ';
        if (request.prefix && c == L'&' && i + 1 < text.size()) {
            ++i;
            const int start = static_cast<int>(out.size());
            AppendUtf8(out, static_cast<char32_t>(text[i]));
            if (text[i] != L'&')
                underlined->emplace_back(start, static_cast<int>(out.size()));
            continue;
        }
        if (!request.singleLine && c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;  // CR LF is one break
        AppendUtf8(out, static_cast<char32_t>(c));
    }
    return out;
}

std::string CacheKey(const LayoutRequest& r, const std::string& utf8)
{
    std::string key = r.font->Key();
    key += '|' + std::to_string(r.width) + '|' + std::to_string(r.height) + '|' + std::to_string(r.wrap) + '|'
        + std::to_string(r.wrapLines) + std::to_string(r.ellipsize) + std::to_string(r.alignment) + std::to_string(r.prefix)
        + std::to_string(r.singleLine) + std::to_string(static_cast<int>(r.flavor)) + '|';
    key += utf8;
    return key;
}

CairoPtr<PangoAttrList> FontAttributes(const FontObject& font, const std::vector<std::pair<int, int>>& underlined)
{
    CairoPtr<PangoAttrList> owned(pango_attr_list_new());
    PangoAttrList* attrs = owned.get();
    if (font.LogFont().lfUnderline)
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font.LogFont().lfStrikeOut)
        pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    for (const auto& [start, end] : underlined) {
        PangoAttribute* attr = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        attr->start_index = start;
        attr->end_index = end;
        pango_attr_list_insert(attrs, attr);
    }
    return owned;
}

}  // namespace

std::recursive_mutex& TextLock()
{
    static std::recursive_mutex* lock = new std::recursive_mutex;
    return *lock;
}

PangoContext* TextContext(bool antialias, bool typographic)
{
    return State().contexts[typographic][antialias];
}

std::wstring_view WideView(LPCWSTR text, int count)
{
    if (!text)
        return {};
    return count < 0 ? std::wstring_view(text) : std::wstring_view(text, static_cast<size_t>(count));
}

PangoLayout* CachedLayout(const LayoutRequest& request)
{
    std::vector<std::pair<int, int>> underlined;
    const std::string utf8 = PrepareText(request, &underlined);
    const std::string key = CacheKey(request, utf8);
    if (PangoLayout* found = Cache().Find(key))
        return found;
    const FontObject& font = *request.font;
    const bool typographic = request.flavor != TextFlavor::Gdi;
    const bool antialias = typographic ? request.flavor == TextFlavor::Smooth : font.LogFont().lfQuality != NONANTIALIASED_QUALITY;
    CairoPtr<PangoLayout> owned(pango_layout_new(TextContext(antialias, typographic)));
    PangoLayout* layout = owned.get();
    pango_layout_set_font_description(layout, font.Description());
    pango_layout_set_attributes(layout, FontAttributes(font, underlined).get());
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    pango_layout_set_alignment(layout, request.alignment);
    // Without a width Pango aligns the lines among themselves; the caller places the block.
    if (request.width >= 0 && (request.wrapLines || request.ellipsize != PANGO_ELLIPSIZE_NONE))
        pango_layout_set_width(layout, std::max(1, request.width) * PANGO_SCALE);
    if (request.wrapLines)
        pango_layout_set_wrap(layout, request.wrap);
    pango_layout_set_ellipsize(layout, request.ellipsize);
    if (request.ellipsize != PANGO_ELLIPSIZE_NONE)
        pango_layout_set_height(layout, request.wrapLines && request.height >= 0 ? request.height * PANGO_SCALE : -1);
    return Cache().Add(key, std::move(owned));
}

namespace {

unsigned g_fontGeneration = 1;  // guarded by the text lock

int64_t g_maxMaskPixels = 64 * 1024;  // guarded by the text lock
constexpr const char* kMaskKey = "quill-ink-mask";

struct Ink {
    CairoPtr<cairo_surface_t> mask;
    PangoRectangle extents {};
};

void FreeInk(gpointer data)
{
    delete static_cast<Ink*>(data);
}

// The layout's coverage over the ink rectangle `e`.
CairoPtr<cairo_surface_t> RenderMask(PangoLayout* layout, const PangoRectangle& e)
{
    CairoPtr<cairo_surface_t> mask(cairo_image_surface_create(CAIRO_FORMAT_A8, e.width, e.height));
    {
        const CairoPtr<cairo_t> cr(cairo_create(mask.get()));
        cairo_move_to(cr.get(), -e.x, -e.y);
        pango_cairo_show_layout(cr.get(), layout);
    }
    cairo_surface_flush(mask.get());
    return mask;
}

// The layout's coverage over its ink rectangle, made on first use; a layout too large (or with no
// ink) keeps an entry without a mask so it is measured once.
const Ink& InkOf(PangoLayout* layout)
{
    if (auto* ink = static_cast<Ink*>(g_object_get_data(G_OBJECT(layout), kMaskKey)))
        return *ink;
    auto* ink = new Ink;
    pango_layout_get_pixel_extents(layout, &ink->extents, nullptr);
    const PangoRectangle& e = ink->extents;
    if (e.width > 0 && e.height > 0 && static_cast<int64_t>(e.width) * e.height <= g_maxMaskPixels) {
        ink->mask = RenderMask(layout, e);
    }
    g_object_set_data_full(G_OBJECT(layout), kMaskKey, ink, FreeInk);
    return *ink;
}

void ShowGlyphs(cairo_t* cr, PangoLayout* layout, int x, int y)
{
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
}

bool TranslatesByWholePixels(cairo_t* cr, int x, int y)
{
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0)
        return false;
    const double dx = m.x0 + x, dy = m.y0 + y;
    return dx == static_cast<double>(static_cast<int64_t>(dx)) && dy == static_cast<double>(static_cast<int64_t>(dy));
}

}  // namespace

unsigned FontGeneration()
{
    return g_fontGeneration;
}

void ShowLayout(cairo_t* cr, PangoLayout* layout, int x, int y)
{
    if (!TranslatesByWholePixels(cr, x, y)) {
        ShowGlyphs(cr, layout, x, y);
        return;
    }
    const Ink& ink = InkOf(layout);
    if (ink.mask)
        cairo_mask_surface(cr, ink.mask.get(), x + ink.extents.x, y + ink.extents.y);
    else if (ink.extents.width > 0 && ink.extents.height > 0)
        ShowGlyphs(cr, layout, x, y);
}

int64_t SetInkMaskLimit(int64_t pixels)
{
    std::lock_guard guard(TextLock());
    const int64_t old = g_maxMaskPixels;
    g_maxMaskPixels = pixels;
    return old;
}

void ClearLayoutCache()
{
    std::lock_guard guard(TextLock());
    ++g_fontGeneration;
    Cache().Clear();
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(State().fontMap));
}

}  // namespace platform

// fontconfig keeps its patterns' pointers as offsets, which LeakSanitizer cannot follow, so the
// font database it holds for the whole run would be reported as lost. libVLC's plugins keep
// process-long state that is unreachable once their modules are unloaded. Sanitizer builds only ask.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libvlccore.so\n";
}
