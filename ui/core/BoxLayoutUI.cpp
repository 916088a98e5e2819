#include "ui/core/BoxLayoutUI.h"

#include <algorithm>

#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/UIDefines.h"

namespace SkinUI {

namespace {

constexpr UINT kSeparatorCaptured = 0x40;
constexpr DWORD kSeparatorPreviewColor = 0xAA000000;

// One axis of a box: "main" is the stacking axis, "cross" the other one. Every helper reads the
// same accessors for both boxes, so the two layouts cannot drift apart.
struct Axis {
    bool vertical;

    int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    SIZE Make(int main, int cross) const { return vertical ? SIZE { cross, main } : SIZE { main, cross }; }
    int MainBefore(const RECT& r) const { return vertical ? r.top : r.left; }
    int MainAfter(const RECT& r) const { return vertical ? r.bottom : r.right; }
    int CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    int CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    RECT Rect(int mainStart, int mainEnd, int crossStart, int crossEnd) const
    {
        return vertical ? RECT { crossStart, mainStart, crossEnd, mainEnd } : RECT { mainStart, crossStart, mainEnd, crossEnd };
    }

    int FixedMain(const CControlUI* c) const { return vertical ? c->GetFixedHeight() : c->GetFixedWidth(); }
    int FixedCross(const CControlUI* c) const { return vertical ? c->GetFixedWidth() : c->GetFixedHeight(); }
    int MinMain(const CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
    int MaxMain(const CControlUI* c) const { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); }
    int MinCross(const CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
    int MaxCross(const CControlUI* c) const { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); }
    int MainLimit(const CControlUI* c) const { return FixedMain(c) > 0 ? FixedMain(c) : MaxMain(c); }
    int CrossLimit(const CControlUI* c) const { return FixedCross(c) > 0 ? FixedCross(c) : MaxCross(c); }

    CScrollBarUI* MainBar(const CContainerUI& box) const
    {
        return vertical ? box.OwnVerticalScrollBar() : box.OwnHorizontalScrollBar();
    }
    CScrollBarUI* CrossBar(const CContainerUI& box) const
    {
        return vertical ? box.OwnHorizontalScrollBar() : box.OwnVerticalScrollBar();
    }
};

bool Shown(const CScrollBarUI* bar)
{
    return bar != nullptr && bar->IsVisible();
}

int ClampExtent(int value, int minimum, int maximum)
{
    return std::min(std::max(value, minimum), maximum);
}

// The cross-axis span of a child of the given extent, by the box's alignment and cross scroll bar.
void PlaceCross(const Axis& axis, const CContainerUI& box, const RECT& inner, const RECT& padding, int extent,
                int* start, int* end)
{
    const CScrollBarUI* bar = axis.CrossBar(box);
    const int range = Shown(bar) ? bar->GetScrollRange() : 0, pos = Shown(bar) ? bar->GetScrollPos() : 0;
    const UINT align = axis.vertical ? box.GetChildAlign() : box.GetChildVAlign();
    const bool centre = axis.vertical ? align == DT_CENTER : align == DT_VCENTER;
    const bool atEnd = axis.vertical ? align == DT_RIGHT : align == DT_BOTTOM;
    if (centre) {
        const int middle = (axis.CrossBefore(inner) + axis.CrossAfter(inner)) / 2 + (range / 2 - pos);
        *start = middle - extent / 2;
        *end = *start + extent;
    } else if (atEnd) {
        const int edge = axis.CrossAfter(inner) + (range - pos);
        *end = edge - axis.CrossAfter(padding);
        *start = *end - extent;
    } else {
        const int edge = axis.CrossBefore(inner) - pos;
        *start = edge + axis.CrossBefore(padding);
        *end = *start + extent;
    }
}

// Stacks the children of a box whose own rectangle is already stored: measure, share, place.
void LayoutBox(CContainerUI& box, const Axis& axis)
{
    const RECT& item = box.GetPos();
    const RECT inset = box.GetInset();
    RECT inner { item.left + inset.left, item.top + inset.top, item.right - inset.right, item.bottom - inset.bottom };
    CScrollBarUI* vbar = box.OwnVerticalScrollBar();
    CScrollBarUI* hbar = box.OwnHorizontalScrollBar();
    if (Shown(vbar))
        inner.right -= vbar->GetFixedWidth();
    if (Shown(hbar))
        inner.bottom -= hbar->GetFixedHeight();
    if (box.OwnCount() == 0) {
        box.ProcessScrollBar(inner, 0, 0);
        return;
    }

    SIZE available { inner.right - inner.left, inner.bottom - inner.top };
    if (Shown(hbar))
        available.cx += hbar->GetScrollRange();
    if (Shown(vbar))
        available.cy += vbar->GetScrollRange();
    const int availMain = axis.Main(available), availCross = axis.Cross(available);
    const int childPadding = box.GetChildPadding();

    int sharers = 0, placed = 0, fixedSum = 0, neededCross = 0;
    for (int i = 0; i < box.OwnCount(); ++i) {
        CControlUI* child = box.OwnItemAt(i);
        if (!child->IsVisible() || child->IsFloat())
            continue;
        const RECT pad = child->GetPadding();
        const int crossPads = axis.CrossBefore(pad) + axis.CrossAfter(pad);
        const SIZE est = child->EstimateSize(axis.Make(std::min(availMain, axis.MainLimit(child)),
                                                       std::min(availCross - crossPads, axis.CrossLimit(child))));
        int main = axis.Main(est);
        if (main == 0)
            ++sharers;
        else
            main = ClampExtent(main, axis.MinMain(child), axis.MaxMain(child));
        fixedSum += main + axis.MainBefore(pad) + axis.MainAfter(pad);
        const int cross = ClampExtent(std::max(axis.Cross(est), 0), axis.MinCross(child), axis.MaxCross(child));
        neededCross = std::max(neededCross, cross + crossPads);
        ++placed;
    }
    if (placed > 0)
        fixedSum += childPadding * (placed - 1);
    const int share = sharers > 0 ? std::max(0, (availMain - fixedSum) / sharers) : 0;

    const CScrollBarUI* mainBar = axis.MainBar(box);
    int cursor = axis.MainBefore(inner) - (Shown(mainBar) ? mainBar->GetScrollPos() : 0);
    int remaining = availMain, fixedRemainder = fixedSum, neededMain = 0, k = 0, j = 0;
    for (int i = 0; i < box.OwnCount(); ++i) {
        CControlUI* child = box.OwnItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            box.SetFloatPos(i);
            continue;
        }
        ++k;
        const RECT pad = child->GetPadding();
        const int before = axis.MainBefore(pad), after = axis.MainAfter(pad);
        const int crossPads = axis.CrossBefore(pad) + axis.CrossAfter(pad);
        remaining -= before;
        const SIZE est = child->EstimateSize(axis.Make(std::min(remaining, axis.MainLimit(child)),
                                                       std::min(availCross - crossPads, axis.CrossLimit(child))));
        fixedRemainder -= before + after;
        if (k > 1)
            fixedRemainder -= childPadding;
        int main = axis.Main(est);
        if (main == 0) {
            // The last sharer takes whatever rounding and clamping left over.
            main = (++j == sharers) ? std::max(0, remaining - after - fixedRemainder) : share;
            main = ClampExtent(main, axis.MinMain(child), axis.MaxMain(child));
        } else {
            main = ClampExtent(main, axis.MinMain(child), axis.MaxMain(child));
            fixedRemainder -= main;
        }
        int cross = axis.Cross(est);
        if (axis.FixedCross(child) <= 0)
            cross = std::max(std::min(availCross - crossPads, axis.MaxCross(child)), axis.MinCross(child));
        int crossStart = 0, crossEnd = 0;
        PlaceCross(axis, box, inner, pad, cross, &crossStart, &crossEnd);
        const int mainStart = cursor + before;
        child->SetPos(axis.Rect(mainStart, mainStart + main, crossStart, crossEnd), false);
        cursor += main + before + after + childPadding;
        neededMain += main + before + after;
        remaining -= main + after + childPadding;
    }
    neededMain += childPadding * (placed - 1);
    const SIZE needed = axis.Make(neededMain, neededCross);
    box.ProcessScrollBar(inner, needed.cx, needed.cy);
}

// ---- separator ----

RECT SeparatorBand(const Axis& axis, const BoxSeparator& sep, const RECT& item, bool useNew)
{
    const RECT base = ((sep.buttonState & kSeparatorCaptured) != 0 && useNew) ? sep.newPos : item;
    const int t = sep.thickness;
    RECT band = base;
    if (axis.vertical) {
        if (t > 0)
            band.top = std::max(base.top, base.bottom - t);
        else if (t < 0)
            band.bottom = std::min(base.bottom, base.top - t);
        return band;
    }
    if (t > 0)
        band.left = base.right - t;
    else if (t < 0)
        band.right = base.left - t;
    return band;
}

// Moves one edge of the candidate by d within the box's min and max extent; false when the move
// is to be ignored.
bool DragEdge(const Axis& axis, const CControlUI& box, const BoxSeparator& sep, int at, int d, RECT* candidate)
{
    const RECT& now = sep.newPos;
    const int t = sep.thickness;
    const int nowStart = axis.MainBefore(now), nowEnd = axis.MainAfter(now);
    if (t > 0) {
        const int growLimit = axis.vertical ? nowEnd + t : nowEnd - t;
        if ((d > 0 && at < growLimit) || (d < 0 && at > nowEnd))
            return false;
    } else {
        const int growLimit = axis.vertical ? nowStart + t : nowStart - t;
        if ((d > 0 && at < nowStart) || (d < 0 && at > growLimit))
            return false;
    }
    LONG& start = axis.vertical ? candidate->top : candidate->left;
    LONG& end = axis.vertical ? candidate->bottom : candidate->right;
    (t > 0 ? end : start) += d;
    const int minimum = axis.vertical ? box.GetMinHeight() : box.GetMinWidth();
    const int maximum = axis.vertical ? box.GetMaxHeight() : box.GetMaxWidth();
    const int nowExtent = nowEnd - nowStart;
    if (end - start <= minimum) {
        if (nowExtent <= minimum)
            return false;
        (t > 0 ? end : start) = t > 0 ? start + minimum : end - minimum;
    }
    if (end - start >= maximum) {
        if (nowExtent >= maximum)
            return false;
        (t > 0 ? end : start) = t > 0 ? start + maximum : end - maximum;
    }
    return true;
}

// Runs the separator drag for one event; true when the event was consumed.
bool HandleSeparator(const Axis& axis, CContainerUI& box, RECT& item, BoxSeparator& sep, tagTEventUI& event)
{
    if (sep.thickness == 0)
        return false;
    CPaintManagerUI* manager = box.GetManager();
    const POINT pt = event.ptMouse;
    const bool captured = (sep.buttonState & kSeparatorCaptured) != 0;
    const RECT band = SeparatorBand(axis, sep, item, false);
    switch (event.Type) {
    case UiEventButtonDown:
        if (!box.IsEnabled() || !::PtInRect(&band, pt))
            return false;
        sep.buttonState |= kSeparatorCaptured;
        sep.lastMouse = pt;
        sep.newPos = item;
        if (!sep.immediate && manager != nullptr)
            manager->AddPostPaint(&box);
        return true;
    case UiEventButtonUp:
        if (!captured)
            return false;
        sep.buttonState &= ~kSeparatorCaptured;
        item = sep.newPos;
        if (!sep.immediate && manager != nullptr)
            manager->RemovePostPaint(&box);
        box.NeedParentUpdate();
        return true;
    case UiEventMouseMove: {
        if (!captured)
            return false;
        const int at = axis.vertical ? pt.y : pt.x;
        const int d = at - (axis.vertical ? sep.lastMouse.y : sep.lastMouse.x);
        sep.lastMouse = pt;
        RECT candidate = sep.newPos;
        if (!DragEdge(axis, box, sep, at, d, &candidate))
            return true;
        RECT dirty = SeparatorBand(axis, sep, item, true);
        sep.newPos = candidate;
        const int extent = axis.vertical ? candidate.bottom - candidate.top : candidate.right - candidate.left;
        // The fixed extent is kept in skin units like every other size.
        const int stored = manager != nullptr ? manager->GetDPIObj()->ScaleBack(extent) : extent;
        axis.vertical ? box.SetFixedHeight(stored) : box.SetFixedWidth(stored);
        if (sep.immediate) {
            item = sep.newPos;
            box.NeedParentUpdate();
            return true;
        }
        const RECT nowBand = SeparatorBand(axis, sep, item, true);
        const RECT oldBand = SeparatorBand(axis, sep, item, false);
        ::UnionRect(&dirty, &dirty, &nowBand);
        ::UnionRect(&dirty, &dirty, &oldBand);
        if (manager != nullptr)
            manager->Invalidate(dirty);
        return true;
    }
    case UiEventSetCursor:
        if (!box.IsEnabled() || !::PtInRect(&band, pt))
            return false;
        ::SetCursor(::LoadCursor(nullptr, axis.vertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    default:
        return false;
    }
}

void SetImmediate(CContainerUI& box, BoxSeparator& sep, bool immediate)
{
    if (sep.immediate == immediate)
        return;
    if ((sep.buttonState & kSeparatorCaptured) != 0 && !sep.immediate && box.GetManager() != nullptr)
        box.GetManager()->RemovePostPaint(&box);
    sep.immediate = immediate;
}

void PaintPreview(HDC hDC, const Axis& axis, const BoxSeparator& sep, const RECT& item)
{
    if ((sep.buttonState & kSeparatorCaptured) != 0 && !sep.immediate)
        CRenderEngine::DrawColor(hDC, SeparatorBand(axis, sep, item, true), kSeparatorPreviewColor);
}

}  // namespace

// ---- both boxes ----

UINT CBoxLayoutUI::GetControlFlags() const
{
    return IsEnabled() && m_sep.thickness != 0 ? ControlFlagSetCursor : 0;
}

void CBoxLayoutUI::SetSepImmMode(bool bImmediately)
{
    SetImmediate(*this, m_sep, bImmediately);
}

RECT CBoxLayoutUI::GetThumbRect(bool bUseNew) const
{
    return SeparatorBand(Axis { m_vertical }, m_sep, m_rcItem, bUseNew);
}

void CBoxLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    LayoutBox(*this, Axis { m_vertical });
}

void CBoxLayoutUI::DoEvent(tagTEventUI& event)
{
    if (!HandleSeparator(Axis { m_vertical }, *this, m_rcItem, m_sep, event))
        CContainerUI::DoEvent(event);
}

void CBoxLayoutUI::SetBoxAttribute(const wchar_t* pstrThicknessName, const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName != nullptr && NameIs(pstrName, pstrThicknessName))
        m_sep.thickness = ReadInt(pstrValue);
    else if (pstrName != nullptr && NameIs(pstrName, L"sepimm"))
        SetSepImmMode(ReadBool(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CBoxLayoutUI::DoPostPaint(HDC hDC, const RECT& rcPaint)
{
    PaintPreview(hDC, Axis { m_vertical }, m_sep, m_rcItem);
    CControlUI::DoPostPaint(hDC, rcPaint);  // a layout dragged in layout-edit mode
}

// ---- vertical ----

CControlUI* CVerticalLayoutUI::CreateControl()
{
    return new CVerticalLayoutUI();
}

const wchar_t* CVerticalLayoutUI::GetClass() const
{
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"VerticalLayout"))
        return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    SetBoxAttribute(L"sepheight", pstrName, pstrValue);
}

// ---- horizontal ----

CControlUI* CHorizontalLayoutUI::CreateControl()
{
    return new CHorizontalLayoutUI();
}

const wchar_t* CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"HorizontalLayout"))
        return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    SetBoxAttribute(L"sepwidth", pstrName, pstrValue);
}

}  // namespace SkinUI
