// Painting: the pending layout pass, "windowinit" and "windowsize", the off-screen surface, the
// alpha fix-up and presentation of per-pixel-alpha windows, post-paint controls, and the caret.

#include "ui/core/PaintManagerUI.h"

#include <algorithm>

#include "platform/ScopedDCState.h"
#include "platform/WinBase.h"
#include "ui/core/ControlUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

// The 32-bit pixel at (x, y) of a bottom-up DIB section of the given size.
BYTE* PixelOf(BYTE* bits, int width, int height, int x, int y)
{
    return bits + (static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
}

void ClearPixels(BYTE* bits, int width, int height, const RECT& rc)
{
    for (int y = rc.top; y < rc.bottom; ++y)
        std::fill_n(PixelOf(bits, width, height, rc.left, y), static_cast<size_t>(rc.right - rc.left) * 4, 0);
}

RECT ChildRectInClient(HWND parent, HWND child)
{
    RECT rc {};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

}  // namespace

void CPaintManagerUI::Invalidate()
{
    if (!m_hWndPaint)
        return;
    RECT rcClient {};
    ::GetClientRect(m_hWndPaint, &rcClient);
    ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rcClient);
    ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(RECT& rcItem)
{
    if (!m_hWndPaint)
        return;
    rcItem.left = std::max<LONG>(rcItem.left, 0);
    rcItem.top = std::max<LONG>(rcItem.top, 0);
    rcItem.right = std::max(rcItem.right, rcItem.left);
    rcItem.bottom = std::max(rcItem.bottom, rcItem.top);
    ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rcItem);
    ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::SetLayered(bool bLayered)
{
    if (!m_hWndPaint || bLayered == m_bLayered)
        return;
    if (::GetWindowLongPtr(m_hWndPaint, GWL_STYLE) & WS_CHILD)
        return;
    m_bLayered = bLayered;
    if (m_pRoot)
        m_pRoot->NeedUpdate();
    Invalidate();
}

void CPaintManagerUI::SetOpacity(BYTE nOpacity)
{
    m_nOpacity = nOpacity;
    if (!m_hWndPaint)
        return;
    const LONG_PTR exStyle = ::GetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0)
        ::SetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWndPaint, 0, nOpacity, LWA_ALPHA);
}

void CPaintManagerUI::SetLayeredOpacity(BYTE nOpacity)
{
    m_nOpacity = nOpacity;
    Invalidate();
}

void CPaintManagerUI::SetLayeredInset(RECT& rcLayeredInset)
{
    m_rcLayeredInset = rcLayeredInset;
    Invalidate();
}

// ---- Post-paint controls and painted child windows ----

bool CPaintManagerUI::AddPostPaint(CControlUI* pControl)
{
    if (m_aPostPaintControls.Find(pControl) >= 0)
        return false;
    return m_aPostPaintControls.Add(pControl);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl)
{
    const int index = m_aPostPaintControls.Find(pControl);
    return index >= 0 && m_aPostPaintControls.Remove(index);
}

bool CPaintManagerUI::IsPostPaint(CControlUI* pControl) const
{
    return m_aPostPaintControls.Find(pControl) >= 0;
}

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* pControl, int iIndex)
{
    RemovePostPaint(pControl);
    return m_aPostPaintControls.InsertAt(iIndex, pControl);
}

bool CPaintManagerUI::AddPaintChildWnd(HWND hChildWnd)
{
    RECT rc = ChildRectInClient(m_hWndPaint, hChildWnd);
    Invalidate(rc);
    if (m_aChildWnds.Find(hChildWnd) >= 0)
        return false;
    return m_aChildWnds.Add(hChildWnd);
}

bool CPaintManagerUI::RemovePaintChildWnd(HWND hChildWnd)
{
    const int index = m_aChildWnds.Find(hChildWnd);
    return index >= 0 && m_aChildWnds.Remove(index);
}

// ---- WM_PAINT ----

void CPaintManagerUI::DropOffscreen()
{
    if (m_hDcOffscreen)
        ::DeleteDC(m_hDcOffscreen);
    if (m_hbmpOffscreen)
        ::DeleteObject(m_hbmpOffscreen);
    m_hDcOffscreen = nullptr;
    m_hbmpOffscreen = nullptr;
    m_pOffscreenBits = nullptr;
}

void CPaintManagerUI::LayoutPass(const RECT& rcClient, bool& bResized)
{
    m_bUpdateNeeded = false;
    if (::IsRectEmpty(&rcClient) || ::IsIconic(m_hWndPaint))
        return;
    if (m_pRoot->IsUpdateNeeded()) {
        DropOffscreen();
        m_pRoot->SetPos(rcClient, true);
        bResized = true;
    } else {
        m_aFoundControls.Empty();
        m_pRoot->FindControl(__FindControlsFromUpdate, &m_aFoundControls, FindVisible | FindMeFirst | FindUpdateTest);
        for (int i = 0; i < m_aFoundControls.GetSize(); ++i) {
            auto* control = static_cast<CControlUI*>(m_aFoundControls[i]);
            control->SetPos(control->IsFloat() ? control->GetRelativePos() : control->GetPos(), true);
        }
    }
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, L"windowinit", 0, 0, false);
        m_shadow.Update(m_hWndPaint);
    }
}

void CPaintManagerUI::OnPaint()
{
    RECT rcPaint {};
    if (!::GetUpdateRect(m_hWndPaint, &rcPaint, FALSE))
        return;
    if (!m_pRoot) {
        PAINTSTRUCT ps {};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT rcClient {};
    ::GetClientRect(m_hWndPaint, &rcClient);
    m_bIsPainting = true;
    bool bResized = false;
    if (m_bUpdateNeeded)
        LayoutPass(rcClient, bResized);
    if (m_bFocusNeeded)
        SetNextTabControl(true);
    if (!m_pRoot) {  // a handler of the layout pass detached the tree
        m_bIsPainting = false;
        return;
    }
    if (m_bLayered) {
        const LONG_PTR exStyle = ::GetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE);
        if ((exStyle & WS_EX_LAYERED) == 0)
            ::SetWindowLongPtr(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        ::UnionRect(&rcPaint, &rcPaint, &m_rcLayeredUpdate);
        rcPaint.right = std::min(rcPaint.right, rcClient.right);
        rcPaint.bottom = std::min(rcPaint.bottom, rcClient.bottom);
        m_rcLayeredUpdate = {};
    }
    const int width = rcClient.right - rcClient.left;
    const int height = rcClient.bottom - rcClient.top;
    if (!m_hbmpOffscreen && width > 0 && height > 0) {
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = CRenderEngine::CreateARGB32Bitmap(m_hDcPaint, width, height, &m_pOffscreenBits);
    }
    PAINTSTRUCT ps {};
    ::BeginPaint(m_hWndPaint, &ps);
    if (m_hDcOffscreen && m_hbmpOffscreen) {
        HGDIOBJ oldBitmap = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
        {
            ScopedDCState saved(m_hDcOffscreen);
            ::IntersectRect(&rcPaint, &rcPaint, &rcClient);
            if (m_bLayered && m_pOffscreenBits)
                ClearPixels(m_pOffscreenBits, width, height, rcPaint);
            m_pRoot->DoPaint(m_hDcOffscreen, rcPaint);
            DrawCaret(m_hDcOffscreen, rcPaint);
            for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i)
                static_cast<CControlUI*>(m_aPostPaintControls[i])->DoPostPaint(m_hDcOffscreen, rcPaint);
            if (m_bLayered) {
                ::GdiFlush();
                FixLayeredAlpha(rcPaint);
                PaintChildWindows(rcPaint);
            }
        }
        if (m_bLayered)
            PresentLayered(rcClient);
        else
            ::BitBlt(m_hDcPaint, rcPaint.left, rcPaint.top, rcPaint.right - rcPaint.left,
                     rcPaint.bottom - rcPaint.top, m_hDcOffscreen, rcPaint.left, rcPaint.top, SRCCOPY);
        ::SelectObject(m_hDcOffscreen, oldBitmap);
        if (m_bShowUpdateRect)
            CRenderEngine::DrawRect(m_hDcPaint, rcPaint, 1, 0xFFFF0000);
    }
    ::EndPaint(m_hWndPaint, &ps);
    if (m_bUpdateNeeded)
        Invalidate();
    m_bIsPainting = false;
    if (bResized && m_pRoot)
        SendNotify(m_pRoot, L"windowsize", 0, 0, true);
    m_rectDump.Update(*this);
}

// GDI drawing leaves alpha at 0: any coloured pixel becomes opaque, pure black stays transparent.
void CPaintManagerUI::FixLayeredAlpha(const RECT& rcPaint)
{
    if (!m_pOffscreenBits)
        return;
    const SIZE size = GetClientSize();
    for (int y = rcPaint.top; y < rcPaint.bottom; ++y) {
        BYTE* pixel = PixelOf(m_pOffscreenBits, size.cx, size.cy, rcPaint.left, y);
        for (int x = rcPaint.left; x < rcPaint.right; ++x, pixel += 4) {
            if (pixel[3] == 0 && (pixel[0] || pixel[1] || pixel[2]))
                pixel[3] = 255;
        }
    }
}

void CPaintManagerUI::PaintChildWindows(const RECT& rcPaint)
{
    for (int i = 0; i < m_aChildWnds.GetSize();) {
        HWND child = static_cast<HWND>(m_aChildWnds[i]);
        if (!::IsWindow(child)) {
            m_aChildWnds.Remove(i);
            continue;
        }
        ++i;
        if (!::IsWindowVisible(child))
            continue;
        const RECT rc = ChildRectInClient(m_hWndPaint, child);
        RECT meet {};
        if (!::IntersectRect(&meet, &rc, &rcPaint))
            continue;
        const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
        BYTE* bits = nullptr;
        HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(m_hDcPaint, cx, cy, &bits);
        if (!bitmap)
            continue;
        HDC dc = ::CreateCompatibleDC(m_hDcPaint);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::SendMessage(child, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                      PRF_CHECKVISIBLE | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED);
        ::GdiFlush();
        for (size_t p = 0; p < static_cast<size_t>(cx) * static_cast<size_t>(cy); ++p) {
            BYTE* px = bits + p * 4;
            if (px[0] || px[1] || px[2] || px[3])
                px[3] = 255;
        }
        ::BitBlt(m_hDcOffscreen, rc.left, rc.top, cx, cy, dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(bitmap);
    }
}

void CPaintManagerUI::PresentLayered(const RECT& rcClient)
{
    RECT rcWnd {};
    ::GetWindowRect(m_hWndPaint, &rcWnd);
    POINT ptPos { rcWnd.left, rcWnd.top };
    SIZE sizeWnd { rcClient.right - rcClient.left, rcClient.bottom - rcClient.top };
    POINT ptSrc {};
    BLENDFUNCTION blend { AC_SRC_OVER, 0, m_nOpacity, AC_SRC_ALPHA };
    ::UpdateLayeredWindow(m_hWndPaint, m_hDcPaint, &ptPos, &sizeWnd, m_hDcOffscreen, &ptSrc, 0, &blend, ULW_ALPHA);
}

void CPaintManagerUI::OnPrintClient(WPARAM wParam, LPARAM lParam)
{
    if (!m_pRoot)
        return;
    HDC hDC = reinterpret_cast<HDC>(wParam);
    RECT rcClient {};
    ::GetClientRect(m_hWndPaint, &rcClient);
    {
        ScopedDCState saved(hDC);
        m_pRoot->DoPaint(hDC, rcClient);
    }
    if ((lParam & PRF_CHILDREN) == 0)
        return;
    const LPARAM flags = lParam | PRF_NONCLIENT;
    for (HWND child = ::GetWindow(m_hWndPaint, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const RECT rc = ChildRectInClient(m_hWndPaint, child);
        ::SetWindowOrgEx(hDC, -rc.left, -rc.top, nullptr);
        ::SendMessage(child, WM_PRINT, wParam, flags);
    }
}

// ---- Caret ----

bool CPaintManagerUI::CreateCaret(HBITMAP hBmp, int nWidth, int nHeight)
{
    ::CreateCaret(m_hWndPaint, hBmp, nWidth, nHeight);
    m_rtCaret.right = m_rtCaret.left + nWidth;
    m_rtCaret.bottom = m_rtCaret.top + nHeight;
    return true;
}

bool CPaintManagerUI::ShowCaret(bool bShow)
{
    if (bShow == m_bCaretActive)
        return true;
    m_bCaretActive = bShow;
    if (bShow) {
        ::SetTimer(m_hWndPaint, CaretTimerId, ::GetCaretBlinkTime(), nullptr);
        if (!m_bCaretShowing) {
            Invalidate(m_rtCaret);
            m_bCaretShowing = true;
        }
        return true;
    }
    ::KillTimer(m_hWndPaint, CaretTimerId);
    if (m_bCaretShowing) {
        Invalidate(m_rtCaret);
        m_bCaretShowing = false;
    }
    return true;
}

bool CPaintManagerUI::SetCaretPos(CControlUI* obj, int x, int y)
{
    if (!::SetCaretPos(x, y))
        return false;
    m_pCurrentCaretObject = obj;
    RECT old = m_rtCaret;
    const int w = m_rtCaret.right - m_rtCaret.left, h = m_rtCaret.bottom - m_rtCaret.top;
    m_rtCaret = { x, y, x + w, y + h };
    Invalidate(old);
    RECT now = m_rtCaret;
    Invalidate(now);
    return true;
}

void CPaintManagerUI::DrawCaret(HDC hDC, const RECT& rcPaint)
{
    if (m_pCurrentCaretObject && (!m_pCurrentCaretObject->IsFocused() || ::GetFocus() != m_hWndPaint)) {
        ::KillTimer(m_hWndPaint, CaretTimerId);
        if (m_bCaretShowing)
            Invalidate(m_rtCaret);
        m_bCaretShowing = false;
        return;
    }
    if (!m_bCaretShowing || !m_bCaretActive || !m_pCurrentCaretObject)
        return;
    RECT meet {};
    if (!::IntersectRect(&meet, &m_rtCaret, &rcPaint))
        return;
    const DWORD own = m_pCurrentCaretObject->GetCaretColor();
    CRenderEngine::DrawColor(hDC, meet, own != 0 ? own : m_ResInfo.m_dwDefaultFontColor);
}

}  // namespace SkinUI
