#pragma once
// CRingUI: a label whose background image spins, 36 degrees every 100 ms, on a timer that starts
// with the first paint that could load the image.

#include <memory>

#include "ui/controls/LabelUI.h"

namespace Gdiplus {
class Image;
}

namespace SkinUI {

class CRingUI : public CLabelUI {
public:
    static constexpr UINT kRingTimerId = 100;

    CRingUI();
    ~CRingUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkImage(HDC hDC) override;

    float GetAngle() const { return m_fCurAngle; }

private:
    float m_fCurAngle { 0.0f };
    std::unique_ptr<Gdiplus::Image> m_pBkimage;
};

}  // namespace SkinUI
