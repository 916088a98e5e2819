#include <gtest/gtest.h>

#include <set>

#include "editor/mainwnd/MainWnd.h"

// The exports name their temporary files with these digits: a hundred names made in a tight loop,
// all within the same second, must all differ.
TEST(WorkFileNames, RandomDigitsMadeWithinOneSecondNeverRepeat)
{
    CMainWnd main;
    std::set<std::wstring> names;
    constexpr int kNames = 100;
    for (int i = 0; i < kNames; ++i)
        names.insert(main.RandomDigits(10).GetData());
    EXPECT_EQ(names.size(), static_cast<size_t>(kNames));
}
