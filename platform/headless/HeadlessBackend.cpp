#include "platform/headless/HeadlessBackend.h"

#include "platform/gdi/Region.h"
#include "platform/gdi/ScopedCairoState.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/window/UserInternal.h"

#include <cstdlib>

namespace platform {

namespace {

class HeadlessBackend final : public Backend {
public:
    std::vector<MonitorDesc> Monitors() override
    {
        const char* env = std::getenv("QUILL_DPI");
        const UINT dpi = env && std::atoi(env) > 0 ? static_cast<UINT>(std::atoi(env)) : 96;
        return { { { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1040 }, dpi } };
    }
    bool WarpPointer(POINT) override { return true; }
};

// Draws one top-level window onto the screen (lock held).
void ComposeWindow(WindowManager& wm, cairo_t* cr, Window* window)
{
    if (!window->visible || (window->style & WS_MINIMIZE) || !window->buffer)
        return;
    // A layered window shows nothing until it is given its picture or its alpha.
    if ((window->exStyle & WS_EX_LAYERED) && window->layer == LayerMode::None)
        return;
    const bool perPixel = window->layer == LayerMode::PerPixel;
    const CairoPtr<cairo_surface_t> view =
        window->buffer->View(window->Width(), window->Height(), perPixel ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24);
    ScopedCairoState saved(cr);
    cairo_translate(cr, window->rect.left, window->rect.top);
    if (window->region) {
        for (const RECT& r : RegionRects(window->region))
            cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else {
        cairo_rectangle(cr, 0, 0, window->Width(), window->Height());
    }
    cairo_clip(cr);
    cairo_set_source_surface(cr, view.get(), 0, 0);
    const bool alpha = window->layer != LayerMode::None && (window->exStyle & WS_EX_LAYERED);
    cairo_paint_with_alpha(cr, alpha ? window->constantAlpha / 255.0 : 1.0);
    // The caret is shown inverted over what is drawn.
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (const RECT& r : CaretRects(wm, window))
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
}

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

CairoPtr<cairo_surface_t> ComposeHeadlessScreen(WindowManager& wm)
{
    RECT all {};
    for (const MonitorDesc& m : wm.Monitors())
        all = RectUnion(all, m.rect);
    CairoPtr<cairo_surface_t> screen(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, all.right - all.left, all.bottom - all.top));
    {
        const CairoPtr<cairo_t> owned(cairo_create(screen.get()));
        cairo_t* cr = owned.get();
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_translate(cr, -all.left, -all.top);
        for (auto it = wm.topLevels.rbegin(); it != wm.topLevels.rend(); ++it)
            ComposeWindow(wm, cr, *it);
    }
    cairo_surface_flush(screen.get());
    return screen;
}

}  // namespace platform
