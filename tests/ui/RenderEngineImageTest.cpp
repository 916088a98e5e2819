#include "RenderEngineTest.h"

#include <cstdlib>
#include <fstream>

#include "platform/Resource.h"
#include "ui/core/PaintManagerUI.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace rendertest {

Canvas::Canvas(int width, int height, uint32_t fill) : m_width(width), m_height(height)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

Canvas::~Canvas()
{
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

uint32_t Canvas::At(int x, int y) const
{
    ::GdiFlush();
    return m_bits[y * m_width + x];
}

void Canvas::Fill(uint32_t argb)
{
    ::GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i)
        m_bits[i] = argb;
}

namespace {

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

uint32_t Crc32(const std::vector<unsigned char>& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put16(std::vector<unsigned char>& out, uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(std::vector<unsigned char>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<unsigned char> EncodePng(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::vector<unsigned char> out;
    stbi_write_png_to_func(AppendBytes, &out, width, height, 4, pixels.data(), width * 4);
    return out;
}

ImageHost::~ImageHost()
{
    for (auto& [name, image] : m_images)
        SkinUI::CRenderEngine::FreeImage(image);
}

const SkinUI::TImageInfo* ImageHost::GetImage(const wchar_t* name, const wchar_t*, DWORD)
{
    const auto found = m_images.find(name);
    return found == m_images.end() ? nullptr : found->second;
}

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "render-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

void ScratchDir::Write(const std::string& name, const std::vector<unsigned char>& bytes) const
{
    std::filesystem::create_directories((m_path / name).parent_path());
    std::ofstream file(m_path / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> StoredZip(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& items)
{
    std::vector<unsigned char> out, directory;
    for (const auto& [name, data] : items) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t crc = Crc32(data), size = static_cast<uint32_t>(data.size());
        Put32(out, 0x04034b50);
        Put16(out, 20), Put16(out, 0), Put16(out, 0), Put16(out, 0), Put16(out, 0x21);
        Put32(out, crc), Put32(out, size), Put32(out, size);
        Put16(out, static_cast<uint32_t>(name.size())), Put16(out, 0);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), data.begin(), data.end());
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 20), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0x21);
        Put32(directory, crc), Put32(directory, size), Put32(directory, size);
        Put16(directory, static_cast<uint32_t>(name.size())), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0), Put32(directory, 0), Put32(directory, offset);
        directory.insert(directory.end(), name.begin(), name.end());
    }
    const uint32_t start = static_cast<uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0);
    Put16(out, static_cast<uint32_t>(items.size())), Put16(out, static_cast<uint32_t>(items.size()));
    Put32(out, static_cast<uint32_t>(directory.size())), Put32(out, start), Put16(out, 0);
    return out;
}

}  // namespace rendertest

// ---- tests ----

namespace {

using namespace rendertest;
using SkinUI::CRenderEngine;
using SkinUI::TImageInfo;

uint32_t PixelOf(const TImageInfo* image, int x, int y)
{
    BITMAP bm {};
    ::GetObject(image->hBitmap, sizeof(bm), &bm);
    return static_cast<const uint32_t*>(bm.bmBits)[y * image->nX + x];
}

TImageInfo* Decode(int width, int height, const std::vector<uint32_t>& pixels, DWORD mask = 0)
{
    const std::vector<unsigned char> png = EncodePng(width, height, pixels);
    return CRenderEngine::LoadImageFromMemory(png.data(), png.size(), mask);
}

// A solid w x h picture of one RGBA pixel value.
TImageInfo* Solid(int width, int height, uint32_t rgba)
{
    return Decode(width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), rgba));
}

}  // namespace

TEST(RenderEngineImage, PixelsArePremultipliedAndMaskedAfterwards)
{
    struct Case {
        const char* what;
        uint32_t rgba;
        DWORD mask;
        uint32_t stored;
        bool alpha;
    };
    const Case cases[] = {
        { "half transparent", Rgba(200, 100, 50, 128), 0, 0x80643219, true },  // 50*128/255 = 25, truncated
        { "opaque", Rgba(200, 100, 50), 0, 0xFFC86432, false },
        { "opaque magenta under a magenta mask", Rgba(255, 0, 255), 0xFFFF00FF, 0, true },
        { "other colours keep their value", Rgba(255, 0, 254), 0xFFFF00FF, 0xFFFF00FE, false },
        { "the mask compares premultiplied values", Rgba(255, 0, 255, 128), 0xFFFF00FF, 0x80800080, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TImageInfo* image = Solid(2, 1, c.rgba);
        if (c.mask)
            CRenderEngine::FreeImage(image), image = Decode(2, 1, { c.rgba, c.rgba }, c.mask);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->nX, 2);
        EXPECT_EQ(image->nY, 1);
        EXPECT_EQ(PixelOf(image, 1, 0), c.stored);
        EXPECT_EQ(image->bAlpha, c.alpha);
        EXPECT_EQ(image->pBits, nullptr);
        EXPECT_EQ(image->pSrcBits, nullptr);
        CRenderEngine::FreeImage(image);
    }
}

TEST(RenderEngineImage, BytesThatAreNoPictureGiveNull)
{
    const unsigned char junk[] = { 'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g' };
    EXPECT_EQ(CRenderEngine::LoadImageFromMemory(junk, sizeof junk, 0), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImageFromMemory(nullptr, 10, 0), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImageW(static_cast<const wchar_t*>(nullptr)), nullptr);
    CRenderEngine::FreeImage(nullptr);  // ignored
}

// Loading by name: the resource folder, the skin archive, then the name as a plain path.
class RenderEngineImageFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        SkinUI::CPaintManagerUI::SetResourcePath(m_dir.path().wstring().c_str());
    }
    void TearDown() override
    {
        SkinUI::CPaintManagerUI::SetResourceZip(L"", false);
        SkinUI::CPaintManagerUI::SetResourcePath(L"");
    }
    ScratchDir m_dir;
};

TEST_F(RenderEngineImageFile, ArchiveItemsAreFoundUnderSlashesInAnyCase)
{
    const std::vector<unsigned char> red = EncodePng(3, 2, std::vector<uint32_t>(6, Rgba(255, 0, 0)));
    m_dir.Write("skin.zip", StoredZip({ { "Images/Btn/Close.png", red } }));
    for (bool cached : { false, true }) {
        SCOPED_TRACE(cached ? "cached archive" : "archive opened per read");
        SkinUI::CPaintManagerUI::SetResourceZip(L"skin.zip", cached);
        TImageInfo* image = CRenderEngine::LoadImageW(L"images\\btn\\CLOSE.png");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->nX, 3);
        EXPECT_EQ(PixelOf(image, 2, 1), 0xFFFF0000u);
        CRenderEngine::FreeImage(image);
        EXPECT_EQ(CRenderEngine::LoadImageW(L"images\\missing.png"), nullptr);
    }
}

TEST_F(RenderEngineImageFile, ResourceFolderThenPlainPath)
{
    m_dir.Write("in folder.png", EncodePng(1, 1, { Rgba(0, 255, 0) }));
    ScratchDir elsewhere;
    elsewhere.Write("outside.png", EncodePng(4, 1, std::vector<uint32_t>(4, Rgba(0, 0, 255))));

    TImageInfo* inFolder = CRenderEngine::LoadImageW(L"in folder.png");
    ASSERT_NE(inFolder, nullptr);
    EXPECT_EQ(PixelOf(inFolder, 0, 0), 0xFF00FF00u);
    CRenderEngine::FreeImage(inFolder);

    // Neither under the resource folder nor in an archive: tried once more as it stands.
    const std::wstring plain = (elsewhere.path() / "outside.png").wstring();
    TImageInfo* outside = CRenderEngine::LoadImageW(plain.c_str());
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->nX, 4);
    CRenderEngine::FreeImage(outside);

    m_dir.Write("empty.png", {});
    EXPECT_EQ(CRenderEngine::LoadImageW(L"empty.png"), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImageW(L"nowhere.png"), nullptr);
    // A numeric id names a resource, never a file.
    EXPECT_EQ(CRenderEngine::LoadImageW(7u), nullptr);
}

TEST_F(RenderEngineImageFile, GdiplusImagesComeFromTheSameFolder)
{
    m_dir.Write("pic.png", EncodePng(5, 3, std::vector<uint32_t>(15, Rgba(1, 2, 3))));
    Gdiplus::Image* image = CRenderEngine::GdiplusLoadImage(L"pic.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 5u);
    EXPECT_EQ(image->GetHeight(), 3u);
    delete image;
    m_dir.Write("bad.png", { 1, 2, 3 });
    EXPECT_EQ(CRenderEngine::GdiplusLoadImage(L"bad.png"), nullptr);
    EXPECT_EQ(CRenderEngine::GdiplusLoadImage(L"nowhere.png"), nullptr);
}

TEST(RenderEngineImage, AdjustColorShiftsHueSaturationLightness)
{
    for (DWORD colour : { 0x12345678u, 0xFF000000u, 0x80FF8040u })
        EXPECT_EQ(CRenderEngine::AdjustColor(colour, 180, 100, 100), colour);
    // Saturation 0: a grey of the same lightness, alpha kept. Red has L = 0.5 → 127.
    EXPECT_EQ(CRenderEngine::AdjustColor(0x80FF0000, 180, 0, 100), 0x807F7F7Fu);
    // A hue turn of 120 degrees takes red to green.
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFFFF0000, 300, 100, 100) & 0x00FFFFFF, 0x0000FF00u);
    // Lightness 0 is black.
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFF4080C0, 180, 100, 0), 0xFF000000u);
}

TEST(RenderEngineImage, AdjustImageRewritesTheBitmapFromTheSourceBits)
{
    TImageInfo* image = Solid(2, 2, Rgba(255, 0, 0));
    ASSERT_NE(image, nullptr);
    CRenderEngine::AdjustImage(true, image, 300, 100, 100);  // no source bits: nothing to do
    EXPECT_EQ(PixelOf(image, 0, 0), 0xFFFF0000u);

    image->bUseHSL = true;
    image->pSrcBits = new BYTE[16];
    ::GetBitmapBits(image->hBitmap, 16, image->pSrcBits);
    CRenderEngine::AdjustImage(true, image, 300, 100, 100);
    ASSERT_NE(image->pBits, nullptr);
    EXPECT_EQ(PixelOf(image, 1, 1), 0xFF00FF00u);
    CRenderEngine::AdjustImage(false, image, 300, 100, 100);  // back to the source
    EXPECT_EQ(PixelOf(image, 1, 1), 0xFFFF0000u);
    CRenderEngine::FreeImage(image);
}

TEST(RenderEngineImage, TypedResourcesLoadByIdOnly)
{
    // Registered for the life of the program, as linked resources are.
    static const std::vector<unsigned char> png = EncodePng(2, 3, std::vector<uint32_t>(6, Rgba(9, 8, 7)));
    static const platform::ResourceRegistration registration(L"PNG", 4711, png.data(), png.size());
    TImageInfo* image = CRenderEngine::LoadImageW(4711u, L"PNG");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nY, 3);
    EXPECT_EQ(PixelOf(image, 1, 2), 0xFF090807u);
    CRenderEngine::FreeImage(image);
    EXPECT_EQ(CRenderEngine::LoadImageW(4712u, L"PNG"), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImageW(4711u, L"JPG"), nullptr);
}
