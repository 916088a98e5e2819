// Dragging an item across a 1280x800 overlay on the headless display: one mouse move per
// iteration, with the repaint and the layered update it causes. Subjects: a timed text item on
// the text layer (CWaterFloatWnd), the text watermark and the picture watermark (rotated, half
// transparent) on the watermark overlay (CChildWnd). Baseline from the same run: the same window
// repainted whole without a move. Goal: under 2 ms per move.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/SkinArchive.h"
#include "platform/headless/HeadlessScreen.h"

namespace hl = platform::headless;

namespace {

constexpr int kWidth = 1280, kHeight = 800;

// A private folder for the picture the watermark draws; removed at the end.
struct ScratchFolder {
    ScratchFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-overlay-bench-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

std::wstring MakePicture(const std::string& folder)
{
    Gdiplus::Bitmap picture(320, 160);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 320; ++x)
            picture.SetPixel(x, y, Gdiplus::Color(255, static_cast<BYTE>(x * 255 / 320), 80, static_cast<BYTE>(y * 255 / 160)));
    const std::wstring path(folder.begin(), folder.end());
    SaveOverlayPng(picture, path + L"/logo.png");
    return path + L"/logo.png";
}

// Presses at `grab` and moves one pixel right and back per iteration, each move pumped through
// the paint; or, with `moves` false, only repaints the whole window per iteration.
void DragOrRepaint(benchmark::State& state, HWND window, SkinUI::CPaintManagerUI& pm, POINT grab, bool moves)
{
    hl::MoveMouse(grab.x, grab.y);
    hl::PressButton(hl::Left, grab.x, grab.y);
    hl::PumpMessages();
    int step = 0;
    for (auto _ : state) {
        if (moves) {
            step ^= 1;
            hl::MoveMouse(grab.x + step, grab.y);
        } else {
            pm.Invalidate();
        }
        hl::PumpMessages();
    }
    hl::ReleaseButton(hl::Left, grab.x, grab.y);
    hl::PumpMessages();
    ::DestroyWindow(window);
    hl::PumpMessages();
}

void SetVideoArea()
{
    VideoRectangle[0] = VideoRectangle[1] = 0;
    VideoRectangle[2] = kWidth;
    VideoRectangle[3] = kHeight;
}

void WatermarkDrag(benchmark::State& state, bool text, bool moves)
{
    CMainWnd main;  // no window: the settings the items draw
    ScratchFolder folder;
    SetVideoArea();
    WatermarkSettings.font = L"DejaVu Sans";
    WatermarkSettings.text = L"Quillmoor 水印";
    WatermarkSettings.textAngle = WatermarkSettings.pictureAngle = 30;
    WatermarkSettings.textAlpha = WatermarkSettings.pictureAlpha = 160;
    WatermarkSettings.picture = MakePicture(folder.path).c_str();
    auto* overlay = new CChildWnd();  // deletes itself with its window
    overlay->Create(nullptr, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
    ::MoveWindow(overlay->GetHWND(), 0, 0, kWidth, kHeight, TRUE);
    overlay->ShowTextItem(text);
    overlay->ShowPictureItem(!text);
    hl::PumpMessages();  // the layout the visibility change asks for comes before the placing
    const RECT item { 400, 250, 800, 550 };  // room for the tilted text
    text ? overlay->SetTextItemPos(item.left, item.top, item.right, item.bottom)
         : overlay->SetPictureItemPos(item.left, item.top, item.right, item.bottom);
    hl::PumpMessages();
    DragOrRepaint(state, overlay->GetHWND(), overlay->GetPaintManager(), { 600, 400 }, moves);

}

void TextItemDrag(benchmark::State& state, bool moves)
{
    CMainWnd main;  // no window: the records the item draws
    WatermarkSettings.font = L"DejaVu Sans";
    CWaterFloatWnd layer;
    layer.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0);
    ::MoveWindow(layer.GetHWND(), 0, 0, kWidth, kHeight, TRUE);
    TextLayerRectangle = { 0, 0, kWidth, kHeight };
    hl::PumpMessages();
    CWaterTextUI* item = layer.AddItem(L"Index1001", L"字幕 Subtitle", L"DejaVu Sans", 36, 0xFFFFFF, false);
    item->SetItemText(L"字幕 Subtitle");
    hl::PumpMessages();
    const RECT rc = item->GetPos();
    DragOrRepaint(state, layer.GetHWND(), layer.GetPaintManager(), { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 }, moves);
}

void BM_TextItemDrag(benchmark::State& state) { TextItemDrag(state, true); }
void BM_TextLayerRepaint(benchmark::State& state) { TextItemDrag(state, false); }
void BM_WatermarkTextDrag(benchmark::State& state) { WatermarkDrag(state, true, true); }
void BM_WatermarkPictureDrag(benchmark::State& state) { WatermarkDrag(state, false, true); }
void BM_WatermarkRepaint(benchmark::State& state) { WatermarkDrag(state, false, false); }

BENCHMARK(BM_TextItemDrag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextLayerRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WatermarkTextDrag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WatermarkPictureDrag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WatermarkRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!hl::Use() || !InstallSkinArchive(nullptr))
        return 1;
    hl::SetMonitors({ { 0, 0, 1920, 1080 } });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
