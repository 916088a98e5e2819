#pragma once
// The state behind an HDC. A DC draws into one target surface: the selected bitmap of a memory
// DC, or the surface a window handed to CreateSurfaceDC. Every drawing call goes through Canvas,
// which sets cairo's clip (system clip ∩ selected clip region) and the logical-to-target
// translation, and through AlphaGuard, which applies the GDI alpha-byte rule.

#include "platform/gdi/CairoPtr.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/ScopedCairoState.h"

#include <cairo.h>

#include <memory>
#include <optional>
#include <vector>

namespace platform {

class DeviceContext {
public:
    struct State {
        POINT viewportOrg { 0, 0 };
        POINT windowOrg { 0, 0 };  // device = logical - windowOrg + viewportOrg
        POINT currentPos { 0, 0 };
        std::shared_ptr<BitmapObject> bitmap;
        std::shared_ptr<BrushObject> brush;
        std::shared_ptr<PenObject> pen;
        std::shared_ptr<FontObject> font;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int stretchMode = BLACKONWHITE;
        CairoPtr<cairo_region_t> clip;  // device coordinates; null = no clip region
    };

    static DeviceContext* FromHandle(HDC hdc);  // null when not a live DC
    static HDC Register(std::unique_ptr<DeviceContext> dc);
    static bool Destroy(HDC hdc);

    DeviceContext(cairo_surface_t* target, int originX, int originY, const RECT& clip);  // surface DC
    DeviceContext();  // memory DC with the stock 1x1 bitmap
    ~DeviceContext() = default;

    bool IsMemory() const { return m_memory; }
    State& Current() { return m_state; }
    cairo_surface_t* Target() const { return m_target.get(); }
    int TargetWidth() const;
    int TargetHeight() const;

    void SelectBitmap(std::shared_ptr<BitmapObject> bitmap);
    void SetClip(CairoPtr<cairo_region_t> clip);  // null removes the clip
    // The whole drawable area in device coordinates (used when combining with a null clip).
    CairoPtr<cairo_region_t> DeviceBounds() const;
    // Effective clip in target coordinates: system clip ∩ selected region ∩ target bounds.
    const cairo_region_t* TargetClip();

    int Save();
    bool Restore(int saved);

    // Logical → device (add) and device → target (add the origin) coordinates.
    int ToDeviceX(int x) const { return x - m_state.windowOrg.x + m_state.viewportOrg.x; }
    int ToDeviceY(int y) const { return y - m_state.windowOrg.y + m_state.viewportOrg.y; }
    int ToTargetX(int x) const { return ToDeviceX(x) + m_originX; }
    int ToTargetY(int y) const { return ToDeviceY(y) + m_originY; }
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }
    // Moves a surface DC to its window's new place in the target (the window moved or resized).
    void Place(int originX, int originY, const RECT& clip);

    // The cairo context with the clip applied and no transformation; the caller saves and
    // restores around its own transformations (Canvas does).
    cairo_t* Cairo();

private:
    void ResetTarget(cairo_surface_t* target);
    void InvalidateClip();  // the clip or where it lands changed: build it anew when next used
    static State CopyState(const State& state);

    bool m_memory = false;
    CairoPtr<cairo_surface_t> m_target;
    CairoPtr<cairo_t> m_cairo;
    int m_originX = 0, m_originY = 0;
    cairo_rectangle_int_t m_systemClip { 0, 0, 0, 0 };  // target coordinates
    State m_state;
    std::vector<State> m_saved;
    CairoPtr<cairo_region_t> m_targetClip;  // cache of TargetClip()
    bool m_cairoClipValid = false;
};

// Scoped drawing on a DC: the cairo context clipped and translated so that user space is the
// DC's logical space. Valid() is false for a null DC or an empty clip.
class Canvas {
public:
    explicit Canvas(DeviceContext* dc);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    bool Valid() const { return m_cairo != nullptr; }
    cairo_t* operator->() const { return m_cairo.get(); }
    cairo_t* Get() const { return m_cairo.get(); }

private:
    CairoPtr<cairo_t> m_cairo;  // its own reference: the DC may replace its context meanwhile
    std::optional<ScopedCairoState> m_saved;
};

// Applies the GDI alpha-byte rule to a drawing call: the pixels inside `bounds` (logical
// coordinates) and the clip that the call changes end with alpha 0. With Mode::Whole every pixel
// of the area counts as touched (fills), otherwise the area is compared before and after.
class AlphaGuard {
public:
    enum class Mode { Whole, Changed };
    AlphaGuard(DeviceContext* dc, const RECT& bounds, Mode mode);
    ~AlphaGuard();
    AlphaGuard(const AlphaGuard&) = delete;
    AlphaGuard& operator=(const AlphaGuard&) = delete;

    // Buffers reused from one guard to the next on a thread: a frame makes thousands of calls.
    struct Scratch {
        std::vector<cairo_rectangle_int_t> rects;  // target coordinates
        std::vector<uint32_t> before;
    };

private:
    DeviceContext* m_dc;
    Mode m_mode;
    std::unique_ptr<Scratch> m_scratch;  // null: nothing to fix up
};

// Fills the rectangle (logical coordinates) the way a GDI fill does on a 32-bit surface with an
// alpha channel, the colour with alpha 0, in one pass over the pixels. False, with nothing drawn,
// when the target has no alpha channel: the caller then draws through cairo.
bool FillWithoutAlpha(DeviceContext* dc, const RECT& rect, COLORREF color);

// The direct pixel routes for straight solid lines and two-colour gradient rectangles are on by
// default; turning them off sends those calls through cairo, so both routes can be compared.
void SetDirectPixelRoutes(bool on);
bool DirectPixelRoutes();

// Pixel access of an image surface: row y (top-down) of the surface as 32-bit pixels.
uint32_t* SurfaceRow(cairo_surface_t* surface, int y);
bool IsImageSurface(cairo_surface_t* surface);  // 32 bits per pixel in memory (ARGB32 or RGB24)
bool HasAlphaChannel(cairo_surface_t* surface);  // ARGB32: the alpha-byte rule applies

// Adds to the path an arc of the ellipse centred at (cx, cy) with radii (rx, ry), from angle
// `from` to `to`; the context's transformation is left as it was.
void EllipseArc(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to);

inline void SetSourceColor(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

}  // namespace platform
