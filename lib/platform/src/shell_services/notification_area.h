// Where the display draws the notification area's icons, and where a tap
// finds them: at the right of the navigation bar, the first added rightmost.
#pragma once

#include <vector>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/notifications.h"

namespace kestrova::platform::detail {

struct PlacedTrayIcon {
    TrayIconRecord record;
    Rect place; // screen coordinates
};

std::vector<PlacedTrayIcon> placedTrayIcons();

} // namespace kestrova::platform::detail
