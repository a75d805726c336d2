// The on-screen popup menu of the interactive display.
#pragma once

#include "kestrova/platform/dc.h"
#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

// Runs the menu in a nested loop; returns the chosen command or 0.
int runPopupMenu(HMENU menu, uint32_t flags, Point at, HWND owner);
const Font& chromeFontForMenus();

}  // namespace kestrova::platform
