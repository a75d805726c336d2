#include "kestrova/net/mailbox_window.h"
#include "kestrova/platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using kestrova::net::MailboxWindow;
using namespace std::chrono_literals;

TEST(MailboxWindow, ASenderWaitsForTheOwnersAnswer) {
    MailboxWindow window;
    std::vector<uint32_t> seen;
    window.setHandler([&](uint32_t message, uintptr_t w, intptr_t) {
        seen.push_back(message);
        return static_cast<intptr_t>(w * 2);
    });
    std::atomic<intptr_t> answer{-1};
    std::thread sender([&] { answer = window.send(0x8001, 21); });
    while (seen.empty()) window.pumpWaiting(5ms);
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(seen, std::vector<uint32_t>{0x8001});
}

TEST(MailboxWindow, ClosingReleasesAWaitingSenderWithZero) {
    MailboxWindow window;
    window.setHandler([](uint32_t, uintptr_t, intptr_t) { return intptr_t{1}; });
    std::atomic<intptr_t> answer{-1};
    std::thread sender([&] { answer = window.send(0x8000); });
    std::this_thread::sleep_for(20ms);
    window.close();
    sender.join();
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(window.send(0x8000), 0);
}

TEST(MailboxWindow, TheTimerFollowsThePlatformClock) {
    kestrova::platform::VirtualClock clock;
    MailboxWindow window;
    int ticks = 0;
    window.setHandler([&](uint32_t message, uintptr_t, intptr_t) {
        if (message == kestrova::net::kMsgTimer) ++ticks;
        return intptr_t{0};
    });
    window.startTimer(10000);
    clock.advance(9999ms);
    window.pump();
    EXPECT_EQ(ticks, 0);
    clock.advance(1ms);
    window.pump();
    EXPECT_EQ(ticks, 1);
    window.stopTimer();
    clock.advance(20000ms);
    window.pump();
    EXPECT_EQ(ticks, 1);
}
