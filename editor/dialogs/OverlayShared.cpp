#include "editor/dialogs/OverlayShared.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/WinBase.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

RECT TextLayerRectangle {};
HWND TextLayerWindowHandle = nullptr;
HWND OverlayWindowHandle = nullptr;
uint8_t PictureRecenterFlag = 1;
Gdiplus::RectF MeasuredWatermarkText;

int FindImageEncoderClsid(const wchar_t* mime, CLSID* clsid)
{
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0)
        return -1;
    std::vector<unsigned char> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return -1;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType != nullptr && ::wcscmp(encoders[i].MimeType, mime) == 0) {
            *clsid = encoders[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

float SinOfTilt(int angle)
{
    constexpr float kPi = 3.1415925f;
    const int tilt = angle <= 180 ? angle : 360 - angle;
    return std::sin(static_cast<float>(tilt) * kPi / 180.0f);
}

Gdiplus::RectF MeasureOverlayText(const std::wstring& text, const Gdiplus::Font& font)
{
    Gdiplus::Bitmap surface(1, 1);
    Gdiplus::Graphics g(&surface);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::RectF box;
    g.MeasureString(text.c_str(), -1, &font, Gdiplus::PointF(0, 0), &box);
    return box;
}

void UseOverlayQuality(Gdiplus::Graphics& g)
{
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
}

void RotateAbout(Gdiplus::Graphics& g, int cx, int cy, int angle)
{
    g.TranslateTransform(static_cast<Gdiplus::REAL>(cx), static_cast<Gdiplus::REAL>(cy));
    g.RotateTransform(static_cast<Gdiplus::REAL>(angle));
    g.TranslateTransform(static_cast<Gdiplus::REAL>(-cx), static_cast<Gdiplus::REAL>(-cy));
}

bool SaveOverlayPng(Gdiplus::Bitmap& bitmap, const std::wstring& path)
{
    ::DeleteFileW(path.c_str());
    CLSID png {};
    if (path.empty() || FindImageEncoderClsid(L"image/png", &png) < 0)
        return false;
    if (bitmap.Save(path.c_str(), &png) == Gdiplus::Ok)
        return true;
    ::DeleteFileW(path.c_str());
    return false;
}

OverlayCanvas::OverlayCanvas(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_hDC = m_hBitmap != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
    if (m_hDC == nullptr || bits == nullptr)
        return;
    m_hOld = ::SelectObject(m_hDC, m_hBitmap);
    m_nWidth = width;
    m_nHeight = height;
    m_pBits = static_cast<uint32_t*>(bits);
    std::fill(m_pBits, m_pBits + static_cast<size_t>(width) * height, 0u);
}

OverlayCanvas::~OverlayCanvas()
{
    if (m_hDC != nullptr) {
        if (m_hOld != nullptr)
            ::SelectObject(m_hDC, m_hOld);
        ::DeleteDC(m_hDC);
    }
    if (m_hBitmap != nullptr)
        ::DeleteObject(m_hBitmap);
}

std::unique_ptr<Gdiplus::Bitmap> OverlayCanvas::ToBitmap() const
{
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(m_nWidth, m_nHeight);
    ::GdiFlush();
    const auto straight = [](uint32_t c, uint32_t a) { return static_cast<BYTE>(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
    for (int y = 0; y < m_nHeight; ++y) {
        const uint32_t* row = m_pBits + static_cast<size_t>(y) * m_nWidth;
        for (int x = 0; x < m_nWidth; ++x) {
            const uint32_t p = row[x], a = p >> 24;
            if (a == 0)
                continue;  // the new bitmap is transparent already
            bitmap->SetPixel(x, y, Gdiplus::Color(static_cast<BYTE>(a), straight((p >> 16) & 0xFF, a),
                                                  straight((p >> 8) & 0xFF, a), straight(p & 0xFF, a)));
        }
    }
    return bitmap;
}

