#include "kestrova/net/platform_hidden_window.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/message_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using kestrova::net::PlatformHiddenWindow;
using namespace std::chrono_literals;

namespace {

void pumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 5000 && !done(); ++i) {
        kestrova::platform::pumpPendingMessages();
        std::this_thread::sleep_for(1ms);
    }
}

}  // namespace

TEST(PlatformHiddenWindow, AWorkersSendIsHandledByTheLoopOfTheOwningThread) {
    PlatformHiddenWindow window;
    ASSERT_TRUE(window.valid());
    std::thread::id handledOn;
    window.setHandler([&](uint32_t message, uintptr_t w, intptr_t) {
        handledOn = std::this_thread::get_id();
        return message == kestrova::net::kMsgSocketReady ? static_cast<intptr_t>(w + 1) : 0;
    });
    std::atomic<intptr_t> answer{-1};
    std::thread worker([&] { answer = window.send(kestrova::net::kMsgSocketReady, 41); });
    pumpUntil([&] { return answer.load() != -1; });
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
}

TEST(PlatformHiddenWindow, ClosingLetsWaitingAndLaterSendersGoWithZero) {
    PlatformHiddenWindow window;
    window.setHandler([](uint32_t, uintptr_t, intptr_t) { return intptr_t{7}; });
    std::atomic<intptr_t> answer{-1};
    std::thread worker([&] { answer = window.send(kestrova::net::kMsgConnected); });
    std::this_thread::sleep_for(20ms);
    window.close();
    pumpUntil([&] {
        window.serveWaitingSenders();
        return answer.load() != -1;
    });
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(window.send(kestrova::net::kMsgConnected), 0);
}

TEST(PlatformHiddenWindow, TheTimerTicksOnThePlatformClock) {
    kestrova::platform::VirtualClock clock;
    PlatformHiddenWindow window;
    int ticks = 0;
    window.setHandler([&](uint32_t message, uintptr_t, intptr_t) {
        if (message == kestrova::net::kMsgTimer) ++ticks;
        return intptr_t{0};
    });
    window.startTimer(10000);
    clock.advance(9s);
    kestrova::platform::pumpPendingMessages();
    EXPECT_EQ(ticks, 0);
    clock.advance(1s);
    kestrova::platform::pumpPendingMessages();
    EXPECT_EQ(ticks, 1);
    window.stopTimer();
    clock.advance(30s);
    kestrova::platform::pumpPendingMessages();
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(window.timerRunning());
}
