// Image loading (picture bytes from a resource, the skin archive or the disk, decoded once into a
// premultiplied 32-bit DIB section) and hue/saturation/lightness shifts.

#include "ui/core/RenderEngine.h"

#include "platform/GdiPlus.h"
#include "platform/Resource.h"
#include "platform/WinBase.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ResourceManager.h"
#include "ui/core/SkinArchiveItem.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

// A private copy of the decoder, so it cannot clash with another module's.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace SkinUI {

namespace {

using Bytes = std::vector<BYTE>;

// Four times a full-screen picture at 200 %; no skin image comes near it.
constexpr int64_t kMaxImagePixels = 4096 * 4096;

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

// The whole file, or nothing when it is missing, empty or cannot be read completely.
Bytes ReadWholeFile(const wchar_t* path)
{
    HANDLE raw = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return {};
    std::unique_ptr<void, HandleCloser> file(raw);
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(raw, &size) || size.QuadPart <= 0 || size.QuadPart > kMaxSkinItemBytes)
        return {};
    Bytes bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(raw, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return {};
    return bytes;
}

Bytes ReadFromResource(const wchar_t* name, const wchar_t* type, HINSTANCE instance)
{
    HMODULE module = instance ? instance : CPaintManagerUI::GetResourceDll();
    HRSRC resource = ::FindResource(module, name, type);
    if (!resource)
        return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data || size == 0)
        return {};
    return Bytes(data, data + size);
}

// The skin's picture bytes by the resource path and archive settings (not the plain-path fallback).
Bytes ReadFromSkin(const wchar_t* name)
{
    if (CPaintManagerUI::GetResourceZip().IsEmpty())
        return ReadWholeFile(CPaintManagerUI::GetResourcePath() + name);
    Bytes bytes;
    ReadSkinArchiveItem(name, &bytes);
    return bytes;
}

HBITMAP CreateTopDownDib(int width, int height, void** bits)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// ---- hue, saturation, lightness ----

struct Hsl {
    float h = 0, s = 0, l = 0;
};

Hsl RgbToHsl(DWORD colour)
{
    const float r = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
    const float g = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>(colour & 0xFF) / 255.0f;
    const float lo = std::min({ r, g, b }), hi = std::max({ r, g, b });
    Hsl out;
    out.l = (hi + lo) / 2.0f;
    if (hi == lo)
        return out;
    float f = 0, i = 0;
    if (r == lo) {
        f = g - b;
        i = 3;
    } else if (g == lo) {
        f = b - r;
        i = 5;
    } else {
        f = r - g;
        i = 1;
    }
    out.h = i - f / (hi - lo);
    if (out.h >= 6)
        out.h -= 6;
    out.h *= 60.0f;
    out.s = 2 * out.l <= 1 ? (hi - lo) / (hi + lo) : (hi - lo) / (2 - hi - lo);
    return out;
}

float HueChannel(float p, float q, float t)
{
    if (t < 0)
        t += 1;
    else if (t > 1)
        t -= 1;
    if (6 * t < 1)
        return p + (q - p) * 6 * t;
    if (2 * t < 1)
        return q;
    if (3 * t < 2)
        return p + (q - p) * 6 * (2.0f / 3.0f - t);
    return p;
}

DWORD ChannelByte(float value)
{
    return static_cast<DWORD>(std::clamp(value * 255.0f, 0.0f, 255.0f));
}

DWORD HslToRgb(const Hsl& hsl, DWORD alphaFrom)
{
    const float q = 2 * hsl.l < 1 ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
    const float p = 2 * hsl.l - q;
    const float h = hsl.h / 360.0f;
    const DWORD r = ChannelByte(HueChannel(p, q, h + 1.0f / 3.0f));
    const DWORD g = ChannelByte(HueChannel(p, q, h));
    const DWORD b = ChannelByte(HueChannel(p, q, h - 1.0f / 3.0f));
    return (alphaFrom & 0xFF000000) | (r << 16) | (g << 8) | b;
}

DWORD ShiftColour(DWORD colour, short H, short S, short L)
{
    Hsl hsl = RgbToHsl(colour);
    hsl.h += static_cast<float>(H - 180);
    if (hsl.h <= 0)
        hsl.h += 360;
    hsl.s = hsl.s * static_cast<float>(S) / 100.0f;
    hsl.l = hsl.l * static_cast<float>(L) / 100.0f;
    return HslToRgb(hsl, colour);
}

bool IsNeutral(short H, short S, short L)
{
    return H == 180 && S == 100 && L == 100;
}

}  // namespace

// ---- loading ----

TImageInfo* CRenderEngine::LoadImageW(const wchar_t* bitmap, const wchar_t* type, DWORD mask, HINSTANCE instance,
                                      bool* overLimit)
{
    if (!bitmap)
        return nullptr;
    if (type)
        return LoadImageW(STRINGorID(bitmap), type, mask, instance, overLimit);
    const wchar_t* mapped = CResourceManager::GetInstance()->GetImagePath(bitmap);
    const CUIString name = (mapped && *mapped) ? CUIString(mapped) : CUIString(bitmap);
    return LoadImageW(STRINGorID(name.GetData()), nullptr, mask, instance, overLimit);
}

TImageInfo* CRenderEngine::LoadImageW(UINT id, const wchar_t* type, DWORD mask, HINSTANCE instance, bool* overLimit)
{
    return LoadImageW(STRINGorID(id), type, mask, instance, overLimit);
}

TImageInfo* CRenderEngine::LoadImageW(STRINGorID bitmap, const wchar_t* type, DWORD mask, HINSTANCE instance,
                                      bool* overLimit)
{
    const wchar_t* name = bitmap.m_lpstr;
    Bytes bytes;
    if (type)
        bytes = ReadFromResource(name, type, instance);
    // A numeric id names a resource only; it is no file name to fall back on.
    if (IS_INTRESOURCE(name))
        return bytes.empty() ? nullptr : LoadImageFromMemory(bytes.data(), bytes.size(), mask, overLimit);
    if (!type)
        bytes = ReadFromSkin(name);
    if (bytes.empty())
        bytes = ReadWholeFile(name);
    if (bytes.empty())
        return nullptr;
    return LoadImageFromMemory(bytes.data(), bytes.size(), mask, overLimit);
}

TImageInfo* CRenderEngine::LoadImageFromMemory(const BYTE* data, size_t size, DWORD mask, bool* overLimit)
{
    if (!data || size == 0 || size > INT_MAX)
        return nullptr;
    int width = 0, height = 0, channels = 0;
    // A tiny file can declare a picture of gigabytes; its size is checked before it is decoded.
    if (!stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels))
        return nullptr;
    if (static_cast<int64_t>(width) * height > kMaxImagePixels) {
        std::fprintf(stderr, "SkinUI image: %dx%d pixels is over the limit of %lld, not loaded\n", width, height,
                     static_cast<long long>(kMaxImagePixels));
        if (overLimit)
            *overLimit = true;
        return nullptr;
    }
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4));
    if (!pixels || width <= 0 || height <= 0)
        return nullptr;
    void* bits = nullptr;
    HBITMAP hBitmap = CreateTopDownDib(width, height, &bits);
    if (!hBitmap || !bits) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        return nullptr;
    }
    bool hasAlpha = false;
    const stbi_uc* in = pixels.get();
    BYTE* out = static_cast<BYTE*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i, in += 4, out += 4) {
        const BYTE a = in[3];
        out[3] = a;
        if (a == 255) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        } else {
            out[0] = static_cast<BYTE>(in[2] * a / 255);
            out[1] = static_cast<BYTE>(in[1] * a / 255);
            out[2] = static_cast<BYTE>(in[0] * a / 255);
            hasAlpha = true;
        }
        const DWORD value = DWORD(out[0]) | (DWORD(out[1]) << 8) | (DWORD(out[2]) << 16) | (DWORD(out[3]) << 24);
        if (value == mask) {
            out[0] = out[1] = out[2] = out[3] = 0;
            hasAlpha = true;
        }
    }
    auto* info = new (std::nothrow) TImageInfo;
    if (!info) {
        ::DeleteObject(hBitmap);
        return nullptr;
    }
    info->hBitmap = hBitmap;
    info->nX = width;
    info->nY = height;
    info->bAlpha = hasAlpha;
    return info;
}

// Bilinear, on the premultiplied pixels, so translucent edges keep their colour.
TImageInfo* CRenderEngine::ResizeImage(const TImageInfo* source, int width, int height)
{
    if (!source || !source->hBitmap || source->nX <= 0 || source->nY <= 0 || width <= 0 || height <= 0)
        return nullptr;
    if (static_cast<int64_t>(width) * height > kMaxImagePixels)
        return nullptr;
    const int sw = source->nX, sh = source->nY;
    const LONG inBytes = static_cast<LONG>(static_cast<size_t>(sw) * static_cast<size_t>(sh) * 4);
    Bytes in(static_cast<size_t>(inBytes));
    if (::GetBitmapBits(source->hBitmap, inBytes, in.data()) != inBytes)
        return nullptr;
    void* bits = nullptr;
    HBITMAP hBitmap = CreateTopDownDib(width, height, &bits);
    if (!hBitmap || !bits) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        return nullptr;
    }
    // Pixel centres map onto pixel centres; samples past the edge repeat the edge.
    const auto sample = [](int out, int outSize, int inSize, int& lo, int& hi, float& weight) {
        const float at = std::clamp((out + 0.5f) * inSize / outSize - 0.5f, 0.0f, static_cast<float>(inSize - 1));
        lo = static_cast<int>(at);
        hi = std::min(lo + 1, inSize - 1);
        weight = at - static_cast<float>(lo);
    };
    BYTE* out = static_cast<BYTE*>(bits);
    for (int y = 0; y < height; ++y) {
        int y0 = 0, y1 = 0;
        float wy = 0;
        sample(y, height, sh, y0, y1, wy);
        for (int x = 0; x < width; ++x, out += 4) {
            int x0 = 0, x1 = 0;
            float wx = 0;
            sample(x, width, sw, x0, x1, wx);
            const BYTE* p00 = &in[(static_cast<size_t>(y0) * sw + x0) * 4];
            const BYTE* p01 = &in[(static_cast<size_t>(y0) * sw + x1) * 4];
            const BYTE* p10 = &in[(static_cast<size_t>(y1) * sw + x0) * 4];
            const BYTE* p11 = &in[(static_cast<size_t>(y1) * sw + x1) * 4];
            for (int c = 0; c < 4; ++c) {
                const float top = p00[c] + (p01[c] - p00[c]) * wx;
                const float bottom = p10[c] + (p11[c] - p10[c]) * wx;
                out[c] = static_cast<BYTE>(top + (bottom - top) * wy + 0.5f);
            }
        }
    }
    auto* info = new (std::nothrow) TImageInfo;
    if (!info) {
        ::DeleteObject(hBitmap);
        return nullptr;
    }
    info->hBitmap = hBitmap;
    info->nX = width;
    info->nY = height;
    info->bAlpha = source->bAlpha;
    return info;
}

void CRenderEngine::FreeImage(TImageInfo* bitmap, bool bDelete)
{
    if (!bitmap)
        return;
    if (bitmap->hBitmap)
        ::DeleteObject(bitmap->hBitmap);
    bitmap->hBitmap = nullptr;
    delete[] bitmap->pBits;
    bitmap->pBits = nullptr;
    delete[] bitmap->pSrcBits;
    bitmap->pSrcBits = nullptr;
    if (bDelete)
        delete bitmap;
}

Gdiplus::Image* CRenderEngine::GdiplusLoadImage(const wchar_t* pstrPath)
{
    if (!pstrPath)
        return nullptr;
    Bytes bytes = ReadFromSkin(pstrPath);
    if (bytes.empty())
        bytes = ReadWholeFile(pstrPath);
    if (bytes.empty())
        return nullptr;
    return GdiplusLoadImage(bytes.data(), static_cast<DWORD>(bytes.size()));
}

Gdiplus::Image* CRenderEngine::GdiplusLoadImage(const void* pMemory, DWORD size)
{
    if (!pMemory || size == 0)
        return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(pMemory), size);
    if (!stream)
        return nullptr;
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream, FALSE);
    stream->Release();  // the image has read what it needs
    if (image && image->GetLastStatus() == Gdiplus::Ok)
        return image;
    delete image;
    return nullptr;
}

// ---- hue, saturation, lightness ----

DWORD CRenderEngine::AdjustColor(DWORD dwColor, short H, short S, short L)
{
    if (IsNeutral(H, S, L))
        return dwColor;
    return ShiftColour(dwColor, H, S, L);
}

// Recomputes the pixel bits from the source bits and writes them into the bitmap, so the next
// paint shows the shift. The pixel buffer is made on first use.
void CRenderEngine::AdjustImage(bool bUseHSL, TImageInfo* imageInfo, short H, short S, short L)
{
    if (!imageInfo || !imageInfo->bUseHSL || !imageInfo->hBitmap || !imageInfo->pSrcBits)
        return;
    if (imageInfo->nX <= 0 || imageInfo->nY <= 0)
        return;
    const size_t count = static_cast<size_t>(imageInfo->nX) * static_cast<size_t>(imageInfo->nY);
    if (!imageInfo->pBits) {
        imageInfo->pBits = new (std::nothrow) BYTE[count * 4];
        if (!imageInfo->pBits)
            return;
    }
    if (!bUseHSL || IsNeutral(H, S, L)) {
        memcpy(imageInfo->pBits, imageInfo->pSrcBits, count * 4);
    } else {
        const BYTE* in = imageInfo->pSrcBits;
        BYTE* out = imageInfo->pBits;
        for (size_t i = 0; i < count; ++i, in += 4, out += 4) {
            DWORD value = 0;
            memcpy(&value, in, 4);
            value = ShiftColour(value, H, S, L);
            memcpy(out, &value, 4);
        }
    }
    ::SetBitmapBits(imageInfo->hBitmap, static_cast<DWORD>(count * 4), imageInfo->pBits);
}

}  // namespace SkinUI
