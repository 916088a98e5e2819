#pragma once
// Owning pointers for cairo and pango objects: one deleter per C type, so no path (an early
// return included) frees one by hand or forgets to. `CairoPtr<cairo_t> cr(cairo_create(s));`

#include <cairo.h>
#include <pango/pango.h>

#include <memory>

namespace platform {

template <typename T, auto Free>
struct FreeWith {
    void operator()(T* p) const { Free(p); }
};

template <typename T>
struct CairoDeleter;

template <> struct CairoDeleter<cairo_t> : FreeWith<cairo_t, cairo_destroy> {};
template <> struct CairoDeleter<cairo_surface_t> : FreeWith<cairo_surface_t, cairo_surface_destroy> {};
template <> struct CairoDeleter<cairo_pattern_t> : FreeWith<cairo_pattern_t, cairo_pattern_destroy> {};
template <> struct CairoDeleter<cairo_region_t> : FreeWith<cairo_region_t, cairo_region_destroy> {};
template <> struct CairoDeleter<cairo_font_options_t> : FreeWith<cairo_font_options_t, cairo_font_options_destroy> {};
template <> struct CairoDeleter<PangoFontDescription> : FreeWith<PangoFontDescription, pango_font_description_free> {};
template <> struct CairoDeleter<PangoAttrList> : FreeWith<PangoAttrList, pango_attr_list_unref> {};
template <> struct CairoDeleter<PangoLayoutIter> : FreeWith<PangoLayoutIter, pango_layout_iter_free> {};
template <> struct CairoDeleter<PangoFontMetrics> : FreeWith<PangoFontMetrics, pango_font_metrics_unref> {};
// The GObject-based pango types all drop their reference the same way.
template <> struct CairoDeleter<PangoLayout> : FreeWith<void, g_object_unref> {};
template <> struct CairoDeleter<PangoFont> : FreeWith<void, g_object_unref> {};

template <typename T>
using CairoPtr = std::unique_ptr<T, CairoDeleter<T>>;

// Takes a new reference to a shared surface (one the caller does not own).
inline CairoPtr<cairo_surface_t> ShareSurface(cairo_surface_t* surface)
{
    return CairoPtr<cairo_surface_t>(surface ? cairo_surface_reference(surface) : nullptr);
}

}  // namespace platform
