#pragma once
// The objects behind GDI handles (bitmaps, brushes, pens, fonts, regions) and the process-wide
// table that maps handles to them. A handle is the object's address; the table holds a shared
// reference, and a DC holds another for each object it has selected, so deleting an object that
// is still selected only invalidates the handle: the DC keeps drawing with it until it is
// replaced. Stock objects are never deleted. Objects are immutable once made, except a bitmap's
// pixels and a region's shape, which only the thread using them changes.

#include "platform/WinGdi.h"
#include "platform/gdi/CairoPtr.h"

#include <memory>
#include <string>

namespace platform {

enum class GdiKind { Pen = OBJ_PEN, Brush = OBJ_BRUSH, Font = OBJ_FONT, Bitmap = OBJ_BITMAP, Region = OBJ_REGION };

class GdiObject {
public:
    explicit GdiObject(GdiKind kind) : m_kind(kind) { }
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiKind Kind() const { return m_kind; }

private:
    GdiKind m_kind;
};

// A 32-bit premultiplied ARGB pixel buffer. A bottom-up DIB keeps its rows bottom-up in memory
// (the caller's bits pointer), and cairo sees them top-down through a negative stride.
class BitmapObject : public GdiObject {
public:
    static std::shared_ptr<BitmapObject> Create(int width, int height, bool bottomUp);
    ~BitmapObject() override;

    cairo_surface_t* Surface() const { return m_surface.get(); }
    uint8_t* Bits() const { return m_bits; }  // first byte in memory order
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int RowBytes() const { return m_width * 4; }

private:
    BitmapObject() : GdiObject(GdiKind::Bitmap) { }
    CairoPtr<cairo_surface_t> m_surface;
    uint8_t* m_bits = nullptr;
    int m_width = 0, m_height = 0;
};

class BrushObject : public GdiObject {
public:
    BrushObject(COLORREF color, bool hollow) : GdiObject(GdiKind::Brush), color(color), hollow(hollow) { }
    const COLORREF color;
    const bool hollow;
};

class PenObject : public GdiObject {
public:
    PenObject(int style, int width, COLORREF color) : GdiObject(GdiKind::Pen), style(style), width(width), color(color) { }
    bool IsNull() const { return (style & PS_STYLE_MASK) == PS_NULL; }
    const int style;
    const int width;
    const COLORREF color;
};

class FontObject : public GdiObject {
public:
    explicit FontObject(const LOGFONTW& logFont);
    FontObject(const LOGFONTW& logFont, double pixelSize);  // em size in pixels, fractions kept
    const LOGFONTW& LogFont() const { return m_logFont; }
    // Resolved face with the size in Pango units of pixels; owned by the font.
    const PangoFontDescription* Description() const { return m_description.get(); }
    const std::string& Key() const { return m_key; }  // equal for fonts that lay out alike
    // Metrics measured once per font and font set (see TextEngine.h); the text lock must be held.
    bool CachedMetrics(unsigned generation, TEXTMETRICW* metrics) const;
    void CacheMetrics(unsigned generation, const TEXTMETRICW& metrics) const;

private:
    void UpdateKey();
    LOGFONTW m_logFont;
    CairoPtr<PangoFontDescription> m_description;
    std::string m_key;
    mutable TEXTMETRICW m_metrics {};
    mutable unsigned m_metricsGeneration = 0;  // 0: not measured
};

class RegionObject : public GdiObject {
public:
    explicit RegionObject(CairoPtr<cairo_region_t> region) : GdiObject(GdiKind::Region), m_region(std::move(region)) { }
    cairo_region_t* Region() const { return m_region.get(); }
    void Replace(CairoPtr<cairo_region_t> region) { m_region = std::move(region); }

private:
    CairoPtr<cairo_region_t> m_region;
};

// The handle table. Register returns the new handle; Find returns null for a handle that is not
// (or no longer) a live object of the kind asked for.
HGDIOBJ RegisterGdiObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle);
bool UnregisterGdiObject(HGDIOBJ handle);  // false for stock objects and unknown handles
bool IsStockObject(HGDIOBJ handle);
HGDIOBJ RegisterStockObject(std::shared_ptr<GdiObject> object);  // never unregistered

template <class T>
std::shared_ptr<T> FindGdiObjectAs(HGDIOBJ handle, GdiKind kind)
{
    auto object = FindGdiObject(handle);
    if (!object || object->Kind() != kind)
        return nullptr;
    return std::static_pointer_cast<T>(object);
}

inline std::shared_ptr<BitmapObject> FindBitmap(HGDIOBJ h) { return FindGdiObjectAs<BitmapObject>(h, GdiKind::Bitmap); }
inline std::shared_ptr<BrushObject> FindBrush(HGDIOBJ h) { return FindGdiObjectAs<BrushObject>(h, GdiKind::Brush); }
inline std::shared_ptr<PenObject> FindPen(HGDIOBJ h) { return FindGdiObjectAs<PenObject>(h, GdiKind::Pen); }
inline std::shared_ptr<FontObject> FindFont(HGDIOBJ h) { return FindGdiObjectAs<FontObject>(h, GdiKind::Font); }
inline std::shared_ptr<RegionObject> FindRegion(HGDIOBJ h) { return FindGdiObjectAs<RegionObject>(h, GdiKind::Region); }

}  // namespace platform
