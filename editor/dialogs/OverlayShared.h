#pragma once
// What the watermark items, the text items and their windows share: the process-wide values of
// the watermark editor, the tilted-angle rule of their drawings, text measuring that needs no
// earlier paint, and the one way they write a PNG file.
//
// Rules: UI thread only. Measuring uses a surface of its own, never a paint context kept from an
// earlier paint (the paint manager replaces its offscreen context at every relayout). A PNG is
// written whole or not at all: the target is removed first, so a failed save never leaves an
// older file under the name that an export will read.

#include <cstdint>
#include <string>

#include "platform/GdiPlus.h"
#include "platform/WinUser.h"

extern RECT TextLayerRectangle;              // the text layer window's screen rectangle
extern HWND TextLayerWindowHandle;
extern HWND OverlayWindowHandle;             // the watermark overlay window
extern uint8_t PictureRecenterFlag;          // the overlay's ScalePictureItem takes a new centre
extern Gdiplus::RectF MeasuredWatermarkText;  // the watermark text as last measured

// The index of the first image encoder whose MIME type is `mime`, with its class id; -1 when none.
int FindImageEncoderClsid(const wchar_t* mime, CLSID* clsid);

// Angles 0 and 360 are upright; others tilt by θ' = θ up to 180, else 360 - θ.
inline bool IsUprightAngle(int angle)
{
    return angle == 0 || angle == 360;
}
float SinOfTilt(int angle);
// An int made even by raising an odd one by 1.
inline int RaisedToEven(int v)
{
    return (v % 2 != 0) ? v + 1 : v;
}

// The box of `text` in `font` from origin (0, 0), as a paint measures it.
Gdiplus::RectF MeasureOverlayText(const std::wstring& text, const Gdiplus::Font& font);

// 0x00RRGGBB with the given alpha.
inline Gdiplus::Color OverlayColor(uint8_t alpha, int64_t rgb)
{
    return Gdiplus::Color(alpha, static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb));
}

// The rendering settings every overlay drawing uses, and the rotation of the world about a centre.
void UseOverlayQuality(Gdiplus::Graphics& g);
void RotateAbout(Gdiplus::Graphics& g, int cx, int cy, int angle);

// Writes the bitmap as a PNG at `path`; false (and no file there) when it cannot.
bool SaveOverlayPng(Gdiplus::Bitmap& bitmap, const std::wstring& path);

namespace SkinUI {
class CPaintManagerUI;
}
// The editor's common answer to WM_DPICHANGED for an overlay window: unless the same window class
// rescaled less than 100 ms ago (`lastTick`, per class), take the new DPI, reset the DPI assets,
// move to the suggested rectangle when there is one and lay out again. True when it rescaled.
struct DpiDebounce {
    DWORD tick = 0;
    bool set = false;
};
bool RescaleOverlayForDpi(SkinUI::CPaintManagerUI& pm, HWND hwnd, WPARAM wParam, LPARAM lParam, DpiDebounce& last);
