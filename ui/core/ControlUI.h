#pragma once
// CControlUI: the base of every skinned control. A control knows its window's paint manager and
// its parent (owning neither), keeps its geometry in two units — the position in device pixels,
// every size, padding and border in skin units at 96 DPI, scaled by the manager's DPI when read —
// and paints itself in a fixed order of steps that derived controls override one by one.
//
// Ownership: a container owns its children; a control owns its strings and custom attributes.
// A control lives on the thread of its window and takes no locks.

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "ui/core/EventSource.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;
struct tagTEventUI;

// Float placement by fractions of the parent's size: left, top, right, bottom.
struct tagTPercentInfo {
    double left { 0.0 };
    double top { 0.0 };
    double right { 0.0 };
    double bottom { 0.0 };
};
using TPercentInfo = tagTPercentInfo;

// A search callback: returns the control it accepts, or null to go on searching.
using FINDCONTROLPROC = CControlUI* (*)(CControlUI* control, void* data);

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    static CControlUI* CreateControl();

    // Identity and tree
    virtual CUIString GetName() const;
    virtual void SetName(const wchar_t* pstrName);
    virtual const wchar_t* GetClass() const;
    virtual void* GetInterface(const wchar_t* pstrName);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;
    void setInstance(HINSTANCE instance) { m_instance = instance; }

    // Texts
    virtual CUIString GetText() const;
    virtual void SetText(const wchar_t* pstrText);
    virtual CUIString GetHotText() const;
    virtual void SetHotText(const wchar_t* pstrText);
    virtual bool IsResourceText() const;
    virtual void SetResourceText(bool bResource);
    virtual bool IsDragEnabled() const;
    virtual void SetDragEnable(bool bDrag);
    virtual bool IsDropEnabled() const;
    virtual void SetDropEnable(bool bDrop);

    // Geometry: the position is in device pixels; everything else is stored in skin units and
    // returned scaled when a manager is set.
    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const;
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual void Move(SIZE szOffset, bool bNeedInvalidate = true);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual SIZE GetFixedSize() const;
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual TPercentInfo GetFloatPercent() const;
    virtual void SetFloatPercent(TPercentInfo piFloatPercent);
    virtual void SetFloatAlign(UINT uAlign);
    virtual UINT GetFloatAlign() const;

    // Small properties
    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;
    virtual WORD GetCursor() const;
    virtual void SetCursor(WORD wCursor);
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);
    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(const wchar_t* pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    // State
    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);
    // Hooks of the window's manager for text-editing controls: a focused control that wants Tab
    // keeps it; the caret the manager draws takes the control's colour (0: the window's default);
    // after the window's DPI changed, the control re-takes its fonts.
    virtual bool IsWantTab() const;
    virtual DWORD GetCaretColor() const;
    virtual void OnDPIChanged();
    virtual void SetAutoBkimageSize();

    // Search, life and events
    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags);
    virtual void Init();
    virtual void DoInit();
    virtual void Event(tagTEventUI& event);
    virtual void DoEvent(tagTEventUI& event);

    // Skin attributes
    virtual void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue);
    CControlUI* ApplyAttributeList(const wchar_t* pstrList);
    void AddCustomAttribute(const wchar_t* pstrName, const wchar_t* pstrAttr);
    const wchar_t* GetCustomAttribute(const wchar_t* pstrName) const;
    bool RemoveCustomAttribute(const wchar_t* pstrName);
    void RemoveAllCustomAttribute();
    void SetImageSize(CUIString image);

    // Layout and painting
    virtual SIZE EstimateSize(SIZE szAvailable);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintForeColor(HDC hDC);
    virtual void PaintForeImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();

    CUIString GetVirtualWnd() const;
    void SetVirtualWnd(const wchar_t* pstrValue);
    bool SetTimer(UINT nTimerID, UINT nElapse);
    void KillTimer(UINT nTimerID);

    // Colours, images and borders
    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD dwBackColor);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD dwForeColor);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD dwBorderColor);
    bool IsColorHSL() const { return m_bColorHSL; }
    void SetColorHSL(bool bColorHSL);
    const CUIString& GetGradient() const { return m_sGradient; }
    void SetGradient(const wchar_t* pStrImage);
    const CUIString& GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const wchar_t* pStrImage);
    const CUIString& GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const wchar_t* pStrImage);
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    void SetBorderSize(RECT rc);
    int GetLeftBorderSize() const;
    void SetLeftBorderSize(int nSize);
    int GetTopBorderSize() const;
    void SetTopBorderSize(int nSize);
    int GetRightBorderSize() const;
    void SetRightBorderSize(int nSize);
    int GetBottomBorderSize() const;
    void SetBottomBorderSize(int nSize);
    int GetBorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int nStyle);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);
    DWORD GetAdjustColor(DWORD dwColor) const;
    bool DrawImage(HDC hDC, const wchar_t* pStrImage, const wchar_t* pStrModify = nullptr);

    // Layout-edit mode, the window's design aid: a right click selects a control, a selected
    // control is dragged with the left button and its new place is written back to the skin file.
    bool GetShowLine() const { return m_bShowLine; }
    void SetShowLine(bool bShow) { m_bShowLine = bShow; }
    void ShwoLineColor(DWORD dwColor) { m_dwShowLineColor = dwColor; }

    CEventSource InitDelegates;
    CEventSource DestroyDelegates;
    CEventSource SizeDelegates;
    CEventSource EventDelegates;
    CEventSource NotifyDelegates;

protected:
    // Skin value forms: a bool is "true" in any case; integers read as the C run time's atoi; a
    // number list is up to four integers, each followed by exactly one separator character.
    static bool ReadBool(const wchar_t* pstrValue);
    static int ReadInt(const wchar_t* pstrValue);
    static RECT ReadNumberList(const wchar_t* pstrValue);
    // A colour is hexadecimal ARGB after optional blanks and one optional "#".
    static DWORD ReadColor(const wchar_t* pstrValue);
    static bool NameIs(const wchar_t* pstrName, const wchar_t* key);
    // Applies name="value" pairs through SetAttribute, stopping at the first malformed pair.
    void ApplyAttributePairs(const wchar_t* pstrList);

    // Layout-edit mode's share of DoEvent; true when the event's handling ends there.
    bool DoLayoutEditEvent(tagTEventUI& event);
    void PaintGuideLines(HDC hDC) const;

    // Scales a skin-unit value by the manager's DPI; unchanged without a manager.
    int ScaleValue(int value) const;
    RECT ScaleValue(RECT rc) const;
    SIZE ScaleValue(SIZE sz) const;

    CPaintManagerUI* m_pManager { nullptr };
    CControlUI* m_pParent { nullptr };
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bUpdateNeeded { true };
    bool m_bMenuUsed { false };
    RECT m_rcItem {};
    RECT m_rcPadding {};
    SIZE m_cXY {};
    SIZE m_cxyFixed {};
    SIZE m_cxyMin {};
    SIZE m_cxyMax { 9999, 9999 };
    bool m_bVisible { true };
    bool m_bInternVisible { true };
    bool m_bEnabled { true };
    bool m_bMouseEnabled { true };
    bool m_bKeyboardEnabled { true };
    bool m_bFocused { false };
    bool m_bFloat { false };
    TPercentInfo m_piFloatPercent;
    UINT m_uFloatAlign { 0 };
    bool m_bSetPos { false };
    bool m_bDragEnabled { false };
    bool m_bDropEnabled { false };
    bool m_bShowLine { false };
    bool m_bResourceText { false };
    CUIString m_sText;
    CUIString m_sHotText;
    CUIString m_sToolTip;
    wchar_t m_chShortcut { 0 };
    CUIString m_sUserData;
    UINT_PTR m_pTag { 0 };
    CUIString m_sGradient;
    DWORD m_dwBackColor { 0 };
    DWORD m_dwBackColor2 { 0 };
    DWORD m_dwBackColor3 { 0 };
    DWORD m_dwForeColor { 0 };
    DWORD m_dwShowLineColor { 0xFFFF0000 };
    DWORD m_dwEditFlags { 0 };  // 0x40 while a layout-edit drag runs
    RECT m_rcDragStart {};
    RECT m_rcDrag {};
    POINT m_ptDragStart {};
    CUIString m_sBkImage;
    CUIString m_sForeImage;
    DWORD m_dwBorderColor { 0 };
    DWORD m_dwFocusBorderColor { 0 };
    bool m_bColorHSL { false };
    int m_nBorderSize { 0 };
    int m_nBorderStyle { 0 };
    int m_nTooltipWidth { 300 };
    WORD m_wCursor { 0 };
    SIZE m_cxyBorderRound {};
    RECT m_rcPaint {};
    RECT m_rcBorderSize {};
    HINSTANCE m_instance { nullptr };
    CStdStringPtrMap m_mCustomAttrHash;

    // A thin ring inside the edge while the keyboard gave this control the focus.
    void PaintFocusMark(HDC hDC);

private:
    void PaintBorderLines(HDC hDC);
    bool OnEditRightButtonUp();
    void OnEditButtonDown(const POINT& pt);
    bool OnEditButtonUp();
    bool OnEditMouseMove(const POINT& pt);
    void DragFloat(const RECT& r);
    void DragInLayout(const RECT& r);
};

}  // namespace SkinUI
