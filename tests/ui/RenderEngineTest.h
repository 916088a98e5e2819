#pragma once
// Helpers for the render engine's tests, defined in RenderEngineImageTest.cpp: a memory DC over a
// 32-bit DIB whose pixels can be read, pictures encoded as PNG in memory, a host with a fixed
// image table, a scratch folder and a stored zip archive.

#include "platform/Windows.h"
#include "ui/core/RenderEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace rendertest {

// A memory DC with a top-down 32-bit DIB section selected; pixels read as 0xAARRGGBB.
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0xFFFFFFFF);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }
    uint32_t At(int x, int y) const;
    void Fill(uint32_t argb);
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width, m_height;
};

// RGBA pixels, row by row, as stb_image hands them out; encoded to PNG bytes.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<uint32_t>& abgrPixels);
// A pixel as PNG bytes R, G, B, A packed little-endian (what EncodePng takes).
inline uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16) | (uint32_t(a) << 24);
}

// Owns decoded images by name and answers as an ordinary, non-layered window.
class ImageHost : public SkinUI::IRenderHost {
public:
    ~ImageHost() override;
    void Add(const wchar_t* name, SkinUI::TImageInfo* image) { m_images[name] = image; }
    bool layered = false;

    const SkinUI::HtmlFont* GetDefaultFont() override { return nullptr; }
    const SkinUI::HtmlFont* GetFontById(int) override { return nullptr; }
    const SkinUI::HtmlFont* GetFontByStyle(const wchar_t*, int, bool, bool, bool) override { return nullptr; }
    const SkinUI::TImageInfo* GetImage(const wchar_t* name, const wchar_t*, DWORD) override;
    DWORD GetLinkColor() override { return 0xFF0000FF; }
    DWORD GetLinkHoverColor() override { return 0xFFD3215F; }
    DWORD GetSelectedBkColor() override { return 0xFFBAE4FF; }
    POINT GetMousePos() override { return { -1, -1 }; }
    bool IsLayered() override { return layered; }

private:
    std::map<std::wstring, SkinUI::TImageInfo*> m_images;
};

// A fresh folder under the temporary folder, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return m_path; }
    void Write(const std::string& name, const std::vector<unsigned char>& bytes) const;

private:
    std::filesystem::path m_path;
};

// A zip archive with stored (uncompressed) items.
std::vector<unsigned char> StoredZip(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& items);

}  // namespace rendertest
