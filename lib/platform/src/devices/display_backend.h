// A display back-end besides headless: it shows the composed screen and
// feeds device input into the window system.
#pragma once

#include <memory>

#include "kestrova/platform/dc.h"
#include "window_system/window_system.h"

namespace kestrova::platform::detail {

class DisplayBackend : public EventSource {
public:
    virtual bool interactive() const = 0;
    // The inside of the window on the desktop.
    virtual Size windowSize() const = 0;
};

// Null when SDL cannot open a window here.
std::unique_ptr<DisplayBackend> makeSdlBackend();
void composeScreen(Bitmap& target);
uint64_t screenGeneration();

}  // namespace kestrova::platform::detail
