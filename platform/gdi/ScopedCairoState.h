#pragma once
// Saves a cairo context's state (transformation, clip, source, operator) and restores it on
// every way out of the scope. Not copyable: one save, one restore.

#include <cairo.h>

namespace platform {

class ScopedCairoState {
public:
    explicit ScopedCairoState(cairo_t* cr) : m_cairo(cr) { cairo_save(cr); }
    ~ScopedCairoState() { cairo_restore(m_cairo); }
    ScopedCairoState(const ScopedCairoState&) = delete;
    ScopedCairoState& operator=(const ScopedCairoState&) = delete;

private:
    cairo_t* m_cairo;
};

}  // namespace platform
