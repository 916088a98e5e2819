#pragma once
// CWindowWnd binds one native window to one object: the class is registered on first use, the
// object rides in as the creation parameter, and every message of the window reaches the
// object's HandleMessage until WM_NCDESTROY, after which OnFinalMessage is the last call the
// object gets from its window. Framework windows delete themselves there; the editor's main
// window is deleted by the start-up instead.
//
// CNotifyPump routes a notification to a handler chosen from static message maps, written with
// the UI_BEGIN_MESSAGE_MAP family of macros, optionally through named virtual windows.
//
// Everything here runs on the thread that owns the window.

#include "platform/WinUser.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CNotifyPump;

// Row signatures of a message map.
enum UISig {
    UISig_end = 0,     // ends the table
    UISig_lwl = 1,     // handler (wParam, lParam)
    UISig_vn = 2,      // handler (notification)
};

// Handlers are reached through thunks made from the member function pointer, so a row calls the
// handler on the object of the class that declared it, whatever the bases in between.
using UI_PMSG = void (*)(CNotifyPump* pump, TNotifyUI& msg);
using UI_PMSG_WL = void (*)(CNotifyPump* pump, WPARAM wParam, LPARAM lParam);

template <class>
struct UiMemberOf;
template <class T, class F>
struct UiMemberOf<F T::*> {
    using type = T;
};

template <auto Handler>
void UiNotifyThunk(CNotifyPump* pump, TNotifyUI& msg)
{
    using T = typename UiMemberOf<decltype(Handler)>::type;
    (static_cast<T*>(pump)->*Handler)(msg);
}

template <auto Handler>
void UiParamsThunk(CNotifyPump* pump, WPARAM wParam, LPARAM lParam)
{
    using T = typename UiMemberOf<decltype(Handler)>::type;
    (static_cast<T*>(pump)->*Handler)(wParam, lParam);
}

// One row: notification type, control name (empty: any sender), signature and handler.
struct UI_MSGMAP_ENTRY {
    const wchar_t* sMsgType;
    const wchar_t* sCtrlName;
    UINT nSig;
    UI_PMSG pfn;
    UI_PMSG_WL pfnWL;
};

// A class's map: the base class's map (null ends the chain) and the class's rows.
struct UI_MSGMAP {
    const UI_MSGMAP* (*pfnGetBaseMap)();
    const UI_MSGMAP_ENTRY* lpEntries;
};

#define UI_DECLARE_MESSAGE_MAP()                                  \
private:                                                          \
    static const SkinUI::UI_MSGMAP_ENTRY _messageEntries[];       \
                                                                  \
protected:                                                        \
    static const SkinUI::UI_MSGMAP messageMap;                    \
    static const SkinUI::UI_MSGMAP* _GetBaseMessageMap();         \
    const SkinUI::UI_MSGMAP* GetMessageMap() const override;      \
                                                                  \
public:

#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                        \
    const SkinUI::UI_MSGMAP* theClass::_GetBaseMessageMap() { return &baseClass::messageMap; }           \
    const SkinUI::UI_MSGMAP theClass::messageMap = { &theClass::_GetBaseMessageMap,                      \
                                                     &theClass::_messageEntries[0] };                    \
    const SkinUI::UI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; }           \
    const SkinUI::UI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define UI_ON_MSGTYPE(msgtype, memberFxn) \
    { msgtype, L"", SkinUI::UISig_vn, &SkinUI::UiNotifyThunk<&memberFxn>, nullptr },
#define UI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn) \
    { msgtype, ctrname, SkinUI::UISig_vn, &SkinUI::UiNotifyThunk<&memberFxn>, nullptr },
#define UI_ON_MSGTYPE_WL(msgtype, memberFxn) \
    { msgtype, L"", SkinUI::UISig_lwl, nullptr, &SkinUI::UiParamsThunk<&memberFxn> },
#define UI_ON_CLICK_CTRNAME(ctrname, memberFxn) UI_ON_MSGTYPE_CTRNAME(L"click", ctrname, memberFxn)
#define UI_ON_SELECTCHANGED_CTRNAME(ctrname, memberFxn) UI_ON_MSGTYPE_CTRNAME(L"selectchanged", ctrname, memberFxn)

#define UI_END_MESSAGE_MAP()                                 \
    { L"", L"", SkinUI::UISig_end, nullptr, nullptr }        \
    }                                                        \
    ;

class CNotifyPump {
public:
    CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;
    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(const CUIString& strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(const CUIString& strName);
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

protected:
    static const UI_MSGMAP messageMap;
    virtual const UI_MSGMAP* GetMessageMap() const;

private:
    static const UI_MSGMAP_ENTRY _messageEntries[];
    static const UI_MSGMAP_ENTRY* FindEntry(const UI_MSGMAP_ENTRY* entries, TNotifyUI& msg);

    CStdStringPtrMap m_VirtualWndMap { 83 };
};

// Clips a window to a rectangle with rounded corners of the given size (skin "roundcorner"); the
// window owns the region from then on. Nothing for a minimised window.
void ApplyRoundCornerRegion(HWND hWnd, SIZE corner);

class CWindowWnd {
public:
    CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    virtual ~CWindowWnd() = default;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    HWND CreateSkinWindow(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle);
    HWND Subclass(HWND hWnd);
    void Unsubclass();
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    UINT ShowModal();
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);

    LRESULT SendMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;

    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd { nullptr };
    WNDPROC m_OldWndProc;
    bool m_bSubclassed { false };

private:
    LRESULT FinalMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

// The platform's name of a window message, or "0x%04X" in one shared buffer for other numbers.
const wchar_t* UI__TraceMsg(UINT uMsg);

}  // namespace SkinUI
