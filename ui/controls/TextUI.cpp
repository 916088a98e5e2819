#include "ui/controls/TextUI.h"

#include "platform/WinBase.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kText(L"CTextUI", &CTextUI::CreateControl);

constexpr int kMeasureExtent = 9999;

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

}  // namespace

CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = { 2, 0, 2, 0 };
}

CControlUI* CTextUI::CreateControl()
{
    return new CTextUI();
}

const wchar_t* CTextUI::GetClass() const
{
    return L"TextUI";
}

void* CTextUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Text"))
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetControlFlags() const
{
    return IsEnabled() && m_nLinks > 0 ? ControlFlagSetCursor : 0;
}

CUIString* CTextUI::GetLinkContent(int index)
{
    if (index < 0 || index >= m_nLinks)
        return nullptr;
    return &m_sLinks[index];
}

int CTextUI::GetError(int count) const
{
    int empty = 0;
    for (int i = 0; i < count && i < kMaxLinks; ++i) {
        if (m_rcLinks[i].right - m_rcLinks[i].left == 0 || m_rcLinks[i].bottom - m_rcLinks[i].top == 0)
            ++empty;
    }
    return empty;
}

int CTextUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; ++i) {
        if (::PtInRect(&m_rcLinks[i], pt))
            return i;
    }
    return -1;
}

void CTextUI::DoEvent(TEventUI& event)
{
    if (IsMouseEvent(event.Type) && !IsMouseEnabled()) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    const int link = LinkAt(event.ptMouse);
    switch (event.Type) {
    case UiEventSetCursor:
        if (link < 0)
            break;
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    case UiEventButtonDown:
    case UiEventDblClick:
        if (!IsEnabled() || link < 0)
            break;
        Invalidate();
        return;
    case UiEventButtonUp:
        if (!IsEnabled() || link < 0)
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(link));
        return;
    case UiEventContextMenu:
        return;
    case UiEventMouseMove:
        if (!IsEnabled() || m_nLinks <= 0 || link == m_nHoverLink)
            break;
        m_nHoverLink = link;
        Invalidate();
        return;
    case UiEventMouseLeave:
        if (!IsEnabled() || m_nLinks <= 0 || m_nHoverLink < 0)
            break;
        m_nHoverLink = -1;
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

// Only the width is measured; the fixed width is kept in skin units like every other size.
SIZE CTextUI::EstimateSize(SIZE szAvailable)
{
    if (m_pManager == nullptr)
        return CControlUI::EstimateSize(szAvailable);
    const RECT padding = ScaledTextPadding();
    const int right = m_bAutoCalcWidth ? kMeasureExtent : GetFixedWidth();
    RECT rc { padding.left, 0, right - padding.right, kMeasureExtent };
    MeasureText(rc, GetText());
    if (m_bAutoCalcWidth) {
        const int width = padding.left + padding.right + (rc.right - rc.left);
        m_cxyFixed.cx = ::MulDiv(width, 100, static_cast<int>(m_pManager->GetDPIObj()->GetScale()));
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CTextUI::PaintText(HDC hDC)
{
    const CUIString text = GetText();
    if (text.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    if (m_pManager == nullptr)
        return;
    ResolveDefaultColors();
    const RECT padding = ScaledTextPadding();
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
              m_rcItem.bottom - padding.bottom };
    m_nLinks = kMaxLinks;
    if (m_bShowHtml) {
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), m_rcLinks, m_sLinks,
                                    m_nLinks, m_uTextStyle);
        return;
    }
    // Plain text has no links: the rectangles of earlier tagged text must not stay clickable.
    for (RECT& link : m_rcLinks)
        link = RECT {};
    for (CUIString& target : m_sLinks)
        target.Empty();
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), m_iFont, m_uTextStyle);
}

}  // namespace SkinUI
