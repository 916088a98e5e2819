#pragma once
// CShadowUI: a soft drop shadow around a framework window. It is a separate layered, click-through
// popup owned by the frame window and kept directly behind it; its picture is computed from the
// frame's window region (size, sharpness, darkness, colour, offset) or drawn as a nine-grid from
// the skin's shadow image. It replaces the frame's window procedure to follow the frame's moves,
// sizes, visibility and destruction, and hands every message on to the previous procedure.
//
// Rules: every paint manager holds one by value and the shadow lives as long as it; it is touched
// only on the thread of its frame window. The frame finds its shadow through a window property,
// not a process-wide table, so frames on different threads (message boxes run on job threads)
// never share state; only the one-time class registration is guarded. Without a compositing
// manager on X11 the shadow window shows nothing.

#include <cstdint>

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CPaintManagerUI;

class CShadowUI {
public:
    CShadowUI() = default;
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;
    virtual ~CShadowUI();

    // Registers the shadow window class once per process; false when it already was.
    static bool Initialize(HINSTANCE hInstance);
    // Makes the shadow window for the manager's frame window; nothing without ShowShadow(true).
    void Create(CPaintManagerUI* pPaintManager);

    void ShowShadow(bool bShow) { m_bIsShowShadow = bShow; }
    bool IsShowShadow() const { return m_bIsShowShadow; }
    void DisableShadow(bool bDisable);
    bool IsDisableShadow() const { return m_bIsDisableShadow; }

    // Each refuses an out-of-range value (false, nothing stored) and redraws a visible shadow.
    bool SetSize(int NewSize);          // -50..50
    bool SetSharpness(unsigned int NewSharpness);  // 0..20
    bool SetDarkness(unsigned int NewDarkness);    // 0..255
    bool SetPosition(int NewXOffset, int NewYOffset);  // each -20..20
    bool SetColor(COLORREF NewColor);
    bool SetImage(const wchar_t* szImage);
    bool SetShadowCorner(RECT rcCorner);  // every value >= 0

    // Copies this shadow's settings into another one (menus take their owner window's shadow).
    bool CopyShadow(CShadowUI* pShadow);

    HWND GetShadowWindow() const { return m_hWnd; }
    // Redraws the shadow for the frame's present rectangle.
    void Update(HWND hParent);

private:
    enum Status : BYTE { kEnabled = 1, kVisible = 2, kParentVisible = 4 };

    void MakeShadow(uint32_t* pShadBits, HWND hParent, RECT* rcParent);
    static uint32_t PreMultiply(COLORREF cl, unsigned char nAlpha);
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void HandleParentMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void MoveBehind(HWND hParent, bool keepOrder);
    void ShowNow(bool show);
    void StatusFromParent(HWND hParent);
    void RedrawIfVisible();

    CPaintManagerUI* m_pManager { nullptr };
    HWND m_hWnd { nullptr };
    HWND m_hParent { nullptr };
    WNDPROC m_OriParentProc { nullptr };
    BYTE m_Status { 0 };
    bool m_bIsImageMode { false };
    bool m_bIsShowShadow { false };
    bool m_bIsDisableShadow { false };
    unsigned char m_nDarkness { 150 };
    unsigned char m_nSharpness { 5 };
    signed char m_nSize { 0 };
    signed char m_nxOffset { 0 };
    signed char m_nyOffset { 0 };
    LPARAM m_WndSize { 0 };
    bool m_bUpdate { false };
    COLORREF m_Color { 0 };
    CUIString m_sShadowImage;
    RECT m_rcShadowCorner {};
};

}  // namespace SkinUI
