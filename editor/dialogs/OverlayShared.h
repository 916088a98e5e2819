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
#include <memory>
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

// Half the height of the box a text of `width` needs when turned by `angle` at font size `size`:
// the box a turn fits the text to, and the least a drag may leave it.
inline int TiltedTextHalfHeight(float width, int angle, int size)
{
    return RaisedToEven(static_cast<int>(static_cast<int>(width / 2 * SinOfTilt(angle)) + size * 1.5));
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

// A memory device context with a zeroed (transparent), top-down 32-bit DIB selected: a surface
// that the overlay drawings paint on exactly as they paint on screen, read back as a bitmap.
class OverlayCanvas {
public:
    OverlayCanvas(int width, int height);
    ~OverlayCanvas();
    OverlayCanvas(const OverlayCanvas&) = delete;
    OverlayCanvas& operator=(const OverlayCanvas&) = delete;

    bool IsValid() const { return m_pBits != nullptr; }
    HDC Dc() const { return m_hDC; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // The pixels with straight (not premultiplied) alpha, ready to save.
    std::unique_ptr<Gdiplus::Bitmap> ToBitmap() const;

private:
    HDC m_hDC { nullptr };
    HBITMAP m_hBitmap { nullptr };
    HGDIOBJ m_hOld { nullptr };
    uint32_t* m_pBits { nullptr };
    int m_nWidth { 0 };
    int m_nHeight { 0 };
};
