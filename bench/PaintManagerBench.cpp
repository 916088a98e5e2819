// Event dispatch through a window's paint manager on the headless display: 10,000 mouse moves
// across a grid of 1,000 controls (each move a hit search, and every few moves a leave and an
// enter), against the same 10,000 hit searches alone, so the ratio is the cost the manager adds
// per move. And one full WM_PAINT of the window (layout skipped, off-screen surface, copy to the
// window) against painting the tree straight into a memory DC.

#include <benchmark/benchmark.h>

#include <vector>

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 1280, kHeight = 800, kColumns = 40, kRows = 25;
constexpr int kMoves = 10000;

// The root: a fixed grid of children, searched top-most first like a container.
class Grid : public CControlUI {
public:
    Grid()
    {
        for (int i = 0; i < kColumns * kRows; ++i) {
            auto* cell = new CControlUI;
            cell->SetBkColor(0xFF000000u | static_cast<DWORD>(i * 2654435761u & 0xFFFFFF));
            m_cells.push_back(cell);
        }
    }
    ~Grid() override
    {
        for (CControlUI* cell : m_cells)
            delete cell;
    }
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) override
    {
        CControlUI::SetManager(manager, parent, init);
        for (CControlUI* cell : m_cells)
            cell->SetManager(manager, this, init);
    }
    void SetPos(RECT rc, bool invalidate) override
    {
        CControlUI::SetPos(rc, invalidate);
        const int w = kWidth / kColumns, h = kHeight / kRows;
        for (int i = 0; i < static_cast<int>(m_cells.size()); ++i) {
            const int x = (i % kColumns) * w, y = (i / kColumns) * h;
            m_cells[i]->SetPos({ x, y, x + w, y + h }, invalidate);
        }
    }
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override
    {
        if ((flags & FindHitTest) && !::PtInRect(&m_rcItem, *static_cast<POINT*>(data)))
            return nullptr;
        for (auto it = m_cells.rbegin(); it != m_cells.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(proc, data, flags))
                return found;
        }
        return proc(this, data);
    }
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        for (CControlUI* cell : m_cells)
            cell->DoPaint(hDC, rcPaint);
    }

private:
    std::vector<CControlUI*> m_cells;
};

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

// One window with its manager and laid-out grid, kept for the whole run.
struct Window {
    Window()
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"PaintManagerBench";
        ::RegisterClassEx(&wc);
        hwnd = ::CreateWindowEx(0, L"PaintManagerBench", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
        manager.Init(hwnd);
        grid = new Grid;
        manager.AttachDialog(grid);  // the manager owns the grid
        ::UpdateWindow(hwnd);
    }
    POINT MovePoint(int i) const { return { (i * 7) % kWidth, (i * 13) % kHeight }; }

    bool headless = platform::headless::Use();  // before the manager touches the display
    CPaintManagerUI manager;
    HWND hwnd = nullptr;
    Grid* grid = nullptr;
};

Window& TheWindow()
{
    static Window window;
    return window;
}

void BM_HitSearchOnly(benchmark::State& state)
{
    Window& w = TheWindow();
    for (auto _ : state) {
        for (int i = 0; i < kMoves; ++i)
            benchmark::DoNotOptimize(w.manager.FindControl(w.MovePoint(i)));
    }
}

void BM_MouseMoveDispatch(benchmark::State& state)
{
    Window& w = TheWindow();
    LRESULT result = 0;
    for (auto _ : state) {
        for (int i = 0; i < kMoves; ++i) {
            const POINT pt = w.MovePoint(i);
            w.manager.MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y), result);
        }
    }
}

void BM_TreeIntoMemoryDC(benchmark::State& state)
{
    Window& w = TheWindow();
    HDC dc = ::CreateCompatibleDC(nullptr);
    BYTE* bits = nullptr;
    HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(dc, kWidth, kHeight, &bits);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT all { 0, 0, kWidth, kHeight };
    for (auto _ : state)
        w.grid->DoPaint(dc, all);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

void BM_WindowPaint(benchmark::State& state)
{
    Window& w = TheWindow();
    for (auto _ : state) {
        ::InvalidateRect(w.hwnd, nullptr, FALSE);
        ::UpdateWindow(w.hwnd);
    }
}

}  // namespace

BENCHMARK(BM_HitSearchOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MouseMoveDispatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeIntoMemoryDC)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowPaint)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
