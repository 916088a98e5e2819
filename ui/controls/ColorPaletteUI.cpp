#include "ui/controls/ColorPaletteUI.h"

#include "platform/ScopedDCState.h"
#include "ui/controls/ButtonUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"

#include <algorithm>
#include <string>

namespace SkinUI {

namespace {

const CControlRegistration kColorPalette(L"CColorPaletteUI", &CColorPaletteUI::CreateControl);

constexpr int kBitmapWidth = 400;
constexpr int kBitmapHeight = 360;
constexpr int kFieldColumns = 360;
constexpr int kFieldRows = 200;
constexpr int kBarColumns = 200;
constexpr int kBarTop = 210;
constexpr int kMaxBarHeight = 150;
constexpr int kThumbSize = 8;
constexpr float kThird = 0.33333334f;
constexpr float kTwoThirds = 0.6666667f;

float HueToChannel(float p, float q, float t)
{
    if (t < 0.0f)
        t += 1.0f;
    if (t > 1.0f)
        t -= 1.0f;
    if (6.0f * t < 1.0f)
        return p + (q - p) * 6.0f * t;
    if (2.0f * t < 1.0f)
        return q;
    if (3.0f * t < 2.0f)
        return p + (q - p) * (kTwoThirds - t) * 6.0f;
    return p;
}

DWORD Pack(int red, int green, int blue)
{
    return (static_cast<DWORD>(red) << 16) | (static_cast<DWORD>(green) << 8) | static_cast<DWORD>(blue);
}

}  // namespace

DWORD HslToRgb(float h, float s, float l)
{
    if (s == 0.0f) {
        const int grey = static_cast<int>(l * 255.0f);
        return Pack(grey, grey, grey);
    }
    const float q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    return Pack(static_cast<int>(HueToChannel(p, q, h + kThird) * 255.0f),
                static_cast<int>(HueToChannel(p, q, h) * 255.0f),
                static_cast<int>(HueToChannel(p, q, h - kThird) * 255.0f));
}

void RgbToHsl(DWORD rgb, int& hue, int& saturation, int& lightness)
{
    const float r = static_cast<float>((rgb >> 16) & 0xFF) / 255.0f;
    const float g = static_cast<float>((rgb >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>(rgb & 0xFF) / 255.0f;
    const float high = std::max({ r, g, b }), low = std::min({ r, g, b });
    const float d = high - low;
    const float l = (high + low) / 2.0f;
    float h = 0.0f, s = 0.0f;
    if (d != 0.0f) {
        s = l < 0.5f ? d / (high + low) : d / (2.0f - high - low);
        const float dR = ((high - r) / 6.0f + d / 2.0f) / d;
        const float dG = ((high - g) / 6.0f + d / 2.0f) / d;
        const float dB = ((high - b) / 6.0f + d / 2.0f) / d;
        if (r == high)
            h = dB - dG;
        else if (g == high)
            h = kThird + dR - dB;
        else
            h = kTwoThirds + dG - dR;
        if (h < 0.0f)
            h += 1.0f;
        if (h > 1.0f)
            h -= 1.0f;
    }
    hue = static_cast<int>(h * 360.0f);
    saturation = static_cast<int>(s * 200.0f);
    lightness = static_cast<int>(l * 200.0f);
}

CColorPaletteUI::~CColorPaletteUI()
{
    if (m_hMemDc != nullptr) {
        ::SelectObject(m_hMemDc, m_hOldBitmap);
        ::DeleteDC(m_hMemDc);
    }
    if (m_hBitmap != nullptr)
        ::DeleteObject(m_hBitmap);
}

CControlUI* CColorPaletteUI::CreateControl()
{
    return new CColorPaletteUI();
}

const wchar_t* CColorPaletteUI::GetClass() const
{
    return L"ColorPaletteUI";
}

void* CColorPaletteUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wstring(pstrName) == L"ColorPalette")
        return this;
    return CControlUI::GetInterface(pstrName);
}

int CColorPaletteUI::ScaledPalletHeight() const
{
    return ScaleValue(m_nPalletHeight);
}

int CColorPaletteUI::ScaledBarHeight() const
{
    return ScaleValue(m_nBarHeight);
}

DWORD CColorPaletteUI::GetSelectColor() const
{
    return 0xFF000000 | HslToRgb(static_cast<float>(m_nCurH) / 360.0f, static_cast<float>(m_nCurS) / 200.0f,
                                 static_cast<float>(m_nCurL) / 200.0f);
}

void CColorPaletteUI::SetSelectColor(DWORD dwColor)
{
    RgbToHsl(dwColor & 0x00FFFFFF, m_nCurH, m_nCurS, m_nCurL);
    UpdatePalletData();
    NeedUpdate();
}

void CColorPaletteUI::SetBarHeight(int nHeight)
{
    m_nBarHeight = std::min(nHeight, kMaxBarHeight);
}

void CColorPaletteUI::SetThumbImage(const wchar_t* pszImage)
{
    if (m_strThumbImage == pszImage)
        return;
    m_strThumbImage = pszImage;
    NeedUpdate();
}

void CColorPaletteUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const int width = m_rcItem.right - m_rcItem.left;
    m_ptLastPalletMouse.x = m_rcItem.left + width * m_nCurH / 360;
    m_ptLastPalletMouse.y = m_rcItem.top + (200 - m_nCurL) * ScaledPalletHeight() / 200;
    UpdatePalletData();
    UpdateBarData();
}

void CColorPaletteUI::DoInit()
{
    if (m_pManager == nullptr || m_hBitmap != nullptr)
        return;
    m_hMemDc = ::CreateCompatibleDC(m_pManager->GetPaintDC());
    m_hBitmap = ::CreateCompatibleBitmap(m_pManager->GetPaintDC(), kBitmapWidth, kBitmapHeight);
    if (m_hMemDc == nullptr || m_hBitmap == nullptr)
        return;
    m_hOldBitmap = ::SelectObject(m_hMemDc, m_hBitmap);
    ::GetObject(m_hBitmap, sizeof(m_bmInfo), &m_bmInfo);
    m_pBits.assign(static_cast<size_t>(m_bmInfo.bmWidthBytes) * static_cast<size_t>(m_bmInfo.bmHeight), 0);
    ::GetBitmapBits(m_hBitmap, static_cast<LONG>(m_pBits.size()), m_pBits.data());
    UpdatePalletData();
    UpdateBarData();
}

void CColorPaletteUI::WritePixel(int row, int column, DWORD rgb)
{
    if (rgb == 0)
        rgb = Pack(1, 0, 0);  // pure black is written as red 1
    const size_t at = static_cast<size_t>(row) * static_cast<size_t>(m_bmInfo.bmWidthBytes)
                      + static_cast<size_t>(column) * m_bmInfo.bmBitsPixel / 8;
    if (at + 2 >= m_pBits.size())
        return;
    m_pBits[at] = static_cast<BYTE>(rgb & 0xFF);
    m_pBits[at + 1] = static_cast<BYTE>((rgb >> 8) & 0xFF);
    m_pBits[at + 2] = static_cast<BYTE>((rgb >> 16) & 0xFF);
}

void CColorPaletteUI::PushBits()
{
    ::SetBitmapBits(m_hBitmap, static_cast<DWORD>(m_pBits.size()), m_pBits.data());
}

void CColorPaletteUI::UpdatePalletData()
{
    if (!HasBuffer())
        return;
    const float s = static_cast<float>(m_nCurS) / 200.0f;
    for (int row = kFieldRows; row >= 1; --row) {
        const float l = static_cast<float>(kFieldRows - row) / 200.0f;
        for (int column = 0; column < kFieldColumns; ++column)
            WritePixel(row, column, HslToRgb(static_cast<float>(column) / 360.0f, s, l));
    }
    PushBits();
}

void CColorPaletteUI::UpdateBarData()
{
    if (!HasBuffer())
        return;
    const float h = static_cast<float>(m_nCurH) / 360.0f, l = static_cast<float>(m_nCurL) / 200.0f;
    for (int row = kBarTop; row < kBarTop + m_nBarHeight; ++row)
        for (int column = 0; column < kBarColumns; ++column)
            WritePixel(row, column, HslToRgb(h, static_cast<float>(column) / 200.0f, l));
    PushBits();
}

void CColorPaletteUI::PaintBkColor(HDC hDC)
{
    PaintPallet(hDC);
}

void CColorPaletteUI::PaintPallet(HDC hDC)
{
    if (!HasBuffer())
        return;
    ScopedDCState saved(hDC);
    ::SetStretchBltMode(hDC, HALFTONE);
    const int width = m_rcItem.right - m_rcItem.left;
    const int barHeight = ScaledBarHeight();
    ::StretchBlt(hDC, m_rcItem.left, m_rcItem.top, width, ScaledPalletHeight(), m_hMemDc, 0, 1, kFieldColumns,
                 kFieldRows, SRCCOPY);
    ::StretchBlt(hDC, m_rcItem.left, m_rcItem.bottom - barHeight, width, barHeight, m_hMemDc, 0, kBarTop, kBarColumns,
                 m_nBarHeight, SRCCOPY);
    if (!m_strThumbImage.IsEmpty()) {
        const POINT barThumb { m_rcItem.left + width * m_nCurS / 200, m_rcItem.bottom - barHeight / 2 };
        for (const POINT& centre : { m_ptLastPalletMouse, barThumb }) {
            // The destination is given relative to the control, in skin units.
            CDPI* dpi = m_pManager->GetDPIObj();
            const int half = kThumbSize / 2;
            const int x = dpi->ScaleBack(centre.x - m_rcItem.left), y = dpi->ScaleBack(centre.y - m_rcItem.top);
            const std::wstring modify = L"dest='" + std::to_wstring(x - half) + L"," + std::to_wstring(y - half) + L","
                                        + std::to_wstring(x + half) + L"," + std::to_wstring(y + half) + L"'";
            DrawImage(hDC, m_strThumbImage.GetData(), modify.c_str());
        }
    }
}

void CColorPaletteUI::PickInField(POINT pt)
{
    const int width = std::max(1, static_cast<int>(m_rcItem.right - m_rcItem.left));
    const int height = std::max(1, ScaledPalletHeight());
    m_nCurH = std::clamp(static_cast<int>((pt.x - m_rcItem.left) * 360 / width), 0, 360);
    m_nCurL = 200 - std::clamp(static_cast<int>((pt.y - m_rcItem.top) * 200 / height), 0, 200);
    m_ptLastPalletMouse.x = std::clamp(pt.x, m_rcItem.left, m_rcItem.right);
    m_ptLastPalletMouse.y = std::clamp(pt.y, m_rcItem.top, m_rcItem.top + height);
}

void CColorPaletteUI::DoEvent(TEventUI& event)
{
    CControlUI::DoEvent(event);
    const POINT pt = event.ptMouse;
    const int width = std::max(1, static_cast<int>(m_rcItem.right - m_rcItem.left));
    const int palletHeight = ScaledPalletHeight(), barHeight = ScaledBarHeight();
    switch (event.Type) {
    case UiEventButtonDown:
        if (pt.x >= m_rcItem.left && pt.x < m_rcItem.right && pt.y >= m_rcItem.top && pt.y < m_rcItem.top + palletHeight) {
            PickInField(pt);
            m_uButtonState |= ButtonStatePushed;
            m_bIsInPallet = true;
            m_bIsInBar = false;
            UpdateBarData();
        }
        if (pt.x >= m_rcItem.left && pt.x < m_rcItem.right && pt.y >= m_rcItem.bottom - barHeight && pt.y < m_rcItem.bottom) {
            m_bIsInBar = true;
            m_bIsInPallet = false;
            m_uButtonState |= ButtonStatePushed;
            m_nCurS = (pt.x - m_rcItem.left) * 200 / width;
            UpdatePalletData();
        }
        Invalidate();
        return;
    case UiEventButtonUp:
        if (IsEnabled() && m_pManager != nullptr)
            m_pManager->SendNotify(this, L"colorchanged", GetSelectColor(), 0);
        m_uButtonState &= ~ButtonStatePushed;
        m_bIsInPallet = m_bIsInBar = false;
        Invalidate();
        return;
    case UiEventMouseMove:
        if (!(m_uButtonState & ButtonStatePushed))
            m_bIsInPallet = m_bIsInBar = false;
        if (m_bIsInPallet) {
            const int dx = pt.x - m_rcItem.left, dy = pt.y - m_rcItem.top;
            if (dx >= 0 && dy >= 0 && dx <= m_rcItem.right && dy <= m_rcItem.top + palletHeight) {
                PickInField(pt);
                UpdateBarData();
            }
        } else if (m_bIsInBar) {
            m_nCurS = std::clamp(static_cast<int>((pt.x - m_rcItem.left) * 200 / width), 0, 200);
            UpdatePalletData();
        }
        Invalidate();
        return;
    default:
        return;
    }
}

void CColorPaletteUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    const std::wstring name = pstrName;
    if (name == L"palletheight")
        SetPalletHeight(ReadInt(pstrValue));
    else if (name == L"barheight")
        SetBarHeight(ReadInt(pstrValue));
    else if (name == L"thumbimage")
        SetThumbImage(pstrValue);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace SkinUI
