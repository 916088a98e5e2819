// Cross-thread post-and-run throughput of the task loop, against a plain locked queue with a
// condition variable doing the same work in the same run, and the lateness of delayed tasks.
//
// Throughput: items_per_second is tasks posted and run per second (goal: at least 1 million with
// one producer). Each subject is paired with the baseline; compare the two figures of a run.
// Precision: "late_us" is how long after its due time a delayed task started, on average.
// Flood: one producer posts without pause for a second, tasks due at once (the baseline) or
// delayed-only, due in 1 ms, with an immediate marker every 500 posts. "ran_fraction" is the share of
// posted tasks run before the producer stopped, "backlog" what it had outrun by then, "rss_mb"
// the peak growth of resident memory during the flood and "bytes_per_backlog" that growth per
// task outrun (goal: memory follows the backlog, a few hundred bytes a task at most, and the
// delayed-only case keeps pace with the baseline). "markers_fraction" is the share of markers run
// before the producer stopped, "halt_ms" how long Halt took after it stopped.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/MessageLoop.h"
#include "base/Thread.h"
#include "platform/WinBase.h"

namespace {

constexpr int kTasksPerIteration = 100000;

class DoneSignal {
public:
    void Reset(int64_t expected) { m_left = expected; }
    void CountOne()
    {
        if (--m_left == 0) {
            std::lock_guard lock(m_mutex);
            m_done.notify_all();
        }
    }
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_left.load() == 0; });
    }

private:
    std::atomic<int64_t> m_left { 0 };
    std::mutex m_mutex;
    std::condition_variable m_done;
};

// Posts from `producers` threads at once, each its share of the iteration's tasks.
template<typename PostFn>
void ProduceAndWait(int producers, DoneSignal& done, PostFn post)
{
    done.Reset(kTasksPerIteration);
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p)
        threads.emplace_back([&] {
            for (int i = 0; i < kTasksPerIteration / producers; ++i)
                post([&done] { done.CountOne(); });
        });
    for (std::thread& t : threads)
        t.join();
    done.Wait();
}

void BM_TaskLoopPostAndRun(benchmark::State& state)
{
    const int producers = static_cast<int>(state.range(0));
    tbase::FrameworkThread worker("bench worker");
    worker.Launch();
    std::shared_ptr<tbase::MessageLoopProxy> proxy = worker.GetMessageLoop()->Proxy();
    DoneSignal done;
    for (auto _ : state)
        ProduceAndWait(producers, done, [&](tbase::Task task) { proxy->Post(std::move(task)); });
    state.SetItemsProcessed(state.iterations() * kTasksPerIteration);
    worker.Halt();
}

// The baseline: one locked deque, one consumer woken by a condition variable.
class LockedQueue {
public:
    LockedQueue() : m_consumer([this] { Consume(); }) { }
    ~LockedQueue()
    {
        Post(nullptr);
        m_consumer.join();
    }
    void Post(std::function<void()> task)
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(task));
        m_ready.notify_one();
    }

private:
    void Consume()
    {
        std::deque<std::function<void()>> batch;
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return !m_queue.empty(); });
                batch.swap(m_queue);
            }
            for (auto& task : batch) {
                if (!task)
                    return;
                task();
            }
            batch.clear();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_queue;
    std::thread m_consumer;
};

void BM_BaselineLockedQueue(benchmark::State& state)
{
    const int producers = static_cast<int>(state.range(0));
    LockedQueue queue;
    DoneSignal done;
    for (auto _ : state)
        ProduceAndWait(producers, done, [&](std::function<void()> task) { queue.Post(std::move(task)); });
    state.SetItemsProcessed(state.iterations() * kTasksPerIteration);
}

void BM_DelayedTaskLateness(benchmark::State& state)
{
    const int64_t delayUs = state.range(0);
    tbase::FrameworkThread worker("bench timer");
    worker.Launch();
    std::shared_ptr<tbase::MessageLoopProxy> proxy = worker.GetMessageLoop()->Proxy();
    double totalLateUs = 0;
    DoneSignal done;
    for (auto _ : state) {
        done.Reset(1);
        const auto due = std::chrono::steady_clock::now() + std::chrono::microseconds(delayUs);
        std::chrono::steady_clock::time_point ranAt;
        proxy->PostDelayed([&] {
            ranAt = std::chrono::steady_clock::now();
            done.CountOne();
        }, delayUs);
        done.Wait();
        totalLateUs += std::chrono::duration<double, std::micro>(ranAt - due).count();
    }
    state.counters["late_us"] = totalLateUs / static_cast<double>(state.iterations());
    worker.Halt();
}

// Resident memory of this process in bytes.
int64_t ResidentBytes()
{
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(statm);
    return static_cast<int64_t>(resident) * sysconf(_SC_PAGESIZE);
}

void BM_TaskLoopFlood(benchmark::State& state)
{
    const bool delayedOnly = state.range(0) != 0;
    constexpr int kMarkerEvery = 500;
    double posted = 0, ran = 0, backlog = 0, growth = 0, markersPosted = 0, markersRun = 0, haltMs = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const int64_t baseline = ResidentBytes();
        int64_t peak = baseline;
        tbase::FrameworkThread worker("bench flood");
        worker.Launch();
        std::shared_ptr<tbase::MessageLoopProxy> proxy = worker.GetMessageLoop()->Proxy();
        std::atomic<int64_t> postedNow { 0 }, ranNow { 0 }, markersRanNow { 0 };
        std::atomic<bool> stop { false };
        std::thread producer([&] {
            for (int64_t i = 1; !stop; ++i) {
                auto task = [&ranNow] { ranNow.fetch_add(1, std::memory_order_relaxed); };
                if (delayedOnly)
                    proxy->PostDelayed(task, 1000);
                else
                    proxy->Post(task);
                postedNow.store(i, std::memory_order_relaxed);
                if (i % kMarkerEvery == 0)
                    proxy->Post([&markersRanNow] { markersRanNow.fetch_add(1, std::memory_order_relaxed); });
            }
        });
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1); std::chrono::steady_clock::now() < until;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            peak = std::max(peak, ResidentBytes());
        }
        stop = true;
        producer.join();
        const int64_t postedTotal = postedNow, ranTotal = ranNow;
        posted += static_cast<double>(postedTotal);
        ran += static_cast<double>(ranTotal);
        backlog += static_cast<double>(postedTotal - ranTotal);
        growth += static_cast<double>(std::max<int64_t>(peak, ResidentBytes()) - baseline);
        markersPosted += static_cast<double>(postedTotal / kMarkerEvery);
        markersRun += static_cast<double>(markersRanNow.load());
        const auto haltStart = std::chrono::steady_clock::now();
        worker.Halt();
        haltMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - haltStart).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["posted_per_s"] = posted / n;
    state.counters["ran_fraction"] = posted > 0 ? ran / posted : 0;
    state.counters["backlog"] = backlog / n;
    state.counters["rss_mb"] = growth / n / (1024 * 1024);
    state.counters["bytes_per_backlog"] = backlog > 0 ? growth / backlog : 0;
    state.counters["markers_fraction"] = markersPosted > 0 ? markersRun / markersPosted : 0;
    state.counters["halt_ms"] = haltMs / n;
}

}  // namespace

BENCHMARK(BM_TaskLoopPostAndRun)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineLockedQueue)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskLoopFlood)->ArgName("delayed_only")->Arg(0)->Arg(1)->UseRealTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DelayedTaskLateness)->Arg(1000)->Arg(5000)->Arg(20000)->UseRealTime()->Iterations(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
