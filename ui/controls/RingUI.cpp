#include "ui/controls/RingUI.h"

#include "platform/GdiPlus.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kRing(L"CRingUI", &CRingUI::CreateControl);

constexpr UINT kRingElapse = 100;

}  // namespace

CRingUI::CRingUI() = default;

CRingUI::~CRingUI()
{
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, kRingTimerId);
}

CControlUI* CRingUI::CreateControl()
{
    return new CRingUI();
}

const wchar_t* CRingUI::GetClass() const
{
    return L"RingUI";
}

void* CRingUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && CUIString(pstrName) == L"Ring")
        return static_cast<CRingUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

void CRingUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (CUIString(pstrName) != L"bkimage") {
        CLabelUI::SetAttribute(pstrName, pstrValue);
        return;
    }
    if (m_sBkImage == pstrValue)
        return;
    m_sBkImage = pstrValue;
    m_pBkimage.reset();
    Invalidate();
}

void CRingUI::PaintBkImage(HDC hDC)
{
    if (m_pBkimage == nullptr) {
        m_pBkimage.reset(CRenderEngine::GdiplusLoadImage(m_sBkImage.GetData()));
        if (m_pBkimage != nullptr && m_pManager != nullptr)
            m_pManager->SetTimer(this, kRingTimerId, kRingElapse);
    }
    if (m_pBkimage == nullptr)
        return;
    const int width = m_rcItem.right - m_rcItem.left, height = m_rcItem.bottom - m_rcItem.top;
    const auto centreX = static_cast<Gdiplus::REAL>(m_rcItem.left + width / 2);
    const auto centreY = static_cast<Gdiplus::REAL>(m_rcItem.top + height / 2);
    Gdiplus::Graphics graphics(hDC);
    graphics.TranslateTransform(centreX, centreY);
    graphics.RotateTransform(m_fCurAngle);
    graphics.TranslateTransform(-centreX, -centreY);
    graphics.DrawImage(m_pBkimage.get(), static_cast<INT>(m_rcItem.left), static_cast<INT>(m_rcItem.top), width,
                       height);
}

void CRingUI::DoEvent(TEventUI& event)
{
    if (event.Type != UiEventTimer || event.wParam != kRingTimerId) {
        CLabelUI::DoEvent(event);
        return;
    }
    if (m_fCurAngle > 359.0f)
        m_fCurAngle = 0.0f;
    m_fCurAngle += 36.0f;
    Invalidate();
}

}  // namespace SkinUI
