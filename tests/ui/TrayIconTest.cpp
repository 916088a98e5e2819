#include "ui/core/TrayIcon.h"

#include <gtest/gtest.h>

namespace {

TEST(CTrayIcon, EnabledIsTheFirstFlagAndVisibleTheSecondOneClear)
{
    const struct {
        bool enabled, hidden;
    } cases[] = { { false, false }, { true, false }, { false, true }, { true, true } };
    for (const auto& c : cases) {
        const SkinUI::CTrayIcon icon(c.enabled, c.hidden);
        EXPECT_EQ(icon.Enabled(), c.enabled);
        EXPECT_EQ(icon.IsVisible(), !c.hidden);
    }
    const SkinUI::CTrayIcon fresh;
    EXPECT_FALSE(fresh.Enabled());
    EXPECT_TRUE(fresh.IsVisible());
}

}  // namespace
