#include "vibration_patterns.h"

#include <chrono>

#include "kestrova/platform/vibration.h"

namespace kestrova::messaging {
namespace {
constexpr std::chrono::milliseconds kStep{100};
} // namespace

VibrationPatterns::VibrationPatterns(bool pocketPc) : pocketPc_(pocketPc), worker_([this] { run(); }) {}

VibrationPatterns::~VibrationPatterns() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void VibrationPatterns::start() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++pending_;
    }
    wake_.notify_all();
}

int VibrationPatterns::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pending_;
}

void VibrationPatterns::vibrate(bool on) {
    if (pocketPc_)
        platform::setNotificationLed(platform::kVibratorLed, on);
    else if (on)
        platform::startVibration();
    else
        platform::stopVibration();
}

bool VibrationPatterns::pause(std::unique_lock<std::mutex>& lock) {
    return !wake_.wait_for(lock, kStep, [this] { return stopping_; });
}

void VibrationPatterns::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || pending_ > 0; });
        if (stopping_) break;
        vibrate(true);
        bool going = pause(lock);
        vibrate(false);
        if (going && pause(lock)) {
            vibrate(true);
            pause(lock);
            vibrate(false);
        }
        --pending_;
    }
}

} // namespace kestrova::messaging
