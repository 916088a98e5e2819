// The paint manager as its window's drop target: a picture dropped on the window (a device-
// independent bitmap, a bitmap handle, or a .bmp file from a file list) is handed to the window as
// STM_SETIMAGE. A window that keeps the picture answers with a non-zero value (its previous
// picture, or the new one); an answer of 0 leaves the picture to the manager, which deletes it, so
// windows that pass the message on unhandled leak nothing.

#include "ui/core/PaintManagerUI.h"

#include <cstdint>
#include <cstring>

namespace SkinUI {

namespace {

constexpr DWORD kBiBitfields = 3;

// A device-dependent bitmap from a CF_DIB block, or null. The block comes from another program:
// every size in its header is checked against the block before anything past the header is read.
HBITMAP BitmapFromDib(const BYTE* block, size_t size)
{
    if (block == nullptr || size < sizeof(DWORD))
        return nullptr;
    DWORD headerSize = 0;
    std::memcpy(&headerSize, block, sizeof headerSize);
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > size)
        return nullptr;  // the 12-byte core header is refused as well: no program offers it today
    BITMAPINFOHEADER header;
    std::memcpy(&header, block, sizeof header);
    const int64_t width = header.biWidth, height = header.biHeight < 0 ? -int64_t { header.biHeight } : header.biHeight;
    const WORD bits = header.biBitCount;
    if (width <= 0 || height <= 0 || width * height > (int64_t { 1 } << 26) || bits == 0 || bits > 32)
        return nullptr;
    int64_t colours = header.biClrUsed;
    if (colours == 0 && bits <= 8)
        colours = int64_t { 1 } << bits;
    if (colours > 256 || (bits <= 8 && colours > (int64_t { 1 } << bits)))
        return nullptr;
    int64_t offset = headerSize + colours * 4;
    if (header.biCompression == kBiBitfields) {
        if (headerSize == sizeof(BITMAPINFOHEADER))
            offset += 3 * sizeof(DWORD);  // the three masks follow a plain header
    } else if (header.biCompression != BI_RGB) {
        return nullptr;
    }
    const int64_t stride = ((width * bits + 31) / 32) * 4;
    if (offset > static_cast<int64_t>(size) || stride * height > static_cast<int64_t>(size) - offset)
        return nullptr;
    BITMAPINFO info {};
    info.bmiHeader = header;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBitmap(screen, &header, CBM_INIT, block + offset, &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP BitmapFromFileList(HGLOBAL block)
{
    auto drop = static_cast<HDROP>(block);
    if (::DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0) == 0)
        return nullptr;
    wchar_t path[520] = {};
    ::DragQueryFile(drop, 0, path, 520);
    return static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

}  // namespace

bool CPaintManagerUI::InitDragDrop()
{
    AddRef();
    const HRESULT registered = ::RegisterDragDrop(m_hWndPaint, this);
    Release();
    if (FAILED(registered))
        return false;
    SetTargetWnd(m_hWndPaint);
    FORMATETC format { CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI };
    AddSuportedFormat(format);
    format = FORMATETC { CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    AddSuportedFormat(format);
    format = FORMATETC { CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    AddSuportedFormat(format);
    format = FORMATETC { CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF };
    AddSuportedFormat(format);
    return true;
}

bool CPaintManagerUI::OnDrop(FORMATETC* pFmtEtc, STGMEDIUM& medium, DWORD*)
{
    POINT cursor {};
    ::GetCursorPos(&cursor);
    ::SendMessage(m_hTargetWnd, WM_LBUTTONUP, 0, MAKELPARAM(cursor.x, cursor.y));
    HBITMAP bitmap = nullptr;
    bool result = true;
    if (pFmtEtc->cfFormat == CF_DIB && medium.tymed == TYMED_HGLOBAL) {
        bitmap = BitmapFromDib(static_cast<const BYTE*>(::GlobalLock(medium.hGlobal)), ::GlobalSize(medium.hGlobal));
        ::GlobalUnlock(medium.hGlobal);
    } else if (pFmtEtc->cfFormat == CF_BITMAP && medium.tymed == TYMED_GDI) {
        bitmap = medium.hBitmap;
        result = false;  // the caller must not release what goes on to the window
    } else if (pFmtEtc->cfFormat == CF_HDROP && medium.tymed == TYMED_HGLOBAL) {
        bitmap = BitmapFromFileList(medium.hGlobal);
    }
    if (bitmap == nullptr)
        return result;
    const auto answer = reinterpret_cast<HBITMAP>(
        ::SendMessage(m_hTargetWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (answer == nullptr)
        ::DeleteObject(bitmap);  // nobody kept it
    else if (answer != bitmap)
        ::DeleteObject(answer);  // the window's previous picture
    return result;
}

}  // namespace SkinUI
