// DCs, bitmaps, brushes, pens and the object calls (select, delete, query, stock objects).

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/SurfaceDC.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

namespace platform {

HDC CreateSurfaceDC(cairo_surface_t* target, int originX, int originY, const RECT& clip)
{
    if (!target || cairo_surface_status(target) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return DeviceContext::Register(std::make_unique<DeviceContext>(target, originX, originY, clip));
}

void DeleteSurfaceDC(HDC hdc)
{
    DeviceContext::Destroy(hdc);
}

void PlaceSurfaceDC(HDC hdc, int originX, int originY, const RECT& clip)
{
    if (DeviceContext* dc = DeviceContext::FromHandle(hdc))
        dc->Place(originX, originY, clip);
}

cairo_surface_t* SurfaceOfDC(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !dc->Target())
        return nullptr;
    cairo_surface_flush(dc->Target());
    return dc->Target();
}

HFONT DefaultGuiFont();  // Font.cpp

namespace {

struct StockObjects {
    std::array<HGDIOBJ, DEFAULT_GUI_FONT + 1> handles {};
    StockObjects()
    {
        handles[WHITE_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(255, 255, 255), false));
        handles[LTGRAY_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(192, 192, 192), false));
        handles[GRAY_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(128, 128, 128), false));
        handles[DKGRAY_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(64, 64, 64), false));
        handles[BLACK_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(0, 0, 0), false));
        handles[NULL_BRUSH] = RegisterStockObject(std::make_shared<BrushObject>(RGB(0, 0, 0), true));
        handles[WHITE_PEN] = RegisterStockObject(std::make_shared<PenObject>(PS_SOLID, 1, RGB(255, 255, 255)));
        handles[BLACK_PEN] = RegisterStockObject(std::make_shared<PenObject>(PS_SOLID, 1, RGB(0, 0, 0)));
        handles[NULL_PEN] = RegisterStockObject(std::make_shared<PenObject>(PS_NULL, 1, RGB(0, 0, 0)));
        handles[SYSTEM_FONT] = DefaultGuiFont();
        handles[DEFAULT_GUI_FONT] = DefaultGuiFont();
    }
};

const StockObjects& Stock()
{
    static const StockObjects* stock = new StockObjects;
    return *stock;
}

void InitDefaults(DeviceContext& dc)
{
    const StockObjects& stock = Stock();
    DeviceContext::State& state = dc.Current();
    state.brush = FindBrush(stock.handles[WHITE_BRUSH]);
    state.pen = FindPen(stock.handles[BLACK_PEN]);
    state.font = FindFont(stock.handles[SYSTEM_FONT]);
}

HDC RegisterWithDefaults(std::unique_ptr<DeviceContext> dc)
{
    InitDefaults(*dc);
    return DeviceContext::Register(std::move(dc));
}

}  // namespace

}  // namespace platform

using platform::DeviceContext;

HDC CreateCompatibleDC(HDC)
{
    return platform::RegisterWithDefaults(std::make_unique<DeviceContext>());
}

BOOL DeleteDC(HDC hdc)
{
    return DeviceContext::Destroy(hdc);
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    return static_cast<HBITMAP>(platform::RegisterGdiObject(platform::BitmapObject::Create(width, height, false)));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section || info->bmiHeader.biBitCount != 32
        || info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biHeight == 0)
        return nullptr;
    const LONG height = info->bmiHeader.biHeight;
    auto bitmap = platform::BitmapObject::Create(info->bmiHeader.biWidth, height < 0 ? -height : height, height > 0);
    if (!bitmap)
        return nullptr;
    if (bits)
        *bits = bitmap->Bits();
    return static_cast<HBITMAP>(platform::RegisterGdiObject(std::move(bitmap)));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage)
{
    if (!header || header->biBitCount != 32 || header->biCompression != BI_RGB)
        return nullptr;
    BITMAPINFO top {};
    top.bmiHeader = *header;
    const LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    top.bmiHeader.biHeight = -height;
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, header->biWidth, height);
    auto object = platform::FindBitmap(bitmap);
    if (!object || !(init & CBM_INIT) || !bits || usage != DIB_RGB_COLORS || !info)
        return bitmap;
    // Packed DIB rows are bottom-up unless the height is negative.
    const auto* source = static_cast<const uint8_t*>(bits);
    const int rowBytes = object->RowBytes();
    for (int y = 0; y < height; ++y) {
        const int sourceRow = header->biHeight > 0 ? height - 1 - y : y;
        std::memcpy(object->Bits() + static_cast<size_t>(rowBytes) * y, source + static_cast<size_t>(rowBytes) * sourceRow, rowBytes);
    }
    cairo_surface_mark_dirty(object->Surface());
    return bitmap;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits)
{
    auto object = platform::FindBitmap(bitmap);
    if (!object || !bits || count <= 0)
        return 0;
    cairo_surface_flush(object->Surface());
    const LONG total = object->RowBytes() * object->Height();
    const LONG n = count < total ? count : total;
    auto* out = static_cast<uint8_t*>(bits);
    for (LONG done = 0, y = 0; done < n; ++y) {  // top-down rows, whatever the memory order
        const LONG take = std::min<LONG>(object->RowBytes(), n - done);
        std::memcpy(out + done, platform::SurfaceRow(object->Surface(), y), take);
        done += take;
    }
    return n;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits)
{
    auto object = platform::FindBitmap(bitmap);
    if (!object || !bits || count == 0)
        return 0;
    cairo_surface_flush(object->Surface());
    const LONG total = object->RowBytes() * object->Height();
    const LONG n = static_cast<LONG>(count) < total ? static_cast<LONG>(count) : total;
    const auto* in = static_cast<const uint8_t*>(bits);
    for (LONG done = 0, y = 0; done < n; ++y) {
        const LONG take = std::min<LONG>(object->RowBytes(), n - done);
        std::memcpy(platform::SurfaceRow(object->Surface(), y), in + done, take);
        done += take;
    }
    cairo_surface_mark_dirty(object->Surface());
    return n;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    auto found = platform::FindGdiObject(object);
    if (!dc || !found)
        return nullptr;
    DeviceContext::State& state = dc->Current();
    switch (found->Kind()) {
    case platform::GdiKind::Bitmap: {
        if (!dc->IsMemory())
            return nullptr;
        HGDIOBJ old = state.bitmap.get();
        dc->SelectBitmap(std::static_pointer_cast<platform::BitmapObject>(found));
        return old;
    }
    case platform::GdiKind::Brush: {
        HGDIOBJ old = state.brush.get();
        state.brush = std::static_pointer_cast<platform::BrushObject>(found);
        return old;
    }
    case platform::GdiKind::Pen: {
        HGDIOBJ old = state.pen.get();
        state.pen = std::static_pointer_cast<platform::PenObject>(found);
        return old;
    }
    case platform::GdiKind::Font: {
        HGDIOBJ old = state.font.get();
        state.font = std::static_pointer_cast<platform::FontObject>(found);
        return old;
    }
    case platform::GdiKind::Region: {
        const int kind = SelectClipRgn(hdc, static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(kind));
    }
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (platform::IsStockObject(object))
        return TRUE;
    return platform::UnregisterGdiObject(object);
}

DWORD GetObjectType(HGDIOBJ object)
{
    if (DeviceContext* dc = DeviceContext::FromHandle(static_cast<HDC>(object)))
        return dc->IsMemory() ? OBJ_MEMDC : OBJ_DC;
    auto found = platform::FindGdiObject(object);
    return found ? static_cast<DWORD>(found->Kind()) : 0;
}

int GetObject(HGDIOBJ object, int size, LPVOID out)
{
    auto found = platform::FindGdiObject(object);
    if (!found)
        return 0;
    if (auto bitmap = platform::FindBitmap(object)) {
        if (!out)
            return sizeof(BITMAP);
        if (size < static_cast<int>(sizeof(BITMAP)))
            return 0;
        BITMAP info { 0, bitmap->Width(), bitmap->Height(), bitmap->RowBytes(), 1, 32, bitmap->Bits() };
        std::memcpy(out, &info, sizeof info);
        return sizeof(BITMAP);
    }
    if (auto font = platform::FindFont(object)) {
        if (!out)
            return sizeof(LOGFONTW);
        if (size < static_cast<int>(sizeof(LOGFONTW)))
            return 0;
        std::memcpy(out, &font->LogFont(), sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    return 0;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID out)
{
    return GetObject(object, size, out);
}

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index > DEFAULT_GUI_FONT)
        return nullptr;
    return platform::Stock().handles[index];
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return nullptr;
    const DeviceContext::State& state = dc->Current();
    switch (type) {
    case OBJ_BITMAP: return state.bitmap.get();
    case OBJ_BRUSH: return state.brush.get();
    case OBJ_PEN: return state.pen.get();
    case OBJ_FONT: return state.font.get();
    default: return nullptr;
    }
}

int SaveDC(HDC hdc)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc ? dc->Save() : 0;
}

BOOL RestoreDC(HDC hdc, int saved)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    return dc && dc->Restore(saved);
}

BOOL GdiFlush()
{
    return TRUE;  // drawing is flushed to the pixels at the end of every call
}

int GetDeviceCaps(HDC hdc, int index)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;  // logical inch: the framework scales by its own DPI factor
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case HORZRES: return dc ? dc->TargetWidth() : 0;
    case VERTRES: return dc ? dc->TargetHeight() : 0;
    default: return 0;
    }
}

DWORD GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT:
    case COLOR_BTNTEXT:
    case COLOR_INFOTEXT:
    case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    case COLOR_MENU:
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_SCROLLBAR: return RGB(200, 200, 200);
    case COLOR_BACKGROUND: return RGB(0, 0, 0);
    default: return 0;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::array<HBRUSH, COLOR_INFOBK + 1> brushes {};
    static std::once_flag made;
    std::call_once(made, [] {
        for (int i = 0; i <= COLOR_INFOBK; ++i)
            brushes[i] = static_cast<HBRUSH>(platform::RegisterStockObject(std::make_shared<platform::BrushObject>(GetSysColor(i), false)));
    });
    return index >= 0 && index <= COLOR_INFOBK ? brushes[index] : nullptr;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->Current().viewportOrg;
    dc->Current().viewportOrg = { x, y };
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->Current().viewportOrg;
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return FALSE;
    const POINT current = dc->Current().viewportOrg;
    return SetViewportOrgEx(hdc, current.x + dx, current.y + dy, old);
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->Current().windowOrg;
    dc->Current().windowOrg = { x, y };
    return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, LPPOINT origin)
{
    DeviceContext* dc = DeviceContext::FromHandle(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->Current().windowOrg;
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    return static_cast<HBRUSH>(platform::RegisterGdiObject(std::make_shared<platform::BrushObject>(color & 0xFFFFFF, false)));
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    return static_cast<HPEN>(platform::RegisterGdiObject(std::make_shared<platform::PenObject>(style, width, color & 0xFFFFFF)));
}
