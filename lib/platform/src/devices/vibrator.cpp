#include <mutex>

#include "devices/display_internal.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/vibration.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

std::mutex gMutex;
VibrationRecord gRecord;
uint64_t gGeneration = 0;

void change(bool on) {
    {
        std::lock_guard lock(gMutex);
        // Starting a running vibrator (or stopping a still one) is still asked, and recorded.
        (on ? gRecord.starts : gRecord.stops)++;
        gRecord.on = on;
        gRecord.events.push_back({on, tickCount()});
        if (gRecord.events.size() > kMaxVibrationEvents) gRecord.events.erase(gRecord.events.begin());
        ++gGeneration;
    }
    // The screen shows the vibration: wake the display's thread to draw it.
    for (auto& queue : detail::allQueues())
        queue->notify();
}

} // namespace

namespace detail {

uint64_t vibrationGeneration() {
    std::lock_guard lock(gMutex);
    return gGeneration;
}

} // namespace detail

void startVibration() {
    change(true);
}
void stopVibration() {
    change(false);
}

bool setNotificationLed(int led, bool on) {
    if (led != kVibratorLed) return false;
    change(on);
    return true;
}

bool isVibrating() {
    std::lock_guard lock(gMutex);
    return gRecord.on;
}

VibrationRecord vibrationRecord() {
    std::lock_guard lock(gMutex);
    return gRecord;
}

void clearVibrationRecord() {
    std::lock_guard lock(gMutex);
    gRecord = VibrationRecord{};
    ++gGeneration;
}

} // namespace kestrova::platform
