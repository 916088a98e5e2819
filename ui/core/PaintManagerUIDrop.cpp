// The paint manager in drag and drop. As its window's drop target: a picture dropped on the
// window (a device-independent bitmap, a bitmap handle, or a .bmp file from a file list) is handed
// to the window as STM_SETIMAGE. A window that keeps the picture answers with a non-zero value
// (its previous picture, or the new one); an answer of 0 leaves the picture to the manager, which
// deletes it, so windows that pass the message on unhandled leak nothing.
//
// As a drag source: a press on a drag-enabled control takes a picture of it, and the first move
// with only the left button held drags that picture out of the window (to our own windows and to
// other programs). The desktop has no drag-image service here, so the drag shows no image.

#include "ui/core/PaintManagerUI.h"

#include "ui/core/ControlUI.h"
#include "ui/core/RenderEngine.h"

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

void CPaintManagerUI::PrepareDrag(CControlUI* pControl)
{
    if (!pControl->IsDragEnabled())
        return;
    m_bDragPending = true;
    if (m_hDragBitmap)
        ::DeleteObject(m_hDragBitmap);
    m_hDragBitmap = CRenderEngine::GenerateBitmap(this, pControl, pControl->GetPos());
}

void CPaintManagerUI::StartDrag()
{
    ::ReleaseCapture();
    auto* source = new CIDropSource;
    source->AddRef();
    auto* data = new CIDataObject(source);
    data->AddRef();
    STGMEDIUM medium {};
    medium.tymed = TYMED_GDI;
    medium.hBitmap = static_cast<HBITMAP>(::OleDuplicateData(m_hDragBitmap, CF_BITMAP, 0));
    BITMAP info {};
    if (medium.hBitmap != nullptr && ::GetObject(medium.hBitmap, sizeof(info), &info)) {
        FORMATETC format { CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI };
        data->SetData(&format, &medium, TRUE);  // the data object owns the copy now
        POINT cursor { info.bmWidth / 2, info.bmHeight / 2 };
        RECT area { 0, 0, info.bmWidth, info.bmHeight };
        CDragSourceHelper helper;
        helper.InitializeFromBitmap(medium.hBitmap, cursor, area, data, ::GetSysColor(COLOR_WINDOW));
    } else if (medium.hBitmap != nullptr) {
        ::DeleteObject(medium.hBitmap);
    }
    DWORD effect = DROPEFFECT_NONE;
    ::DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    data->Release();
    source->Release();
    m_bDragPending = false;
}

}  // namespace SkinUI
