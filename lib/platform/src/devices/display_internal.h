// What the rest of the platform needs to know about the display.
#pragma once

#include "kestrova/platform/dc.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform::detail {

// True when a person can answer modals on screen (the desktop display).
bool displayIsInteractive();
// Fonts of the system chrome (bars, menus, message boxes) at the screen's dpi.
const Font& chromeFont();
const Font& chromeBoldFont();
// The window a soft key or Back press belongs to: the front window, or the
// nearest owner that has a bar.
HWND softKeyOwner();
// Bumps whenever the vibrator starts or stops (the screen shows it).
uint64_t vibrationGeneration();

}  // namespace kestrova::platform::detail
