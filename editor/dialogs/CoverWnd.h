#pragma once
// The crop mask of the cut page: CCover, a transparent window over the shown picture, holding
// CMyVer, a container that shades everything outside a selection and outlines it with nine handle
// squares. The user draws a new selection on the mask with the left button (a rubber band); the
// crop frame window (CConceal) sits on the hole and publishes its moves back through
// SetSelectionRect. The selection, the frame and the cut page's four crop edits stay in step.
//
// Rules: UI thread only. The window object deletes itself when its native window is gone. The
// rubber band never leaves the canvas: 0 <= left <= W - 14, 0 <= top <= H - 14, at least 14 x 14,
// right and bottom within the maximum. A release without a band drawn during that press shows the
// frame where and as it was, and writes no edit.

#include <string>

#include "editor/dialogs/OverlayShared.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/WindowImplBase.h"

class CMyVer : public SkinUI::CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkColor(HDC hDC) override;

    const RECT& GetSelection() const { return m_rcSelection; }
    // Handle i (0..8 in reading order; 4, the inside, has an empty rectangle).
    RECT GetHandleRect(int i) const;
    // The handle under the point and the cursor it shows.
    int HitTestHandle(POINT pt, LPCWSTR* cursor);

private:
    RECT m_rcSelection {};  // window client coordinates; all zero: no selection
};

class CCover : public SkinUI::WindowImplBase {
public:
    static constexpr int kMinimumBand = 14;

    CCover(int maxWidth, int maxHeight, SkinUI::CControlUI* xEdit, SkinUI::CControlUI* yEdit,
           SkinUI::CControlUI* widthEdit, SkinUI::CControlUI* heightEdit);

    const wchar_t* GetWindowClassName() const override;
    SkinUI::CUIString GetSkinFileName() override;
    void InitWindow() override;
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override;
    // The frame window moved or changed size: the selection follows CropFrameRect down to `bottom`.
    void SetSelectionRect(int bottom);
    CMyVer* GetSelectionControl() const { return m_pSelection; }

protected:
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void OnPress(LPARAM lParam);
    void OnDrag(LPARAM lParam);
    void OnRelease();
    RECT ClampBand(RECT band) const;

    std::wstring m_strSkin { L"zhegaiceng2.xml" };
    POINT m_ptPressScreen {};
    POINT m_ptPressClient {};
    RECT m_rcBand {};
    RECT m_rcWindow {};
    CMyVer* m_pSelection { nullptr };
    int m_nDrawing { 0 };
    bool m_bBandDrawn { false };  // a band was drawn since the last press
    POINT m_ptFrame {};
    SIZE m_szFrame {};
    int m_nMaxWidth;
    int m_nMaxHeight;
    int m_nRememberedBottom { 0 };
    int m_nEndNow { 0 };
    SkinUI::CControlUI* m_pXEdit;
    SkinUI::CControlUI* m_pYEdit;
    SkinUI::CControlUI* m_pWidthEdit;
    SkinUI::CControlUI* m_pHeightEdit;
};
