// How a new message makes itself known, by the phone's sound profile, the
// shell's notification override and the user's sound setting: a sound, a
// short vibration, or nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrova::messaging {

enum class AlertKind { kNone, kSound, kVibrate };

// "Meeting" vibrates, "Silent" keeps quiet; any other profile goes by the
// override mode: 1 vibrates, 2 keeps quiet, anything else (or none) sounds,
// if sounds are on.
AlertKind chooseAlert(const std::optional<std::string>& profile, int32_t overrideMode, bool soundsOn);

} // namespace kestrova::messaging
