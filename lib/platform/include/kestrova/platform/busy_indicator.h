// The busy indicator: a ring of dots that turns while the control is
// visible, on a timer of the platform clock; hidden, it stands still and
// costs nothing. Screens show it while a request is pending.
#pragma once

#include <cstdint>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

inline constexpr char kBusyIndicatorClass[] = "BUSYINDICATOR";
// One step of the turn.
inline constexpr uint32_t kBusyStepMs = 100;
inline constexpr int kBusyFrames = 12;

inline constexpr uint32_t BIM_GETFRAME = WM_USER + 1; // the step shown now, 0 to kBusyFrames - 1

} // namespace kestrova::platform
