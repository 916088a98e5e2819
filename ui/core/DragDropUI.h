#pragma once
// The framework's drag-and-drop objects, shaped after OLE's: a drop target every paint manager is
// (it accepts a picture dropped on its window), and the source, data object, format enumerator and
// drag-image helper of a drag that starts from a drag-enabled control.
//
// Rules: window thread only, no locks. Reference counts follow OLE's contracts: the data object,
// source and enumerator delete themselves when their count reaches zero; the drop target is part
// of its paint manager and only counts. The data object owns the media handed to it with release
// true, and its own copies of the others. The desktop's drag-image service does not exist here,
// so drags and drops work without drag images (the helper answers E_FAIL).

#include <vector>

#include "platform/Ole.h"

namespace SkinUI {

class CIDropTarget : public IDropTarget {
public:
    explicit CIDropTarget(HWND hTargetWnd = nullptr);
    CIDropTarget(const CIDropTarget&) = delete;
    CIDropTarget& operator=(const CIDropTarget&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    virtual ~CIDropTarget() = default;
    // The derived class takes the dropped medium; true lets the target release it.
    virtual bool OnDrop(FORMATETC* pFmtEtc, STGMEDIUM& medium, DWORD* pdwEffect) = 0;

    void AddSuportedFormat(FORMATETC& ftetc);
    void SetTargetWnd(HWND hWnd) { m_hTargetWnd = hWnd; }
    bool QueryDrop(DWORD grfKeyState, LPDWORD pdwEffect);

protected:
    HWND m_hTargetWnd { nullptr };

private:
    LONG m_cRefCount { 0 };
    bool m_bAllowDrop { false };
    std::vector<FORMATETC> m_formatetc;
    int m_acceptedFormat { -1 };  // index into m_formatetc
};

class CIDropSource final : public IDropSource {
public:
    CIDropSource() = default;
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    HRESULT GiveFeedback(DWORD dwEffect) override;
    bool IsDropped() const { return m_bDropped; }

private:
    ~CIDropSource() = default;
    LONG m_cRefCount { 0 };
    bool m_bDropped { false };
};

class CIDataObject final : public IDataObject {
public:
    explicit CIDataObject(CIDropSource* pDropSource);
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT QueryGetData(FORMATETC* pformatetc) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
    HRESULT DUnadvise(DWORD dwConnection) override;
    HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;
    static void CopyMedium(STGMEDIUM* pMedDest, STGMEDIUM* pMedSrc, FORMATETC* pFmtSrc);

private:
    ~CIDataObject();
    CIDropSource* m_pDropSource;  // not referenced
    LONG m_cRefCount { 0 };
    std::vector<FORMATETC> m_ArrFormatEtc;
    std::vector<STGMEDIUM> m_StgMedium;  // index-aligned with m_ArrFormatEtc
};

class CEnumFormatEtc final : public IEnumFORMATETC {
public:
    explicit CEnumFormatEtc(const std::vector<FORMATETC*>& ArrFE);
    explicit CEnumFormatEtc(const std::vector<FORMATETC>& ArrFE);
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** ppCloneEnumFormatEtc) override;

private:
    ~CEnumFormatEtc() = default;
    LONG m_cRefCount { 0 };
    std::vector<FORMATETC> m_pFmtEtc;
    size_t m_iCur { 0 };
};

// The desktop's drag-image service is not available: both calls answer E_FAIL and the drag goes
// on without an image.
class CDragSourceHelper {
public:
    virtual ~CDragSourceHelper() = default;
    HRESULT InitializeFromBitmap(HBITMAP hBitmap, POINT& pt, RECT& rc, IDataObject* pDataObject,
                                 COLORREF crColorKey = 0);
    HRESULT InitializeFromWindow(HWND hwnd, POINT& pt, IDataObject* pDataObject);
};

}  // namespace SkinUI
