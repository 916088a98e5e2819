// A 1280x800 page of 500 controls on the headless display: 25 rows of 20, each row alternating
// labels with text, buttons with state images and captions, and sliders with a fore colour and a
// thumb image. Measured: a full WM_PAINT of the window, and the repaint of one hot button (its
// rectangle invalidated, then painted). Baseline from the same run: one FillRect over the whole
// frame in a memory DC. Goals: a full frame under 3 ms, one button under 0.1 ms.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 1280, kHeight = 800, kRows = 25, kColumns = 20;

std::wstring PageSkin()
{
    std::wstring skin = L"<Window size=\"1280,800\"><Font name=\"DejaVu Sans\" size=\"12\" default=\"true\"/>"
                        L"<VerticalLayout bkcolor=\"#FF16171B\">";
    for (int row = 0; row < kRows; ++row) {
        skin += L"<HorizontalLayout height=\"32\">";
        for (int column = 0; column < kColumns; ++column) {
            const std::wstring name = std::to_wstring(row) + L"_" + std::to_wstring(column);
            switch (column % 3) {
            case 0:
                skin += L"<Label name=\"l" + name + L"\" width=\"64\" text=\"Label " + name
                        + L"\" textcolor=\"#FFE4E5EA\"/>";
                break;
            case 1:
                skin += L"<Button name=\"b" + name + L"\" width=\"64\" text=\"Go\" normalimage=\"bench_normal\" "
                        L"hotimage=\"bench_hot\" pushedimage=\"bench_pushed\" textcolor=\"#FFFFFFFF\"/>";
                break;
            default:
                skin += L"<Slider name=\"s" + name + L"\" width=\"64\" height=\"12\" padding=\"0,10,0,10\" "
                        L"value=\"40\" bkcolor=\"#FF2B2C33\" forecolor=\"#FF5B6CF0\" thumbsize=\"12,12\" "
                        L"thumbimage=\"bench_thumb\"/>";
                break;
            }
        }
        skin += L"</HorizontalLayout>";
    }
    return skin + L"</VerticalLayout></Window>";
}

// A premultiplied image of one colour, opaque on its left half and half-translucent on its right,
// registered under a name. Drawn at its own size, as skins draw their button images.
void AddSolidImage(CPaintManagerUI& manager, const wchar_t* name, int width, int height, uint32_t rgb)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    BYTE* bits = nullptr;
    HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(dc, width, height, &bits);
    ::DeleteDC(dc);
    auto* pixels = reinterpret_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const uint32_t alpha = (i % width) < width / 2 ? 0xFF : 0x80;
        const uint32_t r = ((rgb >> 16) & 0xFF) * alpha / 255, g = ((rgb >> 8) & 0xFF) * alpha / 255,
                       b = (rgb & 0xFF) * alpha / 255;
        pixels[i] = (alpha << 24) | (r << 16) | (g << 8) | b;
    }
    manager.AddImage(name, bitmap, width, height, true);  // the manager owns the bitmap
}

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

struct Page {
    Page()
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"ControlPaintBench";
        ::RegisterClassEx(&wc);
        hwnd = ::CreateWindowEx(0, L"ControlPaintBench", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
        manager.Init(hwnd);
        AddSolidImage(manager, L"bench_normal", 64, 32, 0x3A3B44);
        AddSolidImage(manager, L"bench_hot", 64, 32, 0x4A4B58);
        AddSolidImage(manager, L"bench_pushed", 64, 32, 0x2A2B33);
        AddSolidImage(manager, L"bench_thumb", 12, 12, 0xFFFFFF);
        CDialogBuilder builder;
        const std::wstring skin = PageSkin();
        manager.AttachDialog(builder.Create(skin.c_str(), nullptr, nullptr, &manager));  // the manager owns it
        ::UpdateWindow(hwnd);
        platform::headless::PumpMessages();
        hot = manager.FindControl(L"b12_10");
        const RECT rc = hot->GetPos();
        LRESULT result = 0;
        manager.MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2), result);
        ::UpdateWindow(hwnd);
    }

    bool headless = platform::headless::Use();  // before the manager touches the display
    CPaintManagerUI manager;
    HWND hwnd = nullptr;
    CControlUI* hot = nullptr;
};

Page& ThePage()
{
    static Page page;
    return page;
}

void BM_FullFrameFill(benchmark::State& state)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    BYTE* bits = nullptr;
    HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(dc, kWidth, kHeight, &bits);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH brush = ::CreateSolidBrush(RGB(22, 23, 27));
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state)
        ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

void BM_PagePaint(benchmark::State& state)
{
    Page& page = ThePage();
    for (auto _ : state) {
        ::InvalidateRect(page.hwnd, nullptr, FALSE);
        ::UpdateWindow(page.hwnd);
    }
}

void BM_HotButtonRepaint(benchmark::State& state)
{
    Page& page = ThePage();
    for (auto _ : state) {
        page.hot->Invalidate();
        ::UpdateWindow(page.hwnd);
    }
}

}  // namespace

BENCHMARK(BM_FullFrameFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PagePaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HotButtonRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
