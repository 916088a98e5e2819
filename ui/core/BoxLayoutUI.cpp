#include "ui/core/BoxLayoutUI.h"

#include <algorithm>
#include <vector>

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

// The scroll state a box's placement reads, taken when its children are measured.
struct BarState {
    int mainPos { 0 };
    int crossRange { 0 };
    int crossPos { 0 };
};

// One child as measured: its index, padding and single estimate, and its extent on the stack.
struct StackEntry {
    int index { 0 };
    RECT pad {};
    SIZE estimate {};
    int extent { 0 };
};

// Everything a box's placement needs, gathered once before any child is placed.
struct StackPlan {
    RECT inner {};
    int availMain { 0 };
    int availCross { 0 };
    BarState bars;
    std::vector<StackEntry> stacked;  // the visible, non-float children in order
    std::vector<int> floating;        // indices of the visible float children
    SIZE needed {};
};

// The cross-axis span of a child of the given extent, by the box's alignment and cross scroll bar.
void PlaceCross(const Axis& axis, const CContainerUI& box, const StackPlan& plan, const RECT& padding, int extent,
                int* start, int* end)
{
    const RECT& inner = plan.inner;
    const int range = plan.bars.crossRange, pos = plan.bars.crossPos;
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

// The inner rectangle, the available size over the whole scrollable extent and the scroll state.
void MeasureFrame(const CContainerUI& box, const Axis& axis, StackPlan* plan)
{
    const RECT& item = box.GetPos();
    const RECT inset = box.GetInset();
    RECT& inner = plan->inner;
    inner = RECT { item.left + inset.left, item.top + inset.top, item.right - inset.right, item.bottom - inset.bottom };
    const CScrollBarUI* vbar = box.OwnVerticalScrollBar();
    const CScrollBarUI* hbar = box.OwnHorizontalScrollBar();
    if (Shown(vbar))
        inner.right -= vbar->GetFixedWidth();
    if (Shown(hbar))
        inner.bottom -= hbar->GetFixedHeight();
    SIZE available { inner.right - inner.left, inner.bottom - inner.top };
    if (Shown(hbar))
        available.cx += hbar->GetScrollRange();
    if (Shown(vbar))
        available.cy += vbar->GetScrollRange();
    plan->availMain = axis.Main(available);
    plan->availCross = axis.Cross(available);
    const CScrollBarUI* mainBar = axis.MainBar(box);
    const CScrollBarUI* crossBar = axis.CrossBar(box);
    plan->bars.mainPos = Shown(mainBar) ? mainBar->GetScrollPos() : 0;
    plan->bars.crossRange = Shown(crossBar) ? crossBar->GetScrollRange() : 0;
    plan->bars.crossPos = Shown(crossBar) ? crossBar->GetScrollPos() : 0;
}

// Measures every child once with the scroll bars as they stand and shares the stacking extent.
StackPlan Gather(const CContainerUI& box, const Axis& axis)
{
    StackPlan plan;
    MeasureFrame(box, axis, &plan);
    const int availMain = plan.availMain;
    if (box.OwnCount() == 0)
        return plan;

    std::vector<ExtentRequest> requests;
    requests.reserve(static_cast<size_t>(box.OwnCount()));
    plan.stacked.reserve(requests.capacity());
    int pads = 0, neededCross = 0;
    for (int i = 0; i < box.OwnCount(); ++i) {
        CControlUI* child = box.OwnItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            plan.floating.push_back(i);
            continue;
        }
        const RECT pad = child->GetPadding();
        const int crossPads = axis.CrossBefore(pad) + axis.CrossAfter(pad);
        const SIZE est = child->EstimateSize(axis.Make(std::min(availMain, axis.MainLimit(child)),
                                                       std::min(plan.availCross - crossPads, axis.CrossLimit(child))));
        plan.stacked.push_back(StackEntry { i, pad, est, 0 });
        requests.push_back(ExtentRequest { axis.Main(est), axis.MinMain(child), axis.MaxMain(child) });
        pads += axis.MainBefore(pad) + axis.MainAfter(pad);
        const int cross = ClampExtent(std::max(axis.Cross(est), 0), axis.MinCross(child), axis.MaxCross(child));
        neededCross = std::max(neededCross, cross + crossPads);
    }
    const int gaps = box.GetChildPadding() * (static_cast<int>(plan.stacked.size()) - 1);
    const std::vector<int> extents = ShareExtent(availMain - pads - gaps, requests);
    int neededMain = pads + gaps;
    for (size_t k = 0; k < extents.size(); ++k) {
        plan.stacked[k].extent = extents[k];
        neededMain += extents[k];
    }
    plan.needed = axis.Make(neededMain, neededCross);
    return plan;
}

// Places every child once from the plan: the stacked ones along the axis, the float ones by
// their own rules.
void Place(CContainerUI& box, const Axis& axis, const StackPlan& plan)
{
    for (int index : plan.floating)
        box.SetFloatPos(index);
    const int childPadding = box.GetChildPadding();
    int cursor = axis.MainBefore(plan.inner) - plan.bars.mainPos;
    for (const StackEntry& entry : plan.stacked) {
        CControlUI* child = box.OwnItemAt(entry.index);
        if (child == nullptr)
            return;
        const RECT& pad = entry.pad;
        const int crossPads = axis.CrossBefore(pad) + axis.CrossAfter(pad);
        int cross = axis.Cross(entry.estimate);
        if (axis.FixedCross(child) <= 0)
            cross = std::max(std::min(plan.availCross - crossPads, axis.MaxCross(child)), axis.MinCross(child));
        int crossStart = 0, crossEnd = 0;
        PlaceCross(axis, box, plan, pad, cross, &crossStart, &crossEnd);
        const int mainStart = cursor + axis.MainBefore(pad);
        child->SetPos(axis.Rect(mainStart, mainStart + entry.extent, crossStart, crossEnd), false);
        cursor += entry.extent + axis.MainBefore(pad) + axis.MainAfter(pad) + childPadding;
    }
}

// Lays out a box whose own rectangle is already stored: measure, decide the scroll bars, place.
void LayoutBox(CContainerUI& box, const Axis& axis)
{
    Place(box, axis, box.MeasureUnderScrollBars([&box, &axis] { return Gather(box, axis); }));
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

std::vector<int> ShareExtent(int available, const std::vector<ExtentRequest>& children)
{
    std::vector<int> out(children.size(), 0);
    int taken = 0, sharers = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        const ExtentRequest& c = children[i];
        if (c.estimate == 0) {
            ++sharers;
            continue;
        }
        out[i] = ClampExtent(c.estimate, c.minimum, c.maximum);
        taken += out[i];
    }
    if (sharers == 0)
        return out;
    const int each = std::max(0, (available - taken) / sharers);
    int seen = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        const ExtentRequest& c = children[i];
        if (c.estimate != 0)
            continue;
        if (++seen < sharers) {
            out[i] = ClampExtent(each, c.minimum, c.maximum);
            taken += out[i];
            continue;
        }
        // The last sharer takes whatever rounding and clamping left over.
        out[i] = ClampExtent(std::max(0, available - taken), c.minimum, c.maximum);
    }
    return out;
}

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
