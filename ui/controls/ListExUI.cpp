#include "ui/controls/ListExUI.h"

#include "ui/controls/ComboUI.h"
#include "ui/controls/EditUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kListContainerHeaderItem(L"CListContainerHeaderItemUI",
                                                    &CListContainerHeaderItemUI::CreateControl);
const CControlRegistration kListTextExtElement(L"CListTextExtElementUI", &CListTextExtElementUI::CreateControl);
const CControlRegistration kListEx(L"CListExUI", &CListExUI::CreateControl);

constexpr const wchar_t* kEditName = L"ListEx_Edit";
constexpr const wchar_t* kComboName = L"ListEx_Combo";

bool IsMouseEvent(const TEventUI& event)
{
    return event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd;
}

bool NameIsNoCase(const wchar_t* pstrName, const wchar_t* key)
{
    return pstrName != nullptr && CUIString(pstrName).CompareNoCase(key) == 0;
}

bool ReadTrue(const wchar_t* pstrValue)
{
    return NameIsNoCase(pstrValue, L"true");
}

}  // namespace

// ---- the check box both classes draw ----

RECT ListCheckBox::Rect(const RECT& rcItem) const
{
    const int top = rcItem.top + (rcItem.bottom - rcItem.top - cy) / 2;
    return { rcItem.left + 6, top, rcItem.left + 6 + cx, top + cy };
}

bool ListCheckBox::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    struct Key {
        const wchar_t* name;
        CUIString* image;
    };
    const Key keys[] = {
        { L"checkboxnormalimage", &sNormal },     { L"checkboxhotimage", &sHot },
        { L"checkboxpushedimage", &sPushed },     { L"checkboxfocusedimage", &sFocused },
        { L"checkboxdisabledimage", &sDisabled }, { L"checkboxselectedimage", &sSelected },
        { L"checkboxforeimage", &sFore },
    };
    for (const Key& key : keys) {
        if (NameIsNoCase(pstrName, key.name)) {
            *key.image = pstrValue;
            return true;
        }
    }
    const bool width = NameIsNoCase(pstrName, L"checkboxwidth");
    if (!width && !NameIsNoCase(pstrName, L"checkboxheight"))
        return false;
    const int value = pstrValue != nullptr ? static_cast<int>(::wcstol(pstrValue, nullptr, 10)) : 0;
    if (value >= 0)
        (width ? cx : cy) = value;  // a negative size is ignored
    return true;
}

bool ListCheckBox::DoEvent(const TEventUI& event, const RECT& rcBox, bool hotOnMove)
{
    const bool inside = ::PtInRect(&rcBox, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UiEventButtonDown:
    case UiEventDblClick:
        if (inside)
            uState |= kStatePushed | kStateCaptured;
        return false;
    case UiEventMouseMove:
        if ((uState & kStateCaptured) != 0)
            uState = inside ? (uState | kStatePushed) : (uState & ~kStatePushed);
        else if (hotOnMove)
            uState = inside ? (uState | kStateHot) : (uState & ~kStateHot);
        return false;
    case UiEventButtonUp: {
        if ((uState & kStateCaptured) == 0)
            return false;
        uState &= ~(kStatePushed | kStateCaptured);
        return inside;
    }
    case UiEventMouseEnter:
        if (inside)
            uState |= kStateHot;
        return false;
    case UiEventMouseLeave:
        uState &= ~kStateHot;
        return false;
    default:
        return false;
    }
}

bool ListCheckBox::Paint(HDC hDC, CControlUI& control, const RECT& rcBox, const RECT& rcPaint)
{
    CPaintManagerUI* pManager = control.GetManager();
    const auto draw = [&](const CUIString& image) {
        return !image.IsEmpty()
            && CRenderEngine::DrawImageString(hDC, pManager, rcBox, rcPaint, image, nullptr);
    };
    uState &= ~kStatePushed;
    if (nChecked != 0 && draw(sSelected)) {
        draw(sFore);
        return false;
    }
    uState = control.IsFocused() ? (uState | kStateFocused) : (uState & ~kStateFocused);
    uState = control.IsEnabled() ? (uState & ~kStateDisabled) : (uState | kStateDisabled);
    const CUIString* state = nullptr;
    if ((uState & kStateDisabled) != 0)
        state = &sDisabled;
    else if ((uState & kStatePushed) != 0)
        state = &sPushed;
    else if ((uState & kStateHot) != 0)
        state = &sHot;
    else if ((uState & kStateFocused) != 0)
        state = &sFocused;
    if (state != nullptr && draw(*state))
        return true;
    if (draw(sNormal))
        return true;
    draw(sFore);
    return false;
}

// ---- header item ----

CControlUI* CListContainerHeaderItemUI::CreateControl()
{
    return new CListContainerHeaderItemUI();
}

const wchar_t* CListContainerHeaderItemUI::GetClass() const
{
    return L"ListContainerHeaderItem";
}

void* CListContainerHeaderItemUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListContainerHeaderItem"))
        return static_cast<CListContainerHeaderItemUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

RECT CListContainerHeaderItemUI::GetCheckBoxRect() const
{
    return m_checkBox.Rect(m_rcItem);
}

void CListContainerHeaderItemUI::SetCheck(int bCheck)
{
    if (bCheck == m_checkBox.nChecked)
        return;
    m_checkBox.nChecked = bCheck;
    m_checkBox.uState = bCheck != 0 ? (m_checkBox.uState | kStateSelected) : (m_checkBox.uState & ~kStateSelected);
    Invalidate();
}

void CListContainerHeaderItemUI::DoEvent(TEventUI& event)
{
    if (m_bCheckable && IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_checkBox.DoEvent(event, GetCheckBoxRect(), true)) {
            SetCheck(m_checkBox.nChecked == 0 ? 1 : 0);
            if (m_pParent != nullptr && m_pManager != nullptr) {
                auto* pHeader = static_cast<CContainerUI*>(m_pParent->GetInterface(L"Container"));
                const int index = pHeader != nullptr ? pHeader->GetItemIndex(this) : -1;
                m_pManager->SendNotify(this, L"listheaditemchecked", static_cast<WPARAM>(index), m_checkBox.nChecked);
            }
        }
        Invalidate();
    }
    CListHeaderItemBaseUI::DoEvent(event);
}

void CListContainerHeaderItemUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"editable"))
        SetColumeEditable(ReadTrue(pstrValue));
    else if (NameIs(pstrName, L"comboable"))
        SetColumeComboable(ReadTrue(pstrValue));
    else if (NameIs(pstrName, L"checkable"))
        SetColumeCheckable(ReadTrue(pstrValue));
    else if (!m_checkBox.SetAttribute(pstrName, pstrValue))
        CListHeaderItemBaseUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerHeaderItemUI::PaintStatusImage(HDC hDC)
{
    CListHeaderItemBaseUI::PaintStatusImage(hDC);
    if (m_bCheckable)
        m_checkBox.Paint(hDC, *this, GetCheckBoxRect(), m_rcPaint);
}

void CListContainerHeaderItemUI::PaintText(HDC hDC)
{
    PaintCaption(hDC, m_bCheckable ? m_checkBox.cx : 0, DT_SINGLELINE);
}

// ---- row ----

CControlUI* CListTextExtElementUI::CreateControl()
{
    return new CListTextExtElementUI();
}

const wchar_t* CListTextExtElementUI::GetClass() const
{
    return L"ListTextExElementUI";
}

void* CListTextExtElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListTextExElement"))
        return static_cast<CListTextExtElementUI*>(this);
    return CListTextElementUI::GetInterface(pstrName);
}

CListExUI* CListTextExtElementUI::OwnerList() const
{
    return dynamic_cast<CListExUI*>(m_pOwnerList);
}

int CListTextExtElementUI::CheckColumEditable(int iColumn)
{
    CListExUI* pList = OwnerList();
    return pList != nullptr ? pList->CheckColumEditable(iColumn) : 0;
}

int CListTextExtElementUI::FirstCheckableColumn() const
{
    CListExUI* pList = OwnerList();
    if (pList == nullptr)
        return -1;
    for (int i = 0; i < pList->GetListInfo()->nColumns; ++i) {
        if (pList->CheckColumCheckBoxable(i) != 0)
            return i;
    }
    return -1;
}

void CListTextExtElementUI::SetCheck(int bCheck)
{
    if (bCheck == m_checkBox.nChecked)
        return;
    m_checkBox.nChecked = bCheck;
    m_checkBox.uState = bCheck != 0 ? (m_checkBox.uState | kStateSelected) : (m_checkBox.uState & ~kStateSelected);
    Invalidate();
}

void CListTextExtElementUI::SetColumItemColor(int iColumn, DWORD dwColor)
{
    if (iColumn < 0 || iColumn >= kMaxColors)
        return;
    m_aColors[iColumn] = { true, dwColor };
    Invalidate();
}

int CListTextExtElementUI::GetColumItemColor(int iColumn, DWORD& dwColor) const
{
    if (iColumn < 0 || iColumn >= kMaxColors || !m_aColors[iColumn].bSet)
        return 0;
    dwColor = m_aColors[iColumn].dwColor;
    return 1;
}

RECT CListTextExtElementUI::GetCheckBoxRect() const
{
    return m_checkBox.Rect(m_rcItem);
}

RECT CListTextExtElementUI::GetColumRect(int iColumn) const
{
    if (m_pOwner == nullptr || iColumn < 0 || iColumn >= m_pOwner->GetListInfo()->nColumns)
        return {};
    const RECT& column = m_pOwner->GetListInfo()->rcColumn[iColumn];
    return { column.left, m_rcItem.top, column.right, m_rcItem.bottom };
}

int CListTextExtElementUI::HitTestColum(POINT pt) const
{
    if (m_pOwner == nullptr || m_pManager == nullptr)
        return -1;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    const RECT padding = m_pManager->GetDPIObj()->Scale(info.rcTextPadding);
    for (int i = 0; i < info.nColumns; ++i) {
        const RECT rc { info.rcColumn[i].left + padding.left, m_rcItem.top + padding.top,
                        info.rcColumn[i].right - padding.right, m_rcItem.bottom - padding.bottom };
        if (::PtInRect(&rc, pt))
            return i;
    }
    return -1;
}

void CListTextExtElementUI::DoEvent(TEventUI& event)
{
    CListExUI* pList = OwnerList();
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        CListTextElementUI::DoEvent(event);  // on to the owner, like every row
        return;
    }
    if (event.Type == UiEventButtonDown && pList != nullptr && (pList->IsFocused() || IsFocused())) {
        const int column = HitTestColum(event.ptMouse);
        RECT rcCell {};
        if (column >= 0) {
            rcCell = GetColumRect(column);
            ::InflateRect(&rcCell, -2, -2);
        }
        pList->OnListItemClicked(m_iIndex, column, rcCell, GetText(column));
    }
    if (IsMouseEvent(event) && FirstCheckableColumn() >= 0) {
        // All of a row's check boxes share one place and one flag: the first checkable column
        // is the one reported.
        if (m_checkBox.DoEvent(event, GetCheckBoxRect(), false)) {
            SetCheck(m_checkBox.nChecked == 0 ? 1 : 0);
            if (m_pManager != nullptr)
                m_pManager->SendNotify(this, L"listitemchecked",
                                       MAKEWPARAM(static_cast<WORD>(m_iIndex), static_cast<WORD>(FirstCheckableColumn())),
                                       m_checkBox.nChecked);
        }
        if (event.Type != UiEventMouseMove)
            Invalidate();
    }
    CListTextElementUI::DoEvent(event);
}

void CListTextExtElementUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (!m_checkBox.SetAttribute(pstrName, pstrValue))
        CListTextElementUI::SetAttribute(pstrName, pstrValue);
}

void CListTextExtElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    PaintStatusImage(hDC);
    DrawItemText(hDC, m_rcItem);
}

void CListTextExtElementUI::PaintStatusImage(HDC hDC)
{
    CListExUI* pList = OwnerList();
    if (pList == nullptr)
        return;
    for (int i = 0; i < pList->GetListInfo()->nColumns; ++i) {
        if (pList->CheckColumCheckBoxable(i) != 0 && m_checkBox.Paint(hDC, *this, GetCheckBoxRect(), m_rcPaint))
            return;
    }
}

void CListTextExtElementUI::PrepareCell(HDC hDC, int iColumn, const RECT& rcColumn, RECT& rcText, UINT& uStyle)
{
    DWORD color = 0;
    if (GetColumItemColor(iColumn, color) != 0)
        CRenderEngine::DrawColor(hDC, rcColumn, GetAdjustColor(color));
    CListExUI* pList = OwnerList();
    if (pList != nullptr && pList->CheckColumCheckBoxable(iColumn) != 0)
        rcText.left += m_checkBox.cx;
    uStyle |= DT_SINGLELINE;
}

// ---- list ----

CControlUI* CListExUI::CreateControl()
{
    return new CListExUI();
}

const wchar_t* CListExUI::GetClass() const
{
    return L"XListUI";
}

void* CListExUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListEx"))
        return static_cast<IListUI*>(this);
    return CListUI::GetInterface(pstrName);
}

bool CListExUI::InitListCtrl()
{
    if (m_bAddMessageFilter || m_pManager == nullptr)
        return m_bAddMessageFilter;
    m_bAddMessageFilter = m_pManager->AddNotifier(this);
    return m_bAddMessageFilter;
}

CListContainerHeaderItemUI* CListExUI::HeaderItem(int iColumn) const
{
    CControlUI* pItem = m_pHeader != nullptr ? m_pHeader->GetItemAt(iColumn) : nullptr;
    return pItem != nullptr ? static_cast<CListContainerHeaderItemUI*>(pItem->GetInterface(L"ListContainerHeaderItem"))
                            : nullptr;
}

CListTextExtElementUI* CListExUI::ExtRow(int iRow) const
{
    CControlUI* pRow = GetItemAt(iRow);
    return pRow != nullptr ? static_cast<CListTextExtElementUI*>(pRow->GetInterface(L"ListTextExElement")) : nullptr;
}

int CListExUI::CheckColumEditable(int iColumn)
{
    CListContainerHeaderItemUI* pItem = HeaderItem(iColumn);
    return pItem != nullptr && pItem->GetColumeEditable() ? 1 : 0;
}

int CListExUI::CheckColumComboBoxable(int iColumn)
{
    CListContainerHeaderItemUI* pItem = HeaderItem(iColumn);
    return pItem != nullptr && pItem->GetColumeComboable() ? 1 : 0;
}

int CListExUI::CheckColumCheckBoxable(int iColumn)
{
    CListContainerHeaderItemUI* pItem = HeaderItem(iColumn);
    return pItem != nullptr && pItem->GetColumeCheckable() ? 1 : 0;
}

void CListExUI::AdoptEditor(CControlUI* pEditor, const wchar_t* pstrName, const wchar_t* pstrDefaults)
{
    pEditor->SetName(pstrName);
    if (m_pManager != nullptr) {
        if (const wchar_t* defaults = m_pManager->GetDefaultAttributeList(pstrDefaults))
            pEditor->ApplyAttributeList(defaults);
    }
    // A floating child of the list itself, after the header and the body: never one of the rows.
    pEditor->SetFloat(true);
    pEditor->SetVisible(false);
    CVerticalLayoutUI::AddAt(pEditor, CVerticalLayoutUI::GetCount());  // the list owns it
}

CEditUI* CListExUI::GetEditUI()
{
    if (m_pEditUI == nullptr) {
        m_pEditUI = new CEditUI();
        AdoptEditor(m_pEditUI, kEditName, L"Edit");
    }
    if (m_pComboBoxUI != nullptr)
        m_pComboBoxUI->SetVisible(false);
    return m_pEditUI;
}

CComboBoxUI* CListExUI::GetComboBoxUI()
{
    if (m_pComboBoxUI == nullptr) {
        m_pComboBoxUI = static_cast<CComboBoxUI*>(CComboBoxUI::CreateControl());
        AdoptEditor(m_pComboBoxUI, kComboName, L"Combo");
    }
    if (m_pEditUI != nullptr)
        m_pEditUI->SetVisible(false);
    return m_pComboBoxUI;
}

void CListExUI::HideEditAndComboCtrl()
{
    if (m_pEditUI != nullptr)
        m_pEditUI->SetVisible(false);
    if (m_pComboBoxUI != nullptr)
        m_pComboBoxUI->SetVisible(false);
}

void CListExUI::SetEditRowAndColum(int iRow, int iColumn)
{
    m_nRow = iRow;
    m_nColum = iColumn;
}

RECT CListExUI::CellRect(int iRow, int iColumn) const
{
    CListTextExtElementUI* pRow = ExtRow(iRow);
    if (pRow == nullptr)
        return {};
    RECT rc = pRow->GetColumRect(iColumn);
    ::InflateRect(&rc, -2, -2);
    return rc;
}

void CListExUI::OnListItemClicked(int iRow, int iColumn, const RECT& rcCell, const wchar_t* pstrText)
{
    const wchar_t* text = pstrText != nullptr ? pstrText : L"";  // an unset cell edits as empty
    if (iColumn >= 0 && CheckColumEditable(iColumn) != 0) {
        if (CEditUI* pEdit = GetEditUI()) {
            SetEditRowAndColum(iRow, iColumn);
            pEdit->SetText(text);
            pEdit->SetVisible(true);
            pEdit->SetPos(rcCell);
            return;
        }
    }
    if (iColumn >= 0 && CheckColumComboBoxable(iColumn) != 0) {
        if (CComboBoxUI* pCombo = GetComboBoxUI()) {
            pCombo->RemoveAll();
            SetEditRowAndColum(iRow, iColumn);
            pCombo->SetText(text);
            if (m_pXCallback != nullptr)
                m_pXCallback->PrepareCellCombo(pCombo, iRow, iColumn);
            pCombo->SetPos(rcCell);
            pCombo->SetVisible(true);
            return;
        }
    }
    HideEditAndComboCtrl();
}

void CListExUI::OnListItemChecked(int, int iColumn, bool bChecked)
{
    CListContainerHeaderItemUI* pItem = HeaderItem(iColumn);
    if (pItem == nullptr)
        return;
    bool all = bChecked;
    for (int i = 0; all && i < GetCount(); ++i) {
        if (CListTextExtElementUI* pRow = ExtRow(i); pRow != nullptr && pRow->GetCheck() == 0)
            all = false;
    }
    pItem->SetCheck(all ? 1 : 0);
}

void CListExUI::SetColumItemColor(int iRow, int iColumn, DWORD dwColor)
{
    if (CListTextExtElementUI* pRow = ExtRow(iRow))
        pRow->SetColumItemColor(iColumn, dwColor);
}

bool CListExUI::GetColumItemColor(int iRow, int iColumn, DWORD& dwColor)
{
    CListTextExtElementUI* pRow = ExtRow(iRow);
    return pRow != nullptr && pRow->GetColumItemColor(iColumn, dwColor) != 0;
}

void CListExUI::WriteCell(int iRow, int iColumn, const CUIString& text)
{
    if (CListTextExtElementUI* pRow = ExtRow(iRow))
        pRow->SetText(iColumn, text);
}

void CListExUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventButtonDown)
        HideEditAndComboCtrl();
    CListUI::DoEvent(event);
}

void CListExUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CListUI::SetPos(rc, bNeedInvalidate);
    // An open editor stays over its cell, wherever the layout put the row.
    for (CControlUI* pEditor : { static_cast<CControlUI*>(m_pEditUI), static_cast<CControlUI*>(m_pComboBoxUI) }) {
        if (pEditor != nullptr && pEditor->IsVisible())
            pEditor->SetPos(CellRect(m_nRow, m_nColum), false);
    }
}

void CListExUI::Notify(TNotifyUI& msg)
{
    if (!m_bAddMessageFilter || msg.pSender == nullptr)
        return;
    const bool ownHeaderItem = m_pHeader != nullptr && m_pHeader->GetItemIndex(msg.pSender) >= 0;
    if (msg.sType == L"listheaditemchecked" && ownHeaderItem) {
        for (int i = 0; i < GetCount(); ++i) {
            if (CListTextExtElementUI* pRow = ExtRow(i))
                pRow->SetCheck(static_cast<int>(msg.lParam));
        }
    } else if (msg.sType == L"listitemchecked" && GetItemIndex(msg.pSender) >= 0) {
        OnListItemChecked(LOWORD(msg.wParam), HIWORD(msg.wParam), msg.lParam != 0);
    }
    const bool editing = m_nRow >= 0 && m_nColum >= 0;
    const CUIString sender = msg.pSender->GetName();
    if (sender == kEditName && msg.pSender == m_pEditUI) {
        if (editing && msg.sType == L"killfocus") {
            WriteCell(m_nRow, m_nColum, m_pEditUI->GetText());
            SetEditRowAndColum(-1, -1);
            m_pEditUI->SetVisible(false);
        }
    } else if (sender == kComboName && msg.pSender == m_pComboBoxUI) {
        // The combo reports a choice as "itemselect" with the new index.
        if (editing && msg.sType == L"itemselect" && static_cast<int>(msg.wParam) >= 0) {
            WriteCell(m_nRow, m_nColum, m_pComboBoxUI->GetText());
            m_pComboBoxUI->SetVisible(false);
        }
    } else if (msg.sType == L"scroll" && editing && (m_pEditUI != nullptr || m_pComboBoxUI != nullptr)) {
        HideEditAndComboCtrl();
    }
}

}  // namespace SkinUI
