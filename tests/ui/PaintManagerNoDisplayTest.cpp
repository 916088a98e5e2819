// A paint manager reaches the window system only when a window is attached to it, so making one
// (as every skinned window object does) works on a machine without any display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/core/PaintManagerUI.h"

namespace {

TEST(PaintManagerNoDisplay, MadeAndDestroyedWithoutADisplay)
{
    // A fresh process: here the window system has not been reached yet, and none is named.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::unsetenv("DISPLAY");
            ::unsetenv("QUILL_BACKEND");
            { SkinUI::CPaintManagerUI manager; }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
