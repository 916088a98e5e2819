// A window's resource side: image attribute strings, the image cache's DPI file names, styles and
// attribute lists, fonts per window and shared, multi-language tokens, and a DPI change.

#include "tests/ui/PaintManagerTest.h"

#include "ui/core/RenderEngine.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace pmtest {
namespace {

struct DrawCase {
    UINT scale;
    const wchar_t* draw;
    const wchar_t* modify;
    const wchar_t* name;
    RECT dest, source, corner;
    DWORD mask;
    BYTE fade;
    bool hole, xtiled, ytiled;
};

std::wstring RectText(const RECT& rc)
{
    return std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L"," + std::to_wstring(rc.right) + L"," +
           std::to_wstring(rc.bottom);
}

class PaintManagerResources : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hl::Use()); }
};

TEST_F(PaintManagerResources, ImageAttributeStringsParseIntoDrawInfo)
{
    const DrawCase cases[] = {
        { 100, L"file='14-1.png'  corner='2,2,28,2' ", nullptr, L"14-1.png", {}, {}, { 2, 2, 28, 2 }, 0, 255, false,
          false, false },
        { 150, L"file='14-1.png'  corner='2,2,28,2' ", nullptr, L"14-1@150.png", {}, {}, { 3, 3, 42, 3 }, 0, 255,
          false, false, false },
        { 150, L"file='lianjie.png' source='0,10,7,19' ", nullptr, L"lianjie@150.png", {}, { 0, 15, 11, 29 }, {}, 0,
          255, false, false, false },
        { 100, L"Finish.png", nullptr, L"Finish.png", {}, {}, {}, 0, 255, false, false, false },
        { 100, L"file='a.png' mask='#FF00FF00' hole='TRUE' fade='300'", nullptr, L"a.png", {}, {}, {}, 0xFF00FF00, 44,
          true, false, false },
        { 100, L"file='a.png' mask='ff00ff00' xtiled='true' ytiled='no'", nullptr, L"a.png", {}, {}, {}, 0xFF00FF00,
          255, false, true, false },
        // Reading ends at a pair followed by anything but one space and more text.
        { 100, L"file='a.png' dest='1,2,3,4',source='5,6,7,8'", nullptr, L"a.png", { 1, 2, 3, 4 }, {}, {}, 0, 255,
          false, false, false },
        { 100, L"file='a.png'\tsource='5,6,7,8'", nullptr, L"a.png", {}, {}, {}, 0, 255, false, false, false },
        { 100, L"file=a.png source='5,6,7,8'", nullptr, L"file=a.png source='5,6,7,8'", {}, {}, {}, 0, 255, false,
          false, false },
        // Empty values are skipped; the modify string overrides the draw string.
        { 100, L"file='' source='0,0,10,10'", L"source='10,0,20,10'", L"file='' source='0,0,10,10'", {},
          { 10, 0, 20, 10 }, {}, 0, 255, false, false, false },
        { 100, L"file='a.png' dest='1,2'", nullptr, L"a.png", { 1, 2, 0, 0 }, {}, {}, 0, 255, false, false, false },
        { 150, L"file='a.b.png'", nullptr, L"a@150.b@150.png", {}, {}, {}, 0, 255, false, false, false },
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.draw << " at " << c.scale);
        CPaintManagerUI manager;
        manager.GetDPIObj()->SetScale(c.scale * 96 / 100);  // takes a DPI
        const TDrawInfo* info = manager.GetDrawInfo(c.draw, c.modify);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->sImageName.GetData(), c.name);
        EXPECT_EQ(RectText(info->rcDest), RectText(c.dest));
        EXPECT_EQ(RectText(info->rcSource), RectText(c.source));
        EXPECT_EQ(RectText(info->rcCorner), RectText(c.corner));
        EXPECT_EQ(info->dwMask, c.mask);
        EXPECT_EQ(info->uFade, c.fade);
        EXPECT_EQ(info->bHole, c.hole);
        EXPECT_EQ(info->bTiledX, c.xtiled);
        EXPECT_EQ(info->bTiledY, c.ytiled);
        EXPECT_EQ(manager.GetDrawInfo(c.draw, c.modify), info);  // parsed once per window
    }
    CPaintManagerUI manager;
    EXPECT_EQ(manager.GetDrawInfo(L"", nullptr), nullptr);
}

// A solid opaque red picture of width x height as a .bmp file (the decoder reads it by content
// whatever the file is called), so a test can tell which file served a name by its size.
std::string SolidBmp(int width, int height)
{
    const int stride = width * 4;
    const int size = 54 + stride * height;
    std::string bmp(static_cast<size_t>(size), '\0');
    auto put32 = [&](int at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bmp[static_cast<size_t>(at + i)] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(size));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 32;
    for (int i = 54; i < size; i += 4) {
        bmp[static_cast<size_t>(i + 2)] = '\xff';  // blue, green, red, alpha
        bmp[static_cast<size_t>(i + 3)] = '\xff';
    }
    return bmp;
}

class PaintManagerImageCache : public PaintManagerResources {
protected:
    void SetUp() override
    {
        PaintManagerResources::SetUp();
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/pmimagesXXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        m_dir = templ;
        const std::pair<const char*, int> files[] = {
            { "p.png", 10 }, { "q.png", 10 }, { "q@.png", 7 }, { "r.png", 10 }, { "r@150.png", 4 }, { "Finish.png", 1 },
        };
        for (const auto& [name, side] : files) {
            std::ofstream out(m_dir + "/" + name, std::ios::binary);
            out << SolidBmp(side, side);
        }
        CPaintManagerUI::SetResourcePath(std::filesystem::path(m_dir).wstring().c_str());
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourcePath(L"");
        std::filesystem::remove_all(m_dir);
    }
    std::string m_dir;
};

// The name asked for at a scale other than 100 is "name@<scale>.png"; then "name@.png" serves
// every other scale; a skin with only the plain picture gets it enlarged to the scale.
TEST_F(PaintManagerImageCache, HighDpiNamesFallBackToTheSharedVariantThenToThePlainPictureScaled)
{
    struct Case {
        UINT scale;
        const wchar_t* attribute;
        int side;  // 0: no image
    };
    const Case cases[] = {
        { 100, L"file='p.png'", 10 },
        { 125, L"file='p.png'", 13 },  // only p.png: enlarged as the skin's rectangles are
        { 150, L"file='p.png'", 15 },
        { 200, L"file='p.png'", 20 },
        { 100, L"file='q.png'", 10 },
        { 125, L"file='q.png'", 7 },   // q@.png serves every scale but 100
        { 200, L"file='q.png'", 7 },
        { 150, L"file='r.png'", 4 },   // the variant for this one scale first
        { 125, L"file='r.png'", 13 },
        { 150, L"file='missing.png'", 0 },
        { 100, L"Finish.png", 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attribute << " at " << c.scale);
        CPaintManagerUI manager;
        manager.GetDPIObj()->SetScale(c.scale * 96 / 100);  // takes a DPI
        const CUIString name = manager.GetDrawInfo(c.attribute, nullptr)->sImageName;
        const TImageInfo* image = manager.GetImageEx(name);
        ASSERT_EQ(image != nullptr, c.side != 0);
        if (!image)
            continue;
        EXPECT_EQ(image->nX, c.side);
        EXPECT_EQ(image->nY, c.side);
        EXPECT_EQ(manager.GetImage(name), image);  // cached under the asked name
        std::vector<uint32_t> pixels(static_cast<size_t>(c.side * c.side));
        ::GetBitmapBits(image->hBitmap, static_cast<LONG>(pixels.size() * 4), pixels.data());
        EXPECT_EQ(pixels.front(), 0xFFFF0000u);  // the edge keeps its colour and stays opaque
        EXPECT_EQ(pixels[pixels.size() / 2], 0xFFFF0000u);
        manager.ReloadImages();  // reloaded by the same lookup, not dropped
        EXPECT_EQ(manager.GetImage(name), image);
        EXPECT_EQ(image->nX, c.side);
    }
    CPaintManagerUI manager;
    EXPECT_STREQ(manager.GetDrawInfo(L"Finish.png", nullptr)->sImageName.GetData(),
                 manager.GetDrawInfo(L"file='Finish.png'", nullptr)->sImageName.GetData());
    EXPECT_EQ(manager.AddImage(L"7", L"PNG"), nullptr);        // no such resource
    EXPECT_EQ(manager.AddImage(L"p.png", L"PNG"), nullptr);    // a resource image is named by number
}

// A window paints each picture of its controls again and again: one refused for its size is
// opened (and refused, with its line on standard error) once, and again only after a reload.
TEST_F(PaintManagerImageCache, APictureRefusedForItsSizeIsOpenedOnceUntilTheImagesAreReloaded)
{
    {
        // Only the header is read before the refusal: it declares 5000 x 5000 pixels.
        std::ofstream out(m_dir + "/huge.png", std::ios::binary);
        const unsigned char header[] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                         0, 0, 0x13, 0x88, 0, 0, 0x13, 0x88, 8, 6, 0, 0, 0, 0, 0, 0, 0 };
        out.write(reinterpret_cast<const char*>(header), sizeof header);
    }
    auto refusals = [](const std::string& text) {
        size_t count = 0;
        for (size_t at = text.find("over the limit"); at != std::string::npos; at = text.find("over the limit", at + 1))
            ++count;
        return count;
    };
    CPaintManagerUI manager;
    testing::internal::CaptureStderr();
    for (int paint = 0; paint < 4; ++paint)
        for (const wchar_t* control : { L"file='huge.png'", L"file='huge.png' dest='0,0,10,10'" })
            EXPECT_EQ(manager.GetImageString(control, nullptr), nullptr);
    EXPECT_EQ(refusals(testing::internal::GetCapturedStderr()), 1u) << "2 controls, 4 paints";

    testing::internal::CaptureStderr();
    manager.ReloadImages();
    EXPECT_EQ(manager.GetImageEx(L"huge.png"), nullptr);
    EXPECT_EQ(manager.GetImageEx(L"huge.png"), nullptr);
    EXPECT_EQ(refusals(testing::internal::GetCapturedStderr()), 1u) << "opened again once after the reload";
    EXPECT_NE(manager.GetImageEx(L"p.png"), nullptr) << "other pictures still load";
}

TEST(RenderEngineResize, BlendsBetweenPixelsAndRefusesEmptySizes)
{
    // Two premultiplied pixels, opaque black and transparent, doubled: the middle two blend.
    const uint32_t two[] = { 0xFF000000u, 0x00000000u };
    BITMAPINFO bi {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 2;
    bi.bmiHeader.biHeight = -1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    TImageInfo source;
    source.hBitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    std::memcpy(bits, two, sizeof(two));
    source.nX = 2;
    source.nY = 1;
    source.bAlpha = true;
    TImageInfo* wide = CRenderEngine::ResizeImage(&source, 4, 1);
    ASSERT_NE(wide, nullptr);
    uint32_t out[4] = {};
    ::GetBitmapBits(wide->hBitmap, sizeof(out), out);
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1] >> 24, 0xBFu);  // three quarters of the way to the opaque pixel
    EXPECT_EQ(out[2] >> 24, 0x40u);
    EXPECT_EQ(out[3], 0u);
    EXPECT_TRUE(wide->bAlpha);
    CRenderEngine::FreeImage(wide);
    EXPECT_EQ(CRenderEngine::ResizeImage(&source, 0, 1), nullptr);
    EXPECT_EQ(CRenderEngine::ResizeImage(&source, 5000, 5000), nullptr);  // over the pixel limit
    CRenderEngine::FreeImage(&source, false);
}

TEST_F(PaintManagerResources, StylesKeepTheFirstListAndAttributeListsTheLast)
{
    CPaintManagerUI manager;
    manager.AddStyle(L"s", L"first");
    manager.AddStyle(L"s", L"second");
    EXPECT_STREQ(manager.GetStyle(L"s"), L"first");
    manager.AddDefaultAttributeList(L"Button", L"first");
    manager.AddDefaultAttributeList(L"Button", L"second");
    EXPECT_STREQ(manager.GetDefaultAttributeList(L"Button"), L"second");
    manager.AddStyle(L"shared-only", L"x", true);
    EXPECT_STREQ(manager.GetStyle(L"shared-only"), L"x");  // the window's table first, then the shared one
    EXPECT_TRUE(manager.RemoveStyle(L"shared-only", true));
    EXPECT_EQ(manager.GetStyle(L"shared-only"), nullptr);
    manager.AddWindowCustomAttribute(L"k", L"1");
    manager.AddWindowCustomAttribute(L"k", L"2");
    manager.AddWindowCustomAttribute(L"", L"3");
    EXPECT_STREQ(manager.GetWindowCustomAttribute(L"k"), L"1");
    EXPECT_EQ(manager.GetWindowCustomAttribute(L""), nullptr);
}

TEST_F(PaintManagerResources, SharedColourFollowsIntoWindowsThatKeptIt)
{
    CPaintManagerUI kept, own;
    own.SetDefaultLinkFontColor(0xFF123456);
    const DWORD shared = kept.GetDefaultLinkFontColor();
    kept.SetDefaultLinkFontColor(0xFF00FF00, true);
    EXPECT_EQ(kept.GetDefaultLinkFontColor(), 0xFF00FF00u);
    own.SetDefaultLinkFontColor(0xFFAAAAAA, true);
    EXPECT_EQ(own.GetDefaultLinkFontColor(), 0xFF123456u);
    kept.SetDefaultLinkFontColor(shared, true);
}

TEST_F(PaintManagerResources, HslShiftIsLimited)
{
    CPaintManagerUI::SetHSL(true, 400, -5, 100);
    short h = 0, s = 0, l = 0;
    EXPECT_TRUE(CPaintManagerUI::GetHSL(&h, &s, &l));
    EXPECT_EQ(h, 360);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(l, 100);
    CPaintManagerUI::SetHSL(false, 180, 100, 100);
    EXPECT_FALSE(CPaintManagerUI::GetHSL(&h, &s, &l));
}

LOGFONTW LogFontOf(HFONT font)
{
    LOGFONTW lf {};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

TEST_F(PaintManagerResources, FontsReplaceByIdAndFallBackToTheDefault)
{
    CPaintManagerUI manager;
    HFONT first = manager.AddFont(1, L"DejaVu Sans", 12, true, false, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LogFontOf(first).lfWeight, 700);
    EXPECT_EQ(LogFontOf(first).lfHeight, -12);
    HFONT second = manager.AddFont(1, L"DejaVu Sans", 14, false, true, false);
    EXPECT_EQ(manager.GetFont(1), second);
    EXPECT_EQ(::GetObjectType(first), 0u);  // the replaced font is deleted
    EXPECT_EQ(manager.GetFontIndex(second), 1);
    EXPECT_EQ(manager.GetFontIndex(first), -1);
    EXPECT_EQ(manager.GetFont(L"DejaVu Sans", 14, false, true, false), second);
    EXPECT_EQ(manager.GetFont(L"DejaVu Sans", 12, false, true, false), nullptr);

    // Unknown ids and negative ids give the default font, the shared one until the window sets its own.
    CPaintManagerUI other;
    EXPECT_EQ(manager.GetFont(-1), other.GetDefaultFontInfo()->hFont);
    EXPECT_EQ(manager.GetFont(99), manager.GetFont(-1));
    manager.SetDefaultFont(L"DejaVu Serif", 20, false, false, false);
    EXPECT_NE(manager.GetFont(-1), other.GetFont(-1));
    EXPECT_STREQ(manager.GetFontInfo(99)->sFontName.GetData(), L"DejaVu Serif");

    manager.RemoveFont(second);
    EXPECT_EQ(manager.GetCustomFontCount(), 0u);
}

TEST_F(PaintManagerResources, LanguageTokensAreReplacedEverywhere)
{
    CPaintManagerUI::RemoveAllMultiLanguageString();
    CPaintManagerUI::AddMultiLanguageString(L"greet", L"Hello");
    struct Case {
        const wchar_t* text;
        const wchar_t* want;
    };
    const Case cases[] = {
        { L"%[greet], %[greet]!", L"Hello, Hello!" },
        { L"%[nope]", L"nope" },
        { L"100% done", L"100% done" },
        { L"%[open", L"%[open" },
        { L"a%[greet]b%", L"aHellob%" },
        { L"%%[greet]", L"%Hello" },
    };
    for (const Case& c : cases) {
        CUIString text(c.text);
        CPaintManagerUI::ProcessMultiLanguageTokens(text);
        EXPECT_STREQ(text.GetData(), c.want) << "from " << c.text;
    }

    EXPECT_TRUE(CPaintManagerUI::LoadLanguage(
        L"<Language><String text=\"Hi\" id=\"h\"/><Other id=\"x\" text=\"y\"/>"
        L"<String ID=\"n\" TEXT=\"No\"/></Language>"));
    EXPECT_STREQ(CPaintManagerUI::GetMultiLanguageString(L"h"), L"Hi");
    EXPECT_STREQ(CPaintManagerUI::GetMultiLanguageString(L"n"), L"No");
    EXPECT_STREQ(CPaintManagerUI::GetMultiLanguageString(L"x"), L"");
    EXPECT_STREQ(CPaintManagerUI::GetMultiLanguageString(L"greet"), L"");  // a load replaces the table
    EXPECT_FALSE(CPaintManagerUI::LoadLanguage(L"<Language><String"));
    EXPECT_STREQ(CPaintManagerUI::GetMultiLanguageString(L"h"), L"Hi");
    CPaintManagerUI::RemoveAllMultiLanguageString();
}

class PaintManagerDpiChange : public ManagedWindow {};

TEST_F(PaintManagerDpiChange, RescalesTheWindowAndFontsAndTellsTheWindow)
{
    HFONT before = m_manager->AddFont(3, L"DejaVu Sans", 10, true, false, false);
    const LONG stockWeight = LogFontOf(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))).lfWeight;
    Attach();
    m_manager->SetDPI(144);
    RECT rc {};
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(RectText(rc), RectText({ 100, 100, 400, 250 }));
    const LOGFONTW lf = LogFontOf(m_manager->GetFont(3));
    EXPECT_NE(m_manager->GetFont(3), before);
    EXPECT_EQ(lf.lfHeight, -15);
    EXPECT_EQ(lf.lfWeight, stockWeight + 700);
    EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_TRUE(m_box->IsUpdateNeeded());
    MSG msg {};
    EXPECT_TRUE(::PeekMessage(&msg, m_hwnd, WM_USER + 200, WM_USER + 200, PM_REMOVE));
    m_manager->SetDPI(96);
}

TEST_F(PaintManagerDpiChange, StopsWhereTheWindowWouldPassTheWorkArea)
{
    hl::SetMonitors({ { 0, 0, 500, 300 } });  // a work area of 500 x 260
    Attach();
    m_manager->SetDPI(288);
    RECT rc {};
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(RectText(rc), RectText({ 100, 100, 600, 350 })) << "250 %, not 300 %";
    EXPECT_EQ(m_manager->GetDPIObj()->GetScale(), 250u);
    m_manager->SetDPI(96);
    hl::SetMonitors({ { 0, 0, 1920, 1080 } });
}

}  // namespace
}  // namespace pmtest
