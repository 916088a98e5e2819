#pragma once
// CWaterTextUI: one timed text item floating on the text layer window (CWaterFloatWnd). It has no
// style of its own: every paint looks up the main window's TextItem record named like the item
// (else the WatermarkSettings defaults) and draws the text with its box, shadow, stroke, angle and
// alpha. On request the same drawing goes into a transparent PNG of the layer's size, which the
// subtitle export overlays on the video. The user drags the item within the layer.
//
// Rules: UI thread only; the layer's root container owns the item. Measuring never needs an
// earlier paint. A fit and a drag keep the whole item inside the layer (one wider than the layer
// from its left edge), and a release places the item only when a press on it started the drag.
// No event reaches the base button (no hover, no click on release).

#include <vector>

#include "editor/mainwnd/EditingRecords.h"
#include "platform/GdiPlus.h"
#include "ui/controls/ButtonUI.h"

// The pieces of `text` between the delimiters, in order; the piece after the last delimiter is
// always included ("a:" gives "a" and "").
std::vector<SkinUI::CUIString> SplitUIString(const SkinUI::CUIString& text, const SkinUI::CUIString& delimiter);

// What one paint of a text item draws with.
struct TextItemStyle {
    int size = 0;  // pixels
    int fontStyle = 0;
    int angle = 0;
    int alpha = 255;
    std::wstring family;
    int64_t textColor = 0;
    int64_t boxColor = 0;
    bool boxOn = false;
    int64_t strokeColor = 0;
    bool strokeOn = false;
    int64_t shadowColor = 0;
    bool shadowOn = false;
};

class CWaterTextUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
    void PaintText(HDC hDC) override;

    void SetItemText(const SkinUI::CUIString& text) { m_sItemText = text; }
    const SkinUI::CUIString& GetItemText() const { return m_sItemText; }
    void SetImagePath(const SkinUI::CUIString& path) { m_sImagePath = path; }
    // Measures, fits (when pending), draws, and renders the PNG (when pending). False only when a
    // pending render could not write its file.
    bool RenderItem(HDC hDC);
    // Resizes the item for `text` about its horizontal centre.
    void FitToText(const SkinUI::CUIString& text);
    // The record named like the item, else the watermark defaults.
    TextItemStyle CurrentStyle() const;
    const Gdiplus::RectF& GetMeasuredBox() const { return m_rcMeasured; }

    bool m_bFitPending { false };
    bool m_bRenderPending { false };

private:
    RECT FittedRect(const Gdiplus::RectF& box, const TextItemStyle& style) const;
    void DrawLayers(Gdiplus::Graphics& g, const TextItemStyle& style, const Gdiplus::Font& font) const;
    bool RenderToFile(const TextItemStyle& style, const Gdiplus::Font& font) const;

    Gdiplus::RectF m_rcMeasured;
    SkinUI::CUIString m_sItemText;
    SkinUI::CUIString m_sImagePath;
    Gdiplus::PointF m_ptOrigin;
    bool m_bDragging { false };
    POINT m_ptPress {};
    RECT m_rcDrag {};
};

// The font of a style: its family at its size in pixels with its style bits.
std::unique_ptr<Gdiplus::Font> MakeTextItemFont(const TextItemStyle& style);
