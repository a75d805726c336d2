// Device input as the display delivers it: keys go to the focused window (the
// soft keys and Back to the front window's bar), taps to the window under the
// point. Call on the user-interface thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "kestrova/platform/geometry.h"

namespace kestrova::platform {

// Key presses also keep the key state that keyIsDown reads (Shift and Ctrl
// held while other keys are pressed, as controls ask).
void keyDown(uint32_t virtualKey, bool repeat = false);
void keyUp(uint32_t virtualKey);
void pressKey(uint32_t virtualKey);
// True while the key is held: VK_SHIFT and VK_CONTROL above all.
bool keyIsDown(uint32_t virtualKey);
// Sets the Shift and Ctrl state without key messages (a desktop display
// follows its own modifier state this way).
void setModifierKeys(bool shift, bool control);
// MK_SHIFT and MK_CONTROL as they are held now.
uint32_t modifierFlags();
// One WM_MOUSEWHEEL to the focused window; delta in WHEEL_DELTA units per
// notch, positive away from the user; at is where the pointer stands.
void mouseWheel(int delta, Point at = {});
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
