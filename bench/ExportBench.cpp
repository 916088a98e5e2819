// Export overhead: the cut export of a 1080p clip through the editor's runner, and through the
// main window from the export button's click to the finished file, each against the same encoder
// command started directly, in pairs; plus the editor's own CPU time during the runner's export as
// a share of the encoder's. The clip (60 s by default, QUILL_BENCH_SECONDS to change) is made once in a
// private folder that HOME and TMPDIR point to. export_ratio.sh prints the median of the pair ratios.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/SkinArchive.h"
#include "media/ExportPageView.h"
#include "platform/headless/HeadlessScreen.h"

namespace {

int ClipSeconds()
{
    const char* text = std::getenv("QUILL_BENCH_SECONDS");
    const int seconds = text ? std::atoi(text) : 60;
    return seconds > 0 ? seconds : 60;
}

const std::string& Folder()
{
    static const std::string folder = [] {
        std::string base = std::filesystem::temp_directory_path().string() + "/quill-exportbench-XXXXXX";
        if (!mkdtemp(base.data()))
            std::abort();
        setenv("HOME", base.c_str(), 1);
        setenv("TMPDIR", base.c_str(), 1);
        const std::string clip = base + "/clip.mp4";
        const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 "
                                 "-f lavfi -i sine=frequency=440 -t " + std::to_string(ClipSeconds())
            + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac '" + clip + "'";
        if (std::system(make.c_str()) != 0)
            std::abort();
        static const std::string owned = base;
        std::atexit([] { std::filesystem::remove_all(owned); });
        return base + "/";
    }();
    return folder;
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// The cut page with the whole clip as its range and an untouched crop rectangle.
class WholeClipPage : public ExportPageView {
public:
    SkinUI::CUIString FieldText(const wchar_t* name) const override
    {
        const std::wstring field = name;
        if (field == L"OVersecound")
            return std::to_wstring(ClipSeconds()).c_str();
        if (field == L"cut_width")
            return L"640";
        if (field == L"cut_height")
            return L"360";
        return L"0";
    }
    int SliderValue(const wchar_t*) const override { return 100; }
    SIZE WorkAreaSize() const override { return { 1920, 1040 }; }
    void ShowCropOverlays(bool) override {}
    int SplitTaskCount() const override { return 0; }
    bool SplitTask(int, SkinUI::CUIString&, SkinUI::CUIString&) const override { return false; }
    GifRowView* FindGifRow(const SkinUI::CUIString&) override { return nullptr; }
    void SetGifListBusy(bool) override {}
};

double CpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The command each export runs, started directly. The runner's export is given the frame rate;
// the window's cut keeps the source's, as its settings dialog leaves it.
std::string BareCommand(const std::string& rate)
{
    return "ffmpeg -ss 0.000000 -t " + std::to_string(ClipSeconds()) + ".000000 -y -i '" + Folder() + "clip.mp4"
        + "' " + rate + "-vcodec h264 -acodec aac -preset superfast -pix_fmt yuv420p '" + Folder() + "bare.mp4'"
        + " </dev/null >/dev/null 2>&1";
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeBareRun(benchmark::State& state, const std::string& rate = "-r 25 ")
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(BareCommand(rate).c_str()) != 0)
        state.SkipWithError("the encoder failed");
    const double elapsed = SecondsSince(start);
    std::filesystem::remove(Folder() + "bare.mp4");
    return elapsed;
}

// Each iteration runs the bare command and the export back to back, so a machine whose speed
// drifts affects both sides of one ratio alike; the reported time is the export's.
void BM_CutOverhead(benchmark::State& state)
{
    Folder();
    CMessageWnd::SetAnswerer([](const CMessageWnd&) { return 2; });
    WholeClipPage page;
    CMainWnd main;
    main.m_strEncoder = L"ffmpeg.exe";
    main.m_pPageView = &page;
    main.m_strCutFile = Wide(Folder() + "clip.mp4");
    main.m_strCutWidth = L"1920";
    main.m_strCutHeight = L"1080";
    main.m_strCutAspect = L"1.777778";
    main.m_strCutInfo = L"25";
    main.m_strCutViewWidth = L"640";
    main.m_strCutViewHeight = L"360";
    main.m_exportInfo.folder = Wide(Folder()).c_str();
    main.m_exportInfo.name = L"viarunner";
    main.m_exportInfo.format = L"mp4";
    double bare = 0, runner = 0, editorCpu = 0, encoderCpu = 0;
    static bool bareFirst = true;  // every repetition is one iteration of a new call
    for (auto _ : state) {
        // Which side runs first alternates, so neither always finds the other's warm caches.
        if (bareFirst)
            bare += TimeBareRun(state);
        const double selfBefore = CpuSeconds(RUSAGE_SELF), childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        if (main.FinishPageExport(main.ExportCut(main.m_exportInfo)) != ExportOutcome::Succeeded)
            state.SkipWithError("the cut export failed");
        const double elapsed = SecondsSince(start);
        runner += elapsed;
        state.SetIterationTime(elapsed);
        editorCpu += CpuSeconds(RUSAGE_SELF) - selfBefore;
        encoderCpu += CpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
        if (!bareFirst)
            bare += TimeBareRun(state);
        bareFirst = !bareFirst;
        std::filesystem::remove(Folder() + "viarunner.mp4");
    }
    state.counters["bare_s"] = bare / state.iterations();
    state.counters["runner_s"] = runner / state.iterations();
    state.counters["runner_over_bare"] = bare > 0 ? runner / bare : 0;
    state.counters["editor_cpu_share"] = encoderCpu > 0 ? editorCpu / encoderCpu : 0;
}

// The cut page of the real window on the headless screen, its range the whole clip.
CMainWnd* OpenCutPage()
{
    auto* main = new CMainWnd();
    main->m_strAppFolder = Wide(Folder());
    main->m_strDataFolder = Wide(Folder());
    if (!main->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE))
        return nullptr;
    platform::headless::PumpMessages();
    main->m_strEncoder = L"ffmpeg.exe";
    main->m_strCutFile = Wide(Folder() + "clip.mp4");
    const int seconds = ClipSeconds();
    const std::pair<const wchar_t*, std::wstring> fields[] = {
        { L"startHour", L"00" }, { L"startMinute", L"00" }, { L"startsecound", L"00" }, { L"startmillsecond", L"000" },
        { L"OVertHour", L"00" }, { L"OVerMinute", std::to_wstring(seconds / 60) },
        { L"OVersecound", std::to_wstring(seconds % 60) }, { L"OVermillsecond", L"000" },
    };
    for (const auto& [name, text] : fields)
        main->GetPaintManager().FindControl(name)->SetText(text.c_str());
    return main;
}

// Each iteration is a press of the cut page's export button, answered in the settings dialog,
// until the window's workers are done and the file is there, paired with the bare command.
void BM_CutFromWindow(benchmark::State& state)
{
    Folder();
    if (!platform::headless::Use() || !InstallSkinArchive(nullptr)) {
        state.SkipWithError("no headless screen or skins");
        return;
    }
    CMessageWnd::SetAnswerer([](const CMessageWnd&) { return 2; });
    CMainWnd::SetSettingsDialogHook([](CMainWnd& main, const std::wstring&) {
        main.m_exportInfo.folder = Wide(Folder()).c_str();
        main.m_exportInfo.name = L"viawindow";
        main.m_exportInfo.format = L"mp4";
        return 0;
    });
    CMainWnd* main = OpenCutPage();
    if (!main) {
        state.SkipWithError("the main window was not made");
        return;
    }
    double bare = 0, window = 0;
    for (auto _ : state) {
        bare += TimeBareRun(state, "");
        const auto start = std::chrono::steady_clock::now();
        SkinUI::TNotifyUI click;
        click.sType = L"click";
        click.pSender = main->GetPaintManager().FindControl(L"CutVideo");
        main->OnClick(click);
        if (!main->WaitForWorkers(600000) || !std::filesystem::exists(Folder() + "viawindow.mp4"))
            state.SkipWithError("the cut from the window made no file");
        const double elapsed = SecondsSince(start);
        window += elapsed;
        state.SetIterationTime(elapsed);
        std::filesystem::remove(Folder() + "viawindow.mp4");
    }
    state.counters["bare_s"] = bare / state.iterations();
    state.counters["window_s"] = window / state.iterations();
    state.counters["window_over_bare"] = bare > 0 ? window / bare : 0;
    ::DestroyWindow(main->GetHWND());
    platform::headless::PumpMessages();
    if (main->WaitForWorkers(20000))
        delete main;
    CMainWnd::SetSettingsDialogHook(nullptr);
}

}  // namespace

BENCHMARK(BM_CutFromWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CutOverhead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
