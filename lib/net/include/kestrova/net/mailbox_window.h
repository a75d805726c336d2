// A hidden window of our own: a queue of sent messages that the owner thread
// works off with pump(), and one timer driven by the platform clock (so a
// virtual clock drives it in tests).
//
// NOTE: until the connection plug-in's messages are routed through the
// platform's window system, this is the window the socket layer uses; the
// owner pumps it from its loop.
#pragma once

#include "kestrova/net/hidden_window.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace kestrova::net {

class MailboxWindow final : public HiddenWindow {
public:
    MailboxWindow();
    ~MailboxWindow() override;

    void setHandler(Handler handler) override;
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) override;
    void startTimer(uint32_t periodMs) override;
    void stopTimer() override;
    bool timerRunning() const override { return timerPeriod_ != 0; }
    uint32_t timerPeriod() const override { return timerPeriod_; }
    void close() override;
    // close() has let every sender go already.
    void serveWaitingSenders() override {}

    // Owner thread: handles every waiting message and a due timer; returns
    // the number of messages and timer ticks handled.
    int pump();
    // Owner thread: waits up to `limit` of real time for a message to arrive,
    // then pumps.
    int pumpWaiting(std::chrono::milliseconds limit);

private:
    struct Delivery;

    bool fireTimerIfDue();

    Handler handler_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::shared_ptr<Delivery>> queue_;
    bool closed_ = false;
    uint32_t timerPeriod_ = 0;
    uint32_t timerStartedAt_ = 0;
};

}  // namespace kestrova::net
