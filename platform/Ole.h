#pragma once
// Drag and drop in the Windows vocabulary: the data-transfer records and interfaces, global memory
// blocks, the dropped-files handle and the drop-target registration.
//
// Rules: a window takes drops on the thread that owns it. A window that called DragAcceptFiles
// gets a list of dropped files as WM_DROPFILES with an HDROP the receiver reads with DragQueryFile
// and frees with DragFinish; any other drop (and files over a window that does not accept them)
// goes to the IDropTarget registered for the window's top-level window, with a data object the
// layer owns for the length of the drop. Drops come from the desktop over the X11 drag-and-drop
// protocol (XDND), or from a test through the headless display. The objects behind these
// interfaces belong to whoever made them: the layer only calls AddRef and Release.

#include "platform/GdiPlus.h"  // IStream
#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/WinUser.h"

// ---- Results ----------------------------------------------------------------------------------

constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000Au);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
constexpr HRESULT DV_E_CLIPFORMAT = static_cast<HRESULT>(0x8004006Au);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);

// ---- Global memory ----------------------------------------------------------------------------

// A block is its own handle (GlobalLock returns it): only blocks from GlobalAlloc are valid here.
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);  // null on success

// ---- Data transfer ----------------------------------------------------------------------------

using CLIPFORMAT = WORD;
constexpr CLIPFORMAT CF_DIB = 8;
struct DVTARGETDEVICE;
struct IAdviseSink;
struct IEnumSTATDATA;
struct IStorage;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_FILE = 2;
constexpr DWORD TYMED_ISTREAM = 4;
constexpr DWORD TYMED_ISTORAGE = 8;
constexpr DWORD TYMED_GDI = 16;
constexpr DWORD TYMED_MFPICT = 32;
constexpr DWORD TYMED_ENHMF = 64;
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

struct FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};

// One medium: the union member that `tymed` names; pUnkForRelease, when set, frees it instead.
struct STGMEDIUM {
    DWORD tymed;
    union {
        HBITMAP hBitmap;
        HANDLE hMetaFilePict;
        HANDLE hEnhMetaFile;
        HGLOBAL hGlobal;
        LPWSTR lpszFileName;
        IStream* pstm;
        IStorage* pstg;
    };
    IUnknown* pUnkForRelease;
};

// Frees what the medium holds (GlobalFree, DeleteObject, the file name, a stream's Release) and
// clears it; with pUnkForRelease only that object is released.
void ReleaseStgMedium(STGMEDIUM* medium);
// A copy of a global block or a GDI bitmap (the clipboard format says which); null on failure.
HANDLE OleDuplicateData(HANDLE source, CLIPFORMAT format, UINT flags);

struct IEnumFORMATETC : IUnknown {
    virtual HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** out) = 0;

protected:
    ~IEnumFORMATETC() = default;
};

struct IDataObject : IUnknown {
    virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
    virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** out) = 0;

protected:
    ~IDataObject() = default;
};

// ---- Drop targets and sources -----------------------------------------------------------------

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;

struct POINTL {
    LONG x;
    LONG y;
};

struct IDropTarget : IUnknown {
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

protected:
    ~IDropTarget() = default;
};

struct IDropSource : IUnknown {
    virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;

protected:
    ~IDropSource() = default;
};

// Runs a drag of `data` out of the window that took the last press, until `source` says drop or
// cancel: the calling thread's mouse and key input drive it, its other messages keep being
// dispatched. DRAGDROP_S_DROP when a target took the data (*effect: what it did), else
// DRAGDROP_S_CANCEL; E_UNEXPECTED when the data offers nothing a target could take.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();
// The target is AddRef'd while registered; a window has at most one.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND hwnd);

// ---- Dropped files ----------------------------------------------------------------------------

struct HDROP__;
using HDROP = HDROP__*;
// The block behind an HDROP: this header, then the file names as wide strings, each ended by a
// null, the list ended by one more null.
struct DROPFILES {
    DWORD pFiles;  // offset of the first name from the start of the block
    POINT pt;      // drop point in the window's client coordinates
    BOOL fNC;
    BOOL fWide;
};

void DragAcceptFiles(HWND hwnd, BOOL accept);
// index 0xFFFFFFFF: the number of files; a null buffer: the length of the name (no null).
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size);
inline UINT DragQueryFile(HDROP drop, UINT index, LPWSTR buffer, UINT size)
{
    return DragQueryFileW(drop, index, buffer, size);
}
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
void DragFinish(HDROP drop);
