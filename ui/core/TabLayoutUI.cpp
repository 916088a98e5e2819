#include "ui/core/TabLayoutUI.h"

#include <algorithm>

#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

// ---- CTabLayoutUI ---------------------------------------------------------------------------

CControlUI* CTabLayoutUI::CreateControl()
{
    return new CTabLayoutUI();
}

const wchar_t* CTabLayoutUI::GetClass() const
{
    return L"TabLayoutUI";
}

void* CTabLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"TabLayout"))
        return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    // The container's Add goes through the virtual AddAt; the selection rule must run once.
    if (!CContainerUI::AddAt(pControl, m_items.GetSize()))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible())
        m_iCurSel = GetItemIndex(pControl);
    else
        pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (m_iCurSel == -1 && pControl->IsVisible()) {
        m_iCurSel = GetItemIndex(pControl);
        return true;
    }
    pControl->SetVisible(false);
    if (m_iCurSel != -1 && iIndex <= m_iCurSel)
        ++m_iCurSel;
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl)
{
    if (pControl == nullptr)
        return false;
    const int index = GetItemIndex(pControl);
    if (!CContainerUI::Remove(pControl))
        return false;
    if (m_iCurSel == index) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        NeedParentUpdate();
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

void CTabLayoutUI::ShowOnly(int iIndex)
{
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (i == iIndex)
            continue;
        GetItemAt(i)->SetVisible(false);
    }
    CControlUI* page = GetItemAt(iIndex);
    page->SetVisible(true);
    page->SetFocus();
}

void CTabLayoutUI::ReportSelection(int iOldSel)
{
    if (m_pManager == nullptr)
        return;
    m_pManager->SetNextTabControl();
    m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
}

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int oldSel = m_iCurSel;
    m_iCurSel = iIndex;
    ShowOnly(iIndex);
    SetPos(m_rcItem, true);
    NeedParentUpdate();
    ReportSelection(oldSel);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl)
{
    const int index = GetItemIndex(pControl);
    if (index < 0)
        return false;
    return SelectItem(index);
}

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT inset = GetInset();
    const RECT area { m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                      m_rcItem.bottom - inset.bottom };
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel)
            continue;
        const RECT padding = child->GetPadding();
        const RECT box { area.left + padding.left, area.top + padding.top, area.right - padding.right,
                         area.bottom - padding.bottom };
        const int boxWidth = std::max(0, static_cast<int>(box.right - box.left));
        const int boxHeight = std::max(0, static_cast<int>(box.bottom - box.top));
        SIZE size = child->EstimateSize({ boxWidth, boxHeight });
        if (size.cx == 0)
            size.cx = boxWidth;
        if (size.cy == 0)
            size.cy = boxHeight;
        size.cx = std::min(std::max(static_cast<int>(size.cx), child->GetMinWidth()), child->GetMaxWidth());
        size.cy = std::min(std::max(static_cast<int>(size.cy), child->GetMinHeight()), child->GetMaxHeight());
        child->SetPos({ box.left, box.top, box.left + size.cx, box.top + size.cy }, true);
    }
}

void CTabLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"selectedid"))
        SelectItem(ReadInt(pstrValue));
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

// ---- CAnimationTabLayoutUI ------------------------------------------------------------------

CControlUI* CAnimationTabLayoutUI::CreateControl()
{
    return new CAnimationTabLayoutUI();
}

const wchar_t* CAnimationTabLayoutUI::GetClass() const
{
    return L"AnimationTabLayoutUI";
}

void* CAnimationTabLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"AnimationTabLayout"))
        return static_cast<CAnimationTabLayoutUI*>(this);
    return CTabLayoutUI::GetInterface(pstrName);
}

bool CAnimationTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    if (iIndex == m_iCurSel)
        return true;
    if (m_pManager == nullptr)  // no timer to slide with: the page simply appears
        return CTabLayoutUI::SelectItem(iIndex);
    const int oldSel = m_iCurSel;
    m_iCurSel = iIndex;
    m_nPositiveDirection = iIndex > oldSel ? -1 : 1;
    ShowOnly(iIndex);
    m_pCurrentControl = GetItemAt(iIndex);
    m_bControlVisibleFlag = false;
    NeedParentUpdate();
    m_pCurrentControl->SetVisible(false);  // until the first step of the slide
    AnimationSwitch();
    ReportSelection(oldSel);
    return true;
}

void CAnimationTabLayoutUI::AnimationSwitch()
{
    // A slide cut short leaves the layout displaced: the next one still comes to rest where the
    // layout belongs.
    if (IsAnimating())
        m_rcItem = m_rcItemOld;
    m_rcItemOld = m_rcItem;
    m_rcCurPos = m_rcItem;
    if (!m_bIsVerticalDirection) {
        const int shift = (m_rcItem.left - m_rcItem.right + 52) * m_nPositiveDirection;
        m_rcCurPos.left += shift;
        m_rcCurPos.right += shift;
    } else {
        const int shift = -(m_rcItem.bottom - m_rcItem.top) * m_nPositiveDirection;
        m_rcCurPos.top += shift;
        m_rcCurPos.bottom += shift;
    }
    KillTimer(kAnimationId);
    m_nCurFrame = 0;
    SetTimer(kAnimationId, kElapse);
}

void CAnimationTabLayoutUI::OnAnimationElapse()
{
    if (m_nCurFrame < 0)
        return;
    const int frame = m_nCurFrame;
    OnAnimationStep(kTotalFrames, frame);
    if (frame < kTotalFrames) {
        ++m_nCurFrame;
        return;
    }
    KillTimer(kAnimationId);
    m_nCurFrame = -1;
    OnAnimationStop();
}

void CAnimationTabLayoutUI::OnAnimationStep(int nTotalFrame, int nCurFrame)
{
    // The page may have been removed while it slid in.
    if (m_pCurrentControl != nullptr && GetItemIndex(m_pCurrentControl) < 0)
        m_pCurrentControl = nullptr;
    if (!m_bControlVisibleFlag && m_pCurrentControl != nullptr) {
        m_bControlVisibleFlag = true;
        m_pCurrentControl->SetVisible(true);
    }
    if (nCurFrame != nTotalFrame) {
        if (!m_bIsVerticalDirection) {
            const int step = (m_rcItemOld.right - m_rcItemOld.left) * m_nPositiveDirection / nTotalFrame;
            m_rcCurPos.left += step;
            m_rcCurPos.right += step;
        } else {
            const int step = (m_rcItemOld.bottom - m_rcItemOld.top) * m_nPositiveDirection / nTotalFrame;
            m_rcCurPos.top += step;
            m_rcCurPos.bottom += step;
        }
    } else {
        m_rcItem = m_rcCurPos = m_rcItemOld;
    }
    SetPos(m_rcCurPos, true);
}

void CAnimationTabLayoutUI::OnAnimationStop()
{
    SetPos(m_rcItemOld, true);
    NeedParentUpdate();
}

void CAnimationTabLayoutUI::DoEvent(tagTEventUI& event)
{
    if (event.Type == UiEventTimer && event.wParam == kAnimationId)
        OnAnimationElapse();
    CTabLayoutUI::DoEvent(event);
}

void CAnimationTabLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"animation_direction") && NameIs(pstrValue, L"vertical"))
        m_bIsVerticalDirection = true;
    CTabLayoutUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace SkinUI
