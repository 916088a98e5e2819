#pragma once
// WindowImplBase: the framework's standard top-level window. A borderless native window whose
// whole area its paint manager draws, built from a skin file when it is created, with caption
// dragging, resize borders from the skin's size box, maximise to the work area, a rounded region
// and the default "closebtn", "minbtn", "maxbtn" and "restorebtn" buttons.
//
// A subclass names its class and skin file and usually overrides InitWindow, OnClick, Notify and
// HandleCustomMessage. The paint manager is a member and owns the control tree. A skin that cannot
// be built is fatal: a message box says which file, and the process ends with exit code 1.
// UI thread only.

#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ResourceManager.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    virtual void InitResource() {}
    virtual void InitWindow() {}
    virtual void OnClick(TNotifyUI& msg);

    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(const wchar_t* pstrClass) override;
    const wchar_t* QueryControlText(const wchar_t* lpstrId, const wchar_t* lpstrType) override;

    CPaintManagerUI& GetPaintManager() { return m_pm; }
    static bool IsInStaticControl(CControlUI* pControl);

    UI_DECLARE_MESSAGE_MAP()

protected:
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    virtual CUIString GetSkinType() { return CUIString(); }
    virtual CUIString GetSkinFileName() = 0;
    virtual const wchar_t* GetManagerName() { return nullptr; }
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);

    virtual LRESULT OnClose(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& bHandled);
    virtual LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnNcPaint(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnSize(UINT, WPARAM wParam, LPARAM, bool& bHandled);
    virtual LRESULT OnChar(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLanguageUpdate(UINT, WPARAM, LPARAM, bool& bHandled);
    virtual LONG GetStyle();

    // What happens when the skin cannot be built; ends the process.
    virtual void OnSkinFailure();

    CPaintManagerUI m_pm;

private:
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    CControlUI* BuildSkin();
};

}  // namespace SkinUI
