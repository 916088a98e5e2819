#include "platform/window/BackBuffer.h"

#include <sys/mman.h>

#include <algorithm>

namespace platform {

namespace {
// Large enough for any window on the screens we expect; a bigger window gets a bigger buffer.
constexpr int kReserveSide = 4096;
}  // namespace

BackBuffer::BackBuffer(int width, int height)
{
    m_capWidth = std::max(kReserveSide, width);
    m_capHeight = std::max(kReserveSide, height);
    m_stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, m_capWidth);
    m_bytes = static_cast<size_t>(m_stride) * static_cast<size_t>(m_capHeight);
    // Anonymous pages read as zero and cost nothing until drawn into.
    void* data = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (data == MAP_FAILED) {
        m_bytes = 0;
        m_capWidth = m_capHeight = 0;
        m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0));
        return;
    }
    m_data = static_cast<unsigned char*>(data);
    m_surface.reset(cairo_image_surface_create_for_data(m_data, CAIRO_FORMAT_ARGB32, m_capWidth, m_capHeight, m_stride));
}

BackBuffer::~BackBuffer()
{
    // Finished before the pages go: a surface still referenced elsewhere must not touch them.
    cairo_surface_finish(m_surface.get());
    m_surface.reset();
    if (m_data)
        munmap(m_data, m_bytes);
}

CairoPtr<cairo_surface_t> BackBuffer::View(int width, int height, cairo_format_t format) const
{
    width = std::clamp(width, 0, m_capWidth);
    height = std::clamp(height, 0, m_capHeight);
    cairo_surface_flush(m_surface.get());
    return CairoPtr<cairo_surface_t>(cairo_image_surface_create_for_data(m_data, format, width, height, m_stride));
}

void BackBuffer::Clear(const RECT& area)
{
    if (!m_data)
        return;
    cairo_surface_flush(m_surface.get());
    const int left = std::clamp<int>(area.left, 0, m_capWidth), right = std::clamp<int>(area.right, 0, m_capWidth);
    const int top = std::clamp<int>(area.top, 0, m_capHeight), bottom = std::clamp<int>(area.bottom, 0, m_capHeight);
    for (int y = top; y < bottom && left < right; ++y)
        std::fill_n(m_data + static_cast<size_t>(y) * m_stride + left * 4, (right - left) * 4, 0);
    cairo_surface_mark_dirty(m_surface.get());
}

}  // namespace platform
