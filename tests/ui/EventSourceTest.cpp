#include "ui/core/EventSource.h"

#include <gtest/gtest.h>

#include <vector>

using SkinUI::CEventSource;

namespace {

std::vector<int> g_calls;

bool First(void*) { g_calls.push_back(1); return true; }
bool Stops(void*) { g_calls.push_back(2); return false; }
bool Third(void*) { g_calls.push_back(3); return true; }

struct Listener {
    int seen = 0;
    bool Count(void* param) { seen += *static_cast<int*>(param); return true; }
    bool Refuse(void*) { ++seen; return false; }
};

}  // namespace

TEST(EventSource, RunsInOrderAndTheFirstFalseStops)
{
    g_calls.clear();
    CEventSource source;
    EXPECT_FALSE(source);
    EXPECT_TRUE(source(nullptr));  // an empty list lets everything through
    source += First;
    source += Stops;
    source += Third;
    EXPECT_TRUE(source);
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ(g_calls, (std::vector<int> { 1, 2 }));

    g_calls.clear();
    source -= Stops;
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ(g_calls, (std::vector<int> { 1, 3 }));
}

TEST(EventSource, SameTargetIsRegisteredOnce)
{
    g_calls.clear();
    CEventSource source;
    source += First;
    source += First;
    source -= First;
    EXPECT_FALSE(source);
    EXPECT_TRUE(source(nullptr));
    EXPECT_TRUE(g_calls.empty());
    source -= Third;  // absent: ignored

    Listener a, b;
    source += SkinUI::MakeDelegate(&a, &Listener::Count);
    source += SkinUI::MakeDelegate(&a, &Listener::Count);
    source += SkinUI::MakeDelegate(&b, &Listener::Count);
    int step = 5;
    EXPECT_TRUE(source(&step));
    EXPECT_EQ(a.seen, 5);
    EXPECT_EQ(b.seen, 5);

    source += SkinUI::MakeDelegate(&a, &Listener::Refuse);  // another member of the same object
    EXPECT_FALSE(source(&step));
    EXPECT_EQ(a.seen, 11);
    source -= SkinUI::MakeDelegate(&a, &Listener::Refuse);
    EXPECT_TRUE(source(&step));
    source.Clear();
    EXPECT_FALSE(source);
}
