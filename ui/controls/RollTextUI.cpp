#include "ui/controls/RollTextUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderClip.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kRollText(L"CRollTextUI", &CRollTextUI::CreateControl);

constexpr UINT kRollStyle = DT_WORDBREAK | DT_EDITCONTROL;
constexpr int kMeasureReach = 10000;

bool Horizontal(int direction)
{
    return direction == 0 || direction == 1;
}

}  // namespace

CRollTextUI::~CRollTextUI()
{
    EndRoll();
}

CControlUI* CRollTextUI::CreateControl()
{
    return new CRollTextUI();
}

const wchar_t* CRollTextUI::GetClass() const
{
    return L"RollTextUI";
}

void* CRollTextUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"RollText"))
        return this;
    return CLabelUI::GetInterface(pstrName);
}

void CRollTextUI::BeginRoll(int nDirect, LONG lTimeSpan, LONG lMaxTimeLimited)
{
    m_nRollDirection = nDirect;
    EndRoll();
    m_nText_W_H = 0;
    if (m_pManager != nullptr) {
        m_pManager->KillTimer(this, kStepTimerId);
        m_pManager->SetTimer(this, kStepTimerId, static_cast<UINT>(lTimeSpan));
        m_pManager->KillTimer(this, kEndTimerId);
        m_pManager->SetTimer(this, kEndTimerId, static_cast<UINT>(lMaxTimeLimited * 1000));
    }
    m_bUseRoll = true;
}

void CRollTextUI::EndRoll()
{
    if (!m_bUseRoll)
        return;
    if (m_pManager != nullptr) {
        m_pManager->KillTimer(this, kEndTimerId);
        m_pManager->KillTimer(this, kStepTimerId);
    }
    m_bUseRoll = false;
}

void CRollTextUI::SetText(const wchar_t* pstrText)
{
    CLabelUI::SetText(pstrText);
    m_nText_W_H = 0;
}

void CRollTextUI::SetPos(RECT rc, bool)
{
    CControlUI::SetPos(rc, true);
    m_nText_W_H = 0;
}

void CRollTextUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventTimer && event.wParam == kEndTimerId) {
        if (m_pManager != nullptr) {
            m_pManager->KillTimer(this, kEndTimerId);
            m_pManager->SendNotify(this, L"textrollend");
        }
    } else if (event.Type == UiEventTimer && event.wParam == kStepTimerId) {
        Invalidate();
        return;
    }
    CLabelUI::DoEvent(event);
}

// The text may be drawn partly outside the box, so drawing is clipped to the control.
void CRollTextUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    ResolveDefaultColors();
    const CUIString text = GetText();
    if (text.IsEmpty())
        return;
    RECT rc { m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
              m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom };
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    const bool horizontal = Horizontal(m_nRollDirection);
    if (m_nText_W_H == 0) {
        RECT measure = rc;
        (horizontal ? measure.right : measure.bottom) += kMeasureReach;
        int links = 0;
        if (m_bShowHtml)
            CRenderEngine::DrawHtmlText(hDC, m_pManager, measure, text.GetData(), CurrentTextColor(), nullptr,
                                        nullptr, links, kRollStyle | DT_CALCRECT);
        else
            CRenderEngine::DrawTextW(hDC, m_pManager, measure, text.GetData(), CurrentTextColor(), m_iFont,
                                     kRollStyle | DT_CALCRECT);
        m_nText_W_H = horizontal ? measure.right - measure.left : measure.bottom - measure.top;
        return;
    }
    if (horizontal) {
        const int shift = m_nRollDirection == 0 ? width - m_nScrollPos : -width + m_nScrollPos;
        ::OffsetRect(&rc, shift, 0);
        rc.right = rc.left + m_nText_W_H;
    } else {
        const int shift = m_nRollDirection == 2 ? height - m_nScrollPos : -height + m_nScrollPos;
        ::OffsetRect(&rc, 0, shift);
        rc.bottom = rc.top + m_nText_W_H;
    }
    m_nScrollPos += m_nStep;
    if (m_nScrollPos > (horizontal ? width : height) + m_nText_W_H)
        m_nScrollPos = 0;
    m_rcLastText = rc;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, m_rcPaint, clip);
    int links = 0;
    if (m_bShowHtml)
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), nullptr, nullptr, links,
                                    kRollStyle);
    else
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), m_iFont, kRollStyle);
}

}  // namespace SkinUI
