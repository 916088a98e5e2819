#include "ui/controls/MenuUI.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/MenuWnd.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kMenu(L"CMenuUI", &CMenuUI::CreateControl);
const CControlRegistration kMenuElement(L"CMenuElementUI", &CMenuElementUI::CreateControl);

constexpr int kLineHeight = 6;

bool IsMenuItem(CControlUI* pControl)
{
    return pControl != nullptr && pControl->GetInterface(L"MenuElement") != nullptr;
}

UINT ScaleOf(CPaintManagerUI* pManager)
{
    return pManager != nullptr ? pManager->GetDPIObj()->GetScale() : 100;
}

// A device-pixel value back in skin units, the way fixed sizes are stored.
int ToSkinUnits(int value, UINT scale)
{
    return ::MulDiv(value, 100, static_cast<int>(scale));
}

RECT Deflated(RECT rc, const RECT& by)
{
    rc.left += by.left;
    rc.top += by.top;
    rc.right -= by.right;
    rc.bottom -= by.bottom;
    return rc;
}

}  // namespace

// ---- body ----

CMenuUI::CMenuUI()
{
    GetHeader()->SetVisible(false);
}

CControlUI* CMenuUI::CreateControl()
{
    return new CMenuUI();
}

const wchar_t* CMenuUI::GetClass() const
{
    return L"MenuUI";
}

void* CMenuUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"Menu"))
        return static_cast<CMenuUI*>(this);
    return CListUI::GetInterface(pstrName);
}

SIZE CMenuUI::EstimateSize(SIZE szAvailable)
{
    int width = 0, height = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pItem = GetItemAt(i);
        if (!pItem->IsVisible())
            continue;
        const SIZE sz = pItem->EstimateSize(szAvailable);
        height += sz.cy;
        width = std::max<int>(width, sz.cx);
    }
    // Every row as wide as the widest, stored in skin units like any fixed width.
    const int stored = ToSkinUnits(width, ScaleOf(m_pManager));
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pItem = GetItemAt(i);
        if (pItem->IsVisible() && IsMenuItem(pItem))
            static_cast<CMenuElementUI*>(pItem)->StoreFixedSize({ stored, static_cast<CMenuElementUI*>(pItem)->m_cxyFixed.cy });
    }
    return { width, height };
}

int CMenuUI::GetItemIndex(CControlUI* pControl) const
{
    return IsMenuItem(pControl) ? CListUI::GetItemIndex(pControl) : -1;
}

bool CMenuUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    return IsMenuItem(pControl) && CListUI::SetItemIndex(pControl, iIndex);
}

bool CMenuUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, GetCount());
}

bool CMenuUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!IsMenuItem(pControl))
        return false;
    auto* pItem = static_cast<CMenuElementUI*>(pControl);
    for (int i = 0; i < pItem->GetCount(); ++i) {
        if (IsMenuItem(pItem->GetItemAt(i)))
            pItem->GetItemAt(i)->SetInternVisible(false);  // sub-items show only in their own menu
    }
    return iIndex >= GetCount() ? CListUI::Add(pControl) : CListUI::AddAt(pControl, iIndex);
}

bool CMenuUI::Remove(CControlUI* pControl)
{
    return IsMenuItem(pControl) && CListUI::Remove(pControl);
}

// ---- item ----

CMenuElementUI::CMenuElementUI()
{
    m_cxyFixed = { 100, 30 };
}

CControlUI* CMenuElementUI::CreateControl()
{
    return new CMenuElementUI();
}

const wchar_t* CMenuElementUI::GetClass() const
{
    return L"MenuElementUI";
}

void* CMenuElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"MenuElement"))
        return static_cast<CMenuElementUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

void CMenuElementUI::StoreFixedSize(SIZE sz)
{
    // Written without asking for another layout: the layout that measured it already uses it.
    m_cxyFixed = sz;
}

CMenuUI* CMenuElementUI::Body() const
{
    return dynamic_cast<CMenuUI*>(m_pOwner);
}

CMenuWnd* CMenuElementUI::Window() const
{
    CMenuUI* pBody = Body();
    return pBody != nullptr ? pBody->m_pWindow : nullptr;
}

bool CMenuElementUI::HasSubItems()
{
    for (int i = 0; i < GetCount(); ++i) {
        if (IsMenuItem(GetItemAt(i)))
            return true;
    }
    return false;
}

void CMenuElementUI::SetIcon(const wchar_t* pstrIcon)
{
    if (pstrIcon != nullptr && *pstrIcon != L'\0')
        m_strIcon = pstrIcon;
}

void CMenuElementUI::SetLineType()
{
    m_bDrawLine = true;
    if (m_cxyFixed.cy == 0 || m_cxyFixed.cy == 30)
        SetFixedHeight(kLineHeight);
    SetMouseChildEnabled(false);
    SetMouseEnabled(false);
    SetEnabled(false);
}

void CMenuElementUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"icon")) {
        SetIcon(pstrValue);
    } else if (NameIs(pstrName, L"iconsize")) {
        const RECT rc = ReadNumberList(pstrValue);
        SetIconSize(rc.left, rc.top);
    } else if (NameIs(pstrName, L"checkitem")) {
        SetCheckItem(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"ischeck")) {
        CStdStringPtrMap* pInfo = CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo();
        if (pInfo == nullptr)
            return;
        // A name seen before keeps its stored state: the skin sets only the first one.
        for (int i = 0; i < pInfo->GetSize(); ++i) {
            if (const wchar_t* key = pInfo->GetAt(i); key != nullptr && GetName().CompareNoCase(key) == 0)
                return;
        }
        SetChecked(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"linetype")) {
        if (ReadBool(pstrValue))
            SetLineType();
    } else if (NameIs(pstrName, L"expland")) {
        SetShowExplandIcon(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"linecolor")) {
        SetLineColor(listvalues::ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"linepadding")) {
        SetLinePadding(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"height")) {
        SetFixedHeight(ReadInt(pstrValue));
    } else {
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CMenuElementUI::EstimateSize(SIZE szAvailable)
{
    const UINT scale = ScaleOf(m_pManager);
    const SIZE fixed { ScaleValue(m_cxyFixed.cx), ScaleValue(m_cxyFixed.cy) };
    SIZE result {};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pChild = GetItemAt(i);
        if (!pChild->IsVisible() || IsMenuItem(pChild))
            continue;  // sub-items belong to the sub-menu, even while it borrows them
        const SIZE sz = pChild->EstimateSize(szAvailable);
        result.cy += sz.cy;
        result.cx = std::max(result.cx, sz.cx);
    }
    CMenuUI* pBody = Body();
    if (result.cy == 0 && pBody != nullptr && m_pManager != nullptr && m_pManager->GetPaintDC() != nullptr) {
        const TListInfoUI& info = *pBody->GetListInfo();
        const RECT padding = m_pManager->GetDPIObj()->Scale(info.rcTextPadding);
        RECT rcText { 0, 0, std::max<int>(fixed.cx, szAvailable.cx), 9999 };
        rcText.left += padding.left;
        rcText.right -= padding.right;
        const UINT style = info.uTextStyle | DT_CALCRECT;
        if (info.bShowHtml) {
            int links = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, GetText(), 0, nullptr, nullptr, links,
                                        style);
        } else {
            CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, rcText, GetText(), 0, info.nFont, style);
        }
        result.cx = rcText.right - rcText.left + padding.left + padding.right;
        result.cy = rcText.bottom - rcText.top + padding.top + padding.bottom;
    }
    if (fixed.cy != 0)
        result.cy = fixed.cy;
    result.cx = std::max(result.cx, fixed.cx);
    StoreFixedSize({ ToSkinUnits(result.cx, scale), ToSkinUnits(result.cy, scale) });
    return result;
}

void CMenuElementUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (m_pWindow == nullptr) {
        CListContainerElementUI::SetPos(rc, bNeedInvalidate);
        return;
    }
    // While the sub-menu borrows the sub-items it places them; this row lays out only its own.
    std::vector<CControlUI*> lent;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pChild = GetItemAt(i);
        if (IsMenuItem(pChild) && pChild->IsVisible()) {
            lent.push_back(pChild);
            pChild->CControlUI::SetInternVisible(false);
        }
    }
    CListContainerElementUI::SetPos(rc, bNeedInvalidate);
    for (CControlUI* pChild : lent)
        pChild->CControlUI::SetInternVisible(true);
}

void CMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;  // images are clipped to m_rcPaint
    if (m_bDrawLine) {
        const RECT padding = ScaleValue(m_rcLinePadding);
        const int y = m_rcItem.top + ScaleValue(m_cxyFixed.cy) / 2;
        CRenderEngine::DrawLine(hDC, { m_rcItem.left + padding.left, y, m_rcItem.right - padding.right, y }, 1,
                                GetAdjustColor(m_dwLineColor));
        return;
    }
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
    DrawItemIcon(hDC);
    DrawItemExpland(hDC);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pChild = GetItemAt(i);
        if (!pChild->IsVisible() || IsMenuItem(pChild))
            continue;
        RECT rcChild;
        if (::IntersectRect(&rcChild, &rcPaint, &pChild->GetPos()))
            pChild->DoPaint(hDC, rcChild);
    }
}

void CMenuElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    const CUIString text = GetText();
    if (text.IsEmpty() || m_pOwner == nullptr)
        return;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    DWORD color = info.dwTextColor;
    if ((m_uButtonState & kStateHot) != 0)
        color = info.dwHotTextColor;
    if (IsSelected())
        color = info.dwSelectedTextColor;
    if (!IsEnabled())
        color = info.dwDisabledTextColor;
    RECT rc = Deflated(rcItem, ScaleValue(info.rcTextPadding));
    const UINT style = info.uTextStyle | DT_SINGLELINE;
    if (info.bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, nullptr, nullptr, links, style);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, text, color, info.nFont, style);
    }
}

void CMenuElementUI::DrawItemIcon(HDC hDC)
{
    if (m_strIcon.IsEmpty() || (m_bCheckItem && !GetChecked()) || m_pOwner == nullptr || m_pManager == nullptr)
        return;
    const CDPI* dpi = m_pManager->GetDPIObj();
    const int iconWidth = dpi->Scale(static_cast<int>(m_szIconSize.cx));
    const int iconHeight = dpi->Scale(static_cast<int>(m_szIconSize.cy));
    const int itemHeight = ScaleValue(m_cxyFixed.cy);
    const RECT padding = dpi->Scale(m_pOwner->GetListInfo()->rcTextPadding);
    RECT dest { (padding.left - iconWidth) / 2, (itemHeight - iconHeight) / 2, 0, 0 };
    dest.right = dest.left + iconWidth;
    dest.bottom = dest.top + iconHeight;
    dpi->ScaleBack(&dest);  // "dest" is read in skin units and scaled when drawn
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", dest.left, dest.top, dest.right, dest.bottom);
    DrawImage(hDC, m_strIcon, modify);
}

void CMenuElementUI::DrawItemExpland(HDC hDC)
{
    if (!m_bShowExplandIcon || m_pManager == nullptr)
        return;
    const wchar_t* icon = m_pManager->GetDefaultAttributeList(L"ExplandIcon");
    if (icon == nullptr || *icon == L'\0')
        return;
    const TImageInfo* image = m_pManager->GetImageEx(icon);
    if (image == nullptr)
        return;
    const CDPI* dpi = m_pManager->GetDPIObj();
    const int width = ScaleValue(m_cxyFixed.cx);
    const int height = ScaleValue(m_cxyFixed.cy);
    const int gap = dpi->Scale(20) / 3;
    RECT dest { width - image->nX - gap, (height - image->nY) / 2, width - gap, 0 };
    dest.bottom = dest.top + image->nY;
    dpi->ScaleBack(&dest);
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", dest.left, dest.top, dest.right, dest.bottom);
    DrawImage(hDC, icon, modify);
}

bool CMenuElementUI::GetChecked() const
{
    const MenuItemInfo* pInfo = GetItemInfo(GetName());
    return pInfo != nullptr && pInfo->bChecked;
}

void CMenuElementUI::SetChecked(bool bCheck)
{
    SetItemInfo(GetName(), bCheck);
}

MenuItemInfo* CMenuElementUI::GetItemInfo(const wchar_t* pstrName) const
{
    CStdStringPtrMap* pInfo = CMenuWnd::GetGlobalContextMenuObserver().GetMenuCheckInfo();
    if (pstrName == nullptr || *pstrName == L'\0' || pInfo == nullptr)
        return nullptr;
    return static_cast<MenuItemInfo*>(pInfo->Find(pstrName));
}

MenuItemInfo* CMenuElementUI::SetItemInfo(const wchar_t* pstrName, bool bChecked)
{
    return CMenuWnd::SetMenuItemInfoW(pstrName, bChecked);
}

void CMenuElementUI::ShowSubItems()
{
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pChild = GetItemAt(i);
        if (!IsMenuItem(pChild))
            continue;
        pChild->SetVisible(true);
        pChild->SetInternVisible(true);
    }
}

void CMenuElementUI::SelectInBody()
{
    if (CMenuUI* pBody = Body())
        pBody->SelectItem(GetIndex(), true);
}

void CMenuElementUI::HoverLeaf()
{
    if (m_pManager != nullptr)
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast({ 2, m_pManager->GetPaintWindow() });
    SelectInBody();
}

void CMenuElementUI::ClickLeaf()
{
    SetChecked(!GetChecked());  // every leaf flips its stored flag, check item or not
    MenuObserverImpl& observer = CMenuWnd::GetGlobalContextMenuObserver();
    HWND hWnd = m_pManager != nullptr ? m_pManager->GetPaintWindow() : nullptr;
    CMenuWnd* pWindow = Window();
    CPaintManagerUI* pMain = observer.GetManager();
    if (hWnd != nullptr && ::IsWindow(hWnd) && (pWindow == nullptr || !pWindow->IsClosing()) && pMain != nullptr) {
        auto* pRecord = new MenuClickRecord();
        CopyMenuText(pRecord->szName, std::size(pRecord->szName), GetName());
        CopyMenuText(pRecord->szUserData, std::size(pRecord->szUserData), GetUserData());
        CopyMenuText(pRecord->szText, std::size(pRecord->szText), GetText());
        pRecord->bChecked = GetChecked() ? TRUE : FALSE;
        CMenuWnd::SetClickedMenuName(GetName());
        if (!::PostMessage(pMain->GetPaintWindow(), kMenuClickMessage, reinterpret_cast<WPARAM>(pRecord),
                           reinterpret_cast<LPARAM>(this)))
            delete pRecord;  // the receiver deletes it once it arrives
    }
    observer.RBroadcast({ 1, hWnd });
}

void CMenuElementUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UiEventMouseEnter:
        CListContainerElementUI::DoEvent(event);
        if (m_pWindow != nullptr)
            return;
        if (!HasSubItems()) {
            HoverLeaf();
            return;
        }
        ShowSubItems();
        SelectInBody();
        CreateMenuWnd();
        return;
    case UiEventMouseLeave:
        if (!HasSubItems()) {
            if (CMenuUI* pBody = Body())
                pBody->SelectItem(-1, true);
        }
        CListContainerElementUI::DoEvent(event);
        return;
    case UiEventButtonUp:
        if (!IsEnabled())
            break;
        CListContainerElementUI::DoEvent(event);
        if (m_pWindow != nullptr)
            return;
        if (!HasSubItems()) {
            ClickLeaf();
            return;
        }
        ShowSubItems();
        CreateMenuWnd();
        return;
    case UiEventKeyDown:
        if (event.chKey != VK_RIGHT || m_pWindow != nullptr)
            break;
        if (!HasSubItems()) {
            HoverLeaf();
            return;
        }
        ShowSubItems();
        SelectInBody();
        CreateMenuWnd();
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CMenuElementUI::CreateMenuWnd()
{
    if (m_pWindow != nullptr)
        return;
    m_pWindow = new CMenuWnd();  // deletes itself when its window is gone
    if (m_pManager != nullptr)
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast({ 2, m_pManager->GetPaintWindow() });
    m_pWindow->Init(this, L"", POINT {}, nullptr, nullptr, 6);
}

}  // namespace SkinUI
