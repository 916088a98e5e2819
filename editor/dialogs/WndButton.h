#pragma once
// CWndButton: one of the two watermark items on the watermark overlay (CChildWnd). The item named
// "WaterTextRich" draws the text watermark of WatermarkSettings, every other name the picture
// watermark: once in the item, or repeated in a grid over the whole video area, rotated and with
// its alpha. The user moves the item and sizes it by its edges and corners; on request the same
// drawing goes into a transparent PNG the size of the video area, which the export overlays.
//
// Rules: UI thread only; the overlay's layout owns the item. The screen and the file are drawn by
// the same code onto a device context, so the file holds exactly what the overlay shows; a tiled
// watermark is drawn onto one canvas and saved once. A rendering writes its target whole or
// removes it, and says which. Measuring never needs an earlier paint. Drags keep the item inside
// the video area; a jump of more than 1000 pixels ends a drag; a release places the item only
// when a press on it started the drag. No event reaches the base button (no hover, no "click").

#include <memory>
#include <string>

#include "platform/GdiPlus.h"
#include "ui/controls/ButtonUI.h"

class CWndButton : public SkinUI::CButtonUI {
public:
    // Parts of the item a press can take.
    enum HitZone { kTop, kLeft, kBottom, kRight, kTopLeft, kTopRight, kBottomLeft, kBottomRight, kBody };

    CWndButton();
    ~CWndButton() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool IsTextItem() const;
    void SetBaseRect(int left, int top, int right, int bottom) { m_rcPictureBase = { left, top, right, bottom }; }
    RECT GetBaseRect() const { return m_rcPictureBase; }
    void SetMovable(bool movable) { m_bMovable = movable; }
    bool IsMovable() const { return m_bMovable; }
    int GetHitZone() const { return m_nHitZone; }
    bool IsDragging() const { return m_bDragging; }
    // Whether a drawing since the last call moved the item (it then painted only where it was).
    bool TakeMovedWhilePainting();

    // The WatermarkSettings text in the watermark font, from origin (0, 0).
    Gdiplus::RectF MeasureWatermarkText() const;
    void DrawTextWatermark(HDC hDC);
    void DrawPictureWatermark(HDC hDC);
    // Write the watermark into a PNG of the video area's size at `path`; false, with no file
    // there, when it cannot (no video area, no encoder, a failed save).
    bool RenderTextWatermarkToFile(const SkinUI::CUIString& path);
    bool RenderPictureWatermarkToFile(const SkinUI::CUIString& path);

private:
    struct PreparedPicture;

    void PlaceTextForScreen(const Gdiplus::RectF& box);
    void PlaceTextForFile(const Gdiplus::RectF& box);
    void PlacePicture();
    void DrawTextCells(HDC hDC, const Gdiplus::RectF& box) const;
    void DrawPictureCells(HDC hDC);
    void BlendPicture(HDC hDC, const RECT& cell, const PreparedPicture& picture) const;
    const PreparedPicture* PreparePicture(int width, int height);
    Gdiplus::Image* LoadedPicture();
    bool RenderToFile(const SkinUI::CUIString& path, bool text);

    int ZoneAt(POINT pt) const;
    void OnPress(POINT pt);
    void OnDrag(POINT pt);
    void OnRelease();
    bool StepFits(const RECT& rc) const;
    RECT KeptInVideo(RECT rc) const;
    // The video area (VideoRectangle) in the overlay's client coordinates.
    RECT VideoInClient() const;

    bool m_bDragging { false };
    bool m_bMovedWhilePainting { false };
    POINT m_ptPress {};
    RECT m_rcDrag {};
    RECT m_rcTextBase {};
    RECT m_rcPictureBase {};
    int m_nHitZone { kBody };
    bool m_bMovable { true };
    std::unique_ptr<Gdiplus::Image> m_picture;  // the loaded WatermarkSettings picture
    std::wstring m_strPicturePath;              // the path m_picture was loaded from
    std::unique_ptr<PreparedPicture> m_prepared;  // kept while its size, angle and picture stay
};
