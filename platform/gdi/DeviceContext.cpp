#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct DCTable {
    std::mutex lock;
    std::unordered_map<HDC, std::unique_ptr<DeviceContext>> contexts;
};

DCTable& Contexts()
{
    static DCTable* table = new DCTable;
    return *table;
}

// What a new memory DC holds until a bitmap is selected; shared, so selecting it back works.
std::shared_ptr<BitmapObject> StockBitmap()
{
    static HGDIOBJ stock = RegisterStockObject(BitmapObject::Create(1, 1, false));
    return FindBitmap(stock);
}

cairo_region_t* CopyRegion(const cairo_region_t* region)
{
    return region ? cairo_region_copy(region) : nullptr;
}

}  // namespace

// ---- Handle table -----------------------------------------------------------------------------

DeviceContext* DeviceContext::FromHandle(HDC hdc)
{
    if (!hdc)
        return nullptr;
    DCTable& table = Contexts();
    std::lock_guard guard(table.lock);
    auto it = table.contexts.find(hdc);
    return it == table.contexts.end() ? nullptr : it->second.get();
}

HDC DeviceContext::Register(std::unique_ptr<DeviceContext> dc)
{
    HDC handle = reinterpret_cast<HDC>(dc.get());
    DCTable& table = Contexts();
    std::lock_guard guard(table.lock);
    table.contexts.emplace(handle, std::move(dc));
    return handle;
}

bool DeviceContext::Destroy(HDC hdc)
{
    std::unique_ptr<DeviceContext> doomed;
    DCTable& table = Contexts();
    std::lock_guard guard(table.lock);
    auto it = table.contexts.find(hdc);
    if (it == table.contexts.end())
        return false;
    doomed = std::move(it->second);
    table.contexts.erase(it);
    return true;
}

// ---- Construction -----------------------------------------------------------------------------

DeviceContext::DeviceContext(cairo_surface_t* target, int originX, int originY, const RECT& clip)
    : m_originX(originX), m_originY(originY)
{
    m_systemClip = { clip.left, clip.top, std::max(0, clip.right - clip.left), std::max(0, clip.bottom - clip.top) };
    ResetTarget(target);
}

DeviceContext::DeviceContext() : m_memory(true)
{
    SelectBitmap(StockBitmap());
}

DeviceContext::~DeviceContext()
{
    FreeState(m_state);
    for (State& state : m_saved)
        FreeState(state);
    if (m_targetClip)
        cairo_region_destroy(m_targetClip);
    if (m_cairo)
        cairo_destroy(m_cairo);
    if (m_target)
        cairo_surface_destroy(m_target);
}

void DeviceContext::ResetTarget(cairo_surface_t* target)
{
    if (m_cairo)
        cairo_destroy(m_cairo);
    m_cairo = nullptr;
    if (target)
        cairo_surface_reference(target);
    if (m_target)
        cairo_surface_destroy(m_target);
    m_target = target;
    if (m_memory)
        m_systemClip = { 0, 0, TargetWidth(), TargetHeight() };
    SetClip(CopyRegion(m_state.clip));
}

int DeviceContext::TargetWidth() const
{
    return IsImageSurface(m_target) ? cairo_image_surface_get_width(m_target) : m_systemClip.x + m_systemClip.width;
}

int DeviceContext::TargetHeight() const
{
    return IsImageSurface(m_target) ? cairo_image_surface_get_height(m_target) : m_systemClip.y + m_systemClip.height;
}

void DeviceContext::SelectBitmap(std::shared_ptr<BitmapObject> bitmap)
{
    if (!bitmap)
        return;
    cairo_surface_t* surface = bitmap->Surface();
    m_state.bitmap = std::move(bitmap);
    ResetTarget(surface);
}

// ---- Clipping ---------------------------------------------------------------------------------

void DeviceContext::SetClip(cairo_region_t* clip)
{
    if (m_state.clip && m_state.clip != clip)
        cairo_region_destroy(m_state.clip);
    m_state.clip = clip;
    if (m_targetClip)
        cairo_region_destroy(m_targetClip);
    m_targetClip = nullptr;
    m_cairoClipValid = false;
}

cairo_region_t* DeviceContext::DeviceBounds() const
{
    cairo_rectangle_int_t area = m_systemClip;
    area.x -= m_originX;
    area.y -= m_originY;
    return cairo_region_create_rectangle(&area);
}

const cairo_region_t* DeviceContext::TargetClip()
{
    if (m_targetClip)
        return m_targetClip;
    const cairo_rectangle_int_t whole { 0, 0, TargetWidth(), TargetHeight() };
    m_targetClip = cairo_region_create_rectangle(&m_systemClip);
    cairo_region_intersect_rectangle(m_targetClip, &whole);
    if (m_state.clip) {
        cairo_region_t* selected = cairo_region_copy(m_state.clip);
        cairo_region_translate(selected, m_originX, m_originY);
        cairo_region_intersect(m_targetClip, selected);
        cairo_region_destroy(selected);
    }
    return m_targetClip;
}

cairo_t* DeviceContext::Cairo()
{
    if (!m_target)
        return nullptr;
    if (!m_cairo) {
        m_cairo = cairo_create(m_target);
        m_cairoClipValid = false;
    }
    if (!m_cairoClipValid) {
        cairo_reset_clip(m_cairo);
        const cairo_region_t* clip = TargetClip();
        cairo_new_path(m_cairo);
        for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(clip, i, &r);
            cairo_rectangle(m_cairo, r.x, r.y, r.width, r.height);
        }
        cairo_clip(m_cairo);
        m_cairoClipValid = true;
    }
    return m_cairo;
}

// ---- Saved states -----------------------------------------------------------------------------

DeviceContext::State DeviceContext::CopyState(const State& state)
{
    State copy = state;
    copy.clip = CopyRegion(state.clip);
    return copy;
}

void DeviceContext::FreeState(State& state)
{
    if (state.clip)
        cairo_region_destroy(state.clip);
    state.clip = nullptr;
}

int DeviceContext::Save()
{
    m_saved.push_back(CopyState(m_state));
    return static_cast<int>(m_saved.size());
}

bool DeviceContext::Restore(int saved)
{
    const int count = static_cast<int>(m_saved.size());
    const int level = saved < 0 ? count + 1 + saved : saved;
    if (level < 1 || level > count)
        return false;
    State restored = std::move(m_saved[level - 1]);
    m_saved[level - 1].clip = nullptr;
    for (int i = level; i < count; ++i)
        FreeState(m_saved[i]);
    m_saved.resize(level - 1);
    cairo_region_t* clip = restored.clip;
    restored.clip = nullptr;
    const bool newBitmap = m_memory && restored.bitmap && restored.bitmap != m_state.bitmap;
    FreeState(m_state);
    m_state = std::move(restored);
    if (newBitmap)
        ResetTarget(m_state.bitmap->Surface());
    SetClip(clip);
    return true;
}

// ---- Canvas -----------------------------------------------------------------------------------

Canvas::Canvas(DeviceContext* dc)
{
    if (!dc)
        return;
    cairo_t* cr = dc->Cairo();
    if (!cr || cairo_region_is_empty(dc->TargetClip()))
        return;
    m_cairo = cr;
    cairo_save(m_cairo);
    cairo_translate(m_cairo, dc->ToTargetX(0), dc->ToTargetY(0));
}

Canvas::~Canvas()
{
    if (!m_cairo)
        return;
    cairo_restore(m_cairo);
    cairo_surface_flush(cairo_get_target(m_cairo));
}

// ---- Pixels and the alpha rule ----------------------------------------------------------------

bool IsImageSurface(cairo_surface_t* surface)
{
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return false;
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    return format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24;
}

bool HasAlphaChannel(cairo_surface_t* surface)
{
    return IsImageSurface(surface) && cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
}

uint32_t* SurfaceRow(cairo_surface_t* surface, int y)
{
    unsigned char* data = cairo_image_surface_get_data(surface);
    const ptrdiff_t stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<uint32_t*>(data + stride * y);
}

AlphaGuard::AlphaGuard(DeviceContext* dc, const RECT& bounds, Mode mode) : m_dc(dc), m_mode(mode)
{
    if (!dc || !HasAlphaChannel(dc->Target()))
        return;
    const int left = dc->ToTargetX(bounds.left), top = dc->ToTargetY(bounds.top);
    const cairo_rectangle_int_t area { left, top, bounds.right - bounds.left, bounds.bottom - bounds.top };
    if (area.width <= 0 || area.height <= 0)
        return;
    cairo_region_t* touched = cairo_region_copy(dc->TargetClip());
    cairo_region_intersect_rectangle(touched, &area);
    for (int i = 0, n = cairo_region_num_rectangles(touched); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(touched, i, &r);
        m_rects.push_back(r);
    }
    cairo_region_destroy(touched);
    if (mode == Mode::Whole)
        return;
    cairo_surface_t* surface = dc->Target();
    cairo_surface_flush(surface);
    for (const cairo_rectangle_int_t& r : m_rects)
        for (int y = r.y; y < r.y + r.height; ++y) {
            const uint32_t* row = SurfaceRow(surface, y) + r.x;
            m_before.insert(m_before.end(), row, row + r.width);
        }
}

AlphaGuard::~AlphaGuard()
{
    if (m_rects.empty())
        return;
    cairo_surface_t* surface = m_dc->Target();
    cairo_surface_flush(surface);
    size_t index = 0;
    for (const cairo_rectangle_int_t& r : m_rects) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            uint32_t* row = SurfaceRow(surface, y) + r.x;
            for (int x = 0; x < r.width; ++x, ++index)
                if (m_mode == Mode::Whole || row[x] != m_before[index])
                    row[x] &= 0x00FFFFFFu;
        }
        cairo_surface_mark_dirty_rectangle(surface, r.x, r.y, r.width, r.height);
    }
}

}  // namespace platform
