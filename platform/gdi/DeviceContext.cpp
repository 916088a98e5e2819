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

CairoPtr<cairo_region_t> CopyRegion(const cairo_region_t* region)
{
    return CairoPtr<cairo_region_t>(region ? cairo_region_copy(region) : nullptr);
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

void DeviceContext::ResetTarget(cairo_surface_t* target)
{
    m_cairo.reset();
    m_target = ShareSurface(target);
    if (m_memory)
        m_systemClip = { 0, 0, TargetWidth(), TargetHeight() };
    InvalidateClip();
}

void DeviceContext::Place(int originX, int originY, const RECT& clip)
{
    m_originX = originX;
    m_originY = originY;
    m_systemClip = { clip.left, clip.top, std::max(0, clip.right - clip.left), std::max(0, clip.bottom - clip.top) };
    InvalidateClip();
}

int DeviceContext::TargetWidth() const
{
    return IsImageSurface(m_target.get()) ? cairo_image_surface_get_width(m_target.get()) : m_systemClip.x + m_systemClip.width;
}

int DeviceContext::TargetHeight() const
{
    return IsImageSurface(m_target.get()) ? cairo_image_surface_get_height(m_target.get()) : m_systemClip.y + m_systemClip.height;
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

void DeviceContext::SetClip(CairoPtr<cairo_region_t> clip)
{
    m_state.clip = std::move(clip);
    InvalidateClip();
}

void DeviceContext::InvalidateClip()
{
    m_targetClip.reset();
    m_cairoClipValid = false;
}

CairoPtr<cairo_region_t> DeviceContext::DeviceBounds() const
{
    cairo_rectangle_int_t area = m_systemClip;
    area.x -= m_originX;
    area.y -= m_originY;
    return CairoPtr<cairo_region_t>(cairo_region_create_rectangle(&area));
}

const cairo_region_t* DeviceContext::TargetClip()
{
    if (m_targetClip)
        return m_targetClip.get();
    const cairo_rectangle_int_t whole { 0, 0, TargetWidth(), TargetHeight() };
    m_targetClip.reset(cairo_region_create_rectangle(&m_systemClip));
    cairo_region_intersect_rectangle(m_targetClip.get(), &whole);
    if (m_state.clip) {
        CairoPtr<cairo_region_t> selected = CopyRegion(m_state.clip.get());
        cairo_region_translate(selected.get(), m_originX, m_originY);
        cairo_region_intersect(m_targetClip.get(), selected.get());
    }
    return m_targetClip.get();
}

cairo_t* DeviceContext::Cairo()
{
    if (!m_target)
        return nullptr;
    // A context cairo has put in an error (a singular transform, say) draws nothing ever again:
    // the DC starts a new one. A canvas still working on the old one holds its own reference.
    if (m_cairo && cairo_status(m_cairo.get()) != CAIRO_STATUS_SUCCESS)
        m_cairo.reset();
    if (!m_cairo) {
        m_cairo.reset(cairo_create(m_target.get()));
        m_cairoClipValid = false;
    }
    if (!m_cairoClipValid) {
        cairo_t* cr = m_cairo.get();
        cairo_reset_clip(cr);
        const cairo_region_t* clip = TargetClip();
        cairo_new_path(cr);
        for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(clip, i, &r);
            cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        }
        cairo_clip(cr);
        m_cairoClipValid = true;
    }
    return m_cairo.get();
}

// ---- Saved states -----------------------------------------------------------------------------

DeviceContext::State DeviceContext::CopyState(const State& state)
{
    return State { state.viewportOrg, state.windowOrg, state.currentPos, state.bitmap, state.brush, state.pen,
                   state.font, state.textColor, state.bkColor, state.bkMode, state.stretchMode,
                   CopyRegion(state.clip.get()) };
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
    m_saved.resize(level - 1);
    const bool newBitmap = m_memory && restored.bitmap && restored.bitmap != m_state.bitmap;
    m_state = std::move(restored);
    if (newBitmap)
        ResetTarget(m_state.bitmap->Surface());
    InvalidateClip();
    return true;
}

// ---- Canvas -----------------------------------------------------------------------------------

Canvas::Canvas(DeviceContext* dc)
{
    if (!dc)
        return;
    cairo_t* cr = dc->Cairo();
    // A finished target (a window's buffer replaced while one of its DCs is held) gives only
    // contexts in an error state: nothing to draw on.
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS || cairo_region_is_empty(dc->TargetClip()))
        return;
    m_cairo.reset(cairo_reference(cr));
    m_saved.emplace(cr);
    cairo_translate(cr, dc->ToTargetX(0), dc->ToTargetY(0));
}

Canvas::~Canvas()
{
    if (!m_cairo)
        return;
    m_saved.reset();  // the state comes back before the pixels are flushed
    cairo_surface_flush(cairo_get_target(m_cairo.get()));
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

namespace {

std::vector<std::unique_ptr<AlphaGuard::Scratch>>& SparePool()
{
    thread_local std::vector<std::unique_ptr<AlphaGuard::Scratch>> spare;
    return spare;
}

std::unique_ptr<AlphaGuard::Scratch> TakeScratch()
{
    auto& spare = SparePool();
    if (spare.empty())
        return std::make_unique<AlphaGuard::Scratch>();
    std::unique_ptr<AlphaGuard::Scratch> scratch = std::move(spare.back());
    spare.pop_back();
    scratch->rects.clear();
    scratch->before.clear();
    return scratch;
}

void GiveBack(std::unique_ptr<AlphaGuard::Scratch> scratch)
{
    SparePool().push_back(std::move(scratch));
}

// The parts of `area` (target coordinates) inside the clip, one per clip rectangle it meets.
void ClippedParts(const cairo_region_t* clip, const cairo_rectangle_int_t& area, std::vector<cairo_rectangle_int_t>& out)
{
    for (int i = 0, n = cairo_region_num_rectangles(clip); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        const int left = std::max(r.x, area.x), top = std::max(r.y, area.y);
        const int right = std::min(r.x + r.width, area.x + area.width);
        const int bottom = std::min(r.y + r.height, area.y + area.height);
        if (right > left && bottom > top)
            out.push_back({ left, top, right - left, bottom - top });
    }
}

// The touched area of a GDI-style call: empty when the target has no alpha byte to fix.
bool TouchedParts(DeviceContext* dc, const RECT& bounds, std::vector<cairo_rectangle_int_t>& out)
{
    if (!dc || !HasAlphaChannel(dc->Target()))
        return false;
    const cairo_rectangle_int_t area { dc->ToTargetX(bounds.left), dc->ToTargetY(bounds.top), bounds.right - bounds.left,
                                       bounds.bottom - bounds.top };
    if (area.width <= 0 || area.height <= 0)
        return false;
    ClippedParts(dc->TargetClip(), area, out);
    return !out.empty();
}

// A whole frame is filled row by row at one store a cycle, so the loop's speed hung on where it
// happened to land in the code (a loop split across two fetch lines ran at half speed). Unrolled,
// each pass stores several vectors and the fill stays bound by memory wherever it lands.
void FillRow(uint32_t* row, int count, uint32_t pixel)
{
#pragma GCC unroll 8
    for (int x = 0; x < count; ++x)
        row[x] = pixel;
}

}  // namespace

AlphaGuard::AlphaGuard(DeviceContext* dc, const RECT& bounds, Mode mode) : m_dc(dc), m_mode(mode)
{
    std::unique_ptr<Scratch> scratch = TakeScratch();
    if (!TouchedParts(dc, bounds, scratch->rects)) {
        GiveBack(std::move(scratch));
        return;
    }
    m_scratch = std::move(scratch);
    if (mode == Mode::Whole)
        return;
    cairo_surface_t* surface = dc->Target();
    cairo_surface_flush(surface);
    std::vector<uint32_t>& before = m_scratch->before;
    for (const cairo_rectangle_int_t& r : m_scratch->rects)
        for (int y = r.y; y < r.y + r.height; ++y) {
            const uint32_t* row = SurfaceRow(surface, y) + r.x;
            before.insert(before.end(), row, row + r.width);
        }
}

AlphaGuard::~AlphaGuard()
{
    if (!m_scratch)
        return;
    cairo_surface_t* surface = m_dc->Target();
    cairo_surface_flush(surface);
    const uint32_t* before = m_scratch->before.data();
    for (const cairo_rectangle_int_t& r : m_scratch->rects) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            uint32_t* row = SurfaceRow(surface, y) + r.x;
            if (m_mode == Mode::Whole) {
                for (int x = 0; x < r.width; ++x)
                    row[x] &= 0x00FFFFFFu;
                continue;
            }
            for (int x = 0; x < r.width; ++x)
                if (row[x] != before[x])
                    row[x] &= 0x00FFFFFFu;
            before += r.width;
        }
        cairo_surface_mark_dirty_rectangle(surface, r.x, r.y, r.width, r.height);
    }
    GiveBack(std::move(m_scratch));
}

bool FillWithoutAlpha(DeviceContext* dc, const RECT& rect, COLORREF color)
{
    if (!dc || !HasAlphaChannel(dc->Target()))
        return false;
    std::unique_ptr<AlphaGuard::Scratch> scratch = TakeScratch();
    if (TouchedParts(dc, rect, scratch->rects)) {
        cairo_surface_t* surface = dc->Target();
        cairo_surface_flush(surface);
        const uint32_t pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        for (const cairo_rectangle_int_t& r : scratch->rects) {
            for (int y = r.y; y < r.y + r.height; ++y)
                FillRow(SurfaceRow(surface, y) + r.x, r.width, pixel);
            cairo_surface_mark_dirty_rectangle(surface, r.x, r.y, r.width, r.height);
        }
    }
    GiveBack(std::move(scratch));
    return true;
}

}  // namespace platform
