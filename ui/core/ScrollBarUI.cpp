#include "ui/core/ScrollBarUI.h"

#include <algorithm>
#include <cstdint>

#include "platform/WinBase.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/UIDefines.h"

namespace SkinUI {

namespace {

constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;
constexpr UINT kStatePushed = 0x10;
constexpr UINT kStateCaptured = 0x40;
constexpr UINT kRepeatTimerId = 10;
constexpr UINT kRepeatElapseMs = 50;
// Held buttons and the rail start repeating after this many timer ticks.
constexpr int kRepeatDelayTicks = 5;
constexpr DWORD kFallbackFrameColor = 0xFF85E4FF;

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

bool IsAllZero(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

}  // namespace

CScrollBarUI::CScrollBarUI()
{
    m_cxyFixed.cx = 16;
    m_cxyFixed.cy = 0;
}

CControlUI* CScrollBarUI::CreateControl()
{
    return new CScrollBarUI();
}

const wchar_t* CScrollBarUI::GetClass() const
{
    return L"ScrollBarUI";
}

void* CScrollBarUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ScrollBar"))
        return this;
    return CControlUI::GetInterface(pstrName);
}

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal && m_cxyFixed.cy == 0) {
        m_cxyFixed.cx = 0;
        m_cxyFixed.cy = 16;
    } else if (!m_bHorizontal && m_cxyFixed.cx == 0) {
        m_cxyFixed.cx = 16;
        m_cxyFixed.cy = 0;
    }
    if (m_pOwner != nullptr)
        m_pOwner->NeedUpdate();
    else
        NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int nRange)
{
    if (m_nRange == nRange)
        return;
    m_nRange = std::max(nRange, 0);
    m_nScrollPos = std::min(m_nScrollPos, m_nRange);
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetScrollPos(int nPos)
{
    if (m_nScrollPos == nPos)
        return;
    m_nScrollPos = std::clamp(nPos, 0, std::max(m_nRange, 0));
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton1(bool bShow)
{
    m_bShowButton1 = bShow;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton2(bool bShow)
{
    m_bShowButton2 = bShow;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    m_bVisible = bVisible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus()
{
    if (m_pOwner != nullptr)
        m_pOwner->SetFocus();
    else
        CControlUI::SetFocus();
}

// ---- placement ----

void CScrollBarUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    PlaceParts();
}

void CScrollBarUI::PlaceParts()
{
    const int L = m_rcItem.left, T = m_rcItem.top, R = m_rcItem.right, B = m_rcItem.bottom;
    const int shown = (m_bShowButton1 ? 1 : 0) + (m_bShowButton2 ? 1 : 0);
    if (!m_bHorizontal) {
        const int bw = GetFixedWidth(), length = B - T, track = length - bw * shown;
        if (track > bw) {
            m_rcButton1 = m_bShowButton1 ? RECT { L, T, L + bw, T + bw } : RECT { L, T, L, T };
            m_rcButton2 = m_bShowButton2 ? RECT { L, B - bw, L + bw, B } : RECT { L, B, L, B };
            m_rcThumb.left = L;
            m_rcThumb.right = L + bw;
            if (m_nRange > 0) {
                const int thumb = std::max(static_cast<int>(int64_t { length } * track / (m_nRange + length)), bw);
                m_rcThumb.top = static_cast<int>(static_cast<double>(m_nScrollPos) / m_nRange * (track - thumb))
                                + m_rcButton1.bottom;
                m_rcThumb.bottom = m_rcThumb.top + thumb;
                if (m_rcThumb.bottom > m_rcButton2.top) {
                    m_rcThumb.bottom = m_rcButton2.top;
                    m_rcThumb.top = m_rcThumb.bottom - thumb;
                }
            } else {
                m_rcThumb.top = m_rcButton1.bottom;
                m_rcThumb.bottom = m_rcButton2.top;
            }
        } else {
            const int half = std::min(length / 2, bw);
            m_rcButton1 = m_bShowButton1 ? RECT { L, T, L + bw, T + half } : RECT { L, T, L, T };
            m_rcButton2 = m_bShowButton2 ? RECT { L, B - half, L + bw, B } : RECT { L, B, L, B };
            m_rcThumb = RECT {};
        }
        return;
    }
    const int bh = GetFixedHeight(), length = R - L, track = length - bh * shown;
    if (track > bh) {
        m_rcButton1 = m_bShowButton1 ? RECT { L, T, L + bh, T + bh } : RECT { L, T, L, T };
        m_rcButton2 = m_bShowButton2 ? RECT { R - bh, T, R, T + bh } : RECT { R, T, R, T };
        m_rcThumb.top = T;
        m_rcThumb.bottom = T + bh;
        if (m_nRange > 0) {
            const int thumb = std::max(static_cast<int>(int64_t { length } * track / (m_nRange + length)), bh);
            m_rcThumb.left = static_cast<int>(int64_t { track - thumb } * m_nScrollPos / m_nRange) + m_rcButton1.right;
            m_rcThumb.right = m_rcThumb.left + thumb;
            if (m_rcThumb.right > m_rcButton2.left) {
                m_rcThumb.right = m_rcButton2.left;
                m_rcThumb.left = m_rcThumb.right - thumb;
            }
        } else {
            m_rcThumb.left = m_rcButton1.right;
            m_rcThumb.right = m_rcButton2.left;
        }
    } else {
        const int half = std::min(length / 2, bh);
        m_rcButton1 = m_bShowButton1 ? RECT { L, T, L + half, T + bh } : RECT { L, T, L, T };
        m_rcButton2 = m_bShowButton2 ? RECT { R - half, T, R, T + bh } : RECT { R, T, R, T };
        m_rcThumb = RECT {};
    }
}

// ---- scrolling steps ----

void CScrollBarUI::LineBack()
{
    if (m_pOwner == nullptr)
        SetScrollPos(m_nScrollPos - m_nLineSize);
    else if (m_bHorizontal)
        m_pOwner->LineLeft();
    else
        m_pOwner->LineUp();
}

void CScrollBarUI::LineForward()
{
    if (m_pOwner == nullptr)
        SetScrollPos(m_nScrollPos + m_nLineSize);
    else if (m_bHorizontal)
        m_pOwner->LineRight();
    else
        m_pOwner->LineDown();
}

void CScrollBarUI::PageBack()
{
    if (m_pOwner == nullptr)
        SetScrollPos(m_nScrollPos - (m_bHorizontal ? GetWidth() : GetHeight()));
    else if (m_bHorizontal)
        m_pOwner->PageLeft();
    else
        m_pOwner->PageUp();
}

void CScrollBarUI::PageForward()
{
    if (m_pOwner == nullptr)
        SetScrollPos(m_nScrollPos + (m_bHorizontal ? GetWidth() : GetHeight()));
    else if (m_bHorizontal)
        m_pOwner->PageRight();
    else
        m_pOwner->PageDown();
}

void CScrollBarUI::PageTowards(POINT pt)
{
    const int at = m_bHorizontal ? pt.x : pt.y;
    const int before = m_bHorizontal ? m_rcThumb.left : m_rcThumb.top;
    const int after = m_bHorizontal ? m_rcThumb.right : m_rcThumb.bottom;
    if (at < before)
        PageBack();
    else if (at > after)
        PageForward();
}

void CScrollBarUI::NotifyScroll()
{
    if (m_pOwner == nullptr && m_pManager != nullptr)
        m_pManager->SendNotify(this, L"scroll");
}

// ---- events ----

void CScrollBarUI::OnThumbDrag(POINT pt)
{
    // The thumb's free travel between the buttons maps onto the whole range, so the thumb stays
    // under the pointer whatever the buttons, the DPI or the size of the range.
    const int thumb = m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top;
    const int rail = m_bHorizontal ? m_rcButton2.left - m_rcButton1.right : m_rcButton2.top - m_rcButton1.bottom;
    const int track = rail - thumb;
    if (track <= 0)
        return;
    const int delta = m_bHorizontal ? pt.x - m_ptLastMouse.x : pt.y - m_ptLastMouse.y;
    m_nLastScrollOffset = static_cast<int>(int64_t { delta } * m_nRange / track);
}

void CScrollBarUI::OnTimerTick()
{
    ++m_nScrollRepeatDelay;
    if ((m_uThumbState & kStateCaptured) != 0) {
        const int value = m_nLastScrollPos + m_nLastScrollOffset;
        if (m_pOwner != nullptr) {
            SIZE pos = m_pOwner->GetScrollPos();
            (m_bHorizontal ? pos.cx : pos.cy) = value;
            m_pOwner->SetScrollPos(pos, true);
        } else {
            SetScrollPos(value);
        }
        Invalidate();
    } else if (m_nScrollRepeatDelay <= kRepeatDelayTicks) {
        return;
    } else if ((m_uButton1State & kStatePushed) != 0) {
        LineBack();
    } else if ((m_uButton2State & kStatePushed) != 0) {
        LineForward();
    } else {
        POINT pt {};
        ::GetCursorPos(&pt);
        if (m_pManager != nullptr)
            ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
        PageTowards(pt);
    }
    NotifyScroll();
}

void CScrollBarUI::DoEvent(tagTEventUI& event)
{
    const POINT pt = event.ptMouse;
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventSetFocus:
    case UiEventKillFocus:
    case UiEventContextMenu:
        return;
    case UiEventButtonDown:
    case UiEventDblClick:
        if (!IsEnabled())
            return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager != nullptr)
            m_pManager->SetTimer(this, kRepeatTimerId, kRepeatElapseMs);
        if (::PtInRect(&m_rcButton1, pt)) {
            m_uButton1State |= kStatePushed;
            LineBack();
        } else if (::PtInRect(&m_rcButton2, pt)) {
            m_uButton2State |= kStatePushed;
            LineForward();
        } else if (::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= kStateCaptured | kStatePushed;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
        } else {
            PageTowards(pt);
        }
        NotifyScroll();
        return;
    case UiEventButtonUp:
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        if (m_pManager != nullptr)
            m_pManager->KillTimer(this, kRepeatTimerId);
        if ((m_uThumbState & kStateCaptured) != 0)
            m_uThumbState &= ~(kStateCaptured | kStatePushed);
        else if ((m_uButton1State & kStatePushed) != 0)
            m_uButton1State &= ~kStatePushed;
        else if ((m_uButton2State & kStatePushed) != 0)
            m_uButton2State &= ~kStatePushed;
        else
            return;
        Invalidate();
        return;
    case UiEventMouseMove:
        if ((m_uThumbState & kStateCaptured) != 0) {
            OnThumbDrag(pt);
        } else if ((m_uThumbState & kStateHot) != 0) {
            if (!::PtInRect(&m_rcThumb, pt)) {
                m_uThumbState &= ~kStateHot;
                Invalidate();
            }
        } else if (IsEnabled() && ::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= kStateHot;
            Invalidate();
        }
        return;
    case UiEventMouseEnter:
        if (!IsEnabled())
            return;
        m_uButton1State |= kStateHot;
        m_uButton2State |= kStateHot;
        if (::PtInRect(&m_rcThumb, pt))
            m_uThumbState |= kStateHot;
        Invalidate();
        return;
    case UiEventMouseLeave:
        if (!IsEnabled())
            return;
        m_uButton1State &= ~kStateHot;
        m_uButton2State &= ~kStateHot;
        m_uThumbState &= ~kStateHot;
        Invalidate();
        return;
    case UiEventTimer:
        if (event.wParam == kRepeatTimerId) {
            OnTimerTick();
            return;
        }
        break;
    default:
        break;
    }
    if (m_pOwner != nullptr)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

// ---- attributes ----

void CScrollBarUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    struct ImageKey {
        const wchar_t* key;
        void (CScrollBarUI::*setter)(const wchar_t*);
    };
    static constexpr ImageKey kImageKeys[] = {
        { L"button1normalimage", &CScrollBarUI::SetButton1NormalImage },
        { L"button1hotimage", &CScrollBarUI::SetButton1HotImage },
        { L"button1pushedimage", &CScrollBarUI::SetButton1PushedImage },
        { L"button1disabledimage", &CScrollBarUI::SetButton1DisabledImage },
        { L"button2normalimage", &CScrollBarUI::SetButton2NormalImage },
        { L"button2hotimage", &CScrollBarUI::SetButton2HotImage },
        { L"button2pushedimage", &CScrollBarUI::SetButton2PushedImage },
        { L"button2disabledimage", &CScrollBarUI::SetButton2DisabledImage },
        { L"thumbnormalimage", &CScrollBarUI::SetThumbNormalImage },
        { L"thumbhotimage", &CScrollBarUI::SetThumbHotImage },
        { L"thumbpushedimage", &CScrollBarUI::SetThumbPushedImage },
        { L"thumbdisabledimage", &CScrollBarUI::SetThumbDisabledImage },
        { L"railnormalimage", &CScrollBarUI::SetRailNormalImage },
        { L"railhotimage", &CScrollBarUI::SetRailHotImage },
        { L"railpushedimage", &CScrollBarUI::SetRailPushedImage },
        { L"raildisabledimage", &CScrollBarUI::SetRailDisabledImage },
        { L"bknormalimage", &CScrollBarUI::SetBkNormalImage },
        { L"bkhotimage", &CScrollBarUI::SetBkHotImage },
        { L"bkpushedimage", &CScrollBarUI::SetBkPushedImage },
        { L"bkdisabledimage", &CScrollBarUI::SetBkDisabledImage },
    };
    for (const ImageKey& k : kImageKeys) {
        if (NameIs(pstrName, k.key)) {
            (this->*k.setter)(pstrValue);
            return;
        }
    }
    if (NameIs(pstrName, L"hor"))
        SetHorizontal(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"linesize"))
        SetLineSize(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"range"))
        SetScrollRange(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"value"))
        SetScrollPos(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"showbutton1"))
        SetShowButton1(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"showbutton2"))
        SetShowButton2(ReadBool(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

#define QUILL_SCROLLBAR_IMAGE_SETTER(Name, member) \
    void CScrollBarUI::Set##Name(const wchar_t* pStrImage) \
    { \
        member = pStrImage; \
        Invalidate(); \
    }
QUILL_SCROLLBAR_IMAGE_SETTER(BkNormalImage, m_sBkNormalImage)
QUILL_SCROLLBAR_IMAGE_SETTER(BkHotImage, m_sBkHotImage)
QUILL_SCROLLBAR_IMAGE_SETTER(BkPushedImage, m_sBkPushedImage)
QUILL_SCROLLBAR_IMAGE_SETTER(BkDisabledImage, m_sBkDisabledImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button1NormalImage, m_sButton1NormalImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button1HotImage, m_sButton1HotImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button1PushedImage, m_sButton1PushedImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button1DisabledImage, m_sButton1DisabledImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button2NormalImage, m_sButton2NormalImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button2HotImage, m_sButton2HotImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button2PushedImage, m_sButton2PushedImage)
QUILL_SCROLLBAR_IMAGE_SETTER(Button2DisabledImage, m_sButton2DisabledImage)
QUILL_SCROLLBAR_IMAGE_SETTER(ThumbNormalImage, m_sThumbNormalImage)
QUILL_SCROLLBAR_IMAGE_SETTER(ThumbHotImage, m_sThumbHotImage)
QUILL_SCROLLBAR_IMAGE_SETTER(ThumbPushedImage, m_sThumbPushedImage)
QUILL_SCROLLBAR_IMAGE_SETTER(ThumbDisabledImage, m_sThumbDisabledImage)
QUILL_SCROLLBAR_IMAGE_SETTER(RailNormalImage, m_sRailNormalImage)
QUILL_SCROLLBAR_IMAGE_SETTER(RailHotImage, m_sRailHotImage)
QUILL_SCROLLBAR_IMAGE_SETTER(RailPushedImage, m_sRailPushedImage)
QUILL_SCROLLBAR_IMAGE_SETTER(RailDisabledImage, m_sRailDisabledImage)
#undef QUILL_SCROLLBAR_IMAGE_SETTER

// ---- painting ----

CUIString CScrollBarUI::DestModifier(const RECT& rc) const
{
    const int scale = m_pManager != nullptr ? static_cast<int>(m_pManager->GetDPIObj()->GetScale()) : 100;
    CUIString modify;
    modify.SmallFormat(L"dest='%d,%d,%d,%d'", ::MulDiv(rc.left - m_rcItem.left, 100, scale),
                       ::MulDiv(rc.top - m_rcItem.top, 100, scale),
                       ::MulDiv(rc.right - m_rcItem.left, 100, scale),
                       ::MulDiv(rc.bottom - m_rcItem.top, 100, scale));
    return modify;
}

bool CScrollBarUI::DrawPart(HDC hDC, UINT uState, const CUIString& normal, const CUIString& hot,
                            const CUIString& pushed, const CUIString& disabled, const wchar_t* pstrModify)
{
    const CUIString* chosen = nullptr;
    if ((uState & kStateDisabled) != 0)
        chosen = &disabled;
    else if ((uState & kStatePushed) != 0)
        chosen = &pushed;
    else if ((uState & kStateHot) != 0)
        chosen = &hot;
    if (chosen != nullptr && !chosen->IsEmpty() && DrawImage(hDC, *chosen, pstrModify))
        return true;
    return !normal.IsEmpty() && DrawImage(hDC, normal, pstrModify);
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintBk(hDC);
    PaintButton1(hDC);
    PaintButton2(hDC);
    PaintThumb(hDC);
    PaintRail(hDC);
}

namespace {

UINT WithEnabled(UINT state, bool enabled)
{
    return enabled ? state & ~kStateDisabled : state | kStateDisabled;
}

}  // namespace

void CScrollBarUI::PaintBk(HDC hDC)
{
    m_uThumbState = WithEnabled(m_uThumbState, IsEnabled());
    DrawPart(hDC, m_uThumbState, m_sBkNormalImage, m_sBkHotImage, m_sBkPushedImage, m_sBkDisabledImage, nullptr);
}

void CScrollBarUI::PaintButton1(HDC hDC)
{
    if (!m_bShowButton1)
        return;
    m_uButton1State = WithEnabled(m_uButton1State, IsEnabled());
    m_sImageModify = DestModifier(m_rcButton1);
    if (!DrawPart(hDC, m_uButton1State, m_sButton1NormalImage, m_sButton1HotImage, m_sButton1PushedImage,
                  m_sButton1DisabledImage, m_sImageModify))
        CRenderEngine::DrawRect(hDC, m_rcButton1, 2, kFallbackFrameColor, 0);
}

void CScrollBarUI::PaintButton2(HDC hDC)
{
    if (!m_bShowButton2)
        return;
    m_uButton2State = WithEnabled(m_uButton2State, IsEnabled());
    m_sImageModify = DestModifier(m_rcButton2);
    if (!DrawPart(hDC, m_uButton2State, m_sButton2NormalImage, m_sButton2HotImage, m_sButton2PushedImage,
                  m_sButton2DisabledImage, m_sImageModify))
        CRenderEngine::DrawRect(hDC, m_rcButton2, 2, kFallbackFrameColor, 0);
}

void CScrollBarUI::PaintThumb(HDC hDC)
{
    if (IsAllZero(m_rcThumb))
        return;
    m_uThumbState = WithEnabled(m_uThumbState, IsEnabled());
    m_sImageModify = DestModifier(m_rcThumb);
    if (!DrawPart(hDC, m_uThumbState, m_sThumbNormalImage, m_sThumbHotImage, m_sThumbPushedImage,
                  m_sThumbDisabledImage, m_sImageModify))
        CRenderEngine::DrawRect(hDC, m_rcThumb, 2, kFallbackFrameColor, 0);
}

void CScrollBarUI::PaintRail(HDC hDC)
{
    if (IsAllZero(m_rcThumb))
        return;
    m_uThumbState = WithEnabled(m_uThumbState, IsEnabled());
    RECT rail = m_rcThumb;
    if (!m_bHorizontal) {
        const int middle = (m_rcThumb.top + m_rcThumb.bottom) / 2, side = GetFixedWidth();
        rail.top = middle - side / 2;
        rail.bottom = middle + side - side / 2;
    } else {
        const int middle = (m_rcThumb.left + m_rcThumb.right) / 2, side = GetFixedHeight();
        rail.left = middle - side / 2;
        rail.right = middle + side - side / 2;
    }
    m_sImageModify = DestModifier(rail);
    DrawPart(hDC, m_uThumbState, m_sRailNormalImage, m_sRailHotImage, m_sRailPushedImage, m_sRailDisabledImage,
             m_sImageModify);
}

}  // namespace SkinUI
