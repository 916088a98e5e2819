#pragma once
// Shared text machinery of the GDI and Gdiplus text calls: one Pango font map and context for
// the process, behind one lock (Pango objects are not safe to share between threads, and text is
// drawn mostly on the UI thread, so one lock costs nothing), fontconfig set up with the aliases
// that map the skins' Windows faces to installed fonts, and a cache of laid-out text.

#include "platform/WinBase.h"  // UTF-8 conversions
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/TextCache.h"

#include <pango/pangocairo.h>

#include <mutex>
#include <string>
#include <string_view>

namespace platform {

std::recursive_mutex& TextLock();
// How glyphs are placed: GDI text is hinted with whole-pixel advances and anti-aliased unless
// the font asks otherwise; Gdiplus text is typographic (unhinted, fractional advances),
// anti-aliased or, for the single-bit rendering hints, not.
enum class TextFlavor { Gdi, Smooth, Sharp };

// The context for laying out text; the lock must be held.
PangoContext* TextContext(bool antialias, bool typographic = false);

std::wstring_view WideView(LPCWSTR text, int count);  // count < 0: up to the terminating 0

// A request for laid-out text. Width and height are in pixels; -1 = unlimited.
struct LayoutRequest {
    const FontObject* font = nullptr;
    std::wstring_view text;
    int width = -1;
    int height = -1;
    PangoWrapMode wrap = PANGO_WRAP_WORD;
    bool wrapLines = false;  // false: break only at line feeds
    PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
    PangoAlignment alignment = PANGO_ALIGN_LEFT;
    bool prefix = false;  // "&x" underlines x and "&&" is "&"
    bool singleLine = false;  // line feeds are not breaks
    TextFlavor flavor = TextFlavor::Gdi;
};

// A laid-out text from the cache, borrowed while the text lock is held (the caller holds it).
PangoLayout* CachedLayout(const LayoutRequest& request);
// Draws a cached layout with its top-left at (x, y) in the source already set on `cr`: from the
// layout's coverage mask, rendered once and kept with the layout, when the context only
// translates by whole pixels (the mask then holds exactly the pixels the glyphs would give);
// otherwise glyph by glyph. The text lock must be held.
void ShowLayout(cairo_t* cr, PangoLayout* layout, int x, int y);
// Counts font set changes from 1; metrics measured under another generation are stale.
unsigned FontGeneration();

}  // namespace platform
