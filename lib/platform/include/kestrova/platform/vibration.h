// The vibrator. Any thread may start and stop it (alert patterns run on
// threads of their own). On the desktop display a vibrating device shows a
// flashing frame around the screen; every start and stop is recorded so that
// tests (and the automation's `vibrations`) can tell what the user felt.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrova::platform {

// Vibrates until stopVibration.
void startVibration();
void stopVibration();
bool isVibrating();
// The notification LEDs as a Pocket PC numbers them, where LED 1 is the
// vibrator. False for an LED this device does not have.
bool setNotificationLed(int led, bool on);
inline constexpr int kVibratorLed = 1;

struct VibrationEvent {
    bool on = false;
    uint32_t tick = 0; // tickCount() when it happened
};

struct VibrationRecord {
    int starts = 0;
    int stops = 0;
    bool on = false;
    std::vector<VibrationEvent> events; // the latest kMaxVibrationEvents, oldest first
};

inline constexpr size_t kMaxVibrationEvents = 256;

VibrationRecord vibrationRecord();
void clearVibrationRecord();

} // namespace kestrova::platform
