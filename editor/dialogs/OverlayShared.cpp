#include "editor/dialogs/OverlayShared.h"

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

bool RescaleOverlayForDpi(SkinUI::CPaintManagerUI& pm, HWND hwnd, WPARAM wParam, LPARAM lParam, DpiDebounce& last)
{
    constexpr DWORD kDebounceMs = 100;
    const DWORD now = ::GetTickCount();
    if (last.set && now - last.tick < kDebounceMs)
        return false;
    last = { now, true };
    pm.SetDPI(LOWORD(wParam));
    pm.ResetDPIAssets();
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (SkinUI::CControlUI* root = pm.GetRoot())
        root->NeedUpdate();
    return true;
}
