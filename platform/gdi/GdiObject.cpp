#include "platform/gdi/GdiObject.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace platform {

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<HGDIOBJ, std::shared_ptr<GdiObject>> objects;
    std::unordered_set<HGDIOBJ> stock;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable;  // never destroyed: handles outlive static teardown
    return *table;
}

}  // namespace

std::shared_ptr<BitmapObject> BitmapObject::Create(int width, int height, bool bottomUp)
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    auto* bits = static_cast<uint8_t*>(std::calloc(rowBytes, static_cast<size_t>(height)));
    if (!bits)
        return nullptr;
    const int stride = static_cast<int>(rowBytes);
    uint8_t* first = bottomUp ? bits + rowBytes * (height - 1) : bits;
    CairoPtr<cairo_surface_t> surface(cairo_image_surface_create_for_data(first, CAIRO_FORMAT_ARGB32, width, height,
                                                                          bottomUp ? -stride : stride));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        std::free(bits);
        return nullptr;
    }
    std::shared_ptr<BitmapObject> bitmap(new BitmapObject);
    bitmap->m_surface = std::move(surface);
    bitmap->m_bits = bits;
    bitmap->m_width = width;
    bitmap->m_height = height;
    return bitmap;
}

BitmapObject::~BitmapObject()
{
    // Finished before the pixels go: a surface still referenced elsewhere must not touch them.
    cairo_surface_finish(m_surface.get());
    m_surface.reset();
    std::free(m_bits);
}

HGDIOBJ RegisterGdiObject(std::shared_ptr<GdiObject> object)
{
    if (!object)
        return nullptr;
    HGDIOBJ handle = object.get();
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    table.objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second;
}

bool UnregisterGdiObject(HGDIOBJ handle)
{
    std::shared_ptr<GdiObject> doomed;  // released after the lock: a destructor may take it again
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    if (table.stock.count(handle))
        return false;
    auto it = table.objects.find(handle);
    if (it == table.objects.end())
        return false;
    doomed = std::move(it->second);
    table.objects.erase(it);
    return true;
}

bool IsStockObject(HGDIOBJ handle)
{
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    return table.stock.count(handle) != 0;
}

HGDIOBJ RegisterStockObject(std::shared_ptr<GdiObject> object)
{
    HGDIOBJ handle = RegisterGdiObject(std::move(object));
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    table.stock.insert(handle);
    return handle;
}

}  // namespace platform
