#include <gtest/gtest.h>

#include "kestrova/platform/clock.h"
#include "test_window.h"

using namespace testing_windows;
using namespace std::chrono_literals;

using Timers = WindowTest;

TEST_F(Timers, AVirtualClockAdvanceMakesDueTimersFireWithoutWaiting) {
    VirtualClock clock;
    HWND w = makeTopLevel();
    setTimer(w, 1, 10'000);
    setTimer(w, 2, 300'000);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 0u);
    clock.advance(9'999ms);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 0u);
    clock.advance(1ms);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 1u);
    clock.advance(290s);
    pumpPendingMessages();
    // Timer 1 fell behind and fires once; timer 2 is exactly due.
    std::vector<WParam> ids;
    for (auto& r : journal())
        if (r.message == WM_TIMER) ids.push_back(r.wParam);
    EXPECT_EQ(ids, (std::vector<WParam>{1, 1, 2}));
}

TEST_F(Timers, KillingStopsATimerAndSettingAgainRestartsIt) {
    VirtualClock clock;
    HWND w = makeTopLevel();
    setTimer(w, 5, 1000);
    clock.advance(600ms);
    setTimer(w, 5, 1000);  // restarts the period
    clock.advance(600ms);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 0u);
    clock.advance(400ms);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 1u);
    EXPECT_TRUE(killTimer(w, 5));
    EXPECT_FALSE(killTimer(w, 5));
    clock.advance(5s);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_TIMER), 1u);
}

TEST_F(Timers, PointerSizedIdsAndTimersOfDestroyedWindowsGo) {
    VirtualClock clock;
    HWND w = makeTopLevel();
    int record = 0;
    auto id = reinterpret_cast<uintptr_t>(&record);
    EXPECT_EQ(setTimer(w, id, 150), id);
    clock.advance(150ms);
    pumpPendingMessages();
    ASSERT_EQ(countOf(w, WM_TIMER), 1u);
    destroyWindow(w);
    clock.advance(1s);
    pumpPendingMessages();  // nothing left to fire, nothing crashes
    EXPECT_EQ(countOf(w, WM_TIMER), 1u);
}

TEST_F(Timers, AWaitingLoopWakesWhenTheVirtualClockMoves) {
    VirtualClock clock;
    HWND w = makeTopLevel();
    setTimer(w, 1, 60'000);
    hooks()[w] = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m == WM_TIMER) postQuitMessage(0);
        return std::nullopt;
    };
    std::thread mover([&] { clock.advance(60s); });
    EXPECT_EQ(runMessageLoop(), 0);
    mover.join();
    EXPECT_EQ(countOf(w, WM_TIMER), 1u);
}
