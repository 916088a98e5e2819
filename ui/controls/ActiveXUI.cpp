#include "ui/controls/ActiveXUI.h"

#include <cwchar>

#include "ui/core/ControlFactory.h"

namespace SkinUI {

namespace {

const CControlRegistration kActiveX(L"CActiveXUI", &CActiveXUI::CreateControl);
const CControlRegistration kWebBrowser(L"CWebBrowserUI", &CWebBrowserUI::CreateControl);
const CControlRegistration kFlash(L"CFlashUI", &CFlashUI::CreateControl);

bool IsNull(const CLSID& clsid)
{
    return clsid == CLSID {};
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; a program identifier gives the all-zero identifier,
// as nothing here can look one up.
CLSID ParseClsid(const wchar_t* text)
{
    CLSID out {};
    unsigned int d[11] = {};
    if (text == nullptr
        || std::swscanf(text, L"{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d[0], &d[1], &d[2], &d[3], &d[4], &d[5],
                        &d[6], &d[7], &d[8], &d[9], &d[10]) != 11)
        return out;
    out.Data1 = d[0];
    out.Data2 = static_cast<WORD>(d[1]);
    out.Data3 = static_cast<WORD>(d[2]);
    for (int i = 0; i < 8; ++i)
        out.Data4[i] = static_cast<BYTE>(d[3 + i]);
    return out;
}

}  // namespace

// ---- ActiveX ----

CControlUI* CActiveXUI::CreateControl()
{
    return new CActiveXUI();
}

const wchar_t* CActiveXUI::GetClass() const
{
    return L"ActiveXUI";
}

void* CActiveXUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wcscmp(pstrName, L"ActiveX") == 0)
        return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CActiveXUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (!m_bCreated && !IsNull(m_clsid))
        DoCreateControl();
}

void CActiveXUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (std::wcscmp(pstrName, L"clsid") == 0)
        CreateControl(pstrValue);
    else if (std::wcscmp(pstrName, L"modulename") == 0)
        SetModuleName(pstrValue);
    else if (std::wcscmp(pstrName, L"delaycreate") == 0)
        SetDelayCreate(std::wcscmp(pstrValue, L"true") == 0);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

bool CActiveXUI::CreateControl(const wchar_t* pstrCLSID)
{
    wchar_t text[100] = {};
    if (pstrCLSID != nullptr)
        std::wcsncpy(text, pstrCLSID, 99);
    return CreateControl(ParseClsid(text));
}

bool CActiveXUI::CreateControl(const CLSID& clsid)
{
    if (IsNull(clsid))
        return false;
    m_bCreated = false;
    m_clsid = clsid;
    if (!m_bDelayCreate)
        DoCreateControl();
    return true;
}

void CActiveXUI::SetDelayCreate(bool bDelayCreate)
{
    if (m_bDelayCreate == bDelayCreate)
        return;
    if (!bDelayCreate && !m_bCreated && !IsNull(m_clsid))
        DoCreateControl();
    m_bDelayCreate = bDelayCreate;
}

HRESULT CActiveXUI::GetControl(const IID&, void** ppRet)
{
    if (ppRet == nullptr)
        return E_POINTER;
    *ppRet = nullptr;
    return E_PENDING;
}

bool CActiveXUI::DoCreateControl()
{
    ReleaseControl();
    m_bCreated = true;
    return false;
}

// ---- web browser ----

CWebBrowserUI::CWebBrowserUI()
{
    m_clsid = ParseClsid(L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
}

CControlUI* CWebBrowserUI::CreateControl()
{
    return new CWebBrowserUI();
}

const wchar_t* CWebBrowserUI::GetClass() const
{
    return L"WebBrowserUI";
}

void* CWebBrowserUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"WebBrowser"))
        return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CWebBrowserUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"homepage"))
        SetHomePage(pstrValue);
    else if (NameIs(pstrName, L"autonavi"))
        SetAutoNavigation(NameIs(pstrValue, L"true"));
    else
        CActiveXUI::SetAttribute(pstrName, pstrValue);
}

void CWebBrowserUI::SetWebBrowserEventHandler(CWebBrowserEventHandler* pEventHandler)
{
    if (pEventHandler != nullptr && pEventHandler != m_pWebBrowserEventHandler)
        m_pWebBrowserEventHandler = pEventHandler;
}

void CWebBrowserUI::NavigateHomePage()
{
    if (!m_sHomePage.IsEmpty())
        NavigateUrl(m_sHomePage);
}

DISPID CWebBrowserUI::FindId(IDispatch*, const wchar_t*)
{
    return -1;
}

HRESULT CWebBrowserUI::InvokeMethod(IDispatch*, const wchar_t*, VARIANT*, VARIANT*, int)
{
    return E_FAIL;
}

HRESULT CWebBrowserUI::GetProperty(IDispatch*, const wchar_t*, VARIANT*)
{
    return E_FAIL;
}

HRESULT CWebBrowserUI::SetProperty(IDispatch*, const wchar_t*, VARIANT*)
{
    return E_FAIL;
}

// ---- Flash ----

CFlashUI::CFlashUI()
{
    m_clsid = ParseClsid(L"{D27CDB6E-AE6D-11CF-96B8-444553540000}");
}

CFlashUI::~CFlashUI()
{
    if (m_pFlashEventHandler != nullptr)
        m_pFlashEventHandler->Release();
}

CControlUI* CFlashUI::CreateControl()
{
    return new CFlashUI();
}

const wchar_t* CFlashUI::GetClass() const
{
    return L"Flash";
}

void* CFlashUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"Flash"))
        return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CFlashUI::SetFlashEventHandler(CFlashEventHandler* pHandler)
{
    if (m_pFlashEventHandler != nullptr)
        m_pFlashEventHandler->Release();
    m_pFlashEventHandler = pHandler;
    if (pHandler != nullptr)
        pHandler->AddRef();
}

}  // namespace SkinUI
