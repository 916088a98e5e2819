// The watermark overlay and its two items, headless: the PNG a rendering writes against what the
// overlay shows (single and tiled, text and picture), failed renderings, drags and resizes kept in
// the video area, the item operations the main window calls, and the overlay's lifetime (Esc,
// close, the main window's pointer).
#include "editor/dialogs/ChildWnd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "EditorTestSupport.h"
#include "OverlayTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"

using namespace overlaytest;
namespace fs = std::filesystem;

namespace {

constexpr int kVideoX = 120, kVideoY = 90, kVideoW = 640, kVideoH = 360;
constexpr uint32_t kBackdrop = 0xFF406080;  // the opaque window under the overlay
const wchar_t* kBackdropSkin = L"<Window size=\"900,600\"><VerticalLayout bkcolor=\"#FF406080\"/></Window>";

int Channel(uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

// A straight-alpha pixel over the backdrop, as the screen composes it.
uint32_t OverBackdrop(const Gdiplus::Color& c)
{
    const int a = c.GetA();
    const auto mix = [a](int top, int under) { return (top * a + under * (255 - a) + 127) / 255; };
    return 0xFF000000u | (mix(c.GetR(), Channel(kBackdrop, 16)) << 16) | (mix(c.GetG(), Channel(kBackdrop, 8)) << 8) |
           mix(c.GetB(), Channel(kBackdrop, 0));
}

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files.push_back(entry.path());
    return files;
}

// A 60 x 40 picture: red left half, opaque blue right half.
std::wstring MakePicture(const std::string& folder)
{
    Gdiplus::Bitmap picture(60, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            picture.SetPixel(x, y, x < 30 ? Gdiplus::Color(255, 220, 30, 30) : Gdiplus::Color(255, 30, 30, 220));
    const std::wstring path = AnsiToWide(folder + "/logo.png");
    EXPECT_TRUE(SaveOverlayPng(picture, path));
    return path;
}

class WatermarkOverlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        m_main = std::make_unique<CMainWnd>();  // no window: the pointer the overlay clears
        WatermarkSettings = WatermarkStyle();
        WatermarkSettings.font = L"DejaVu Sans";
        VideoRectangle[0] = kVideoX;
        VideoRectangle[1] = kVideoY;
        VideoRectangle[2] = kVideoX + kVideoW;
        VideoRectangle[3] = kVideoY + kVideoH;
        PictureRecenterFlag = 1;
        ASSERT_TRUE(m_backdrop.Open(900, 600));
        m_overlay = new CChildWnd();  // deletes itself with its window
        ASSERT_NE(m_overlay->Create(m_backdrop.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW), nullptr);
        ::MoveWindow(m_overlay->GetHWND(), kVideoX, kVideoY, kVideoW, kVideoH, TRUE);
        m_main->m_pWatermarkWnd = m_overlay;
        SkinHost::Settle();
        m_folder = FreshFolder("watermark");
    }
    void TearDown() override
    {
        if (m_main->m_pWatermarkWnd != nullptr)
            m_main->m_pWatermarkWnd->CloseOverlay();
        hl::PumpMessages();
        WatermarkRefitFlag = 0;
        m_main.reset();
    }
    CWndButton* Text() { return m_overlay->GetTextItem(); }
    CWndButton* Picture() { return m_overlay->GetPictureItem(); }
    // Only the item under test shows; bare, without its frame and box, so that the screen holds
    // the drawing alone (and the mouse passes through it).
    void ShowOnly(CWndButton* item, bool bare = true)
    {
        for (CWndButton* each : { Text(), Picture() }) {
            if (bare) {
                each->SetBkColor(0);
                each->SetBorderSize(0);
            }
            each->SetVisible(each == item);
        }
        SkinHost::Settle();
    }
    void Repaint()
    {
        m_overlay->GetPaintManager().Invalidate();
        SkinHost::Settle();
    }
    static POINT OnScreen(int x, int y) { return { kVideoX + x, kVideoY + y }; }
    static void ExpectRect(const RECT& got, const RECT& want)
    {
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }

    std::unique_ptr<CMainWnd> m_main;
    SkinHost m_backdrop { kBackdropSkin, [](const wchar_t*) { return nullptr; } };
    CChildWnd* m_overlay { nullptr };
    std::string m_folder;
};

}  // namespace

TEST_F(WatermarkOverlayTest, RenderedPictureEqualsTheOverlaysDrawingInOneFile)
{
    const std::wstring logo = MakePicture(m_folder);
    struct Case {
        const char* name;
        bool text;
        bool tiled;
        int angle;
        int alpha;
        RECT item;  // single: where the item lies
    };
    const Case cases[] = {
        { "text single", true, false, 20, 200, { 60, 50, 600, 310 } },
        { "text tiled", true, true, 30, 160, {} },
        { "picture single", false, false, 45, 180, { 100, 60, 300, 200 } },
        { "picture tiled", false, true, 0, 255, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatermarkSettings.text = c.text ? L"Quillmoor 水印" : L"";
        WatermarkSettings.picture = c.text ? L"" : logo.c_str();
        WatermarkSettings.textAngle = WatermarkSettings.pictureAngle = c.angle;
        WatermarkSettings.textAlpha = WatermarkSettings.pictureAlpha = c.alpha;
        WatermarkSettings.textColor = 0xF0C020;
        TextWatermarkTiled = c.text && c.tiled;
        PictureWatermarkLayout = !c.text && c.tiled ? 1 : 0;
        WatermarkRefitFlag = c.tiled ? 1 : 0;  // a tiled item takes the whole video area
        CWndButton* item = c.text ? Text() : Picture();
        ShowOnly(item);
        if (c.tiled)
            item->SetBaseRect(0, 0, 70, 50);
        else
            item->SetPos(c.item);
        Repaint();

        const fs::path folder = fs::path(m_folder) / c.name;
        fs::create_directories(folder);
        const std::wstring target = AnsiToWide((folder / "ZaZezizA0.png").string());
        ASSERT_TRUE(c.text ? m_overlay->RenderTextWatermark(target.c_str()) : m_overlay->RenderPictureWatermark(target.c_str()));
        EXPECT_EQ(FilesIn(folder).size(), 1u) << "exactly one file, the target";

        Gdiplus::Bitmap png(target.c_str());
        ASSERT_EQ(png.GetLastStatus(), Gdiplus::Ok);
        ASSERT_EQ(png.GetWidth(), static_cast<UINT>(kVideoW));
        ASSERT_EQ(png.GetHeight(), static_cast<UINT>(kVideoH));
        const std::vector<uint32_t> screen = hl::Capture({ kVideoX, kVideoY, kVideoX + kVideoW, kVideoY + kVideoH });
        int painted = 0, paintedLeft = 0, paintedRight = 0, differing = 0;
        std::string first;
        for (int y = 0; y < kVideoH; ++y) {
            for (int x = 0; x < kVideoW; ++x) {
                Gdiplus::Color pixel;
                png.GetPixel(x, y, &pixel);
                const uint32_t want = OverBackdrop(pixel), got = screen[static_cast<size_t>(y) * kVideoW + x];
                if (pixel.GetA() > 0) {
                    ++painted;
                    paintedLeft += x < kVideoW / 3;
                    paintedRight += x >= 2 * kVideoW / 3;
                }
                bool same = true;
                for (int shift : { 0, 8, 16 })
                    same = same && std::abs(Channel(want, shift) - Channel(got, shift)) <= 2;
                if (!same && differing++ == 0)
                    first = testing::PrintToString(x) + "," + testing::PrintToString(y) + ": png over backdrop " +
                            testing::PrintToString(want) + ", screen " + testing::PrintToString(got);
            }
        }
        EXPECT_EQ(differing, 0) << "first difference at " << first;
        EXPECT_GT(painted, 300) << "the watermark is drawn";
        if (c.tiled) {
            EXPECT_GT(paintedLeft, 100) << "tiles at the left";
            EXPECT_GT(paintedRight, 100) << "and at the right";
        }
    }
}

TEST_F(WatermarkOverlayTest, AnEmptyTiledTextWritesOneTransparentPicture)
{
    TextWatermarkTiled = 1;  // 2 x 5 cells: a grid of thousands
    WatermarkRefitFlag = 1;
    ShowOnly(Text());
    Repaint();
    const std::wstring target = AnsiToWide(m_folder + "/empty.png");
    ASSERT_TRUE(m_overlay->RenderTextWatermark(target.c_str()));
    EXPECT_EQ(FilesIn(m_folder).size(), 1u);
    Gdiplus::Bitmap png(target.c_str());
    ASSERT_EQ(png.GetWidth(), static_cast<UINT>(kVideoW));
    Gdiplus::Color pixel;
    for (const POINT p : { POINT { 0, 0 }, POINT { 320, 180 }, POINT { 639, 359 } }) {
        png.GetPixel(p.x, p.y, &pixel);
        EXPECT_EQ(pixel.GetA(), 0);
    }
}

TEST_F(WatermarkOverlayTest, AFailedRenderingSaysSoAndLeavesNoOlderFile)
{
    WatermarkSettings.text = L"Quillmoor";
    ShowOnly(Text());
    Repaint();
    const std::string stale = m_folder + "/ZaZezizA0.png";
    WriteFileText(stale, "an earlier clip's watermark");
    const std::string folderTarget = m_folder + "/taken";
    fs::create_directories(folderTarget);  // a folder where the file should go: the save fails

    EXPECT_FALSE(m_overlay->RenderTextWatermark(AnsiToWide(folderTarget).c_str()));
    VideoRectangle[2] = VideoRectangle[0];  // no video area: nothing to draw on
    EXPECT_FALSE(m_overlay->RenderTextWatermark(AnsiToWide(stale).c_str()));
    EXPECT_FALSE(fs::exists(stale)) << "the export must not burn in an older picture";
    EXPECT_FALSE(m_overlay->RenderPictureWatermark(AnsiToWide(stale).c_str()));
}

// Drags and resizes with the mouse, in overlay coordinates. Every item stays inside the 640 x 360
// video area; a picture keeps 10 x 10; a jump of more than 1000 pixels ends the drag.
TEST_F(WatermarkOverlayTest, DragsAndResizesStayInsideTheVideoAreaAndAboveTheLimits)
{
    struct Case {
        const char* name;
        RECT start;
        POINT press;
        std::vector<POINT> path;
        RECT want;
        bool movable = true;
    };
    const RECT item { 100, 100, 200, 180 };
    const Case cases[] = {
        { "body to the left edge", item, { 150, 140 }, { { 100, 140 }, { -200, 140 } }, { 0, 100, 100, 180 } },
        { "body past the right, then back", item, { 150, 140 }, { { 750, 140 }, { 700, 140 } }, { 490, 100, 590, 180 } },
        { "body past the bottom slides along it", item, { 150, 140 }, { { 170, 500 } }, { 120, 280, 220, 360 } },
        { "bottom-right corner past the video", item, { 198, 178 }, { { 900, 700 } }, { 100, 100, 640, 360 } },
        { "left edge onto the right stops at 10", item, { 101, 140 }, { { 150, 140 }, { 195, 140 } }, { 149, 100, 200, 180 } },
        { "top edge up and past the top", item, { 150, 101 }, { { 150, 50 }, { 150, -40 } }, { 100, 0, 200, 180 } },
        { "a jump ends the drag", item, { 150, 140 }, { { 160, 140 }, { 1170, 140 }, { 180, 150 } }, { 110, 100, 210, 180 } },
        { "locked", item, { 150, 140 }, { { 250, 200 } }, item, false },
    };
    ShowOnly(Picture(), false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture()->SetMovable(c.movable);
        Picture()->SetPos(c.start);
        std::vector<POINT> path;
        for (const POINT& p : c.path)
            path.push_back(OnScreen(p.x, p.y));
        SkinHost::Settle();  // the mouse finds what the overlay shows
        m_backdrop.Drag(OnScreen(c.press.x, c.press.y), path);
        ExpectRect(Picture()->GetPos(), c.want);
        EXPECT_FALSE(Picture()->IsDragging());
        EXPECT_EQ(Picture()->GetHitZone(), CWndButton::kBody);
    }

    // A release that no press on the item started leaves it where it is.
    Picture()->SetMovable(true);
    Picture()->SetPos(item);
    SkinUI::TEventUI release;
    release.Type = SkinUI::UiEventButtonUp;
    release.ptMouse = { 150, 140 };
    Picture()->DoEvent(release);
    ExpectRect(Picture()->GetPos(), item);
}

TEST_F(WatermarkOverlayTest, ATextItemKeepsRoomForItsText)
{
    WatermarkSettings.text = L"Quillmoor";
    ShowOnly(Text(), false);
    const RECT start { 100, 40, 400, 340 };
    Text()->SetPos(start);
    Repaint();  // measures the text
    const Gdiplus::RectF box = Text()->MeasureWatermarkText();
    const int narrowest = static_cast<int>(std::ceil(box.Width - 5));
    const int lowest = static_cast<int>(std::ceil(box.Height - 5));
    const int lowestAt90 = 2 * TiltedTextHalfHeight(box.Width, 90, WatermarkSettings.size);
    ASSERT_LT(lowestAt90, 300);
    struct Case {
        const char* name;
        int angle;
        POINT press;  // on the right or the bottom edge
        bool right;
        int size;     // the width or height asked for
        bool accepted;
    };
    const Case cases[] = {
        { "as narrow as the text less 5", 0, { 399, 200 }, true, narrowest, true },
        { "narrower", 0, { 399, 200 }, true, narrowest - 1, false },
        { "as low as the text less 5", 0, { 250, 339 }, false, lowest, true },
        { "lower", 0, { 250, 339 }, false, lowest - 1, false },
        { "tilted 90: as high as a turn fits it", 90, { 250, 339 }, false, lowestAt90, true },
        { "tilted 90: lower", 90, { 250, 339 }, false, lowestAt90 - 1, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatermarkSettings.textAngle = c.angle;
        Text()->SetPos(start);
        SkinHost::Settle();
        // The press lies one pixel inside the edge, so the edge ends at the size asked for.
        const int to = (c.right ? start.left : start.top) + c.size;
        const POINT end = c.right ? POINT { to - 1, c.press.y } : POINT { c.press.x, to - 1 };
        m_backdrop.Drag(OnScreen(c.press.x, c.press.y), { OnScreen(end.x, end.y) });
        const RECT rc = Text()->GetPos();
        const int got = c.right ? rc.right - rc.left : rc.bottom - rc.top;
        if (c.accepted)
            EXPECT_EQ(got, c.size);
        else
            EXPECT_EQ(got, 300) << "the step is refused";
    }
}

TEST_F(WatermarkOverlayTest, PictureSizeScaleAndTextAngleOperations)
{
    m_overlay->ShowTextItem(false);
    m_overlay->SetPictureItemSize(200, 100);
    SkinHost::Settle();
    EXPECT_EQ(m_overlay->GetPictureWidth(), 200);
    EXPECT_EQ(m_overlay->GetPictureHeight(), 99);
    ExpectRect(m_overlay->GetPictureItemPos(), { 220, 130, 420, 230 });  // centred in 640 x 360
    EXPECT_TRUE(Picture()->IsVisible());

    m_overlay->ScalePictureItem(50);  // half sizes 50 and 24.75 about (320, 180)
    ExpectRect(m_overlay->GetPictureItemPos(), { 270, 155, 370, 204 });
    m_overlay->ScalePictureItem(100);  // about the same centre, not the new one
    ExpectRect(m_overlay->GetPictureItemPos(), { 220, 130, 420, 229 });
    m_overlay->SetPictureItemPos(0, 0, 100, 50);
    PictureRecenterFlag = 1;
    m_overlay->ScalePictureItem(50);  // about (50, 25), the item's centre now
    ExpectRect(m_overlay->GetPictureItemPos(), { 0, 0, 100, 49 });

    m_overlay->SetPictureItemRect(1, 2, 3, 4);
    ExpectRect(m_overlay->GetPictureItemRect(), { 1, 2, 3, 4 });

    WatermarkSettings.text = L"Quillmoor";
    m_overlay->SetTextItemPos(50, 100, 350, 200);
    for (int angle : { 0, 360 }) {
        WatermarkSettings.textAngle = angle;
        m_overlay->FitTextItemToAngle();
        ExpectRect(m_overlay->GetTextItemPos(), { 50, 100, 350, 200 });
    }
    WatermarkSettings.textAngle = 180;  // e = 28 * 1.5 = 42
    m_overlay->FitTextItemToAngle();
    ExpectRect(m_overlay->GetTextItemPos(), { 50, 108, 350, 192 });
    WatermarkSettings.size = 27;  // e = 40.5 -> 40, even
    m_overlay->FitTextItemToAngle();
    ExpectRect(m_overlay->GetTextItemPos(), { 50, 110, 350, 190 });
    WatermarkSettings.size = 29;  // e = 43.5 -> 43, raised to 44
    m_overlay->FitTextItemToAngle();
    ExpectRect(m_overlay->GetTextItemPos(), { 50, 106, 350, 194 });
}

TEST_F(WatermarkOverlayTest, EscapeHidesTheOverlayWhichStaysUsable)
{
    const HWND overlay = m_overlay->GetHWND();
    EXPECT_EQ(OverlayWindowHandle, overlay);
    ::SetActiveWindow(overlay);
    // Keys reach a window's default-key handling through the framework's message loop.
    MSG enter { overlay, WM_KEYDOWN, VK_RETURN, 0, 0, {} };
    SkinUI::CPaintManagerUI::TranslateMessage(&enter);
    hl::PumpMessages();
    EXPECT_TRUE(::IsWindowVisible(overlay)) << "Enter does nothing";
    MSG escape { overlay, WM_KEYDOWN, VK_ESCAPE, 0, 0, {} };
    SkinUI::CPaintManagerUI::TranslateMessage(&escape);
    hl::PumpMessages();
    ASSERT_TRUE(::IsWindow(overlay));
    EXPECT_FALSE(::IsWindowVisible(overlay));
    EXPECT_EQ(::GetActiveWindow(), m_backdrop.GetHWND()) << "the owner has the keys again";
    ASSERT_EQ(m_main->m_pWatermarkWnd, m_overlay);
    m_main->m_pWatermarkWnd->ShowTextItem(false);  // still a live object
    EXPECT_FALSE(Text()->IsVisible());
}

TEST_F(WatermarkOverlayTest, TheMainWindowForgetsAnOverlayThatIsGone)
{
    struct Case {
        const char* name;
        std::function<void(CChildWnd*)> close;
    };
    const Case cases[] = {
        { "closed by its operation", [](CChildWnd* w) { w->CloseOverlay(); } },
        { "asked to close by the desktop", [](CChildWnd* w) { hl::RequestClose(w->GetHWND()); } },
        { "destroyed with its owner", [this](CChildWnd*) { ::DestroyWindow(m_backdrop.GetHWND()); } },  // last
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_main->m_pWatermarkWnd == nullptr) {
            m_overlay = new CChildWnd();
            ASSERT_NE(m_overlay->Create(m_backdrop.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW), nullptr);
            m_main->m_pWatermarkWnd = m_overlay;
        }
        c.close(m_main->m_pWatermarkWnd);
        hl::PumpMessages();
        EXPECT_EQ(m_main->m_pWatermarkWnd, nullptr);
        EXPECT_EQ(OverlayWindowHandle, nullptr);
    }
}
