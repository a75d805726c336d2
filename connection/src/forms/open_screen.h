// Builds a screen made with new and shows it; null when it could not be
// made (a window that was made deletes its object as it goes).
#pragma once

#include "kestrova/platform/window.h"

namespace kestrova::connection {

template <typename Screen> Screen* openScreen(Screen* screen) {
    if (!screen->build()) {
        if (platform::isWindow(screen->hwnd()))
            platform::destroyWindow(screen->hwnd());
        else
            delete screen;
        return nullptr;
    }
    screen->bringToFront();
    return screen;
}

} // namespace kestrova::connection
