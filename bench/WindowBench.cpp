// From Create to the first painted frame of a skinned window with 300 controls: the skin is read
// from a skin archive in memory, parsed, built, laid out and painted, on the headless display.
// Baseline from the same run: a plain window of the same size created and painted with one fill.
// Goal: under 30 ms per skinned window.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

#include "platform/WinGdi.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/WindowImplBase.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 1280, kHeight = 800;

// 1 root + 20 rows + 20 x 14 cells = 301 controls.
std::string SkinXml()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<Window size=\"1280,800\" caption=\"0,0,0,40\" sizebox=\"4,4,4,4\">\n"
                      "<Font id=\"0\" name=\"DejaVu Sans\" size=\"12\" default=\"true\"/>\n"
                      "<Default name=\"Control\" value=\"bordersize=&quot;1&quot; bordercolor=&quot;#FF808080&quot;\"/>\n"
                      "<VerticalLayout bkcolor=\"#FF202020\" childpadding=\"2\">\n";
    for (int row = 0; row < 20; ++row) {
        xml += "<HorizontalLayout childpadding=\"2\" bkcolor=\"#FF303030\">";
        for (int cell = 0; cell < 14; ++cell)
            xml += "<Control name=\"c" + std::to_string(row * 14 + cell) + "\" bkcolor=\"#FF4060A0\"/>";
        xml += "</HorizontalLayout>\n";
    }
    return xml + "</VerticalLayout>\n</Window>\n";
}

void Put16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

// A one-entry zip archive with the entry stored uncompressed.
std::string ZipOf(const std::string& name, const std::string& data)
{
    const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                     static_cast<uInt>(data.size())));
    const auto size = static_cast<uint32_t>(data.size());
    std::string zip;
    Put32(zip, 0x04034b50);
    for (uint16_t v : { 10, 0, 0, 0, 0 })
        Put16(zip, v);
    Put32(zip, crc);
    Put32(zip, size);
    Put32(zip, size);
    Put16(zip, static_cast<uint16_t>(name.size()));
    Put16(zip, 0);
    zip += name + data;
    const auto centralStart = static_cast<uint32_t>(zip.size());
    Put32(zip, 0x02014b50);
    for (uint16_t v : { 20, 10, 0, 0, 0, 0 })
        Put16(zip, v);
    Put32(zip, crc);
    Put32(zip, size);
    Put32(zip, size);
    Put16(zip, static_cast<uint16_t>(name.size()));
    for (uint16_t v : { 0, 0, 0, 0 })
        Put16(zip, v);
    Put32(zip, 0);
    Put32(zip, 0);
    zip += name;
    const auto centralSize = static_cast<uint32_t>(zip.size()) - centralStart;
    Put32(zip, 0x06054b50);
    for (uint16_t v : { 0, 0, 1, 1 })
        Put16(zip, v);
    Put32(zip, centralSize);
    Put32(zip, centralStart);
    Put16(zip, 0);
    return zip;
}

class BenchWindow : public WindowImplBase {
protected:
    const wchar_t* GetWindowClassName() const override { return L"WindowBench"; }
    CUIString GetSkinFileName() override { return L"bench.xml"; }
};

LRESULT FillProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(32, 32, 32));
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
}

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    platform::headless::Use();
    static std::string archive = ZipOf("bench.xml", SkinXml());  // must outlive the paint manager's use
    CPaintManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()));
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FillProc;
    wc.lpszClassName = L"WindowBenchPlain";
    RegisterClassEx(&wc);
}

void BM_PlainWindowFirstFrame(benchmark::State& state)
{
    Setup();
    for (auto _ : state) {
        HWND hwnd = CreateWindowEx(0, L"WindowBenchPlain", L"plain", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                   nullptr, nullptr, nullptr, nullptr);
        platform::headless::PumpMessages();
        DestroyWindow(hwnd);
    }
}

void BM_SkinnedWindowFirstFrame(benchmark::State& state)
{
    Setup();
    for (auto _ : state) {
        BenchWindow window;
        window.Create(nullptr, L"bench", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0);
        platform::headless::PumpMessages();  // layout and the first paint
        DestroyWindow(window.GetHWND());
    }
}

}  // namespace

BENCHMARK(BM_PlainWindowFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SkinnedWindowFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
