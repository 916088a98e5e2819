// A window's resource side: image attribute strings, the image cache's DPI file names, styles and
// attribute lists, fonts per window and shared, multi-language tokens, and a DPI change.

#include "tests/ui/PaintManagerTest.h"

#include "ui/core/RenderEngine.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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

// A 1x1 PNG.
const unsigned char kPixelPng[] = { 0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
                                    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
                                    0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
                                    0xda, 0x63, 0x64, 0xf8, 0xcf, 0x50, 0x0f, 0x00, 0x03, 0x86, 0x01, 0x80, 0x5a, 0x34,
                                    0x7d, 0x6b, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82 };

class PaintManagerImageCache : public PaintManagerResources {
protected:
    void SetUp() override
    {
        PaintManagerResources::SetUp();
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/pmimagesXXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        m_dir = templ;
        for (const char* name : { "p.png", "q@.png", "r@150.png", "Finish.png" }) {
            std::ofstream out(m_dir + "/" + name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(kPixelPng), sizeof(kPixelPng));
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

TEST_F(PaintManagerImageCache, HighDpiNamesFallBackToTheSharedVariantButNeverToThePlainName)
{
    struct Case {
        UINT scale;
        const wchar_t* attribute;
        bool found;
    };
    const Case cases[] = {
        { 100, L"file='p.png'", true },
        { 150, L"file='q.png'", true },   // q@150.png is missing: q@.png serves every other scale
        { 150, L"file='r.png'", true },   // the variant for this one scale
        { 150, L"file='p.png'", false },  // p@150.png and p@.png are missing: no image
        { 100, L"Finish.png", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attribute << " at " << c.scale);
        CPaintManagerUI manager;
        manager.GetDPIObj()->SetScale(c.scale * 96 / 100);  // takes a DPI
        const TDrawInfo* info = manager.GetDrawInfo(c.attribute, nullptr);
        const TImageInfo* image = manager.GetImageEx(info->sImageName);
        EXPECT_EQ(image != nullptr, c.found);
        if (image) {
            EXPECT_EQ(manager.GetImage(info->sImageName), image);  // cached under the asked name
        }
    }
    CPaintManagerUI manager;
    EXPECT_STREQ(manager.GetDrawInfo(L"Finish.png", nullptr)->sImageName.GetData(),
                 manager.GetDrawInfo(L"file='Finish.png'", nullptr)->sImageName.GetData());
    EXPECT_EQ(manager.AddImage(L"7", L"PNG"), nullptr);        // no such resource
    EXPECT_EQ(manager.AddImage(L"p.png", L"PNG"), nullptr);    // a resource image is named by number
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

}  // namespace
}  // namespace pmtest
