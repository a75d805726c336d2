// The main window's layout of child panes, published as "core.window.layout"
// so that plug-ins can place panes in the main window.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "kestrova/platform/messages.h"

namespace kestrova::shell {

struct PanePlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    uint8_t topPercent = 0;
    uint8_t leftPercent = 0;
    uint8_t rightPercent = 0;
    uint8_t bottomPercent = 0;
    uint8_t topBar = 0;
    uint8_t bottomBar = 0;
};

// FIXME: the layout operations (addTopBar, addFill, insert, remove, relayout,
// nextFocus) come with the main window's full behaviour; for now the layout
// is the published record with its fields, empty.
struct PaneLayout {
    platform::HWND owner = nullptr;
    std::map<platform::HWND, PanePlacement> panes;
    int32_t marginLeft = 0;
    int32_t marginTop = 0;
    int32_t marginRight = 0;
    int32_t marginBottom = 0;
    std::vector<platform::HWND> focusOrder;
};

}  // namespace kestrova::shell
