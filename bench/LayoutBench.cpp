// Layout and full paint of a tree of about 1,000 controls at 1280x800, the way a busy window is
// drawn: nested vertical and horizontal boxes, each cell a column of small controls with
// backgrounds, borders, images and single-line text, painted into a memory DC. Baseline from the
// same run: one FillRect over the whole frame. Goal: layout plus paint under 3 ms per frame.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "platform/WinGdi.h"
#include "ui/core/BoxLayoutUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 1280, kHeight = 800;
constexpr int kRows = 25, kCellsPerRow = 8, kControlsPerCell = 4;

// A control that draws its text in the window's default font, as a label does.
class TextControl : public CControlUI {
public:
    void PaintText(HDC hDC) override
    {
        RECT rc = m_rcItem;
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, 0xFF202020, -1, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
};

struct Window {
    HDC frame = ::CreateCompatibleDC(nullptr);
    HBITMAP frameBitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    CPaintManagerUI manager;
    CVerticalLayoutUI* root = new CVerticalLayoutUI();
    int controls = 1;

    Window()
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        frameBitmap = ::CreateDIBSection(frame, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        oldBitmap = ::SelectObject(frame, frameBitmap);
        AddIcon();
        root->SetManager(&manager, nullptr, false);
        root->SetBkColor(0xFFF4F4F4);
        root->SetChildPadding(2);
        for (int r = 0; r < kRows; ++r)
            root->Add(MakeRow(r));  // the root owns its rows
        root->SetPos(RECT { 0, 0, kWidth, kHeight }, false);
    }
    ~Window()
    {
        root->SetManager(nullptr, nullptr, false);
        delete root;
        ::SelectObject(frame, oldBitmap);
        ::DeleteObject(frameBitmap);
        ::DeleteDC(frame);
    }

    void AddIcon()
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        uint32_t* bits = nullptr;
        HBITMAP icon = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        for (int i = 0; i < 16 * 16; ++i)
            bits[i] = 0x80402000u;  // premultiplied half-transparent brown
        manager.AddImage(L"icon", icon, 16, 16, true);  // the manager owns the bitmap
    }

    CControlUI* MakeRow(int r)
    {
        auto* row = new CHorizontalLayoutUI();
        row->SetInset(RECT { 2, 2, 2, 2 });
        row->SetChildPadding(4);
        for (int c = 0; c < kCellsPerRow; ++c) {
            auto* cell = new CVerticalLayoutUI();
            cell->SetBorderColor(0xFFB0B0B0);
            cell->SetBorderSize(1);
            for (int k = 0; k < kControlsPerCell; ++k)
                cell->Add(MakeLeaf(r, c, k));
            row->Add(cell);
            ++controls;
        }
        ++controls;
        return row;
    }

    CControlUI* MakeLeaf(int r, int c, int k)
    {
        ++controls;
        auto* leaf = new TextControl();
        leaf->SetText((std::wstring(k % 2 ? L"视频 " : L"Clip ") + std::to_wstring(r * 100 + c * 10 + k)).c_str());
        if (k == 0)
            leaf->SetBkImage(L"file='icon' dest='0,0,16,16'");
        if (k == 1)
            leaf->SetBkColor(0xFFDDEEFF);
        if (k == 2) {
            leaf->SetBkColor(0xFFFFFFFF);
            leaf->SetBkColor2(0xFFE0E0E0);
        }
        return leaf;
    }
};

void BM_FillFrame(benchmark::State& state)
{
    Window window;
    HBRUSH brush = ::CreateSolidBrush(RGB(244, 244, 244));
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state) {
        ::FillRect(window.frame, &all, brush);
        ::GdiFlush();
    }
    ::DeleteObject(brush);
}

void BM_LayoutTree(benchmark::State& state)
{
    Window window;
    for (auto _ : state)
        window.root->SetPos(RECT { 0, 0, kWidth, kHeight }, false);
    state.counters["controls"] = window.controls;
}

void BM_PaintTree(benchmark::State& state)
{
    Window window;
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state) {
        window.root->DoPaint(window.frame, all);
        ::GdiFlush();
    }
    state.counters["controls"] = window.controls;
}

void BM_LayoutAndPaintFrame(benchmark::State& state)
{
    Window window;
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state) {
        window.root->SetPos(all, false);
        window.root->DoPaint(window.frame, all);
        ::GdiFlush();
    }
}

}  // namespace

BENCHMARK(BM_FillFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutAndPaintFrame)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
