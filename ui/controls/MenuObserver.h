#pragma once
// The context-menu observer and its receivers: every open menu window is a receiver of the one
// process-wide observer, so a broadcast reaches all of them (close all menus, or close those under
// a given window). The observer also holds the application's main paint manager, which gets the
// menus' notifications, and the table of checked items the menus share.
//
// Rules: UI thread only, no locks. The observer owns neither its receivers, the manager nor the
// check table. A broadcast walks a copy of the receivers from the last to the first and skips one
// that left meanwhile, so a receiver may close other menus (and unregister them) while it is told.

#include "platform/WinUser.h"
#include "ui/core/StdArray.h"
#include "ui/core/StdStringPtrMap.h"

namespace SkinUI {

class CPaintManagerUI;

struct ContextMenuParam {
    WPARAM wParam;  // 1: close every menu; 2: close the menus under hWnd
    HWND hWnd;
};

class MenuMenuReceiverImplBase;

class MenuMenuObserverImplBase {
public:
    virtual ~MenuMenuObserverImplBase() = default;
    virtual void AddReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual void RemoveReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual BOOL RBroadcast(ContextMenuParam param) = 0;
};

class MenuMenuReceiverImplBase {
public:
    virtual ~MenuMenuReceiverImplBase() = default;
    virtual void AddObserver(MenuMenuObserverImplBase* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual BOOL Receive(ContextMenuParam param) = 0;
};

class MenuObserverImpl : public MenuMenuObserverImplBase {
public:
    MenuObserverImpl();
    ~MenuObserverImpl() override;
    MenuObserverImpl(const MenuObserverImpl&) = delete;
    MenuObserverImpl& operator=(const MenuObserverImpl&) = delete;

    void AddReceiver(MenuMenuReceiverImplBase* receiver) override;
    void RemoveReceiver(MenuMenuReceiverImplBase* receiver) override;
    BOOL RBroadcast(ContextMenuParam param) override;
    virtual void SetManger(CPaintManagerUI* pManager);
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetMenuCheckInfo(CStdStringPtrMap* pInfo);
    virtual CStdStringPtrMap* GetMenuCheckInfo() const;

    // The receivers in opening order (not owned).
    const CStdPtrArray& Receivers() const { return *m_pReceivers; }

private:
    CStdPtrArray* m_pReceivers;
    CPaintManagerUI* m_pMainWndPaintManager { nullptr };
    CStdStringPtrMap* m_pMenuCheckInfo { nullptr };
};

class MenuReceiverImpl : public MenuMenuReceiverImplBase {
public:
    MenuReceiverImpl();
    ~MenuReceiverImpl() override;
    MenuReceiverImpl(const MenuReceiverImpl&) = delete;
    MenuReceiverImpl& operator=(const MenuReceiverImpl&) = delete;

    void AddObserver(MenuMenuObserverImplBase* observer) override;
    void RemoveObserver() override;
    BOOL Receive(ContextMenuParam param) override;

private:
    CStdPtrArray* m_pObservers;
};

}  // namespace SkinUI
