#include "editor/dialogs/ChildWnd.h"

#include <cwchar>

#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"

namespace {

constexpr DWORD kGrabbableBackground = 0x01000000;

}  // namespace

const wchar_t* CChildWnd::GetWindowClassName() const
{
    return L"message_wnd";
}

LRESULT CChildWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    // A drawing that moved an item (back to its place, or over the whole picture) painted only
    // where the item had been: the window is painted once more, with the item where it is now.
    if (uMsg == WM_PAINT && m_hWnd != nullptr) {
        const bool text = m_pTextItem != nullptr && m_pTextItem->TakeMovedWhilePainting();
        const bool picture = m_pPictureItem != nullptr && m_pPictureItem->TakeMovedWhilePainting();
        if (text || picture)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return result;
}

SkinUI::CUIString CChildWnd::GetSkinFileName()
{
    return L"MaskWnd.xml";
}

SkinUI::CControlUI* CChildWnd::CreateControl(const wchar_t* pstrClass)
{
    if (::wcscasecmp(pstrClass, L"WndButton") == 0)
        return new CWndButton();  // the layout owns it once added
    return nullptr;
}

void CChildWnd::InitWindow()
{
    OverlayWindowHandle = m_hWnd;
    m_pTextItem = static_cast<CWndButton*>(m_pm.FindControl(L"WaterTextRich"));
    m_pPictureItem = static_cast<CWndButton*>(m_pm.FindControl(L"WaterPic"));
    // The mouse passes through what a layered window leaves fully transparent: a picture item
    // keeps a background of alpha 1, unseen, so that it can be grabbed anywhere in its frame.
    if (m_pPictureItem != nullptr && m_pPictureItem->GetBkColor() == 0)
        m_pPictureItem->SetBkColor(kGrabbableBackground);
    if (m_pTextItem == nullptr)
        return;
    // A third of the way across and two thirds of the way down the video area.
    const int width = VideoRectangle[2] - VideoRectangle[0], height = VideoRectangle[3] - VideoRectangle[1];
    m_pTextItem->SetPadding({ width / 3, 2 * (height / 3), 0, 0 });
}

void CChildWnd::OnClick(SkinUI::TNotifyUI&)
{
}

void CChildWnd::Notify(SkinUI::TNotifyUI& msg)
{
    WindowImplBase::Notify(msg);
}

LRESULT CChildWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == VK_RETURN)
        return TRUE;
    if (wParam != VK_ESCAPE)
        return FALSE;
    ::ShowWindow(m_hWnd, SW_HIDE);
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER))
        ::SetActiveWindow(owner);
    return TRUE;
}

void CChildWnd::OnFinalMessage(HWND hWnd)
{
    if (OverlayWindowHandle == hWnd)
        OverlayWindowHandle = nullptr;
    if (MainWindowPointer != nullptr && MainWindowPointer->m_pWatermarkWnd == this)
        MainWindowPointer->m_pWatermarkWnd = nullptr;
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

void CChildWnd::InvalidateTextItem()
{
    if (m_pTextItem != nullptr)
        m_pTextItem->Invalidate();
}

void CChildWnd::InvalidatePictureItem()
{
    if (m_pPictureItem != nullptr)
        m_pPictureItem->Invalidate();
}

void CChildWnd::ShowTextItem(bool show)
{
    if (m_pTextItem != nullptr)
        m_pTextItem->SetVisible(show);
}

void CChildWnd::ShowPictureItem(bool show)
{
    if (m_pPictureItem != nullptr)
        m_pPictureItem->SetVisible(show);
}

void CChildWnd::SetTextItemPos(int left, int top, int right, int bottom)
{
    if (m_pTextItem != nullptr)
        m_pTextItem->SetPos({ left, top, right, bottom });
}

void CChildWnd::SetPictureItemPos(int left, int top, int right, int bottom)
{
    if (m_pPictureItem != nullptr)
        m_pPictureItem->SetPos({ left, top, right, bottom });
}

RECT CChildWnd::GetTextItemPos() const
{
    return m_pTextItem != nullptr ? m_pTextItem->GetPos() : RECT {};
}

RECT CChildWnd::GetPictureItemPos() const
{
    return m_pPictureItem != nullptr ? m_pPictureItem->GetPos() : RECT {};
}

void CChildWnd::SetPictureItemRect(int left, int top, int right, int bottom)
{
    if (m_pPictureItem != nullptr)
        m_pPictureItem->SetBaseRect(left, top, right, bottom);
}

RECT CChildWnd::GetPictureItemRect() const
{
    return m_pPictureItem != nullptr ? m_pPictureItem->GetBaseRect() : RECT {};
}

void CChildWnd::SetTextItemMovable(bool movable)
{
    if (m_pTextItem != nullptr)
        m_pTextItem->SetMovable(movable);
}

void CChildWnd::SetPictureItemMovable(bool movable)
{
    if (m_pPictureItem != nullptr)
        m_pPictureItem->SetMovable(movable);
}

void CChildWnd::SetPictureItemSize(int width, int height)
{
    m_nPictureWidth = width;
    m_nPictureHeight = height - 1;  // callers restore from this value as it is
    if (m_pPictureItem == nullptr)
        return;
    const int videoWidth = VideoRectangle[2] - VideoRectangle[0], videoHeight = VideoRectangle[3] - VideoRectangle[1];
    m_pPictureItem->SetFixedWidth(width);
    m_pPictureItem->SetFixedHeight(height);
    SkinUI::CUIString padding;
    padding.Format(L"%d,%d,0,0", (videoWidth - width) / 2, (videoHeight - height) / 2);
    m_pPictureItem->SetAttribute(L"padding", padding.GetData());
    m_pPictureItem->SetVisible(true);
}

void CChildWnd::ScalePictureItem(int percent)
{
    if (m_pPictureItem == nullptr)
        return;
    const RECT rc = m_pPictureItem->GetPos();
    if (PictureRecenterFlag) {
        m_ptPictureCentre = { rc.left + (rc.right - rc.left) / 2, rc.top + (rc.bottom - rc.top) / 2 };
        PictureRecenterFlag = 0;
    }
    const float scale = static_cast<float>(percent) * 0.01f;
    const float halfWidth = static_cast<float>(m_nPictureWidth) / 2 * scale;
    const float halfHeight = static_cast<float>(m_nPictureHeight) / 2 * scale;
    const float cx = static_cast<float>(m_ptPictureCentre.x), cy = static_cast<float>(m_ptPictureCentre.y);
    m_pPictureItem->SetPos({ static_cast<int>(cx - halfWidth), static_cast<int>(cy - halfHeight),
                             static_cast<int>(cx + halfWidth), static_cast<int>(cy + halfHeight) });
}

void CChildWnd::FitTextItemToAngle()
{
    const int angle = WatermarkSettings.textAngle;
    if (m_pTextItem == nullptr || IsUprightAngle(angle))
        return;
    const Gdiplus::RectF box = m_pTextItem->MeasureWatermarkText();
    const int e = TiltedTextHalfHeight(box.Width, angle, WatermarkSettings.size);
    const RECT rc = m_pTextItem->GetPos();
    const int cy = rc.top + (rc.bottom - rc.top) / 2;
    m_pTextItem->SetPos({ rc.left, cy - e, rc.right, cy + e });
}

bool CChildWnd::RenderTextWatermark(const SkinUI::CUIString& path)
{
    return m_pTextItem != nullptr && m_pTextItem->RenderTextWatermarkToFile(path);
}

bool CChildWnd::RenderPictureWatermark(const SkinUI::CUIString& path)
{
    return m_pPictureItem != nullptr && m_pPictureItem->RenderPictureWatermarkToFile(path);
}

void CChildWnd::CloseOverlay()
{
    Close(1);
}
