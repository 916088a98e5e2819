#pragma once

#include "platform/WinUser.h"

#include "platform/gdi/CairoPtr.h"

#include <cstddef>

namespace platform {

// A top-level window's pixels. The buffer is reserved once at a size no window of the screen
// outgrows (pages are committed only when drawn), so a DC from GetDC stays valid through every
// move and resize. Only the window's current size is presented.
class BackBuffer {
public:
    BackBuffer(int width, int height);
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    bool Fits(int width, int height) const { return width <= m_capWidth && height <= m_capHeight; }
    cairo_surface_t* Surface() const { return m_surface.get(); }
    unsigned char* Data() const { return m_data; }
    int Stride() const { return m_stride; }
    // A surface of the given size over the same pixels.
    CairoPtr<cairo_surface_t> View(int width, int height, cairo_format_t format) const;
    void Clear(const RECT& area);

private:
    unsigned char* m_data = nullptr;
    size_t m_bytes = 0;
    int m_capWidth = 0, m_capHeight = 0, m_stride = 0;
    CairoPtr<cairo_surface_t> m_surface;
};

}  // namespace platform
