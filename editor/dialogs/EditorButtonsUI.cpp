#include "editor/dialogs/EditorButtonsUI.h"

#include <cwchar>

#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

SkinUI::CControlUI* FindOptionProc(SkinUI::CControlUI* control, void*)
{
    return ::wcscmp(control->GetClass(), L"OptionUI") == 0 ? control : nullptr;
}

}  // namespace

// ---- CVerticalLayoutExUI ----

const wchar_t* CVerticalLayoutExUI::GetClass() const
{
    return L"VerticalLayoutEx";
}

void* CVerticalLayoutExUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"VerticalLayoutEx") == 0)
        return this;
    return CVerticalLayoutUI::GetInterface(pstrName);
}

int CVerticalLayoutExUI::ScaledWidth(int v) const
{
    const UINT percent = m_pManager != nullptr ? m_pManager->GetDPIObj()->GetScale() : 100;
    if (percent == 100)
        return v;
    return static_cast<int>(v * (percent / 100.0));
}

SkinUI::CControlUI* CVerticalLayoutExUI::Underline()
{
    return FindSubControl(L"xxx");
}

void CVerticalLayoutExUI::DoEvent(SkinUI::TEventUI& event)
{
    switch (event.Type) {
    case SkinUI::UiEventMouseEnter:
        StopShrink();
        if (!m_bGrowing)
            StartGrow();
        break;
    case SkinUI::UiEventMouseLeave:
        StopGrow();
        if (!m_bShrinking)
            StartShrink();
        break;
    case SkinUI::UiEventTimer:
        if (event.wParam == kGrowTimer && m_bGrowing) {
            GrowStep();
            return;
        }
        if (event.wParam == kShrinkTimer && m_bShrinking) {
            ShrinkStep();
            return;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CVerticalLayoutExUI::PlaceUnderline(SkinUI::CControlUI* line)
{
    line->SetPos(m_rcLine);
}

void CVerticalLayoutExUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CVerticalLayoutUI::SetPos(rc, bNeedInvalidate);
    SkinUI::CControlUI* line = Underline();
    if (m_bLineAnimated && line != nullptr && line->IsVisible())
        PlaceUnderline(line);
}

void CVerticalLayoutExUI::StartGrow()
{
    SkinUI::CControlUI* line = Underline();
    if (line == nullptr)
        return;
    const int rest = ScaledWidth(kRestWidth);
    const int x0 = m_rcItem.left + (m_rcItem.right - m_rcItem.left - rest) / 2;
    m_rcLine = { x0, m_rcItem.bottom - 3, x0 + rest, m_rcItem.bottom };
    m_bLineAnimated = true;
    line->SetVisible(true);
    PlaceUnderline(line);
    m_bGrowing = true;
    SetTimer(kGrowTimer, kStepMs);
    GrowStep();
}

void CVerticalLayoutExUI::GrowStep()
{
    SkinUI::CControlUI* line = Underline();
    if (line == nullptr || m_rcLine.right - m_rcLine.left >= ScaledWidth(kFullWidth)) {
        StopGrow();
        return;
    }
    m_rcLine.left -= Step();
    m_rcLine.right += Step();
    PlaceUnderline(line);
}

void CVerticalLayoutExUI::StartShrink()
{
    SkinUI::CControlUI* line = Underline();
    if (line == nullptr)
        return;
    m_rcLine = line->GetPos();
    m_bShrinking = true;
    SetTimer(kShrinkTimer, kStepMs);
    ShrinkStep();
}

void CVerticalLayoutExUI::ShrinkStep()
{
    SkinUI::CControlUI* line = Underline();
    if (line == nullptr) {
        StopShrink();
        return;
    }
    if (ScaledWidth(kRestWidth) >= m_rcLine.right - m_rcLine.left) {
        m_bLineAnimated = false;
        line->SetVisible(false);
        StopShrink();
        return;
    }
    m_rcLine.left += Step();
    m_rcLine.right -= Step();
    PlaceUnderline(line);
}

void CVerticalLayoutExUI::StopGrow()
{
    if (!m_bGrowing)
        return;
    KillTimer(kGrowTimer);
    m_bGrowing = false;
}

void CVerticalLayoutExUI::StopShrink()
{
    if (!m_bShrinking)
        return;
    KillTimer(kShrinkTimer);
    m_bShrinking = false;
}

// The selected tab's underline spans the whole column at every paint.
void CVerticalLayoutExUI::PaintStatusImage(HDC hDC)
{
    SkinUI::CControlUI* option = FindControl(FindOptionProc, nullptr, 0);
    SkinUI::CControlUI* line = Underline();
    if (option != nullptr && option != this && line != nullptr
        && (static_cast<SkinUI::CButtonUI*>(option)->GetButtonState() & SkinUI::ButtonStateSelected) != 0) {
        const RECT full { m_rcItem.left, m_rcItem.bottom - 3, m_rcItem.right, m_rcItem.bottom };
        if (!SameRect(line->GetPos(), full))
            line->SetPos(full);
        if (!line->IsVisible())
            line->SetVisible(true);
    }
    CVerticalLayoutUI::PaintStatusImage(hDC);
}

// ---- CButtonExtUI ----

const wchar_t* CButtonExtUI::GetClass() const
{
    return L"ButtonExtUI";
}

void* CButtonExtUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"ButtonExtUI") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void CButtonExtUI::DoEvent(SkinUI::TEventUI& event)
{
    switch (event.Type) {
    case SkinUI::UiEventMouseEnter:
        StopSink();
        m_rcRest = m_rcItem;
        if (!m_bRising) {
            m_bRising = true;
            SetTimer(kRaiseTimer, kStepMs);
        }
        break;
    case SkinUI::UiEventMouseLeave:
        StopRaise();
        if (!m_bSinking) {
            m_bSinking = true;
            SetTimer(kSinkTimer, kStepMs);
        }
        break;
    case SkinUI::UiEventTimer:
        if (event.wParam == kRaiseTimer && m_bRising) {
            RaiseStep();
            return;
        }
        if (event.wParam == kSinkTimer && m_bSinking) {
            SinkStep();
            return;
        }
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

// Up one pixel per step until 4 above the rest place; there it holds until the mouse leaves.
void CButtonExtUI::RaiseStep()
{
    if (m_rcItem.top <= m_rcRest.top - kRise) {
        KillTimer(kRaiseTimer);
        return;
    }
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, 0, -1);
    SetPos(rc);
}

void CButtonExtUI::SinkStep()
{
    if (m_rcItem.bottom >= m_rcRest.bottom) {
        StopSink();
        return;
    }
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, 0, 1);
    SetPos(rc);
}

void CButtonExtUI::StopRaise()
{
    if (!m_bRising)
        return;
    KillTimer(kRaiseTimer);
    m_bRising = false;
}

// However the sink ends, the button stands exactly on its rest place.
void CButtonExtUI::StopSink()
{
    if (!m_bSinking)
        return;
    KillTimer(kSinkTimer);
    m_bSinking = false;
    SetPos(m_rcRest);
}

// ---- CButtonMouseUI ----

const wchar_t* CButtonMouseUI::GetClass() const
{
    return L"ButtonMouseUI";
}

void* CButtonMouseUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && ::wcscasecmp(pstrName, L"ButtonMouseUI") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void CButtonMouseUI::DoEvent(SkinUI::TEventUI& event)
{
    if (m_pManager != nullptr && event.Type == SkinUI::UiEventMouseEnter)
        m_pManager->SendNotify(this, L"enterbutton");
    else if (m_pManager != nullptr && event.Type == SkinUI::UiEventMouseLeave)
        m_pManager->SendNotify(this, L"leavebutton");
    CButtonUI::DoEvent(event);
}
