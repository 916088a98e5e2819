#include "ui/controls/ListHeaderUI.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kListHeader(L"CListHeaderUI", &CListHeaderUI::CreateControl);
const CControlRegistration kListHeaderItem(L"CListHeaderItemUI", &CListHeaderItemUI::CreateControl);

constexpr int kSeparatorGrip = 4;

int Clamp(int value, int minimum, int maximum)
{
    return std::min(std::max(value, minimum), maximum);
}

}  // namespace

namespace listvalues {

DWORD ReadColor(const wchar_t* pstrValue)
{
    if (pstrValue == nullptr)
        return 0;
    if (*pstrValue == L'#')
        ++pstrValue;
    return static_cast<DWORD>(std::wcstoul(pstrValue, nullptr, 16));
}

UINT ApplyAlign(UINT style, const wchar_t* pstrValue)
{
    if (std::wcsstr(pstrValue, L"left") != nullptr)
        style &= ~(DT_CENTER | DT_RIGHT);
    if (std::wcsstr(pstrValue, L"center") != nullptr) {
        style &= ~DT_RIGHT;
        style |= DT_CENTER;
    }
    if (std::wcsstr(pstrValue, L"right") != nullptr) {
        style &= ~DT_CENTER;
        style |= DT_RIGHT;
    }
    return style;
}

UINT ApplyVAlign(UINT style, const wchar_t* pstrValue)
{
    if (std::wcsstr(pstrValue, L"top") != nullptr)
        style &= ~(DT_VCENTER | DT_BOTTOM);
    if (std::wcsstr(pstrValue, L"vcenter") != nullptr) {
        style &= ~DT_BOTTOM;
        style |= DT_VCENTER;
    }
    if (std::wcsstr(pstrValue, L"bottom") != nullptr) {
        style &= ~DT_VCENTER;
        style |= DT_BOTTOM;
    }
    return style;
}

}  // namespace listvalues

// ---- header ----

CControlUI* CListHeaderUI::CreateControl()
{
    return new CListHeaderUI();
}

const wchar_t* CListHeaderUI::GetClass() const
{
    return L"ListHeaderUI";
}

void* CListHeaderUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListHeader"))
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

int CListHeaderUI::ScaleReference() const
{
    int width = m_rcItem.right - m_rcItem.left;
    auto* parent = m_pParent != nullptr ? static_cast<CContainerUI*>(m_pParent->GetInterface(L"Container")) : nullptr;
    if (parent != nullptr && parent->GetVerticalScrollBar() != nullptr)
        width -= parent->GetVerticalScrollBar()->GetFixedWidth();
    return width;
}

void CListHeaderUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT inset = GetInset();
    const RECT inner { m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                       m_rcItem.bottom - inset.bottom };
    if (m_items.IsEmpty())
        return;
    const SIZE available { inner.right - inner.left, inner.bottom - inner.top };
    const int childPadding = GetChildPadding();

    // Measure: fixed widths and the number of items that share what is left.
    std::vector<int> measured(static_cast<size_t>(m_items.GetSize()), 0);
    int sharers = 0, fixedSum = 0, counted = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat())
            continue;
        int width = item->EstimateSize(available).cx;
        if (width == 0)
            ++sharers;
        else
            width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
        measured[static_cast<size_t>(i)] = width;
        const RECT pad = item->GetPadding();
        fixedSum += width + pad.left + pad.right;
        ++counted;
    }
    if (counted > 0)
        fixedSum += childPadding * (counted - 1);
    const int share = sharers > 0 ? std::max(0, (available.cx - fixedSum) / sharers) : 0;

    // Place, left to right.
    const int reference = ScaleReference();
    int x = inner.left, remaining = available.cx, fixedRemainder = fixedSum, placed = 0, sharer = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT pad = item->GetPadding();
        remaining -= pad.left;
        fixedRemainder -= pad.left + pad.right + (++placed > 1 ? childPadding : 0);
        fixedRemainder -= measured[static_cast<size_t>(i)];
        int width = 0;
        auto* headerItem = static_cast<CListHeaderItemUI*>(item->GetInterface(L"ListHeaderItem"));
        if (m_bIsScaleHeader && headerItem != nullptr)
            width = static_cast<int>(static_cast<float>(headerItem->GetScale()) * static_cast<float>(reference) / 100.0f);
        else
            width = item->EstimateSize({ remaining, available.cy }).cx;
        if (width == 0)
            width = (++sharer == sharers) ? std::max(0, remaining - pad.right - fixedRemainder) : share;
        width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
        int height = item->GetFixedHeight();
        if (height == 0)
            height = std::max(0, available.cy - pad.top - pad.bottom);
        height = Clamp(height, item->GetMinHeight(), item->GetMaxHeight());
        const RECT place { x + pad.left, inner.top + pad.top, x + pad.left + width + pad.right, inner.top + pad.top + height };
        item->SetPos(place, false);
        x += width + pad.left + pad.right + childPadding;
        remaining -= width + pad.right + childPadding;
    }
}

void CListHeaderUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"scaleheader"))
        SetScaleHeader(ReadBool(pstrValue));
    else
        CHorizontalLayoutUI::SetAttribute(pstrName, pstrValue);
}

SIZE CListHeaderUI::EstimateSize(SIZE szAvailable)
{
    SIZE size { 0, GetFixedHeight() };
    if (size.cy == 0 && m_pManager != nullptr) {
        for (int i = 0; i < m_items.GetSize(); ++i)
            size.cy = std::max<LONG>(size.cy, GetItemAt(i)->EstimateSize(szAvailable).cy);
        size.cy = std::max<LONG>(size.cy, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 6);
    }
    for (int i = 0; i < m_items.GetSize(); ++i)
        size.cx += GetItemAt(i)->EstimateSize(szAvailable).cx;
    return size;
}

// ---- header item ----

template <class TBase>
CListHeaderItemBaseUI<TBase>::CListHeaderItemBaseUI()
{
    this->SetMinWidth(16);
}

template <class TBase>
UINT CListHeaderItemBaseUI<TBase>::GetControlFlags() const
{
    return this->IsEnabled() && m_iSepWidth != 0 ? ControlFlagSetCursor : 0;
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetEnabled(bool bEnable)
{
    TBase::SetEnabled(bEnable);
    if (!this->IsEnabled())
        m_uButtonState = 0;
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetDragable(bool bDragable)
{
    m_bDragable = bDragable;
    if (!m_bDragable)
        m_uButtonState &= ~kStateCaptured;
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    this->Invalidate();
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    this->Invalidate();
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    this->Invalidate();
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetImage(CUIString& slot, const wchar_t* pStrImage)
{
    slot = pStrImage;
    this->Invalidate();
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetNormalImage(const wchar_t* pStrImage)
{
    SetImage(m_sNormalImage, pStrImage);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetHotImage(const wchar_t* pStrImage)
{
    SetImage(m_sHotImage, pStrImage);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetPushedImage(const wchar_t* pStrImage)
{
    SetImage(m_sPushedImage, pStrImage);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetFocusedImage(const wchar_t* pStrImage)
{
    SetImage(m_sFocusedImage, pStrImage);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetSepImage(const wchar_t* pStrImage)
{
    SetImage(m_sSepImage, pStrImage);
}

template <class TBase>
RECT CListHeaderItemBaseUI<TBase>::GetThumbRect() const
{
    if (m_iSepWidth >= 0)
        return { this->m_rcItem.right - m_iSepWidth, this->m_rcItem.top, this->m_rcItem.right, this->m_rcItem.bottom };
    return { this->m_rcItem.left, this->m_rcItem.top, this->m_rcItem.left - m_iSepWidth, this->m_rcItem.bottom };
}

template <class TBase>
RECT CListHeaderItemBaseUI<TBase>::HitStrip() const
{
    RECT strip = GetThumbRect();
    if (m_iSepWidth >= 0)
        strip.left -= kSeparatorGrip;
    else
        strip.right += kSeparatorGrip;
    return strip;
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::DoEvent(TEventUI& event)
{
    if (!this->IsMouseEnabled() && event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd) {
        if (this->m_pParent != nullptr)
            this->m_pParent->DoEvent(event);
        else
            TBase::DoEvent(event);
        return;
    }
    if (event.Type == UiEventSetFocus || event.Type == UiEventKillFocus)
        this->Invalidate();
    const RECT strip = HitStrip();
    switch (event.Type) {
    case UiEventButtonDown:
    case UiEventDblClick:
        if (!this->IsEnabled())
            return;
        if (::PtInRect(&strip, event.ptMouse)) {
            if (m_bDragable) {
                m_uButtonState |= kStateCaptured;
                m_ptLastMouse = event.ptMouse;
                m_nDragWidth = this->m_rcItem.right - this->m_rcItem.left;
            }
            return;
        }
        m_uButtonState |= kStatePushed;
        if (this->m_pManager != nullptr)
            this->m_pManager->SendNotify(this, ClickNotification());
        this->Invalidate();
        return;
    case UiEventButtonUp:
        if ((m_uButtonState & kStateCaptured) != 0) {
            m_uButtonState &= ~kStateCaptured;
            this->NeedParentUpdate();
        } else if ((m_uButtonState & kStatePushed) != 0) {
            m_uButtonState &= ~kStatePushed;
            this->Invalidate();
        }
        return;
    case UiEventMouseMove: {
        if ((m_uButtonState & kStateCaptured) == 0)
            return;
        const int dx = event.ptMouse.x - m_ptLastMouse.x;
        const int width = m_iSepWidth >= 0 ? m_nDragWidth + dx : m_nDragWidth - dx;
        if (width <= this->GetMinWidth())
            return;
        // The drag runs in device pixels; the fixed width is kept in skin units.
        m_nDragWidth = width;
        m_ptLastMouse = event.ptMouse;
        this->SetFixedWidth(this->m_pManager != nullptr ? this->m_pManager->GetDPIObj()->ScaleBack(width) : width);
        this->NeedParentUpdate();
        return;
    }
    case UiEventSetCursor:
        if (this->IsEnabled() && m_bDragable && ::PtInRect(&strip, event.ptMouse)) {
            ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    case UiEventMouseEnter:
        if (this->IsEnabled()) {
            m_uButtonState |= kStateHot;
            this->Invalidate();
        }
        return;
    case UiEventMouseLeave:
        if (this->IsEnabled()) {
            m_uButtonState &= ~kStateHot;
            this->Invalidate();
        }
        return;
    default:
        break;
    }
    TBase::DoEvent(event);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (this->NameIs(pstrName, L"dragable"))
        SetDragable(this->ReadBool(pstrValue));
    else if (this->NameIs(pstrName, L"sepwidth"))
        this->SetSepWidth(this->ReadInt(pstrValue));
    else if (this->NameIs(pstrName, L"align"))
        m_uTextStyle = listvalues::ApplyAlign(m_uTextStyle, pstrValue);
    else if (this->NameIs(pstrName, L"endellipsis"))
        m_uTextStyle = this->ReadBool(pstrValue) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS);
    else if (this->NameIs(pstrName, L"font"))
        this->SetFont(this->ReadInt(pstrValue));
    else if (this->NameIs(pstrName, L"textcolor"))
        this->SetTextColor(listvalues::ReadColor(pstrValue));
    else if (this->NameIs(pstrName, L"textpadding"))
        SetTextPadding(this->ReadNumberList(pstrValue));
    else if (this->NameIs(pstrName, L"showhtml"))
        SetShowHtml(this->ReadBool(pstrValue));
    else if (this->NameIs(pstrName, L"normalimage"))
        SetNormalImage(pstrValue);
    else if (this->NameIs(pstrName, L"hotimage"))
        SetHotImage(pstrValue);
    else if (this->NameIs(pstrName, L"pushedimage"))
        SetPushedImage(pstrValue);
    else if (this->NameIs(pstrName, L"focusedimage"))
        SetFocusedImage(pstrValue);
    else if (this->NameIs(pstrName, L"sepimage"))
        SetSepImage(pstrValue);
    else
        TBase::SetAttribute(pstrName, pstrValue);
}

template <class TBase>
SIZE CListHeaderItemBaseUI<TBase>::EstimateSize(SIZE szAvailable)
{
    if (this->GetFixedHeight() != 0 || this->m_pManager == nullptr)
        return TBase::EstimateSize(szAvailable);
    return { this->GetFixedWidth(), this->m_pManager->GetDefaultFontInfo()->tm.tmHeight + 14 };
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::PaintStatusImage(HDC hDC)
{
    if (this->IsFocused())
        m_uButtonState |= kStateFocused;
    else
        m_uButtonState &= ~kStateFocused;
    const CUIString* state = nullptr;
    if ((m_uButtonState & kStatePushed) != 0)
        state = &m_sPushedImage;
    else if ((m_uButtonState & kStateHot) != 0)
        state = &m_sHotImage;
    else if ((m_uButtonState & kStateFocused) != 0)
        state = &m_sFocusedImage;
    if (state != nullptr) {
        if (state->IsEmpty() && !m_sNormalImage.IsEmpty())
            this->DrawImage(hDC, m_sNormalImage);
        if (!state->IsEmpty())
            this->DrawImage(hDC, *state);
    } else if (!m_sNormalImage.IsEmpty()) {
        this->DrawImage(hDC, m_sNormalImage);
    }
    if (m_sSepImage.IsEmpty())
        return;
    // "dest" is read in skin units and scaled by the image drawing, so the strip goes back to
    // skin units here; written in device pixels it would land outside the item at other DPIs.
    RECT strip = GetThumbRect();
    ::OffsetRect(&strip, -this->m_rcItem.left, -this->m_rcItem.top);
    if (this->m_pManager != nullptr)
        this->m_pManager->GetDPIObj()->ScaleBack(&strip);
    CUIString modifier;
    modifier.SmallFormat(L"dest='%d,%d,%d,%d'", strip.left, strip.top, strip.right, strip.bottom);
    this->DrawImage(hDC, m_sSepImage, modifier);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::PaintText(HDC hDC)
{
    PaintCaption(hDC, 0, 0);
}

template <class TBase>
void CListHeaderItemBaseUI<TBase>::PaintCaption(HDC hDC, int indent, UINT extraStyle)
{
    if (this->m_pManager == nullptr)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = this->m_pManager->GetDefaultFontColor();
    const CUIString text = this->GetText();
    if (text.IsEmpty())
        return;
    const RECT padding = this->ScaleValue(m_rcTextPadding);
    const RECT& item = this->m_rcItem;
    RECT rcText { item.left + padding.left + indent, item.top + padding.top, item.right - padding.right,
                  item.bottom - padding.bottom };
    const UINT style = m_uTextStyle | extraStyle;
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, this->m_pManager, rcText, text, m_dwTextColor, nullptr, nullptr, links, style);
    } else {
        CRenderEngine::DrawTextW(hDC, this->m_pManager, rcText, text, m_dwTextColor, m_iFont, style);
    }
}

template class CListHeaderItemBaseUI<CContainerUI>;
template class CListHeaderItemBaseUI<CHorizontalLayoutUI>;

CControlUI* CListHeaderItemUI::CreateControl()
{
    return new CListHeaderItemUI();
}

const wchar_t* CListHeaderItemUI::GetClass() const
{
    return L"ListHeaderItemUI";
}

void* CListHeaderItemUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListHeaderItem"))
        return this;
    return CContainerUI::GetInterface(pstrName);
}

void CListHeaderItemUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"scale"))
        SetScale(ReadInt(pstrValue));
    else
        CListHeaderItemBaseUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace SkinUI
