// Gdiplus services: real alpha, rotated and measured text, PNG/JPEG encoding, decoding, GIF frames.

#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Gdiplus;
namespace fs = std::filesystem;

namespace {

class GdiPlusTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("gdiplus-" + std::to_string(getpid()) + "-"
                                                + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&m_token, &input, nullptr), Ok);
    }
    void TearDown() override
    {
        GdiplusShutdown(m_token);
        fs::remove_all(m_folder);
    }
    std::wstring Path(const char* name) const { return (m_folder / name).wstring(); }

    // The encoder lookup the editor does: list the encoders, match the MIME type.
    static bool FindEncoder(const wchar_t* mime, CLSID* clsid)
    {
        UINT count = 0, size = 0;
        if (GetImageEncodersSize(&count, &size) != Ok || size == 0)
            return false;
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
        if (GetImageEncoders(count, size, codecs) != Ok)
            return false;
        for (UINT i = 0; i < count; ++i)
            if (std::wcscmp(codecs[i].MimeType, mime) == 0) {
                *clsid = codecs[i].Clsid;
                return true;
            }
        return false;
    }

    // Bounding box of the pixels with any alpha.
    static RECT Ink(Bitmap& bitmap)
    {
        RECT box { INT_MAX, INT_MAX, -1, -1 };
        for (INT y = 0; y < static_cast<INT>(bitmap.GetHeight()); ++y)
            for (INT x = 0; x < static_cast<INT>(bitmap.GetWidth()); ++x) {
                Color c;
                bitmap.GetPixel(x, y, &c);
                if (c.GetA() == 0)
                    continue;
                box = { std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                        std::max<LONG>(box.bottom, y + 1) };
            }
        return box;
    }

    fs::path m_folder;
    ULONG_PTR m_token = 0;
};

TEST_F(GdiPlusTest, PngRoundTripKeepsColourAndAlpha)
{
    Bitmap bitmap(5, 3, PixelFormat32bppARGB);
    const Color colours[] = { Color(255, 255, 0, 0), Color(128, 0, 0, 255), Color(0, 0, 0, 0), Color(255, 10, 200, 30) };
    for (INT i = 0; i < 4; ++i)
        ASSERT_EQ(bitmap.SetPixel(i, 1, colours[i]), Ok);
    CLSID png {};
    ASSERT_TRUE(FindEncoder(L"image/png", &png));
    ASSERT_EQ(bitmap.Save(Path("out.png").c_str(), &png), Ok);
    EXPECT_FALSE(fs::exists(m_folder / ("out.png.part" + std::to_string(getpid()))));

    std::unique_ptr<Bitmap> loaded(Bitmap::FromFile(Path("out.png").c_str()));
    ASSERT_EQ(loaded->GetLastStatus(), Ok);
    EXPECT_EQ(loaded->GetWidth(), 5u);
    EXPECT_EQ(loaded->GetHeight(), 3u);
    for (INT i = 0; i < 4; ++i) {
        Color got;
        loaded->GetPixel(i, 1, &got);
        EXPECT_EQ(got.GetA(), colours[i].GetA()) << i;
        if (colours[i].GetA() == 255) {
            EXPECT_EQ(got.GetValue(), colours[i].GetValue()) << i;
        } else if (colours[i].GetA() == 128) {
            EXPECT_NEAR(got.GetB(), 255, 2) << i;
        }
    }
}

TEST_F(GdiPlusTest, SaveFailuresLeaveNoFile)
{
    Bitmap bitmap(2, 2);
    CLSID png {}, jpeg {};
    ASSERT_TRUE(FindEncoder(L"image/png", &png));
    ASSERT_TRUE(FindEncoder(L"image/jpeg", &jpeg));
    EXPECT_NE(bitmap.Save(Path("missing/out.png").c_str(), &png), Ok);
    EXPECT_TRUE(fs::is_empty(m_folder));
    const CLSID unknown {};
    EXPECT_EQ(bitmap.Save(Path("out.bin").c_str(), &unknown), UnknownImageFormat);
    EXPECT_TRUE(fs::is_empty(m_folder));
    // JPEG has no alpha; the file decodes again at the same size.
    ASSERT_EQ(bitmap.Save(Path("out.jpg").c_str(), &jpeg), Ok);
    Image decoded(Path("out.jpg").c_str());
    EXPECT_EQ(decoded.GetLastStatus(), Ok);
    EXPECT_EQ(decoded.GetWidth(), 2u);
}

TEST_F(GdiPlusTest, ImagesFromStreamsAndBadInput)
{
    Bitmap bitmap(3, 4);
    CLSID png {};
    ASSERT_TRUE(FindEncoder(L"image/png", &png));
    ASSERT_EQ(bitmap.Save(Path("a.png").c_str(), &png), Ok);
    std::ifstream file(m_folder / "a.png", std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
    std::unique_ptr<Image> image(Image::FromStream(stream));
    stream->Release();
    EXPECT_EQ(image->GetLastStatus(), Ok);
    EXPECT_EQ(image->GetHeight(), 4u);

    const BYTE junk[] = "definitely not a picture";
    stream = SHCreateMemStream(junk, sizeof junk);
    std::unique_ptr<Image> bad(Image::FromStream(stream));
    stream->Release();
    EXPECT_EQ(bad->GetLastStatus(), UnknownImageFormat);
    std::unique_ptr<Image> absent(Image::FromFile(Path("absent.png").c_str()));
    EXPECT_EQ(absent->GetLastStatus(), FileNotFound);
    Graphics graphics(bad.get());
    EXPECT_NE(graphics.GetLastStatus(), Ok);
}

TEST_F(GdiPlusTest, GifFramesAndDelays)
{
    const fs::path gif = m_folder / "anim.gif";
    const std::string command = "cd '" + m_folder.string() + "' && HOME=. TMPDIR=. ffmpeg -v error -nostdin"
        " -f lavfi -i color=c=red:s=8x8:r=4:d=0.5 -f lavfi -i color=c=lime:s=8x8:r=4:d=0.5"
        " -f lavfi -i color=c=blue:s=8x8:r=2:d=1 -filter_complex '[0][1][2]concat=n=3:v=1[v]' -map '[v]' -y anim.gif";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Image image(gif.wstring().c_str());
    ASSERT_EQ(image.GetLastStatus(), Ok);
    ASSERT_EQ(image.GetFrameDimensionsCount(), 1u);
    GUID dimension {};
    ASSERT_EQ(image.GetFrameDimensionsList(&dimension, 1), Ok);
    EXPECT_TRUE(dimension == FrameDimensionTime);
    EXPECT_EQ(image.GetFrameCount(&dimension), 6u);
    EXPECT_EQ(image.GetFrameCount(&FrameDimensionPage), 0u);

    const UINT size = image.GetPropertyItemSize(PropertyTagFrameDelay);
    ASSERT_GT(size, sizeof(PropertyItem));
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    ASSERT_EQ(image.GetPropertyItem(PropertyTagFrameDelay, size, item), Ok);
    ASSERT_EQ(item->length, 6 * sizeof(LONG));
    const auto* delays = static_cast<const LONG*>(item->value);
    const LONG want[] = { 25, 25, 25, 25, 50, 50 };  // hundredths of a second
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(delays[i], want[i]) << i;

    // The active frame is what gets drawn.
    Bitmap canvas(8, 8);
    Graphics graphics(&canvas);
    ASSERT_EQ(image.SelectActiveFrame(&dimension, 2), Ok);
    graphics.DrawImage(&image, 0, 0, 8, 8);
    Color c;
    canvas.GetPixel(4, 4, &c);
    EXPECT_GT(c.GetG(), 200);
    EXPECT_LT(c.GetR(), 50);
    EXPECT_EQ(image.SelectActiveFrame(&dimension, 6), InvalidParameter);

    Bitmap still(2, 2);
    EXPECT_EQ(still.GetPropertyItemSize(PropertyTagFrameDelay), 0u);
    EXPECT_EQ(still.GetFrameCount(&FrameDimensionPage), 1u);
}

TEST_F(GdiPlusTest, FillsWriteRealAlphaOnDCs)
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    uint32_t* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    SelectObject(dc, dib);
    SetViewportOrgEx(dc, 1, 0, nullptr);  // Graphics on a DC honours its origin
    {
        Graphics graphics(dc);
        SolidBrush red(Color(128, 255, 0, 0));
        ASSERT_EQ(graphics.FillRectangle(&red, 0, 0, 2, 4), Ok);
    }
    EXPECT_EQ(bits[0], 0u);
    EXPECT_NEAR(static_cast<int>(bits[1] >> 24), 128, 1);
    EXPECT_NEAR(static_cast<int>((bits[1] >> 16) & 0xFF), 128, 1) << "premultiplied";
    EXPECT_EQ(bits[3], 0u);
    DeleteDC(dc);
    DeleteObject(dib);
}

// The layered-window paint clears the surface, lets GDI and Gdiplus draw, then makes opaque
// every pixel left at alpha 0 with some colour. So GDI colour ends opaque, GDI pure black stays
// transparent, and Gdiplus keeps the alpha it wrote.
TEST_F(GdiPlusTest, LayeredFixUpTellsGdiPixelsFromGdiplusPixels)
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 30, 10, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };  // bottom-up
    uint32_t* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    SelectObject(dc, dib);
    HBRUSH grey = CreateSolidBrush(RGB(40, 40, 40)), black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT left { 0, 0, 10, 10 }, middle { 10, 0, 20, 10 };
    FillRect(dc, &left, grey);
    FillRect(dc, &middle, black);
    {
        Graphics graphics(dc);
        SolidBrush translucent(Color(0xFE, 0, 0, 255));
        graphics.FillRectangle(&translucent, 20, 0, 10, 10);
    }
    for (int i = 0; i < 30 * 10; ++i)
        if ((bits[i] >> 24) == 0 && (bits[i] & 0xFFFFFF) != 0)
            bits[i] |= 0xFF000000u;
    const uint32_t* top = bits + 9 * 30;  // bottom-up: the last row in memory is the top row
    EXPECT_EQ(top[5], 0xFF282828u);
    EXPECT_EQ(top[15], 0u);
    EXPECT_EQ(top[25] >> 24, 0xFEu);
    DeleteObject(grey);
    DeleteObject(black);
    DeleteDC(dc);
    DeleteObject(dib);
}

TEST_F(GdiPlusTest, RotatedTextDrawsAcross)
{
    Font font(L"Arial", 16, FontStyleRegular, UnitPixel);
    SolidBrush brush(Color(0xFE, 255, 255, 255));
    const wchar_t* text = L"Watermark text";
    for (REAL angle : { 0.0f, 90.0f }) {
        SCOPED_TRACE(angle);
        Bitmap canvas(200, 200);
        Graphics graphics(&canvas);
        graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
        graphics.TranslateTransform(100, 100);
        graphics.RotateTransform(angle);
        graphics.TranslateTransform(-100, -100);
        RectF measured;
        ASSERT_EQ(graphics.MeasureString(text, -1, &font, PointF(0, 0), &measured), Ok);
        ASSERT_EQ(graphics.DrawString(text, -1, &font, PointF(100 - measured.Width / 2, 100 - measured.Height / 2), &brush), Ok);
        const RECT ink = Ink(canvas);
        ASSERT_LT(ink.left, ink.right);
        const LONG wide = ink.right - ink.left, tall = ink.bottom - ink.top;
        if (angle == 0)
            EXPECT_GT(wide, 3 * tall);
        else
            EXPECT_GT(tall, 3 * wide);
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 6) << "rotated about the centre";
        Color c;
        BYTE highest = 0;
        for (INT y = ink.top; y < ink.bottom; ++y)
            for (INT x = ink.left; x < ink.right; ++x)
                if (canvas.GetPixel(x, y, &c) == Ok)
                    highest = std::max(highest, c.GetA());
        EXPECT_EQ(highest, 0xFE) << "the brush alpha is the text's alpha";
    }
}

TEST_F(GdiPlusTest, MeasureAndFormatLayout)
{
    Bitmap canvas(300, 100);
    Graphics graphics(&canvas);
    Font font(L"微软雅黑", 12, FontStyleBold, UnitPoint);
    ASSERT_EQ(font.GetLastStatus(), Ok);
    EXPECT_NEAR(font.GetPixelSize(), 16.0f, 0.01f);
    RectF shortBox, longBox, wrapped;
    graphics.MeasureString(L"视频", -1, &font, PointF(0, 0), &shortBox);
    graphics.MeasureString(L"视频编辑器", -1, &font, PointF(0, 0), &longBox);
    EXPECT_GT(shortBox.Width, 10);
    EXPECT_GT(longBox.Width, shortBox.Width);
    StringFormat format(StringFormat::GenericTypographic());
    RectF tight;
    graphics.MeasureString(L"视频编辑器", -1, &font, PointF(0, 0), &format, &tight);
    EXPECT_NEAR(longBox.Width - tight.Width, 16.0f / 3, 0.01f) << "the default format keeps em/6 free each side";
    graphics.MeasureString(L"视频编辑器视频编辑器", -1, &font, RectF(0, 0, 40, 100), &format, &wrapped);
    EXPECT_GT(wrapped.Height, 2 * longBox.Height) << "wraps in a narrow box";
    format.SetFormatFlags(StringFormatFlagsNoWrap);
    graphics.MeasureString(L"视频编辑器视频编辑器", -1, &font, RectF(0, 0, 40, 100), &format, &wrapped);
    EXPECT_FLOAT_EQ(wrapped.Height, longBox.Height) << "no-wrap keeps one line";

    // Centred in a box, both ways; clipped to the box unless no-clip.
    format.SetAlignment(StringAlignmentCenter);
    format.SetLineAlignment(StringAlignmentCenter);
    format.SetFormatFlags(0);
    SolidBrush brush(Color(255, 0, 0, 0));
    graphics.DrawString(L"Mid", -1, &font, RectF(100, 0, 200, 100), &format, &brush);
    const RECT ink = Ink(canvas);
    ASSERT_LT(ink.left, ink.right);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 200, 4);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 50, 6);
    Bitmap clipped(300, 100);
    Graphics clippedGraphics(&clipped);
    format.SetAlignment(StringAlignmentNear);
    clippedGraphics.DrawString(L"A long line of text", -1, &font, RectF(0, 0, 30, 100), &format, &brush);
    EXPECT_LE(Ink(clipped).right, 30);
}

TEST_F(GdiPlusTest, InstalledFamiliesIncludeTheFallbackFonts)
{
    InstalledFontCollection fonts;
    const INT count = fonts.GetFamilyCount();
    ASSERT_GT(count, 0);
    std::vector<FontFamily> families(count);
    INT found = 0;
    ASSERT_EQ(fonts.GetFamilies(count, families.data(), &found), Ok);
    EXPECT_EQ(found, count);
    bool dejavu = false;
    for (const FontFamily& family : families) {
        WCHAR name[LF_FACESIZE] = {};
        family.GetFamilyName(name);
        dejavu = dejavu || std::wcscmp(name, L"DejaVu Sans") == 0;
    }
    EXPECT_TRUE(dejavu);
}

TEST_F(GdiPlusTest, AFamilyIsDrawnWithItselfOrItsSubstitute)
{
    // An installed family stands for itself; a Windows face the skins name maps to a font of its kind.
    EXPECT_EQ(InstalledFontCollection::DrawnFamily(L"DejaVu Sans"), L"DejaVu Sans");
    EXPECT_EQ(InstalledFontCollection::DrawnFamily(L"微软雅黑"), L"WenQuanYi Micro Hei");
    EXPECT_EQ(InstalledFontCollection::DrawnFamily(L"Microsoft YaHei"), L"WenQuanYi Micro Hei");
}

}  // namespace
