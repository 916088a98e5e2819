#include "base/WorkNameRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

TEST(WorkNameRandom, DigitsHaveTheCountAskedFor)
{
    for (int count : { -1, 0, 1, 10, 40 }) {
        const std::wstring digits = WorkNameRandomDigits(count);
        EXPECT_EQ(digits.size(), static_cast<size_t>(std::max(count, 0)));
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            << "count " << count;
    }
}

// Names drawn at once from several threads, each far faster than a second apart, never repeat.
TEST(WorkNameRandom, NamesDrawnTogetherFromSeveralThreadsNeverRepeat)
{
    constexpr int kThreads = 4, kPerThread = 2000;
    std::vector<std::vector<std::wstring>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (auto& names : drawn)
        threads.emplace_back([&names] {
            for (int i = 0; i < kPerThread; ++i)
                names.push_back(WorkNameRandomDigits(20) + L"-" + std::to_wstring(WorkNameRandomNumber()));
        });
    for (std::thread& thread : threads)
        thread.join();
    std::set<std::wstring> distinct;
    for (const auto& names : drawn)
        distinct.insert(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kPerThread));
}
