#include "ui/core/DragDropUI.h"

#include <cstdlib>
#include <cwchar>

namespace SkinUI {

namespace {

// Every object here answers its own interface and IUnknown with itself; nothing else is asked.
template <typename Self>
HRESULT AnswerSelf(Self* self, void** ppvObject)
{
    if (ppvObject == nullptr)
        return E_POINTER;
    *ppvObject = self;
    self->AddRef();
    return S_OK;
}

bool SameFormat(const FORMATETC& stored, const FORMATETC& asked)
{
    return (stored.tymed & asked.tymed) != 0 && stored.cfFormat == asked.cfFormat;
}

}  // namespace

// ---- drop target ----

CIDropTarget::CIDropTarget(HWND hTargetWnd) : m_hTargetWnd(hTargetWnd) {}

HRESULT CIDropTarget::QueryInterface(REFIID, void** ppvObject)
{
    return AnswerSelf(this, ppvObject);
}

ULONG CIDropTarget::AddRef()
{
    return static_cast<ULONG>(++m_cRefCount);
}

ULONG CIDropTarget::Release()
{
    return static_cast<ULONG>(--m_cRefCount);  // part of its paint manager: never deleted here
}

void CIDropTarget::AddSuportedFormat(FORMATETC& ftetc)
{
    m_formatetc.push_back(ftetc);
}

bool CIDropTarget::QueryDrop(DWORD grfKeyState, LPDWORD pdwEffect)
{
    const DWORD offered = *pdwEffect;
    if (!m_bAllowDrop) {
        *pdwEffect = DROPEFFECT_NONE;
        return false;
    }
    DWORD wanted = DROPEFFECT_NONE;
    if ((grfKeyState & MK_CONTROL) && (grfKeyState & MK_SHIFT))
        wanted = DROPEFFECT_LINK;
    else if (grfKeyState & MK_CONTROL)
        wanted = DROPEFFECT_COPY;
    else if (grfKeyState & MK_SHIFT)
        wanted = DROPEFFECT_MOVE;
    if (wanted == DROPEFFECT_NONE) {
        for (DWORD effect : { DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK }) {
            if (offered & effect) {
                wanted = effect;
                break;
            }
        }
    } else if ((offered & wanted) == 0) {
        wanted = DROPEFFECT_NONE;
    }
    *pdwEffect = wanted;
    return wanted != DROPEFFECT_NONE;
}

HRESULT CIDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL, DWORD* pdwEffect)
{
    if (pDataObj == nullptr)
        return E_INVALIDARG;
    m_acceptedFormat = -1;
    m_bAllowDrop = false;
    for (size_t i = 0; i < m_formatetc.size(); ++i) {
        if (pDataObj->QueryGetData(&m_formatetc[i]) == S_OK) {
            m_bAllowDrop = true;
            m_acceptedFormat = static_cast<int>(i);
            break;
        }
    }
    QueryDrop(grfKeyState, pdwEffect);
    return S_OK;
}

HRESULT CIDropTarget::DragOver(DWORD grfKeyState, POINTL, DWORD* pdwEffect)
{
    QueryDrop(grfKeyState, pdwEffect);
    return S_OK;
}

HRESULT CIDropTarget::DragLeave()
{
    m_bAllowDrop = false;
    m_acceptedFormat = -1;
    return S_OK;
}

HRESULT CIDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL, DWORD* pdwEffect)
{
    if (pDataObj == nullptr)
        return E_INVALIDARG;
    if (QueryDrop(grfKeyState, pdwEffect) && m_bAllowDrop && m_acceptedFormat >= 0) {
        FORMATETC* format = &m_formatetc[static_cast<size_t>(m_acceptedFormat)];
        STGMEDIUM medium {};
        if (pDataObj->GetData(format, &medium) == S_OK && OnDrop(format, medium, pdwEffect))
            ReleaseStgMedium(&medium);
    }
    m_bAllowDrop = false;
    *pdwEffect = DROPEFFECT_NONE;
    m_acceptedFormat = -1;
    return S_OK;
}

// ---- drop source ----

HRESULT CIDropSource::QueryInterface(REFIID, void** ppvObject)
{
    return AnswerSelf(this, ppvObject);
}

ULONG CIDropSource::AddRef()
{
    return static_cast<ULONG>(++m_cRefCount);
}

ULONG CIDropSource::Release()
{
    const LONG count = --m_cRefCount;
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT CIDropSource::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState)
{
    if (fEscapePressed)
        return DRAGDROP_S_CANCEL;
    if ((grfKeyState & (MK_LBUTTON | MK_RBUTTON)) == 0) {
        m_bDropped = true;
        return DRAGDROP_S_DROP;
    }
    return S_OK;
}

HRESULT CIDropSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- data object ----

CIDataObject::CIDataObject(CIDropSource* pDropSource) : m_pDropSource(pDropSource) {}

CIDataObject::~CIDataObject()
{
    for (STGMEDIUM& medium : m_StgMedium)
        ReleaseStgMedium(&medium);
}

HRESULT CIDataObject::QueryInterface(REFIID, void** ppvObject)
{
    return AnswerSelf(this, ppvObject);
}

ULONG CIDataObject::AddRef()
{
    return static_cast<ULONG>(++m_cRefCount);
}

ULONG CIDataObject::Release()
{
    const LONG count = --m_cRefCount;
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

void CIDataObject::CopyMedium(STGMEDIUM* pMedDest, STGMEDIUM* pMedSrc, FORMATETC* pFmtSrc)
{
    switch (pMedSrc->tymed) {
    case TYMED_HGLOBAL:
        pMedDest->hGlobal = OleDuplicateData(pMedSrc->hGlobal, pFmtSrc->cfFormat, 0);
        break;
    case TYMED_GDI:
        pMedDest->hBitmap = static_cast<HBITMAP>(OleDuplicateData(pMedSrc->hBitmap, pFmtSrc->cfFormat, 0));
        break;
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        pMedDest->hEnhMetaFile = OleDuplicateData(pMedSrc->hEnhMetaFile, pFmtSrc->cfFormat, 0);
        break;
    case TYMED_FILE:
        pMedDest->lpszFileName = pMedSrc->lpszFileName != nullptr ? ::wcsdup(pMedSrc->lpszFileName) : nullptr;
        break;
    case TYMED_ISTREAM:
        pMedDest->pstm = pMedSrc->pstm;
        if (pMedDest->pstm != nullptr)
            pMedDest->pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        pMedDest->pstg = pMedSrc->pstg;  // no storage object exists on this platform
        break;
    default:
        break;
    }
    pMedDest->tymed = pMedSrc->tymed;
    pMedDest->pUnkForRelease = pMedSrc->pUnkForRelease;
    if (pMedDest->pUnkForRelease != nullptr)
        pMedDest->pUnkForRelease->AddRef();
}

HRESULT CIDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    if (pformatetcIn == nullptr || pmedium == nullptr)
        return E_INVALIDARG;
    pmedium->hGlobal = nullptr;
    for (size_t i = 0; i < m_ArrFormatEtc.size(); ++i) {
        FORMATETC& stored = m_ArrFormatEtc[i];
        if (SameFormat(stored, *pformatetcIn) && stored.dwAspect == pformatetcIn->dwAspect) {
            CopyMedium(pmedium, &m_StgMedium[i], &stored);
            return S_OK;
        }
    }
    return DV_E_FORMATETC;
}

HRESULT CIDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT CIDataObject::QueryGetData(FORMATETC* pformatetc)
{
    if (pformatetc == nullptr)
        return E_INVALIDARG;
    if ((pformatetc->dwAspect & DVASPECT_CONTENT) == 0)
        return DV_E_DVASPECT;
    HRESULT answer = DV_E_TYMED;
    for (const FORMATETC& stored : m_ArrFormatEtc) {
        if ((stored.tymed & pformatetc->tymed) == 0) {
            answer = DV_E_TYMED;
            continue;
        }
        if (stored.cfFormat == pformatetc->cfFormat)
            return S_OK;
        answer = DV_E_CLIPFORMAT;
    }
    return answer;
}

HRESULT CIDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut)
{
    return pformatetcOut == nullptr ? E_INVALIDARG : DATA_S_SAMEFORMATETC;
}

HRESULT CIDataObject::SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease)
{
    if (pformatetc == nullptr || pmedium == nullptr)
        return E_INVALIDARG;
    STGMEDIUM kept {};
    if (fRelease)
        kept = *pmedium;  // the caller's handle is ours now
    else
        CopyMedium(&kept, pmedium, pformatetc);
    m_ArrFormatEtc.push_back(*pformatetc);
    m_StgMedium.push_back(kept);
    return S_OK;
}

HRESULT CIDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc)
{
    if (ppenumFormatEtc == nullptr)
        return E_POINTER;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET)
        return E_NOTIMPL;
    auto* enumerator = new CEnumFormatEtc(m_ArrFormatEtc);
    enumerator->AddRef();
    *ppenumFormatEtc = enumerator;
    return S_OK;
}

HRESULT CIDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT CIDataObject::DUnadvise(DWORD)
{
    return E_NOTIMPL;
}

HRESULT CIDataObject::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- format enumerator ----

CEnumFormatEtc::CEnumFormatEtc(const std::vector<FORMATETC*>& ArrFE)
{
    for (const FORMATETC* format : ArrFE)
        m_pFmtEtc.push_back(*format);
}

CEnumFormatEtc::CEnumFormatEtc(const std::vector<FORMATETC>& ArrFE) : m_pFmtEtc(ArrFE) {}

HRESULT CEnumFormatEtc::QueryInterface(REFIID, void** ppvObject)
{
    return AnswerSelf(this, ppvObject);
}

ULONG CEnumFormatEtc::AddRef()
{
    return static_cast<ULONG>(++m_cRefCount);
}

ULONG CEnumFormatEtc::Release()
{
    const LONG count = --m_cRefCount;
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT CEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    if (pceltFetched != nullptr)
        *pceltFetched = 0;
    if (celt == 0 || rgelt == nullptr || m_iCur >= m_pFmtEtc.size() || (pceltFetched == nullptr && celt != 1))
        return S_FALSE;
    ULONG copied = 0;
    while (copied < celt && m_iCur < m_pFmtEtc.size())
        rgelt[copied++] = m_pFmtEtc[m_iCur++];
    if (pceltFetched != nullptr)
        *pceltFetched = copied;
    return copied == celt ? S_OK : S_FALSE;
}

HRESULT CEnumFormatEtc::Skip(ULONG celt)
{
    if (m_iCur + celt >= m_pFmtEtc.size())
        return S_FALSE;
    m_iCur += celt;
    return S_OK;
}

HRESULT CEnumFormatEtc::Reset()
{
    m_iCur = 0;
    return S_OK;
}

HRESULT CEnumFormatEtc::Clone(IEnumFORMATETC** ppCloneEnumFormatEtc)
{
    if (ppCloneEnumFormatEtc == nullptr)
        return E_POINTER;
    auto* clone = new CEnumFormatEtc(m_pFmtEtc);
    clone->m_iCur = m_iCur;
    clone->AddRef();
    *ppCloneEnumFormatEtc = clone;
    return S_OK;
}

// ---- drag image ----

HRESULT CDragSourceHelper::InitializeFromBitmap(HBITMAP, POINT&, RECT&, IDataObject*, COLORREF)
{
    return E_FAIL;
}

HRESULT CDragSourceHelper::InitializeFromWindow(HWND, POINT&, IDataObject*)
{
    return E_FAIL;
}

}  // namespace SkinUI
