// A list of 2,000 container rows (5 children each), the way the editor's file lists grow: adding
// every row, one wheel step of scrolling followed by the frame it paints, and select-all. The
// list is laid out and painted into a 800x600 memory DC without a window. Baseline from the same
// run: one FillRect over the frame. Goals: adding 2,000 rows under 50 ms; one scrolled frame
// (scroll, paint) under 4 ms.

#include <benchmark/benchmark.h>

#include "platform/WinGdi.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListUI.h"
#include "ui/core/PaintManagerUI.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 800, kHeight = 600, kRows = 2000;

struct Frame {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    Frame()
    {
        BITMAPINFO info {};
        info.bmiHeader = { sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = ::SelectObject(dc, bitmap);
    }
    ~Frame()
    {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
};

CControlUI* MakeRow(int i)
{
    auto* row = new CListContainerElementUI();
    row->SetFixedHeight(48);
    for (int c = 0; c < 5; ++c) {
        auto* child = new CControlUI();
        child->SetText(L"clip_0001.mp4");
        child->SetBkColor(c % 2 ? 0xFFEEEEEE : 0xFFDDE6F0);
        if (c == 0)
            child->SetFixedWidth(64);
        row->Add(child);  // the row owns its children
    }
    row->SetUserData(i % 2 ? L"odd" : L"even");
    return row;
}

struct ListWindow {
    CPaintManagerUI manager;
    CListUI* list = new CListUI();
    ListWindow()
    {
        list->SetManager(&manager, nullptr, false);
        list->GetHeader()->SetVisible(false);
        list->EnableScrollBar();
        list->SetMultiSelect(true);
    }
    ~ListWindow()
    {
        list->SetDelayedDestroy(false);
        list->SetManager(nullptr, nullptr, false);
        delete list;
    }
    void Fill()
    {
        for (int i = 0; i < kRows; ++i)
            list->Add(MakeRow(i));  // the list owns its rows
    }
    void Layout() { list->SetPos(RECT { 0, 0, kWidth, kHeight }, false); }
};

void BM_FillBaseline(benchmark::State& state)
{
    Frame frame;
    HBRUSH brush = ::CreateSolidBrush(RGB(250, 250, 250));
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state)
        ::FillRect(frame.dc, &all, brush);
    ::DeleteObject(brush);
}

void BM_AddTwoThousandRows(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto* window = new ListWindow();
        state.ResumeTiming();
        window->Fill();
        window->Layout();
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}

void BM_ScrolledFrame(benchmark::State& state)
{
    Frame frame;
    ListWindow window;
    window.Fill();
    window.Layout();
    const RECT all { 0, 0, kWidth, kHeight };
    int direction = 1;
    for (auto _ : state) {
        if (window.list->GetScrollPos().cy >= window.list->GetScrollRange().cy)
            direction = -1;
        else if (window.list->GetScrollPos().cy <= 0)
            direction = 1;
        direction > 0 ? window.list->LineDown() : window.list->LineUp();
        window.list->DoPaint(frame.dc, all);
    }
}

void BM_SelectAll(benchmark::State& state)
{
    ListWindow window;
    window.Fill();
    window.Layout();
    for (auto _ : state) {
        window.list->SelectAllItems();
        window.list->UnSelectAllItems();
    }
}

}  // namespace

BENCHMARK(BM_FillBaseline);
BENCHMARK(BM_AddTwoThousandRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrolledFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
