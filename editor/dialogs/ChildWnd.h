#pragma once
// CChildWnd: the watermark overlay, a borderless transparent pop-up that the main window lays
// exactly over the video area of the watermark preview. It holds the two watermark items (the
// text "WaterTextRich" and the picture "WaterPic", CWndButton) and is otherwise the set of
// operations through which the main window shows, places, sizes, locks and renders them.
//
// Rules: UI thread only. The object deletes itself when its native window is gone, and then
// clears the main window's pointer to it (and OverlayWindowHandle), so the main window never
// holds a deleted overlay. Esc does not close it: it hides the overlay and hands the activation
// back to its owner, which shows it again with its page. Enter does nothing. The item operations
// do nothing while an item is missing from the skin.

#include "editor/dialogs/WndButton.h"
#include "ui/core/WindowImplBase.h"

class CChildWnd : public SkinUI::WindowImplBase {
public:
    CChildWnd() = default;

    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    SkinUI::CUIString GetSkinFileName() override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;
    void Notify(SkinUI::TNotifyUI& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override;

    void InvalidateTextItem();
    void InvalidatePictureItem();
    void ShowTextItem(bool show);
    void ShowPictureItem(bool show);
    void SetTextItemPos(int left, int top, int right, int bottom);
    void SetPictureItemPos(int left, int top, int right, int bottom);
    RECT GetTextItemPos() const;
    RECT GetPictureItemPos() const;
    // The picture's base rectangle: its place when single, the cell when tiled.
    void SetPictureItemRect(int left, int top, int right, int bottom);
    RECT GetPictureItemRect() const;
    void SetTextItemMovable(bool movable);
    void SetPictureItemMovable(bool movable);
    // A chosen picture's size: stored as the base size (height one less), and the item sized to it,
    // centred in the video area and shown.
    void SetPictureItemSize(int width, int height);
    int GetPictureWidth() const { return m_nPictureWidth; }
    int GetPictureHeight() const { return m_nPictureHeight; }
    // The picture item at `percent` of its base size about a centre taken while PictureRecenterFlag
    // is set.
    void ScalePictureItem(int percent);
    // A tilted text item's height for its text at the current angle, about its own centre.
    void FitTextItemToAngle();
    // Write the watermark PNG at `path`; false, with no file there, when it could not.
    bool RenderTextWatermark(const SkinUI::CUIString& path);
    bool RenderPictureWatermark(const SkinUI::CUIString& path);
    void CloseOverlay();

    CWndButton* GetTextItem() const { return m_pTextItem; }
    CWndButton* GetPictureItem() const { return m_pPictureItem; }

    // The picture base size; the main window also writes them when it restores a saved clip.
    int m_nPictureWidth { 0 };
    int m_nPictureHeight { 0 };

protected:
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    ~CChildWnd() override = default;  // deletes itself with its window

    CWndButton* m_pTextItem { nullptr };
    CWndButton* m_pPictureItem { nullptr };
    POINT m_ptPictureCentre {};
};
