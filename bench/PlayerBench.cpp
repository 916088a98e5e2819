// The preview's frame path. Playback: a 1080p30 clip played by the real libVLC into a 977x360
// output window on the headless display, reporting frames delivered per second, the share of
// the clip's frames delivered (goal: all of them) and the process's CPU per frame; its baseline
// plays the same clip into a hidden window of no size (frames at the clip's own size, no scaling,
// no paint). Compare the two CPU figures: scaling in libVLC to the window's size plus the paint
// against taking full-size frames. Paint: one
// output-window paint of the frame libVLC delivers for that window (640x360: copy into a bitmap,
// black bars, blit; goal under 2 ms), of frames the paint has to scale (a full-size one, and one
// after the window grew), and, as the baseline of the same run, a bare blit of a ready 640x360
// bitmap. Report Paint640 / BareBlit.

#include "media/AVPlayer.h"
#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"
#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int kControlWidth = 977, kControlHeight = 360;
constexpr int kClipSeconds = 4, kClipRate = 30;

const std::string& Clip()
{
    static const std::string path = [] {
        const std::string folder = std::filesystem::temp_directory_path().string() + "/quill-player-bench";
        std::filesystem::create_directories(folder);
        const std::string file = folder + "/hd.mp4";
        if (!std::filesystem::exists(file)) {
            const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate="
                                      + std::to_string(kClipRate) + " -t " + std::to_string(kClipSeconds)
                                      + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + file + "'";
            if (std::system(command.c_str()) != 0)
                return std::string();
        }
        return file;
    }();
    return path;
}

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

HWND MakeHost()
{
    platform::headless::Use();
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = L"PlayerBenchHost";
    RegisterClassEx(&wc);
    return CreateWindowEx(0, L"PlayerBenchHost", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, kControlWidth + 20,
                          kControlHeight + 20, nullptr, nullptr, nullptr, nullptr);
}

// range(0) 1: into the 977x360 control, painted; 0: the baseline, a hidden window of no size, so
// frames come at the clip's own size (colour conversion only) and nothing is painted.
void BM_Playback1080p(benchmark::State& state)
{
    if (Clip().empty()) {
        state.SkipWithError("could not make the 1080p clip");
        return;
    }
    const bool shown = state.range(0) != 0;
    HWND host = MakeHost();
    double frames = 0, seconds = 0, cpu = 0;
    for (auto _ : state) {
        CPlayerUI control;
        control.BindOutputWindow(PlayerOutputWindow::Create(host));
        if (shown) {
            control.SetPos({ 10, 10, 10 + kControlWidth, 10 + kControlHeight }, false);
            control.SetVisible(true);
        }
        CAVPlayer& player = control.Player();
        const double cpuStart = CpuSeconds();
        player.OpenAndPlay(Clip(), 0, "--no-audio", "");
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(kClipSeconds * 3);
        std::chrono::steady_clock::time_point first {};
        while (std::chrono::steady_clock::now() < limit) {
            platform::headless::PumpMessages();  // paints each new frame
            const uint64_t published = player.Frames()->FramesPublished();
            if (published > 0 && first == std::chrono::steady_clock::time_point {})
                first = std::chrono::steady_clock::now();
            if (published > 0 && !player.IsValid())
                break;  // the end was reached
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        frames += static_cast<double>(player.Frames()->FramesPublished());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count();
        cpu += CpuSeconds() - cpuStart;
        DestroyWindow(control.GetOutputWindow());
    }
    state.counters["frames_per_second"] = frames / seconds;  // from the first frame to the end
    state.counters["delivered"] = frames / (static_cast<double>(state.iterations()) * kClipSeconds * kClipRate);
    state.counters["cpu_ms_per_frame"] = frames > 0 ? cpu * 1000 / frames : 0;
    DestroyWindow(host);
}
BENCHMARK(BM_Playback1080p)->Arg(1)->Arg(0)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A memory DC with a bitmap (the control's size by default), as the paint's target.
struct Target {
    explicit Target(int width = kControlWidth, int height = kControlHeight)
    {
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Target()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

VideoFrame GreyFrame(int width, int height)
{
    VideoFrame frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<size_t>(width) * height, 0xFF808080u);
    return frame;
}

void BM_Paint640(benchmark::State& state)
{
    Target target;
    const VideoFrame frame = GreyFrame(640, 360);
    const RECT client { 0, 0, kControlWidth, kControlHeight };
    for (auto _ : state)
        PlayerOutputWindow::PaintFrame(target.dc, client, &frame, 0);
}
BENCHMARK(BM_Paint640)->Unit(benchmark::kMicrosecond);

void BM_Paint1920Scaled(benchmark::State& state)
{
    Target target;
    const VideoFrame frame = GreyFrame(1920, 1080);
    const RECT client { 0, 0, kControlWidth, kControlHeight };
    for (auto _ : state)
        PlayerOutputWindow::PaintFrame(target.dc, client, &frame, 0);
}
BENCHMARK(BM_Paint1920Scaled)->Unit(benchmark::kMicrosecond);

// After the window grew (the maximised layout) frames keep their size until the next open.
void BM_Paint640Into1600x900(benchmark::State& state)
{
    Target target(1600, 900);
    const VideoFrame frame = GreyFrame(640, 360);
    const RECT client { 0, 0, 1600, 900 };
    for (auto _ : state)
        PlayerOutputWindow::PaintFrame(target.dc, client, &frame, 0);
}
BENCHMARK(BM_Paint640Into1600x900)->Unit(benchmark::kMicrosecond);

void BM_BareBlit(benchmark::State& state)
{
    Target target;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 640;
    info.bmiHeader.biHeight = -360;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(source, bitmap);
    for (auto _ : state)
        BitBlt(target.dc, 168, 0, 640, 360, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteObject(bitmap);
    DeleteDC(source);
}
BENCHMARK(BM_BareBlit)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
