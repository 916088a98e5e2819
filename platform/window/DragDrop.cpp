#include "platform/window/DragDrop.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <unistd.h>

#include "platform/base/Path.h"

namespace {

constexpr wchar_t kTargetProp[] = L"OleDropTargetInterface";
constexpr size_t kMaxBmpBytes = 256u << 20;

// A global block: its size, then the caller's bytes (the handle is the address of those bytes).
struct BlockHeader {
    SIZE_T size;
    SIZE_T pad;  // keeps the bytes 16-byte aligned
};

BlockHeader* HeaderOf(HGLOBAL block)
{
    return static_cast<BlockHeader*>(block) - 1;
}

// The drop's data for a registered target: the formats the desktop offered, made on request.
class DroppedDataObject final : public IDataObject {
public:
    explicit DroppedDataObject(const platform::DroppedData& data) : m_data(data) {}
    HRESULT QueryInterface(REFIID, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }  // lives on the delivering call's stack

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format == nullptr || medium == nullptr)
            return E_INVALIDARG;
        const HRESULT answer = QueryGetData(format);
        if (answer != S_OK)
            return answer;
        *medium = STGMEDIUM {};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = MakeBlock(format->cfFormat);
        return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* format) override
    {
        if (format == nullptr)
            return E_INVALIDARG;
        if ((format->dwAspect & DVASPECT_CONTENT) == 0)
            return DV_E_DVASPECT;
        if ((format->tymed & TYMED_HGLOBAL) == 0)
            return DV_E_TYMED;
        return Has(format->cfFormat) ? S_OK : DV_E_CLIPFORMAT;
    }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        return out == nullptr ? E_INVALIDARG : DATA_S_SAMEFORMATETC;
    }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** out) override
    {
        if (out != nullptr)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    bool Has(CLIPFORMAT format) const
    {
        switch (format) {
        case CF_HDROP: return !m_data.files.empty();
        case CF_UNICODETEXT: return !m_data.text.empty();
        case CF_DIB: return m_data.bmp.size() > 14;
        default: return false;
        }
    }
    HGLOBAL MakeBlock(CLIPFORMAT format) const
    {
        if (format == CF_HDROP)
            return platform::MakeDropFiles(m_data.files, POINT {});
        if (format == CF_UNICODETEXT)
            return Copy(m_data.text.c_str(), (m_data.text.size() + 1) * sizeof(wchar_t));
        return Copy(m_data.bmp.data() + 14, m_data.bmp.size() - 14);  // a DIB is a .bmp less its file header
    }
    static HGLOBAL Copy(const void* bytes, size_t size)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        if (block != nullptr)
            std::memcpy(block, bytes, size);
        return block;
    }

    const platform::DroppedData& m_data;
    ULONG m_refs { 1 };
};

HWND FileReceiver(HWND hwnd)
{
    for (HWND at = hwnd; at != nullptr; at = GetParent(at)) {
        if (GetWindowLongPtr(at, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
            return at;
        if ((GetWindowLongPtr(at, GWL_STYLE) & WS_CHILD) == 0)
            break;
    }
    return nullptr;
}

}  // namespace

namespace platform {

HGLOBAL MakeDropFiles(const std::vector<std::wstring>& files, POINT point)
{
    size_t chars = 1;
    for (const std::wstring& file : files)
        chars += file.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (block == nullptr)
        return nullptr;
    auto* header = static_cast<DROPFILES*>(block);
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(block) + sizeof(DROPFILES));
    for (const std::wstring& file : files) {
        std::memcpy(names, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
        names += file.size() + 1;
    }
    return block;
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The path of one "file:" URI, or false for another URI, another machine or a bad escape.
bool LocalPathOf(std::string_view uri, const std::string& hostName, std::string& path)
{
    constexpr std::string_view kScheme = "file://";
    if (uri.substr(0, kScheme.size()) != kScheme)
        return false;
    uri.remove_prefix(kScheme.size());
    const size_t slash = uri.find('/');
    if (slash == std::string_view::npos)
        return false;
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && host != "localhost" && host != hostName)
        return false;
    path.clear();
    for (size_t i = slash; i < uri.size(); ++i) {
        if (uri[i] != '%') {
            path += uri[i];
            continue;
        }
        const int high = i + 2 < uri.size() ? HexValue(uri[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(uri[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return false;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

}  // namespace

std::vector<std::wstring> FilesFromUriList(std::string_view list)
{
    char host[256] = {};
    gethostname(host, sizeof(host) - 1);
    const std::string hostName(host);
    std::vector<std::wstring> files;
    std::string path;
    while (!list.empty()) {
        const size_t end = std::min(list.find('\n'), list.size());
        std::string_view line = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (LocalPathOf(line, hostName, path))
            files.push_back(Utf8ToWide(path));
    }
    return files;
}

DroppedData DroppedFromBytes(std::string_view type, std::string_view bytes)
{
    DroppedData data;
    if (type == "text/uri-list")
        data.files = FilesFromUriList(bytes);
    else if (type == "image/bmp")
        data.bmp.assign(bytes.begin(), bytes.end());
    else if (type == "text/plain;charset=utf-8" || type == "UTF8_STRING")
        data.text = Utf8ToWide(bytes);
    return data;
}

HWND DropReceiverAt(POINT screen, const DroppedData& data)
{
    HWND under = WindowFromPoint(screen);
    if (under == nullptr)
        return nullptr;
    HWND top = GetAncestor(under, GA_ROOT);
    if (!data.files.empty() && FileReceiver(under) != nullptr)
        return top;
    return GetProp(top, kTargetProp) != nullptr ? top : nullptr;
}

DWORD DeliverDrop(POINT screen, DWORD keyState, const DroppedData& data)
{
    HWND under = WindowFromPoint(screen);
    if (under == nullptr)
        return DROPEFFECT_NONE;
    HWND receiver = data.files.empty() ? nullptr : FileReceiver(under);
    if (receiver != nullptr) {
        POINT client = screen;
        ScreenToClient(receiver, &client);
        HGLOBAL block = MakeDropFiles(data.files, client);
        if (block == nullptr)
            return DROPEFFECT_NONE;
        // The receiver owns the handle and frees it with DragFinish.
        SendMessage(receiver, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
        return DROPEFFECT_COPY;
    }
    HWND top = GetAncestor(under, GA_ROOT);
    auto* target = static_cast<IDropTarget*>(GetProp(top, kTargetProp));
    if (target == nullptr)
        return DROPEFFECT_NONE;
    DroppedDataObject object(data);
    const POINTL at { screen.x, screen.y };
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->AddRef();
    target->DragEnter(&object, keyState, at, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragOver(keyState, at, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->Drop(&object, keyState, at, &effect);
    target->Release();
    return effect;
}

}  // namespace platform

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (bytes > (SIZE_T { 1 } << 40))
        return nullptr;
    void* raw = (flags & GMEM_ZEROINIT) ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                        : std::malloc(sizeof(BlockHeader) + bytes);
    if (raw == nullptr)
        return nullptr;
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = bytes;
    return header + 1;
}

LPVOID GlobalLock(HGLOBAL block)
{
    return block;
}

BOOL GlobalUnlock(HGLOBAL)
{
    return FALSE;  // no lock count is kept: the block never moves
}

SIZE_T GlobalSize(HGLOBAL block)
{
    return block != nullptr ? HeaderOf(block)->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    if (block != nullptr)
        std::free(HeaderOf(block));
    return nullptr;
}

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (medium == nullptr)
        return;
    if (medium->pUnkForRelease != nullptr) {
        medium->pUnkForRelease->Release();
    } else {
        switch (medium->tymed) {
        case TYMED_HGLOBAL: GlobalFree(medium->hGlobal); break;
        case TYMED_GDI: DeleteObject(medium->hBitmap); break;
        case TYMED_FILE: std::free(medium->lpszFileName); break;
        case TYMED_ISTREAM:
            if (medium->pstm != nullptr)
                medium->pstm->Release();
            break;
        default: break;
        }
    }
    *medium = STGMEDIUM {};
}

HANDLE OleDuplicateData(HANDLE source, CLIPFORMAT format, UINT)
{
    if (source == nullptr)
        return nullptr;
    if (format == CF_BITMAP) {
        BITMAP info {};
        if (!GetObject(source, sizeof(info), &info))
            return nullptr;
        HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
        HBITMAP copy = CreateCompatibleBitmap(nullptr, info.bmWidth, info.bmHeight);
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, copy);
        BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        return copy;
    }
    const SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy != nullptr && size != 0)
        std::memcpy(copy, source, size);
    return copy;
}

namespace platform {

HBITMAP LoadBmpFile(const wchar_t* path)
{
    FILE* file = path != nullptr ? std::fopen(platform::ToPosixPath(path).c_str(), "rb") : nullptr;
    if (file == nullptr)
        return nullptr;
    std::vector<BYTE> bytes;
    BYTE chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes.size() < kMaxBmpBytes;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    if (bytes.size() < 14 + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data() + 14, sizeof header);
    DWORD offset = 0;
    std::memcpy(&offset, bytes.data() + 10, sizeof offset);
    const int64_t width = header.biWidth, height = header.biHeight < 0 ? -int64_t { header.biHeight } : header.biHeight;
    if (header.biSize < sizeof header || header.biCompression != BI_RGB || width <= 0 || height <= 0
        || width * height > (int64_t { 1 } << 26) || (header.biBitCount != 24 && header.biBitCount != 32))
        return nullptr;
    const int64_t stride = (width * header.biBitCount / 8 + 3) & ~int64_t { 3 };
    if (offset > bytes.size() || stride * height > static_cast<int64_t>(bytes.size() - offset))
        return nullptr;
    BITMAPINFO info {};
    info.bmiHeader = header;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr)
        return bitmap;
    const int bytesPerPixel = header.biBitCount / 8;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t sourceRow = header.biHeight > 0 ? height - 1 - y : y;
        const BYTE* in = bytes.data() + offset + sourceRow * stride;
        auto* out = static_cast<uint32_t*>(bits) + y * width;
        for (int64_t x = 0; x < width; ++x, in += bytesPerPixel)
            out[x] = 0xFF000000u | (uint32_t { in[2] } << 16) | (uint32_t { in[1] } << 8) | in[0];
    }
    return bitmap;
}

}  // namespace platform

HRESULT OleInitialize(LPVOID)
{
    return S_OK;
}

void OleUninitialize() {}

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target)
{
    if (!IsWindow(hwnd))
        return DRAGDROP_E_INVALIDHWND;
    if (target == nullptr)
        return E_INVALIDARG;
    if (GetProp(hwnd, kTargetProp) != nullptr)
        return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    SetProp(hwnd, kTargetProp, target);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return DRAGDROP_E_INVALIDHWND;
    auto* target = static_cast<IDropTarget*>(RemoveProp(hwnd, kTargetProp));
    if (target == nullptr)
        return DRAGDROP_E_NOTREGISTERED;
    target->Release();
    return S_OK;
}

void DragAcceptFiles(HWND hwnd, BOOL accept)
{
    const LONG_PTR style = GetWindowLongPtr(hwnd, GWL_EXSTYLE);
    SetWindowLongPtr(hwnd, GWL_EXSTYLE, accept ? (style | WS_EX_ACCEPTFILES) : (style & ~LONG_PTR { WS_EX_ACCEPTFILES }));
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size)
{
    if (drop == nullptr)
        return 0;
    const auto* header = reinterpret_cast<const DROPFILES*>(drop);
    const SIZE_T total = GlobalSize(drop);
    const auto* names = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(drop) + header->pFiles);
    const wchar_t* end = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(drop) + total);
    UINT count = 0;
    for (const wchar_t* name = names; name < end && *name != L'\0'; name += std::wcslen(name) + 1, ++count) {
        if (count != index)
            continue;
        const UINT length = static_cast<UINT>(std::wcslen(name));
        if (buffer == nullptr || size == 0)
            return length;
        const UINT copied = length < size - 1 ? length : size - 1;
        std::wmemcpy(buffer, name, copied);
        buffer[copied] = L'\0';
        return copied;
    }
    return index == 0xFFFFFFFFu ? count : 0;
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point)
{
    if (drop == nullptr || point == nullptr)
        return FALSE;
    const auto* header = reinterpret_cast<const DROPFILES*>(drop);
    *point = header->pt;
    return !header->fNC;
}

void DragFinish(HDROP drop)
{
    GlobalFree(drop);
}
