#pragma once
// CConceal: the crop frame window of the cut page, a borderless sizeable frame over the cover
// window (CCover) that marks the region to keep. The user drags its inside and sizes it by its
// border; after every move or size it publishes its rectangle to the cover (CropFrameRect, then
// CCover::SetSelectionRect), keeps itself inside the cover and within the crop maximum, and
// writes x, y, width and height into the cut page's crop edits.
//
// Rules: UI thread only. The object deletes itself when its native window is gone. Moves are
// published only while the main window says the user moves the frame (m_bCropByUser), so carrying
// the overlays along with the main window never rewrites the edits. Written sizes are never
// negative and a corrected height is at least 1. The pointer is warped only after the window's
// first second, so its first placement never moves the user's pointer.

#include <string>

#include "editor/dialogs/OverlayShared.h"
#include "ui/core/WindowImplBase.h"

class CCover;
class CMainWnd;

// The frame's left, top and right relative to the cover window (bottom: left + height).
extern RECT CropFrameRect;
extern HWND CropFrameWindow;
// Where the frame may be dragged, in screen coordinates; set by the main window.
extern RECT CropDragBounds;

class CConceal : public SkinUI::WindowImplBase {
public:
    static constexpr UINT kMsgCropMaximum = 2827;  // wParam maximum width, lParam maximum height
    static constexpr UINT_PTR kReadyTimer = 500;

    CConceal(CCover* cover, CMainWnd* main, int maxWidth, int maxHeight, SkinUI::CControlUI* xEdit,
             SkinUI::CControlUI* yEdit, SkinUI::CControlUI* widthEdit, SkinUI::CControlUI* heightEdit);

    const wchar_t* GetWindowClassName() const override;
    SkinUI::CUIString GetSkinFileName() override;
    void InitWindow() override;
    void Notify(SkinUI::TNotifyUI& msg) override;

    int GetMaxWidth() const { return m_nMaxWidth; }
    int GetMaxHeight() const { return m_nMaxHeight; }
    bool IsReady() const { return m_bReady != 0; }

protected:
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    // Publishes F relative to C; returns the published rectangle.
    RECT Publish(const RECT& cover, const RECT& frame);
    void WriteEdits(const RECT& cover, const RECT& frame);
    void CorrectSize(const RECT& cover, const RECT& frame, const RECT& published);
    void OnDragMove();
    POINT PointerInMainClient() const;
    void WarpPointer(int x, int y) const;

    std::wstring m_strSkin { L"conceal.xml" };
    int m_nMaxWidth;
    int m_nMaxHeight;
    SkinUI::CControlUI* m_pXEdit;
    SkinUI::CControlUI* m_pYEdit;
    SkinUI::CControlUI* m_pWidthEdit;
    SkinUI::CControlUI* m_pHeightEdit;
    uint8_t m_bReady { 0 };
    std::wstring m_strX, m_strY, m_strWidth, m_strHeight;
    uint8_t m_bDragging { 0 };
    POINT m_ptPress {};
    RECT m_rcDrag {};
    RECT m_rcPress {};
    CCover* m_pCover;
    CMainWnd* m_pMain;
};
