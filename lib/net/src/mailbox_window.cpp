#include "kestrova/net/mailbox_window.h"

#include "kestrova/platform/clock.h"

namespace kestrova::net {

struct MailboxWindow::Delivery {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    intptr_t result = 0;
    bool done = false;
    std::condition_variable handled;
};

MailboxWindow::MailboxWindow() = default;

MailboxWindow::~MailboxWindow() { close(); }

void MailboxWindow::setHandler(Handler handler) { handler_ = std::move(handler); }

intptr_t MailboxWindow::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto delivery = std::make_shared<Delivery>();
    delivery->message = message;
    delivery->wParam = wParam;
    delivery->lParam = lParam;
    std::unique_lock lock(mutex_);
    if (closed_) return 0;
    queue_.push_back(delivery);
    arrived_.notify_all();
    delivery->handled.wait(lock, [&] { return delivery->done || closed_; });
    return delivery->done ? delivery->result : 0;
}

void MailboxWindow::startTimer(uint32_t periodMs) {
    timerPeriod_ = periodMs;
    timerStartedAt_ = platform::tickCount();
}

void MailboxWindow::stopTimer() { timerPeriod_ = 0; }

void MailboxWindow::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (auto& delivery : queue_) delivery->handled.notify_all();
    queue_.clear();
    arrived_.notify_all();
}

bool MailboxWindow::fireTimerIfDue() {
    if (timerPeriod_ == 0) return false;
    uint32_t now = platform::tickCount();
    if (now - timerStartedAt_ < timerPeriod_) return false;
    // Like a window timer: ticks that were missed are not made up one by one.
    timerStartedAt_ = now;
    if (handler_) handler_(kMsgTimer, 0, 0);
    return true;
}

int MailboxWindow::pump() {
    int handled = 0;
    for (;;) {
        std::shared_ptr<Delivery> delivery;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            delivery = queue_.front();
            queue_.pop_front();
        }
        intptr_t result = handler_ ? handler_(delivery->message, delivery->wParam, delivery->lParam) : 0;
        {
            std::lock_guard lock(mutex_);
            delivery->result = result;
            delivery->done = true;
            delivery->handled.notify_all();
        }
        ++handled;
    }
    if (fireTimerIfDue()) ++handled;
    return handled;
}

int MailboxWindow::pumpWaiting(std::chrono::milliseconds limit) {
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, limit, [&] { return !queue_.empty() || closed_; });
    }
    return pump();
}

}  // namespace kestrova::net
