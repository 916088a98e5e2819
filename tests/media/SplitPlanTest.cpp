#include <gtest/gtest.h>

#include <cwchar>

#include "media/SplitPlan.h"

TEST(SplitPlan, FilesOfEachTask)
{
    using Status = SplitPlan::Status;
    struct Case { std::wstring task; int durationMs; Status status; std::vector<std::pair<double, double>> pieces; };
    const Case cases[] = {
        { L"1-65.500000", 120000, Status::Ready, { { 0, 65.5 }, { 65.5, 54.5 } } },
        { L"2-3", 10000, Status::Ready, { { 0, 3.333 }, { 3.333, 3.333 }, { 6.666, 3.333 } } },
        { L"3-4.000000", 10000, Status::Ready, { { 0, 4 }, { 4, 4 }, { 8, 2 } } },
        { L"3-5.000000", 10000, Status::Ready, { { 0, 5 }, { 5, 5 } } },            // no empty last piece
        { L"3-4.000000", 10050, Status::Ready, { { 0, 4 }, { 4, 4 }, { 8, 2.05 } } },
        { L"3-3.000000", 9050, Status::Ready, { { 0, 3 }, { 3, 3 }, { 6, 3.05 } } }, // a sliver joins the last piece
        { L"3-30.000000", 10000, Status::Ready, { { 0, 10 } } },                     // longer than the file: the whole
        { L"2-0", 10000, Status::Refused, {} },
        { L"2-200", 10000, Status::Refused, {} },                                    // pieces of 50 ms
        { L"3-0.000000", 10000, Status::Refused, {} },
        { L"1-0.000000", 10000, Status::Refused, {} },
        { L"1-10.000000", 10000, Status::Refused, {} },                              // nothing after the point
        { L"2-2", 80, Status::Refused, {} },                                         // a file shorter than 100 ms
        { L"9-1", 10000, Status::NotATask, {} },
        { L"", 10000, Status::NotATask, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.task.begin(), c.task.end()) + " of " + std::to_string(c.durationMs));
        const SplitPlan plan = PlanSplitTask(c.task, c.durationMs);
        EXPECT_EQ(plan.status, c.status);
        ASSERT_EQ(plan.pieces.size(), c.pieces.size());
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_NEAR(std::wcstod(plan.pieces[i].start.c_str(), nullptr), c.pieces[i].first, 0.001);
            EXPECT_NEAR(std::wcstod(plan.pieces[i].length.c_str(), nullptr), c.pieces[i].second, 0.001);
            EXPECT_NEAR(plan.pieces[i].seconds, c.pieces[i].second, 0.001);
        }
    }
    // A manual point keeps its text as written for both files.
    const SplitPlan manual = PlanSplitTask(L"1-65.500000", 120000);
    ASSERT_EQ(manual.pieces.size(), 2u);
    EXPECT_EQ(manual.pieces[0].length, L"65.500000");
    EXPECT_EQ(manual.pieces[1].start, L"65.500000");
}
