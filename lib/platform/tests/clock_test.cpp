#include "kestrova/platform/clock.h"

#include <gtest/gtest.h>

using namespace kestrova::platform;
using namespace std::chrono_literals;

TEST(Clock, VirtualClockReplacesTheSystemClockWhileItLives) {
    UnixTime real = unixNow();
    EXPECT_GT(real.seconds, 1'600'000'000);
    {
        VirtualClock clock({1'000'000, 999'500}, 50);
        EXPECT_EQ(unixNow().seconds, 1'000'000);
        EXPECT_EQ(tickCount(), 50u);
        int calls = 0;
        int id = addClockListener([&] { ++calls; });
        clock.advance(300s);
        clock.advance(1ms);
        removeClockListener(id);
        clock.advance(1ms);
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(unixNow().seconds, 1'000'301);
        EXPECT_EQ(unixNow().microseconds, 1'500);
        EXPECT_EQ(tickCount(), 50u + 300'002u);
    }
    EXPECT_GE(unixNow().seconds, real.seconds);
}
