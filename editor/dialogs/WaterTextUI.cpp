#include "editor/dialogs/WaterTextUI.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/core/PaintManagerUI.h"

namespace {

constexpr int kJumpLimit = 1000;
constexpr uint8_t kShadowAlpha = 100;

const TextItem* FindRecord(const SkinUI::CUIString& name)
{
    if (MainWindowPointer == nullptr)
        return nullptr;
    for (const TextItem& item : MainWindowPointer->m_vecTextItems) {
        if (name == item.name.c_str())
            return &item;
    }
    return nullptr;
}

// The layer's rectangle in its own client coordinates.
RECT LayerClientRect()
{
    return { 0, 0, TextLayerRectangle.right - TextLayerRectangle.left,
             TextLayerRectangle.bottom - TextLayerRectangle.top };
}

// The rectangle slid onto the layer, its size kept: it stops at the layer's edges, and one wider
// or higher than the layer starts at the layer's left or top edge. Pinning reads a negative left
// or top as a distance from the far edge, so an item must never keep one.
RECT KeptOnLayer(RECT rc)
{
    const RECT layer = LayerClientRect();
    if (layer.right <= 0 || layer.bottom <= 0)
        return rc;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const int left = std::max<int>(layer.left, std::min<int>(rc.left, layer.right - w));
    const int top = std::max<int>(layer.top, std::min<int>(rc.top, layer.bottom - h));
    ::OffsetRect(&rc, left - rc.left, top - rc.top);
    return rc;
}

}  // namespace

std::vector<SkinUI::CUIString> SplitUIString(const SkinUI::CUIString& text, const SkinUI::CUIString& delimiter)
{
    std::vector<SkinUI::CUIString> pieces;
    const int step = delimiter.GetLength();
    if (step == 0) {
        pieces.push_back(text);
        return pieces;
    }
    int start = 0;
    for (int at = text.Find(delimiter.GetData(), start); at >= 0; at = text.Find(delimiter.GetData(), start)) {
        pieces.push_back(text.Mid(start, at - start));
        start = at + step;
    }
    pieces.push_back(text.Mid(start));
    return pieces;
}

std::unique_ptr<Gdiplus::Font> MakeTextItemFont(const TextItemStyle& style)
{
    return std::make_unique<Gdiplus::Font>(style.family.c_str(), static_cast<Gdiplus::REAL>(style.size),
                                           style.fontStyle, Gdiplus::UnitPixel);
}

const wchar_t* CWaterTextUI::GetClass() const
{
    return L"WndButtonUI";
}

void* CWaterTextUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && ::wcscmp(pstrName, L"WaterText") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

TextItemStyle CWaterTextUI::CurrentStyle() const
{
    TextItemStyle style;
    if (const TextItem* record = FindRecord(GetName())) {
        style.size = static_cast<int>(std::wcstol(record->sizeText.c_str(), nullptr, 10));
        style.fontStyle = record->fontStyle;
        style.angle = record->angle;
        style.alpha = record->alpha;
        style.family = record->font;
        style.textColor = record->color;
        style.boxColor = record->borderColor;
        style.boxOn = record->borderOn != 0;
        style.strokeColor = record->strokeColor;
        style.strokeOn = record->strokeOn != 0;
        style.shadowColor = record->shadowColor;
        style.shadowOn = record->shadowOn != 0;
        return style;
    }
    const WatermarkStyle& w = WatermarkSettings;
    style.size = w.size;
    style.fontStyle = w.fontStyle;
    style.angle = w.textAngle;
    style.alpha = w.textAlpha;
    style.family = w.font.GetData();
    style.textColor = w.textColor;
    style.boxColor = w.boxColor;
    style.boxOn = w.boxOn != 0;
    style.strokeColor = w.strokeColor;
    style.strokeOn = w.strokeOn != 0;
    style.shadowColor = w.shadowColor;
    style.shadowOn = w.shadowOn != 0;
    return style;
}

// The item's rectangle fitted to a text box: as wide as the text plus a third of the size, and
// high enough for the text at the style's angle, about the item's vertical centre.
RECT CWaterTextUI::FittedRect(const Gdiplus::RectF& box, const TextItemStyle& style) const
{
    const RECT& rc = m_rcItem;
    const int s = style.size;
    const int cy = (rc.bottom - rc.top) / 2 + rc.top;
    const int right = static_cast<int>(rc.left + box.Width + s / 3);
    if (IsUprightAngle(style.angle))
        return { rc.left, cy - s / 2 - s / 3, right, cy + s / 2 + s / 3 };
    const int d = RaisedToEven(static_cast<int>(box.Width / 2 * SinOfTilt(style.angle) + s));
    return { rc.left, cy - d, right, cy + d };
}

void CWaterTextUI::PaintText(HDC hDC)
{
    RenderItem(hDC);
    CButtonUI::PaintText(hDC);
}

bool CWaterTextUI::RenderItem(HDC hDC)
{
    const TextItemStyle style = CurrentStyle();
    const std::unique_ptr<Gdiplus::Font> font = MakeTextItemFont(style);
    m_rcMeasured = MeasureOverlayText(m_sItemText.GetData(), *font);
    if (m_bFitPending) {
        SetPos(KeptOnLayer(FittedRect(m_rcMeasured, style)));
        m_bFitPending = false;
    }
    const RECT& rc = m_rcItem;
    m_ptOrigin = { rc.left + (rc.right - rc.left - m_rcMeasured.Width) / 2,
                   rc.top + (rc.bottom - rc.top - m_rcMeasured.Height) / 2 };
    if (hDC != nullptr) {
        Gdiplus::Graphics g(hDC);
        DrawLayers(g, style, *font);
    }
    if (!m_bRenderPending)
        return true;
    m_bRenderPending = false;
    return RenderToFile(style, *font);
}

void CWaterTextUI::DrawLayers(Gdiplus::Graphics& g, const TextItemStyle& style, const Gdiplus::Font& font) const
{
    const RECT& rc = m_rcItem;
    UseOverlayQuality(g);
    RotateAbout(g, (rc.right - rc.left) / 2 + rc.left, (rc.bottom - rc.top) / 2 + rc.top, style.angle);
    const auto alpha = static_cast<uint8_t>(style.alpha);
    const wchar_t* text = m_sItemText.GetData();
    const float W = m_rcMeasured.Width, H = m_rcMeasured.Height;
    if (style.boxOn && !m_sItemText.IsEmpty()) {
        const int cy = (rc.bottom - rc.top) / 2 + rc.top;
        Gdiplus::SolidBrush box(OverlayColor(alpha, style.boxColor));
        g.FillRectangle(&box, static_cast<INT>(rc.left + 4), static_cast<INT>(cy - H / 2), static_cast<INT>(W),
                        static_cast<INT>(H));
    }
    if (style.shadowOn) {
        const float shift = static_cast<float>(style.size / 3);
        Gdiplus::SolidBrush shadow(OverlayColor(kShadowAlpha, style.shadowColor));
        g.DrawString(text, -1, &font, Gdiplus::PointF(m_ptOrigin.X + shift, m_ptOrigin.Y + shift), &shadow);
    }
    if (style.strokeOn) {
        Gdiplus::SolidBrush stroke(OverlayColor(alpha, style.strokeColor));
        g.DrawString(text, -1, &font, Gdiplus::PointF(m_ptOrigin.X + 1, m_ptOrigin.Y), &stroke);
    }
    Gdiplus::SolidBrush brush(OverlayColor(alpha, style.textColor));
    g.DrawString(text, -1, &font, m_ptOrigin, &brush);
}

bool CWaterTextUI::RenderToFile(const TextItemStyle& style, const Gdiplus::Font& font) const
{
    const RECT layer = LayerClientRect();
    if (layer.right <= 0 || layer.bottom <= 0) {
        ::DeleteFileW(m_sImagePath.GetData());
        return false;
    }
    Gdiplus::Bitmap canvas(layer.right, layer.bottom);
    {
        Gdiplus::Graphics g(&canvas);
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        DrawLayers(g, style, font);
    }
    return SaveOverlayPng(canvas, m_sImagePath.GetData());
}

void CWaterTextUI::FitToText(const SkinUI::CUIString& text)
{
    const TextItemStyle style = CurrentStyle();
    const std::unique_ptr<Gdiplus::Font> font = MakeTextItemFont(style);
    RECT rc = FittedRect(MeasureOverlayText(text.GetData(), *font), style);
    ::OffsetRect(&rc, -(rc.right - m_rcItem.right) / 2, 0);
    SetPos(KeptOnLayer(rc));
}

void CWaterTextUI::DoEvent(SkinUI::TEventUI& event)
{
    switch (event.Type) {
    case SkinUI::UiEventButtonDown:
    case SkinUI::UiEventDblClick:  // a quick second press is a press too
        if (!::PtInRect(&m_rcItem, event.ptMouse))
            return;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"click");
        m_bDragging = true;
        m_ptPress = event.ptMouse;
        m_rcDrag = m_rcItem;
        return;
    case SkinUI::UiEventMouseMove: {
        if (!m_bDragging)
            return;
        const int dx = event.ptMouse.x - m_ptPress.x, dy = event.ptMouse.y - m_ptPress.y;
        if (std::abs(dx) > kJumpLimit || std::abs(dy) > kJumpLimit) {
            m_bDragging = false;
            return;
        }
        m_ptPress = event.ptMouse;
        RECT candidate = m_rcDrag;
        ::OffsetRect(&candidate, dx, dy);
        candidate = KeptOnLayer(candidate);  // it stops at an edge and slides along it
        SetPos(candidate);
        m_rcDrag = candidate;
        return;
    }
    case SkinUI::UiEventButtonUp:
        // The layer pins positions only before its own changes; pinning the dropped place here
        // too keeps a relayout that was already due from putting the item back where it started.
        if (!::IsRectEmpty(&m_rcDrag)) {
            SkinUI::CUIString pos;
            pos.Format(L"%d,%d,%d,%d", m_rcDrag.left, m_rcDrag.top, m_rcDrag.right, m_rcDrag.bottom);
            SetAttribute(L"pos", pos.GetData());
            SetPos(m_rcDrag);
        }
        m_bDragging = false;
        m_rcDrag = {};
        return;
    case SkinUI::UiEventSetCursor:
        if (IsEnabled())
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    default:
        return;
    }
}
