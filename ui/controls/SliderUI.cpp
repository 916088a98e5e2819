#include "ui/controls/SliderUI.h"

#include <cstdint>

#include "ui/controls/ButtonUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kSlider(L"CSliderUI", &CSliderUI::CreateControl);

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

}  // namespace

CSliderUI::CSliderUI()
{
    m_uTextStyle = DT_CENTER | DT_SINGLELINE;
}

CControlUI* CSliderUI::CreateControl()
{
    return new CSliderUI();
}

const wchar_t* CSliderUI::GetClass() const
{
    return L"SliderUI";
}

void* CSliderUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Slider"))
        return this;
    return CProgressUI::GetInterface(pstrName);
}

void CSliderUI::SetEnabled(bool bEnable)
{
    CProgressUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CSliderUI::SetValue(int nValue)
{
    if ((m_uButtonState & ButtonStateCaptured) != 0)
        return;
    CProgressUI::SetValue(nValue);
}

void CSliderUI::SetThumbImage(const wchar_t* pStrImage)
{
    m_sThumbImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetThumbHotImage(const wchar_t* pStrImage)
{
    m_sThumbHotImage = pStrImage;
    Invalidate();
}

void CSliderUI::SetThumbPushedImage(const wchar_t* pStrImage)
{
    m_sThumbPushedImage = pStrImage;
    Invalidate();
}

SIZE CSliderUI::ScaledThumbSize() const
{
    return ScaleValue(m_szThumb);
}

RECT CSliderUI::GetThumbRect()
{
    NormaliseRange();
    const SIZE thumb = ScaledThumbSize();
    const int range = m_nMax - m_nMin;
    const RECT& rc = m_rcItem;
    int left = 0, top = 0;
    if (m_bHorizontal) {
        left = rc.left + static_cast<int>(int64_t { m_nValue - m_nMin } * (rc.right - rc.left - thumb.cx) / range);
        top = (rc.top + rc.bottom - thumb.cy) / 2;
    } else {
        left = (rc.left + rc.right - thumb.cx) / 2;
        top = rc.bottom - static_cast<int>(int64_t { m_nValue - m_nMin } * (rc.bottom - rc.top - thumb.cy) / range)
              - thumb.cy;
    }
    return RECT { left, top, left + thumb.cx, top + thumb.cy };
}

// The thumb's centre follows the mouse: the same scaled thumb as drawing and hit testing, and the
// nearest value rather than the one below, so a press on the thumb's centre keeps the value at
// every scale.
int CSliderUI::ValueAt(POINT pt)
{
    NormaliseRange();
    const SIZE thumb = ScaledThumbSize();
    const RECT& rc = m_rcItem;
    const int range = m_nMax - m_nMin;
    if (m_bHorizontal) {
        const int half = thumb.cx / 2, track = rc.right - rc.left - thumb.cx;
        if (pt.x >= rc.right - half)
            return m_nMax;
        if (pt.x <= rc.left + half || track <= 0)
            return m_nMin;
        return m_nMin + static_cast<int>((int64_t { range } * (pt.x - rc.left - half) + track / 2) / track);
    }
    const int half = thumb.cy / 2, track = rc.bottom - rc.top - thumb.cy;
    if (pt.y >= rc.bottom - half)
        return m_nMin;
    if (pt.y <= rc.top + half || track <= 0)
        return m_nMax;
    return m_nMin + static_cast<int>((int64_t { range } * (rc.bottom - half - pt.y) + track / 2) / track);
}

void CSliderUI::Notify(const wchar_t* type)
{
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, type);
}

void CSliderUI::DoEvent(TEventUI& event)
{
    if (IsMouseEvent(event.Type) && !IsMouseEnabled()) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventButtonDown:
    case UiEventDblClick: {
        if (!IsEnabled())
            return;
        m_uButtonState |= ButtonStateCaptured;
        const int value = ValueAt(event.ptMouse);
        if (value != m_nValue && value >= m_nMin && value <= m_nMax) {
            m_nValue = value;
            Invalidate();
        }
        UpdateText();
        return;
    }
    case UiEventButtonUp:
    case UiEventRButtonUp: {
        if (!IsEnabled())
            break;
        m_uButtonState &= ~ButtonStateCaptured;
        const int value = ValueAt(event.ptMouse);
        if (value >= m_nMin && value <= m_nMax) {
            m_nValue = value;
            Notify(L"valuechanged");
            Invalidate();
        }
        UpdateText();
        return;
    }
    case UiEventContextMenu:
        return;
    case UiEventScrollWheel: {
        if (!IsEnabled())
            break;
        const int code = LOWORD(event.wParam);
        if (code != 0 && code != 1)
            break;
        SetValue(code == 0 ? m_nValue + m_nStep : m_nValue - m_nStep);
        Notify(L"valuechanged");
        return;
    }
    case UiEventMouseMove:
        if ((m_uButtonState & ButtonStateCaptured) != 0) {
            m_nValue = ValueAt(event.ptMouse);
            if (m_bSendMove) {
                UpdateText();
                Notify(L"movevaluechanged");
            }
            Invalidate();
        }
        {
            const RECT thumb = GetThumbRect();
            const bool hot = IsEnabled() && ::PtInRect(&thumb, event.ptMouse);
            m_uButtonState = hot ? (m_uButtonState | ButtonStateHot) : (m_uButtonState & ~ButtonStateHot);
        }
        Invalidate();
        return;
    case UiEventSetCursor:
        if (!IsEnabled())
            break;
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    case UiEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState &= ~ButtonStateHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CSliderUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"thumbimage")) {
        SetThumbImage(pstrValue);
    } else if (NameIs(pstrName, L"thumbhotimage")) {
        SetThumbHotImage(pstrValue);
    } else if (NameIs(pstrName, L"thumbpushedimage")) {
        SetThumbPushedImage(pstrValue);
    } else if (NameIs(pstrName, L"thumbsize")) {
        const RECT pair = ReadNumberList(pstrValue);
        SetThumbSize(SIZE { pair.left, pair.top });
    } else if (NameIs(pstrName, L"step")) {
        SetChangeStep(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"sendmove")) {
        SetCanSendMove(ReadBool(pstrValue));
    } else {
        CProgressUI::SetAttribute(pstrName, pstrValue);
    }
}

void CSliderUI::PaintForeImage(HDC hDC)
{
    CProgressUI::PaintForeImage(hDC);
    RECT thumb = GetThumbRect();
    ::OffsetRect(&thumb, -m_rcItem.left, -m_rcItem.top);
    if (m_pManager != nullptr)
        m_pManager->GetDPIObj()->ScaleBack(&thumb);
    m_sThumbModify.SmallFormat(L"dest='%d,%d,%d,%d'", thumb.left, thumb.top, thumb.right, thumb.bottom);
    const CUIString* state = nullptr;
    if ((m_uButtonState & ButtonStateCaptured) != 0)
        state = &m_sThumbPushedImage;
    else if ((m_uButtonState & ButtonStateHot) != 0)
        state = &m_sThumbHotImage;
    if (state != nullptr && !state->IsEmpty() && DrawImage(hDC, state->GetData(), m_sThumbModify.GetData()))
        return;
    if (!m_sThumbImage.IsEmpty())
        DrawImage(hDC, m_sThumbImage.GetData(), m_sThumbModify.GetData());
}

}  // namespace SkinUI
