// The windowing layer runs headless in the ui tests, whatever DISPLAY says. A test that needs the
// X11 display runs its window side in a child process that asks for it.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class HeadlessBackend : public testing::Environment {
public:
    void SetUp() override { ::setenv("QUILL_BACKEND", "headless", 1); }
};
[[maybe_unused]] testing::Environment* const kHeadless = testing::AddGlobalTestEnvironment(new HeadlessBackend);

}  // namespace
