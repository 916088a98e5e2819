#pragma once
// CProgressUI: a label that shows an integer value within [minimum, maximum] as a filled fore
// colour and a clipped fore image, horizontally or vertically (a vertical bar fills its fore image
// from the bottom up to the value and its fore colour from the top down to it), and can show its
// percentage as its text.
//
// A range with maximum <= minimum cannot be shown: everything that divides by the range first
// repairs it (maximum = minimum + 1, value pulled into the range) and writes the repair back.

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintForeColor(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;

    virtual void UpdateText();

    int GetValue() const { return m_nValue; }
    int GetMinValue() const { return m_nMin; }
    int GetMaxValue() const { return m_nMax; }
    // Stored as given: the value is not re-clamped.
    void SetMinValue(int nMin);
    void SetMaxValue(int nMax);
    // Ignored when unchanged or outside the range.
    void SetValue(int nValue);
    bool IsShowText() const { return m_bShowText; }
    void SetShowText(bool bShowText = true);
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool bStretchForeImage = true);

protected:
    void NormaliseRange();

    bool m_bShowText { false };
    bool m_bHorizontal { true };
    bool m_bStretchForeImage { true };
    int m_nMax { 100 };
    int m_nMin { 0 };
    int m_nValue { 0 };
    CUIString m_sForeImageModify;
};

}  // namespace SkinUI
