#include "ui/core/ContainerUI.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>
#include <vector>

#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderClip.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/UIDefines.h"

namespace SkinUI {

namespace {

bool Meets(const RECT& a, const RECT& b, RECT* out = nullptr)
{
    RECT tmp;
    return ::IntersectRect(out != nullptr ? out : &tmp, &a, &b) != FALSE;
}

RECT Deflate(RECT rc, const RECT& inset)
{
    rc.left += inset.left;
    rc.top += inset.top;
    rc.right -= inset.right;
    rc.bottom -= inset.bottom;
    return rc;
}

// Levels from a control up to its root, the control included.
int LevelsAbove(const CControlUI* control)
{
    int levels = 0;
    for (; control != nullptr; control = control->GetParent())
        ++levels;
    return levels;
}

}  // namespace

int CContainerUI::NestingDepth(CControlUI* pControl)
{
    int deepest = 0;
    std::vector<std::pair<CControlUI*, int>> pending;
    if (pControl != nullptr)
        pending.emplace_back(pControl, 1);
    while (!pending.empty()) {
        const auto [control, level] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, level);
        auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
        if (container == nullptr || level > kMaxNestingDepth)
            continue;
        for (int i = 0; i < container->GetCount(); ++i)
            if (CControlUI* child = container->GetItemAt(i))
                pending.emplace_back(child, level + 1);
    }
    return deepest;
}

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

CControlUI* CContainerUI::CreateControl()
{
    return new CContainerUI();
}

const wchar_t* CContainerUI::GetClass() const
{
    return L"ContainerUI";
}

void* CContainerUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"IContainer"))
        return static_cast<IContainerUI*>(this);
    if (pstrName != nullptr && NameIs(pstrName, L"Container"))
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

// ---- children ----

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_items.GetSize())
        return nullptr;
    return static_cast<CControlUI*>(m_items[iIndex]);
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    return m_items.Find(pControl);
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int current = m_items.Find(pControl);
    // An index outside the children (moving the first one up, the last one down) keeps the child
    // where it is: taking it out first and failing to put it back would lose it.
    if (current < 0 || iIndex < 0 || iIndex >= m_items.GetSize())
        return false;
    NeedUpdate();
    m_items.Remove(current);
    return m_items.InsertAt(iIndex, pControl);
}

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr)
        return false;
    if (LevelsAbove(this) + NestingDepth(pControl) > kMaxNestingDepth) {
        std::fprintf(stderr, "SkinUI container: adding \"%ls\" would nest controls more than %d levels deep; not added\n",
                     pControl->GetName().GetData(), kMaxNestingDepth);
        return false;  // the caller keeps the control
    }
    if (m_pManager != nullptr)
        m_pManager->InitControls(pControl, this);
    if (IsVisible())
        NeedUpdate();
    else
        pControl->SetInternVisible(false);
    return m_items.InsertAt(iIndex, pControl);  // the container owns it from here
}

void CContainerUI::DestroyChild(CControlUI* pControl)
{
    if (m_bDelayedDestroy && m_pManager != nullptr)
        m_pManager->AddDelayedCleanup(pControl);
    else
        delete pControl;
}

bool CContainerUI::Remove(CControlUI* pControl)
{
    if (pControl == nullptr)
        return false;
    const int index = m_items.Find(pControl);
    if (index < 0)
        return false;
    NeedUpdate();
    m_items.Remove(index);
    if (m_bAutoDestroy)
        DestroyChild(pControl);
    return true;
}

bool CContainerUI::RemoveAt(int iIndex)
{
    CControlUI* control = GetItemAt(iIndex);
    return control != nullptr && Remove(control);
}

void CContainerUI::RemoveAll()
{
    // Take the children out first: a destructor may look at its former parent.
    CStdPtrArray children(m_items);
    m_items.Empty();
    if (m_bAutoDestroy) {
        for (int i = 0; i < children.GetSize(); ++i)
            DestroyChild(static_cast<CControlUI*>(children[i]));
    }
    NeedUpdate();
}

// ---- settings ----

RECT CContainerUI::GetInset() const
{
    return ScaleValue(m_rcInset);
}

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const
{
    return ScaleValue(m_iChildPadding);
}

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    NeedUpdate();
}

UINT CContainerUI::GetChildAlign() const
{
    return m_iChildAlign;
}

void CContainerUI::SetChildAlign(UINT iAlign)
{
    m_iChildAlign = iAlign;
    NeedUpdate();
}

UINT CContainerUI::GetChildVAlign() const
{
    return m_iChildVAlign;
}

void CContainerUI::SetChildVAlign(UINT iVAlign)
{
    m_iChildVAlign = iVAlign;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const
{
    return m_bAutoDestroy;
}

void CContainerUI::SetAutoDestroy(bool bAuto)
{
    m_bAutoDestroy = bAuto;
}

bool CContainerUI::IsDelayedDestroy() const
{
    return m_bDelayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool bDelayed)
{
    m_bDelayedDestroy = bDelayed;
}

bool CContainerUI::IsMouseChildEnabled() const
{
    return m_bMouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool bEnable)
{
    m_bMouseChildEnabled = bEnable;
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        OwnItemAt(i)->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar != nullptr)
        m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar != nullptr)
        m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    CControlUI::SetVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        OwnItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        OwnItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled)
        return;
    m_bEnabled = bEnabled;
    for (int i = 0; i < m_items.GetSize(); ++i)
        OwnItemAt(i)->SetEnabled(bEnabled);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool bEnabled)
{
    if (m_pVerticalScrollBar != nullptr)
        m_pVerticalScrollBar->SetMouseEnabled(bEnabled);
    if (m_pHorizontalScrollBar != nullptr)
        m_pHorizontalScrollBar->SetMouseEnabled(bEnabled);
    CControlUI::SetMouseEnabled(bEnabled);
}

void CContainerUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CControlUI::Move(szOffset, bNeedInvalidate);
    if (IsBarVisible(m_pVerticalScrollBar))
        m_pVerticalScrollBar->Move(szOffset, false);
    if (IsBarVisible(m_pHorizontalScrollBar))
        m_pHorizontalScrollBar->Move(szOffset, false);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = OwnItemAt(i);
        if (child->IsVisible())
            child->Move(szOffset, false);
    }
}

// ---- geometry ----

bool CContainerUI::IsBarVisible(const CScrollBarUI* pBar) const
{
    return pBar != nullptr && pBar->IsVisible();
}

RECT CContainerUI::GetInnerRect() const
{
    RECT rc = Deflate(m_rcItem, GetInset());
    if (IsBarVisible(m_pVerticalScrollBar))
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (IsBarVisible(m_pHorizontalScrollBar))
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

RECT CContainerUI::GetClientPos() const
{
    RECT rc = Deflate(m_rcItem, GetInset());
    if (IsBarVisible(m_pVerticalScrollBar)) {
        rc.top -= m_pVerticalScrollBar->GetScrollPos();
        rc.bottom -= m_pVerticalScrollBar->GetScrollPos();
        rc.bottom += m_pVerticalScrollBar->GetScrollRange();
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        rc.left -= m_pHorizontalScrollBar->GetScrollPos();
        rc.right -= m_pHorizontalScrollBar->GetScrollPos();
        rc.right += m_pHorizontalScrollBar->GetScrollRange();
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    }
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_items.IsEmpty())
        return;
    const RECT client = GetClientPos();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = OwnItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        int width = std::max(static_cast<int>(client.right - client.left), child->GetMinWidth());
        width = std::min(width, child->GetMaxWidth());
        int height = std::max(static_cast<int>(client.bottom - client.top), child->GetMinHeight());
        height = std::min(height, child->GetMaxHeight());
        child->SetPos(RECT { client.left, client.top, client.left + width, client.top + height }, false);
    }
}

void CContainerUI::SetFloatPos(int iIndex)
{
    CControlUI* child = OwnItemAt(iIndex);
    if (child == nullptr || !child->IsVisible() || !child->IsFloat())
        return;
    const SIZE xy = child->GetFixedXY();
    const int boxWidth = m_rcItem.right - m_rcItem.left, boxHeight = m_rcItem.bottom - m_rcItem.top;
    int width = child->GetFixedWidth(), height = child->GetFixedHeight();
    if (width <= 0)
        width = boxWidth;
    if (height <= 0)
        height = boxHeight;
    const UINT align = child->GetFloatAlign();
    RECT rc;
    if (align != 0) {
        int dx = xy.cx, dy = xy.cy;
        if ((align & 0x1) != 0)
            dx = (boxWidth - width) / 2;
        else if ((align & 0x2) != 0)
            dx = boxWidth - width;
        if ((align & 0x4) != 0)
            dy = (boxHeight - height) / 2;
        else if ((align & 0x8) != 0)
            dy = boxHeight - height;
        rc = RECT { m_rcItem.left + dx, m_rcItem.top + dy, m_rcItem.left + dx + width, m_rcItem.top + dy + height };
    } else {
        const TPercentInfo pct = child->GetFloatPercent();
        const double w = boxWidth, h = boxHeight;
        rc.left = m_rcItem.left + static_cast<int>(w * pct.left) + xy.cx;
        rc.top = m_rcItem.top + static_cast<int>(h * pct.top) + xy.cy;
        rc.right = m_rcItem.left + static_cast<int>(w * pct.right) + xy.cx + width;
        rc.bottom = m_rcItem.top + static_cast<int>(h * pct.bottom) + xy.cy + height;
    }
    child->SetPos(rc, false);
}

// ---- painting ----

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT outer;
    if (!Meets(rcPaint, m_rcItem, &outer))
        return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, outer, clip);
    CControlUI::DoPaint(hDC, rcPaint);

    if (!m_items.IsEmpty()) {
        const RECT inner = GetInnerRect();
        RECT innerPaint;
        const bool innerMet = Meets(rcPaint, inner, &innerPaint);
        CRenderClip childClip;
        if (innerMet)
            CRenderClip::GenerateClip(hDC, innerPaint, childClip);
        for (int i = 0; i < m_items.GetSize(); ++i) {
            CControlUI* child = OwnItemAt(i);
            if (!child->IsVisible() || !Meets(rcPaint, child->GetPos()))
                continue;
            if (child->IsFloat()) {
                if (!Meets(m_rcItem, child->GetPos()))
                    continue;
                if (innerMet)
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                child->DoPaint(hDC, rcPaint);
                if (innerMet)
                    CRenderClip::UseOldClipEnd(hDC, childClip);
            } else if (innerMet && Meets(inner, child->GetPos())) {
                child->DoPaint(hDC, rcPaint);
            }
        }
    }
    if (IsBarVisible(m_pVerticalScrollBar) && Meets(rcPaint, m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->DoPaint(hDC, rcPaint);
    if (IsBarVisible(m_pHorizontalScrollBar) && Meets(rcPaint, m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->DoPaint(hDC, rcPaint);
}

// ---- events and search ----

namespace {

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

}  // namespace

void CContainerUI::DoEvent(tagTEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    if (event.Type == UiEventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UiEventKillFocus) {
        m_bFocused = false;
        return;
    }
    if (IsEditRightClickOnChild(event))
        return;  // in layout-edit mode only the innermost control under the mouse toggles
    const bool wheel = event.Type == UiEventScrollWheel;
    const bool key = event.Type == UiEventKeyDown;
    const int wheelDir = static_cast<int>(LOWORD(event.wParam));
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->IsEnabled()) {
        if (key) {
            switch (event.chKey) {
            case VK_PRIOR: PageUp(); return;
            case VK_NEXT: PageDown(); return;
            case VK_END: EndDown(); return;
            case VK_HOME: HomeUp(); return;
            case VK_UP: LineUp(); return;
            case VK_DOWN: LineDown(); return;
            default: break;
            }
        } else if (wheel && (wheelDir == 0 || wheelDir == 1)) {
            wheelDir == 0 ? LineUp() : LineDown();
            return;
        }
    } else if (m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible()
               && m_pHorizontalScrollBar->IsEnabled()) {
        if (key) {
            switch (event.chKey) {
            case VK_PRIOR: PageLeft(); return;
            case VK_NEXT: PageRight(); return;
            case VK_END: EndRight(); return;
            case VK_HOME: HomeLeft(); return;
            case VK_UP: LineLeft(); return;
            case VK_DOWN: LineRight(); return;
            default: break;
            }
        } else if (wheel && (wheelDir == 0 || wheelDir == 1)) {
            wheelDir == 0 ? LineLeft() : LineRight();
            return;
        }
    }
    CControlUI::DoEvent(event);
}

bool CContainerUI::IsEditRightClickOnChild(const tagTEventUI& event) const
{
    if (event.Type != UiEventRButtonUp || m_pManager == nullptr || !m_pManager->GetShowLine()
        || !::PtInRect(&m_rcItem, event.ptMouse))
        return false;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (::PtInRect(&static_cast<CControlUI*>(m_items[i])->GetPos(), event.ptMouse))
            return true;
    }
    return false;
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags)
{
    if ((uFlags & FindVisible) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & FindEnabled) != 0 && !IsEnabled())
        return nullptr;
    const bool hitTest = (uFlags & FindHitTest) != 0;
    if (hitTest && !::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData)))
        return nullptr;
    if ((uFlags & FindUpdateTest) != 0 && Proc(this, pData) != nullptr)
        return nullptr;
    const bool selfAllowed = !hitTest || IsMouseEnabled();
    if ((uFlags & FindMeFirst) != 0 && selfAllowed) {
        if (CControlUI* found = Proc(this, pData))
            return found;
    }
    if (selfAllowed) {
        for (CScrollBarUI* bar : { m_pVerticalScrollBar, m_pHorizontalScrollBar }) {
            if (bar == nullptr)
                continue;
            if (CControlUI* found = bar->FindControl(Proc, pData, uFlags))
                return found;
        }
    }
    if (!hitTest || m_bMouseChildEnabled) {
        const RECT client = GetInnerRect();
        const bool topFirst = (uFlags & FindTopFirst) != 0;
        const int count = m_items.GetSize();
        for (int n = 0; n < count; ++n) {
            CControlUI* child = OwnItemAt(topFirst ? count - 1 - n : n);
            CControlUI* found = child->FindControl(Proc, pData, uFlags);
            if (found == nullptr)
                continue;
            if (hitTest && !found->IsFloat() && !::PtInRect(&client, *static_cast<const POINT*>(pData)))
                continue;
            return found;
        }
    }
    if ((uFlags & FindMeFirst) == 0 && selfAllowed)
        return Proc(this, pData);
    return nullptr;
}

int CContainerUI::FindSelectable(int iIndex, bool bForward) const
{
    const int count = m_items.GetSize();
    if (count == 0)
        return -1;
    iIndex = std::clamp(iIndex, 0, count - 1);
    const auto selectable = [this](int i) {
        CControlUI* child = OwnItemAt(i);
        return child->GetInterface(L"ListItem") != nullptr && child->IsVisible() && child->IsEnabled();
    };
    if (bForward) {
        for (int i = iIndex; i < count; ++i) {
            if (selectable(i))
                return i;
        }
        return -1;
    }
    for (int i = iIndex; i >= 0; --i) {
        if (selectable(i))
            return i;
    }
    return FindSelectable(0, true);
}

// ---- scrolling ----

SIZE CContainerUI::GetScrollPos() const
{
    SIZE sz {};
    if (IsBarVisible(m_pVerticalScrollBar))
        sz.cy = m_pVerticalScrollBar->GetScrollPos();
    if (IsBarVisible(m_pHorizontalScrollBar))
        sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    return sz;
}

SIZE CContainerUI::GetScrollRange() const
{
    SIZE sz {};
    if (IsBarVisible(m_pVerticalScrollBar))
        sz.cy = m_pVerticalScrollBar->GetScrollRange();
    if (IsBarVisible(m_pHorizontalScrollBar))
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos, bool bMsg)
{
    int dx = 0, dy = 0;
    if (IsBarVisible(m_pVerticalScrollBar)) {
        const int before = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - before;
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        const int before = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - before;
    }
    if (dx == 0 && dy == 0)
        return;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = OwnItemAt(i);
        if (!child->IsVisible() || child->IsFloat())
            continue;
        RECT rc = child->GetPos();
        ::OffsetRect(&rc, -dx, -dy);
        child->SetPos(rc, true);
    }
    Invalidate();
    if (m_pVerticalScrollBar == nullptr || m_pManager == nullptr || !bMsg)
        return;
    // A line size of 0 or less would divide by zero; count in single pixels then.
    const int line = m_pVerticalScrollBar->GetLineSize() > 0 ? m_pVerticalScrollBar->GetLineSize() : 1;
    m_pManager->SendNotify(this, L"scroll", static_cast<WPARAM>((m_pVerticalScrollBar->GetScrollPos() + line) / line), 0);
}

void CContainerUI::SetScrollStepSize(int nSize)
{
    if (nSize > 0)
        m_nScrollStepSize = nSize;
}

int CContainerUI::GetScrollStepSize() const
{
    return ScaleValue(m_nScrollStepSize);
}

int CContainerUI::LineStep(bool vertical) const
{
    int step = GetScrollStepSize();
    if (step != 0)
        return step;
    step = 8;
    if (vertical && m_pManager != nullptr)
        step += m_pManager->GetDefaultFontInfo()->tm.tmHeight;
    return step;
}

int CContainerUI::PageHeight() const
{
    const RECT inset = GetInset();
    int page = m_rcItem.bottom - m_rcItem.top - inset.top - inset.bottom;
    if (IsBarVisible(m_pHorizontalScrollBar))
        page -= m_pHorizontalScrollBar->GetFixedHeight();
    return page;
}

int CContainerUI::PageWidth() const
{
    const RECT inset = GetInset();
    int page = m_rcItem.right - m_rcItem.left - inset.left - inset.right;
    if (IsBarVisible(m_pVerticalScrollBar))
        page -= m_pVerticalScrollBar->GetFixedWidth();
    return page;
}

void CContainerUI::ScrollBy(int dx, int dy)
{
    SIZE pos = GetScrollPos();
    pos.cx += dx;
    pos.cy += dy;
    SetScrollPos(pos, true);
}

void CContainerUI::LineUp()
{
    ScrollBy(0, -LineStep(true));
}

void CContainerUI::LineDown()
{
    ScrollBy(0, LineStep(true));
}

void CContainerUI::LineLeft()
{
    ScrollBy(-LineStep(false), 0);
}

void CContainerUI::LineRight()
{
    ScrollBy(LineStep(false), 0);
}

void CContainerUI::PageUp()
{
    ScrollBy(0, -PageHeight());
}

void CContainerUI::PageDown()
{
    ScrollBy(0, PageHeight());
}

void CContainerUI::PageLeft()
{
    ScrollBy(-PageWidth(), 0);
}

void CContainerUI::PageRight()
{
    ScrollBy(PageWidth(), 0);
}

void CContainerUI::HomeUp()
{
    SIZE pos = GetScrollPos();
    pos.cy = 0;
    SetScrollPos(pos, true);
}

void CContainerUI::EndDown()
{
    SIZE pos = GetScrollPos();
    pos.cy = GetScrollRange().cy;
    SetScrollPos(pos, true);
}

void CContainerUI::HomeLeft()
{
    SIZE pos = GetScrollPos();
    pos.cx = 0;
    SetScrollPos(pos, true);
}

void CContainerUI::EndRight()
{
    SIZE pos = GetScrollPos();
    pos.cx = GetScrollRange().cx;
    SetScrollPos(pos, true);
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (!bEnableVertical) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    } else if (m_pVerticalScrollBar == nullptr) {
        m_pVerticalScrollBar = new CScrollBarUI();
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, nullptr, false);
        if (m_pManager != nullptr) {
            if (const wchar_t* list = m_pManager->GetDefaultAttributeList(L"VScrollBar"))
                m_pVerticalScrollBar->ApplyAttributeList(list);
        }
    }
    if (!bEnableHorizontal) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    } else if (m_pHorizontalScrollBar == nullptr) {
        m_pHorizontalScrollBar = new CScrollBarUI();
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, nullptr, false);
        if (m_pManager != nullptr) {
            if (const wchar_t* list = m_pManager->GetDefaultAttributeList(L"HScrollBar"))
                m_pHorizontalScrollBar->ApplyAttributeList(list);
        }
    }
    NeedUpdate();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const
{
    return m_pVerticalScrollBar;
}

CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const
{
    return m_pHorizontalScrollBar;
}

bool CContainerUI::FitScrollBars(RECT rc, int cxRequired, int cyRequired)
{
    // Once one bar has changed, the other is fitted on the next measure, against the new inner
    // rectangle; fitting it now would place it with this measure's stale one.
    if (m_pHorizontalScrollBar != nullptr
        && FitScrollBar(m_pHorizontalScrollBar, rc.right - rc.left, cxRequired,
                        RECT { rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight() }))
        return true;
    return m_pVerticalScrollBar != nullptr
           && FitScrollBar(m_pVerticalScrollBar, rc.bottom - rc.top, cyRequired,
                           RECT { rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom });
}

// Shows, hides or re-ranges one bar for a view of the given extent; true when that moves the
// content, so the children must be measured again.
bool CContainerUI::FitScrollBar(CScrollBarUI* bar, int view, int required, const RECT& barPos)
{
    const int range = required - view;
    if (required > view && !bar->IsVisible()) {
        bar->SetVisible(true);
        bar->SetScrollRange(range);
        bar->SetScrollPos(0);
        return true;
    }
    if (!bar->IsVisible())
        return false;
    if (range <= 0) {
        bar->SetVisible(false);
        bar->SetScrollPos(0);
        bar->SetScrollRange(0);
        return true;
    }
    bar->SetPos(barPos, true);
    if (bar->GetScrollRange() == range)
        return false;
    const int before = bar->GetScrollPos();
    bar->SetScrollRange(range);
    return bar->GetScrollPos() < before;
}

// ---- attributes ----

void CContainerUI::ApplyBarStyle(CScrollBarUI* pBar, const wchar_t* pstrStyle)
{
    const wchar_t* style = m_pManager != nullptr ? m_pManager->GetStyle(pstrStyle) : nullptr;
    pBar->ApplyAttributeList(style != nullptr ? style : pstrStyle);
}

void CContainerUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"inset")) {
        SetInset(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"mousechild")) {
        SetMouseChildEnabled(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"vscrollbar")) {
        EnableScrollBar(ReadBool(pstrValue), m_pHorizontalScrollBar != nullptr);
    } else if (NameIs(pstrName, L"vscrollbarstyle")) {
        m_sVerticalScrollBarStyle = pstrValue;
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        ApplyBarStyle(m_pVerticalScrollBar, pstrValue);
    } else if (NameIs(pstrName, L"hscrollbar")) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"hscrollbarstyle")) {
        m_sHorizontalScrollBarStyle = pstrValue;
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        ApplyBarStyle(m_pHorizontalScrollBar, pstrValue);
    } else if (NameIs(pstrName, L"childpadding")) {
        SetChildPadding(ReadInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"childalign") == 0) {
        if (std::wcscmp(pstrValue, L"left") == 0)
            m_iChildAlign = 0;
        else if (std::wcscmp(pstrValue, L"center") == 0)
            m_iChildAlign = 1;
        else if (std::wcscmp(pstrValue, L"right") == 0)
            m_iChildAlign = 2;
    } else if (std::wcscmp(pstrName, L"childvalign") == 0) {
        if (std::wcscmp(pstrValue, L"top") == 0)
            m_iChildVAlign = 0;
        else if (std::wcscmp(pstrValue, L"vcenter") == 0)
            m_iChildVAlign = 4;
        else if (std::wcscmp(pstrValue, L"bottom") == 0)
            m_iChildVAlign = 8;
    } else if (NameIs(pstrName, L"scrollstepsize")) {
        SetScrollStepSize(ReadInt(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

// ---- sub-controls ----

CControlUI* CContainerUI::FindSubControl(const wchar_t* pstrSubControlName)
{
    if (m_pManager == nullptr)
        return nullptr;
    return m_pManager->FindSubControlByName(this, pstrSubControlName);
}

namespace {

// Applies a change to a sub-control that was found; false when there is none.
template <class Change>
bool ChangeControl(CControlUI* control, Change change)
{
    if (control == nullptr)
        return false;
    change(*control);
    return true;
}

}  // namespace

CUIString CContainerUI::GetSubControlText(const wchar_t* pstrSubControlName)
{
    CControlUI* control = FindSubControl(pstrSubControlName);
    return control != nullptr ? control->GetText() : CUIString();
}

bool CContainerUI::SetSubControlText(const wchar_t* pstrSubControlName, const wchar_t* pstrText)
{
    return ChangeControl(FindSubControl(pstrSubControlName), [&](CControlUI& control) { control.SetText(pstrText); });
}

CUIString CContainerUI::GetSubControlUserData(const wchar_t* pstrSubControlName)
{
    CControlUI* control = FindSubControl(pstrSubControlName);
    return control != nullptr ? control->GetUserData() : CUIString();
}

bool CContainerUI::SetSubControlUserData(const wchar_t* pstrSubControlName, const wchar_t* pstrText)
{
    return ChangeControl(FindSubControl(pstrSubControlName), [&](CControlUI& control) { control.SetUserData(pstrText); });
}

int CContainerUI::GetSubControlFixedHeight(const wchar_t* pstrSubControlName)
{
    CControlUI* control = FindSubControl(pstrSubControlName);
    return control != nullptr ? control->GetFixedHeight() : -1;
}

bool CContainerUI::SetSubControlFixedHeight(const wchar_t* pstrSubControlName, int cy)
{
    return ChangeControl(FindSubControl(pstrSubControlName), [&](CControlUI& control) { control.SetFixedHeight(cy); });
}

int CContainerUI::GetSubControlFixedWdith(const wchar_t* pstrSubControlName)
{
    CControlUI* control = FindSubControl(pstrSubControlName);
    return control != nullptr ? control->GetFixedWidth() : -1;
}

bool CContainerUI::SetSubControlFixedWdith(const wchar_t* pstrSubControlName, int cx)
{
    return ChangeControl(FindSubControl(pstrSubControlName), [&](CControlUI& control) { control.SetFixedWidth(cx); });
}

}  // namespace SkinUI
