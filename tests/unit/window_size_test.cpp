#include <gtest/gtest.h>

#include "app/window_size.h"

namespace {
const RECT kWork = {0, 0, 1920, 1040};
}

TEST(HomeWindowSize, DefaultIsScaledAndCappedByTheWorkArea) {
    WindowPlacement p = HomeWindowPlacement(kWork, 1.0f, 0, 0, nullptr);
    EXPECT_EQ(p.width, 1300);
    EXPECT_EQ(p.height, 850);
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, 95);
    p = HomeWindowPlacement(kWork, 1.5f, 0, 0, nullptr);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1040);
    EXPECT_EQ(p.x, 0);
    p = HomeWindowPlacement(RECT{0, 0, 3000, 2000}, 1.25f, 0, 0, nullptr);
    EXPECT_EQ(p.width, 1625);
    EXPECT_EQ(p.height, 1062);
}

TEST(HomeWindowSize, RequestedSizeNeedsAtLeast920By600AndIsNotCapped) {
    EXPECT_EQ(HomeWindowPlacement(kWork, 1.0f, 800, 600, nullptr).width, 1300);
    EXPECT_EQ(HomeWindowPlacement(kWork, 1.0f, 920, 599, nullptr).width, 1300);
    const WindowPlacement p = HomeWindowPlacement(kWork, 1.0f, 1920, 1080, nullptr);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1080);
    EXPECT_EQ(p.y, -20);  // centred, above the work area's top
}

TEST(HomeWindowSize, VariableWinsWhenItReadsAsTwoLargeEnoughNumbers) {
    WindowPlacement p = HomeWindowPlacement(kWork, 1.0f, 1920, 1080, L"1000x700");
    EXPECT_EQ(p.width, 1000);
    EXPECT_EQ(p.height, 700);
    p = HomeWindowPlacement(kWork, 1.0f, 1100, 720, L"1000x500");
    EXPECT_EQ(p.width, 1100);
    p = HomeWindowPlacement(kWork, 1.0f, 0, 0, L"1000");
    EXPECT_EQ(p.width, 1300);
    p = HomeWindowPlacement(kWork, 1.0f, 0, 0, L"720x560");
    EXPECT_EQ(p.width, 720);
    EXPECT_EQ(p.height, 560);
    p = HomeWindowPlacement(kWork, 1.0f, 0, 0, L"wide");
    EXPECT_EQ(p.width, 1300);
}

TEST(HomeWindowSize, CentringTruncatesTowardZero) {
    const RECT odd = {10, 20, 1011, 801};  // 1001 x 781
    const WindowPlacement p = HomeWindowPlacement(odd, 1.0f, 0, 0, L"1000x780");
    EXPECT_EQ(p.x, 10);  // (1001 - 1000) / 2 = 0
    EXPECT_EQ(p.y, 20);
    const WindowPlacement big = HomeWindowPlacement(odd, 1.0f, 0, 0, L"1004x784");
    EXPECT_EQ(big.x, 10 + (-3 / 2));  // -1, not -2
    EXPECT_EQ(big.y, 20 + (-3 / 2));
}
