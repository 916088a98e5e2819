// Merge pre-conversion: six 1280x720 inputs converted by the worker pool with its usual worker
// count, by a pool of one worker, and by the same encoder commands started by hand from a shell,
// as many at once as the pool runs. Wall time; the inputs (QUILL_BENCH_SECONDS long, 8 by default)
// are made once in a private folder that HOME and TMPDIR point to.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/MergeExport.h"

namespace {

constexpr int kInputs = 6;

int ClipSeconds()
{
    const char* text = std::getenv("QUILL_BENCH_SECONDS");
    const int seconds = text ? std::atoi(text) : 8;
    return seconds > 0 ? seconds : 8;
}

std::string Input(int i);

const std::string& Folder()
{
    static const std::string folder = [] {
        std::string base = std::filesystem::temp_directory_path().string() + "/quill-mergebench-XXXXXX";
        if (!mkdtemp(base.data()))
            std::abort();
        setenv("HOME", base.c_str(), 1);
        setenv("TMPDIR", base.c_str(), 1);
        std::filesystem::create_directories(base + "/TempMerge");
        static const std::string owned = base;
        std::atexit([] { std::filesystem::remove_all(owned); });
        return base + "/";
    }();
    return folder;
}

std::string Input(int i)
{
    const std::string path = Folder() + "in" + std::to_string(i) + ".mp4";
    if (!std::filesystem::exists(path)) {
        const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25 "
                                 "-f lavfi -i sine=frequency=" + std::to_string(300 + 100 * i) + " -t "
            + std::to_string(ClipSeconds()) + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac '" + path + "'";
        if (std::system(make.c_str()) != 0)
            std::abort();
    }
    return path;
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

class BenchMergeList : public MergeListView {
public:
    int RowCount() const override { return kInputs; }
    SkinUI::CUIString RowPath(int row) const override { return Wide(Input(row)).c_str(); }
    SkinUI::CUIString RowDuration(int) const override { return std::to_wstring(ClipSeconds() * 1000).c_str(); }
    SkinUI::CUIString RowResolution(int) const override { return L"1280x720"; }
    bool RowIsMute(int) const override { return false; }
    SkinUI::CUIString ConvertedPath(int row) const override { return converted[row].c_str(); }
    void SetConvertedPath(int row, const SkinUI::CUIString& path) override { converted[row] = path.GetData(); }

    std::wstring converted[kInputs];
};

void RunPool(benchmark::State& state, int workers)
{
    CMessageWnd::SetAnswerer([](const CMessageWnd&) { return 2; });
    BenchMergeList list;
    CMainWnd main;
    main.m_strEncoder = L"ffmpeg.exe";
    main.m_strAppFolder = Wide(Folder());
    main.m_pMergeList = &list;
    main.m_nMergeTotalSeconds = kInputs * ClipSeconds();
    main.m_nMergeSizeAgreement = 2;
    if (workers > 0)
        main.m_nMergeWorkerCount = workers;
    state.counters["workers"] = std::min(kInputs, main.m_nMergeWorkerCount);
    for (int i = 0; i < kInputs; ++i)
        Input(i);  // made before the clock starts
    for (auto _ : state) {
        main.RunMergePool();
        for (const std::wstring& file : list.converted)
            std::filesystem::remove(std::string(file.begin(), file.end()));  // ASCII paths only here
    }
}

void BM_MergePoolUsualWorkers(benchmark::State& state)
{
    RunPool(state, 0);
}

void BM_MergePoolOneWorker(benchmark::State& state)
{
    RunPool(state, 1);
}

// The pool's command for each input, started by xargs with the pool's concurrency (a backslash
// keeps the filter's quotes from xargs).
void BM_MergeCommandsByHand(benchmark::State& state)
{
    const int workers = std::min(kInputs, CMainWnd::ComputeWorkerCount());
    state.counters["workers"] = workers;
    std::string script = Folder() + "commands.txt";
    {
        std::string lines;
        for (int i = 0; i < kInputs; ++i)
            lines += "-nostdin -loglevel error -y -i " + Input(i) + " -vcodec h264 -acodec aac -ar 44100 -r 24 -ac 2 "
                "-ab 128k -preset superfast -crf 24 -pix_fmt yuv420p -filter_complex "
                "[0:v]scale=\\'trunc(min(1280,720*dar)/2)*2\\':\\'trunc(min(1280/dar,720)/2)*2\\',setsar=1:1,"
                "pad=1280:720:trunc((1280-iw)/2):trunc((720-ih)/2):black[v] -map [v] -map 0:a:0 "
                + Folder() + "TempMerge/hand" + std::to_string(i) + ".mp4\n";
        FILE* file = std::fopen(script.c_str(), "w");
        std::fputs(lines.c_str(), file);
        std::fclose(file);
    }
    const std::string command = "xargs -P " + std::to_string(workers) + " -L 1 ffmpeg < " + script;
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("an encoder command failed");
}

}  // namespace

BENCHMARK(BM_MergePoolUsualWorkers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_MergePoolOneWorker)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_MergeCommandsByHand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

BENCHMARK_MAIN();
