#include "ui/controls/OptionUI.h"

#include <vector>

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kOption(L"COptionUI", &COptionUI::CreateControl);

}  // namespace

COptionUI::~COptionUI()
{
    if (!m_sGroupName.IsEmpty() && m_pManager != nullptr)
        m_pManager->RemoveOptionGroup(m_sGroupName.GetData(), this);
}

CControlUI* COptionUI::CreateControl()
{
    return new COptionUI();
}

const wchar_t* COptionUI::GetClass() const
{
    return L"OptionUI";
}

void* COptionUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Option"))
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit && !m_sGroupName.IsEmpty() && m_pManager != nullptr)
        m_pManager->AddOptionGroup(m_sGroupName.GetData(), this);
}

void COptionUI::SetGroup(const wchar_t* pStrGroupName)
{
    const CUIString name = pStrGroupName != nullptr ? pStrGroupName : L"";
    if (name == m_sGroupName.GetData())
        return;
    if (!m_sGroupName.IsEmpty() && m_pManager != nullptr)
        m_pManager->RemoveOptionGroup(m_sGroupName.GetData(), this);
    m_sGroupName = name;
    if (!m_sGroupName.IsEmpty() && m_pManager != nullptr)
        m_pManager->AddOptionGroup(m_sGroupName.GetData(), this);
}

void COptionUI::Selected(bool bSelected)
{
    ApplySelection(bSelected, true, 0);
}

void COptionUI::ApplySelection(bool bSelected, bool notifyUnselected, WPARAM changedParam)
{
    if (m_bSelected == bSelected)
        return;
    if (!bSelected && notifyUnselected && m_pManager != nullptr)
        m_pManager->SendNotify(this, L"unselected");
    m_bSelected = bSelected;
    m_uButtonState = bSelected ? (m_uButtonState | ButtonStateSelected) : (m_uButtonState & ~ButtonStateSelected);
    if (m_pManager != nullptr) {
        if (m_sGroupName.IsEmpty()) {
            m_pManager->SendNotify(this, L"selectchanged", changedParam);
        } else if (bSelected) {
            DeselectGroupMates();
            m_pManager->SendNotify(this, L"selectchanged", changedParam);
        }
    }
    Invalidate();
}

void COptionUI::DeselectGroupMates()
{
    const CUIString group = m_sGroupName;
    const CStdPtrArray* members = m_pManager->GetOptionGroup(group.GetData());
    if (members == nullptr)
        return;
    std::vector<COptionUI*> mates;
    for (int i = 0; i < members->GetSize(); ++i)
        mates.push_back(static_cast<COptionUI*>(members->GetAt(i)));
    for (COptionUI* mate : mates) {
        // Only options still in the group: a handler may have regrouped or destroyed one.
        const CStdPtrArray* now = m_pManager->GetOptionGroup(group.GetData());
        if (mate != this && now != nullptr && now->Find(mate) >= 0)
            mate->Selected(false);
    }
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    if (!m_sGroupName.IsEmpty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool bEnable)
{
    CButtonUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = m_bSelected ? ButtonStateSelected : 0;
}

void COptionUI::SetSelectedImage(const wchar_t* pStrImage)
{
    SetImage(m_sSelectedImage, pStrImage);
}

void COptionUI::SetSelectedHotImage(const wchar_t* pStrImage)
{
    SetImage(m_sSelectedHotImage, pStrImage);
}

void COptionUI::SetSelectedPushedImage(const wchar_t* pStrImage)
{
    SetImage(m_sSelectedPushedImage, pStrImage);
}

void COptionUI::SetSelectedForedImage(const wchar_t* pStrImage)
{
    SetImage(m_sSelectedForeImage, pStrImage);
}

DWORD COptionUI::GetSelectedTextColor()
{
    if (m_dwSelectedTextColor == 0 && m_pManager != nullptr)
        m_dwSelectedTextColor = m_pManager->GetDefaultFontColor();
    return m_dwSelectedTextColor;
}

void COptionUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"group"))
        SetGroup(pstrValue);
    else if (NameIs(pstrName, L"selected"))
        Selected(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"selectedimage"))
        SetSelectedImage(pstrValue);
    else if (NameIs(pstrName, L"selectedhotimage"))
        SetSelectedHotImage(pstrValue);
    else if (NameIs(pstrName, L"selectedpushedimage"))
        SetSelectedPushedImage(pstrValue);
    else if (NameIs(pstrName, L"selectedforeimage"))
        SetSelectedForedImage(pstrValue);
    else if (NameIs(pstrName, L"selectedbkcolor"))
        SetSelectedBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"selectedtextcolor"))
        SetSelectedTextColor(ReadColor(pstrValue));
    else
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::PaintBkColor(HDC hDC)
{
    if (!m_bSelected) {
        CButtonUI::PaintBkColor(hDC);
        return;
    }
    if (m_dwSelectedBkColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
}

// While selected only the selected images count; a selected option without one shows no state
// image at all.
void COptionUI::PaintStatusImage(HDC hDC)
{
    if (!m_bSelected) {
        CButtonUI::PaintStatusImage(hDC);
        return;
    }
    if ((m_uButtonState & ButtonStatePushed) != 0 && !m_sSelectedPushedImage.IsEmpty()) {
        if (DrawImage(hDC, m_sSelectedPushedImage.GetData()))
            return;
    } else if ((m_uButtonState & ButtonStateHot) != 0 && !m_sSelectedHotImage.IsEmpty()) {
        if (DrawImage(hDC, m_sSelectedHotImage.GetData()))
            return;
    }
    if (!m_sSelectedImage.IsEmpty())
        DrawImage(hDC, m_sSelectedImage.GetData());
}

void COptionUI::PaintForeImage(HDC hDC)
{
    if (m_bSelected && !m_sSelectedForeImage.IsEmpty() && DrawImage(hDC, m_sSelectedForeImage.GetData()))
        return;
    CButtonUI::PaintForeImage(hDC);
}

void COptionUI::PaintText(HDC hDC)
{
    if (!m_bSelected) {
        CButtonUI::PaintText(hDC);
        return;
    }
    const DWORD kept = m_dwTextColor;
    if (m_dwSelectedTextColor != 0)
        m_dwTextColor = m_dwSelectedTextColor;
    CLabelUI::PaintText(hDC);
    m_dwTextColor = kept;
}

}  // namespace SkinUI
