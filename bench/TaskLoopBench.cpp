// Cross-thread post-and-run throughput of the task loop, against a plain locked queue with a
// condition variable doing the same work in the same run, and the lateness of delayed tasks.
//
// Throughput: items_per_second is tasks posted and run per second (goal: at least 1 million with
// one producer). Each subject is paired with the baseline; compare the two figures of a run.
// Precision: "late_us" is how long after its due time a delayed task started, on average.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
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

}  // namespace

BENCHMARK(BM_TaskLoopPostAndRun)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineLockedQueue)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DelayedTaskLateness)->Arg(1000)->Arg(5000)->Arg(20000)->UseRealTime()->Iterations(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
