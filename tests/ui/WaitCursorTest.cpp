#include "ui/core/WaitCursor.h"

#include <gtest/gtest.h>

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

TEST(WaitCursor, ShowsTheWaitCursorForItsLifeAndRestoresThePrevious)
{
    ASSERT_TRUE(platform::headless::Use());
    HCURSOR arrow = ::LoadCursor(nullptr, IDC_ARROW);
    HCURSOR wait = ::LoadCursor(nullptr, IDC_WAIT);
    ASSERT_NE(arrow, wait);
    ::SetCursor(arrow);
    {
        SkinUI::CWaitCursor busy;
        EXPECT_EQ(::GetCursor(), wait);
        {
            SkinUI::CWaitCursor nested;
            EXPECT_EQ(::GetCursor(), wait);
        }
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_EQ(::GetCursor(), arrow);
}
