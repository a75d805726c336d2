// Device input as the display delivers it: keys go to the focused window (the
// soft keys and Back to the front window's bar), taps to the window under the
// point. Call on the user-interface thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "kestrova/platform/geometry.h"

namespace kestrova::platform {

void keyDown(uint32_t virtualKey, bool repeat = false);
void keyUp(uint32_t virtualKey);
void pressKey(uint32_t virtualKey);
// One WM_CHAR per Unicode code point of the UTF-8 text.
void typeText(std::string_view text);
// Screen coordinates.
void pointerDown(Point at);
void pointerUp(Point at);
void pointerMove(Point at);
void tap(Point at);
// Tap-and-hold: the window under the point gets WM_CONTEXTMENU.
void tapAndHold(Point at);

}  // namespace kestrova::platform
