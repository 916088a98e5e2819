#include "ui/controls/ProgressUI.h"

#include <cstdint>

#include "platform/WinBase.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kProgress(L"CProgressUI", &CProgressUI::CreateControl);

}  // namespace

CProgressUI::CProgressUI()
{
    m_uTextStyle = DT_CENTER | DT_SINGLELINE;
    m_cxyFixed.cy = 12;
}

CControlUI* CProgressUI::CreateControl()
{
    return new CProgressUI();
}

const wchar_t* CProgressUI::GetClass() const
{
    return L"ProgressUI";
}

void* CProgressUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Progress"))
        return this;
    return CLabelUI::GetInterface(pstrName);
}

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    Invalidate();
}

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    Invalidate();
}

void CProgressUI::SetValue(int nValue)
{
    if (nValue == m_nValue || nValue < m_nMin || nValue > m_nMax)
        return;
    m_nValue = nValue;
    Invalidate();
    UpdateText();
}

void CProgressUI::NormaliseRange()
{
    if (m_nMax <= m_nMin)
        m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax)
        m_nValue = m_nMax;
    if (m_nValue < m_nMin)
        m_nValue = m_nMin;
}

void CProgressUI::UpdateText()
{
    if (!m_bShowText)
        return;
    NormaliseRange();
    const float percent = static_cast<float>(m_nValue - m_nMin) * 100.0f / static_cast<float>(m_nMax - m_nMin);
    CUIString text;
    text.SmallFormat(L"%.0f%%", static_cast<double>(percent));
    SetText(text.GetData());
}

void CProgressUI::SetShowText(bool bShowText)
{
    if (m_bShowText == bShowText)
        return;
    m_bShowText = bShowText;
    if (!m_bShowText)
        SetText(L"");
}

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool bStretchForeImage)
{
    if (m_bStretchForeImage == bStretchForeImage)
        return;
    m_bStretchForeImage = bStretchForeImage;
    Invalidate();
}

void CProgressUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"hor"))
        SetHorizontal(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"min"))
        SetMinValue(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"max"))
        SetMaxValue(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"value"))
        SetValue(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"isstretchfore"))
        SetStretchForeImage(ReadBool(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

// Vertically the colour covers the part above the value's level.
void CProgressUI::PaintForeColor(HDC hDC)
{
    if (m_dwForeColor == 0)
        return;
    NormaliseRange();
    const int range = m_nMax - m_nMin;
    RECT rc = m_rcItem;
    if (m_bHorizontal)
        rc.right = rc.left + static_cast<int>(int64_t { m_rcItem.right - m_rcItem.left } * (m_nValue - m_nMin) / range);
    else
        rc.bottom = rc.top + static_cast<int>(int64_t { m_rcItem.bottom - m_rcItem.top } * (m_nMax - m_nValue) / range);
    CRenderEngine::DrawColor(hDC, rc, GetAdjustColor(m_dwForeColor));
}

// Vertically the image covers the part below the value's level; without stretching the image is
// cut at the level instead of squeezed into it.
void CProgressUI::PaintForeImage(HDC hDC)
{
    NormaliseRange();
    const int width = m_rcItem.right - m_rcItem.left, height = m_rcItem.bottom - m_rcItem.top;
    const int range = m_nMax - m_nMin;
    RECT part { 0, 0, width, height };
    if (m_bHorizontal)
        part.right = static_cast<int>(int64_t { width } * (m_nValue - m_nMin) / range);
    else
        part.top = static_cast<int>(int64_t { height } * (m_nMax - m_nValue) / range);
    if (m_sForeImage.IsEmpty())
        return;
    const int scale = m_pManager != nullptr ? static_cast<int>(m_pManager->GetDPIObj()->GetScale()) : 100;
    const int left = ::MulDiv(part.left, 100, scale), top = ::MulDiv(part.top, 100, scale);
    const int right = ::MulDiv(part.right, 100, scale);
    const int bottom = ::MulDiv(part.bottom - part.top, 100, scale) + top;
    if (m_bStretchForeImage)
        m_sForeImageModify.SmallFormat(L"dest='%d,%d,%d,%d'", left, top, right, bottom);
    else
        m_sForeImageModify.SmallFormat(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", left, top, right, bottom, left,
                                       top, right, bottom);
    DrawImage(hDC, m_sForeImage.GetData(), m_sForeImageModify.GetData());
}

}  // namespace SkinUI
