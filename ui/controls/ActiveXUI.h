#pragma once
// CActiveXUI, CWebBrowserUI and CFlashUI: the hosts of ActiveX controls, the system web browser
// and Flash keep their class names, skin tags, attribute keys and accessors, but this desktop has
// no COM, no ActiveX, no browser control and no Flash. Each is an inert control: creating its
// object fails the way a failed CoCreateInstance does (DoCreateControl answers false and
// "showactivex" is never sent), it draws only what every control draws, GetControl answers
// E_PENDING, navigation does nothing, and the dispatch helpers find nothing. No screen of either
// program uses them. Window thread only, like every control.

#include "platform/Ole.h"
#include "ui/core/ControlUI.h"

namespace SkinUI {

struct IDispatch;
struct VARIANT;
using DISPID = LONG;

class CActiveXUI : public CControlUI {
public:
    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    bool CreateControl(const wchar_t* pstrCLSID);
    bool CreateControl(const CLSID& clsid);
    HRESULT GetControl(const IID& iid, void** ppRet);
    CLSID GetClisd() const { return m_clsid; }
    HWND GetHostWindow() const { return nullptr; }
    const CUIString& GetModuleName() const { return m_sModuleName; }
    void SetModuleName(const wchar_t* pstrText) { m_sModuleName = pstrText; }

    virtual bool IsDelayCreate() const { return m_bDelayCreate; }
    virtual void SetDelayCreate(bool bDelayCreate = true);
    virtual bool IsMFC() const { return m_bMFC; }
    virtual void SetMFC(bool bMFC = false) { m_bMFC = bMFC; }
    virtual void ReleaseControl() {}
    // Always the failure path: there is no object to create here.
    virtual bool DoCreateControl();

protected:
    CLSID m_clsid {};
    CUIString m_sModuleName;
    bool m_bCreated { false };
    bool m_bDelayCreate { true };
    bool m_bMFC { false };
};

// Application callbacks of the browser; nothing calls them without a browser.
class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;
};

class CWebBrowserUI : public CActiveXUI {
public:
    CWebBrowserUI();
    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    void SetHomePage(const wchar_t* lpszUrl) { m_sHomePage = lpszUrl; }
    const CUIString& GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool bAuto = true) { m_bAutoNavi = bAuto; }
    bool IsAutoNavigation() const { return m_bAutoNavi; }
    void SetWebBrowserEventHandler(CWebBrowserEventHandler* pEventHandler);
    CWebBrowserEventHandler* GetWebBrowserEventHandler() const { return m_pWebBrowserEventHandler; }
    void* GetWebBrowser2() const { return nullptr; }
    IDispatch* GetHtmlWindow() const { return nullptr; }

    void Navigate2(const wchar_t*) {}
    void NavigateUrl(const wchar_t*) {}
    void NavigateHomePage();
    void Refresh() {}
    void Refresh2(int) {}
    void GoBack() {}
    void GoForward() {}

    static DISPID FindId(IDispatch* pObj, const wchar_t* pName);
    static HRESULT InvokeMethod(IDispatch* pObj, const wchar_t* pMethod, VARIANT* pVarResult, VARIANT* ps, int cArgs);
    static HRESULT GetProperty(IDispatch* pObj, const wchar_t* pName, VARIANT* pValue);
    static HRESULT SetProperty(IDispatch* pObj, const wchar_t* pName, VARIANT* pValue);

private:
    CUIString m_sHomePage;
    bool m_bAutoNavi { false };
    CWebBrowserEventHandler* m_pWebBrowserEventHandler { nullptr };
};

// Reference-counted application callbacks of the Flash control.
class CFlashEventHandler {
public:
    virtual ULONG Release() = 0;
    virtual ULONG AddRef() = 0;

protected:
    virtual ~CFlashEventHandler() = default;
};

class CFlashUI : public CActiveXUI {
public:
    CFlashUI();
    ~CFlashUI() override;
    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    // Releases the previous handler and keeps a reference to the new one (null clears it).
    void SetFlashEventHandler(CFlashEventHandler* pHandler);

private:
    CFlashEventHandler* m_pFlashEventHandler { nullptr };
};

}  // namespace SkinUI
