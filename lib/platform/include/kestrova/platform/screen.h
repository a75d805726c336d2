// The virtual device screen: its size in pixels and its dots per inch, from
// which every metric of the system is derived.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kestrova/platform/geometry.h"

namespace kestrova::platform {

struct ScreenGeometry {
    int width = 240;
    int height = 320;
    int dpi = 131;
    friend bool operator==(const ScreenGeometry&, const ScreenGeometry&) = default;
};

// "240x320@131"; nullopt for anything else or absurd sizes.
std::optional<ScreenGeometry> parseScreenGeometry(std::string_view text);
std::string formatScreenGeometry(const ScreenGeometry& geometry);

ScreenGeometry screen();
// Set before any window is created.
void setScreen(const ScreenGeometry& geometry);
int screenDpi();
// Heights of the navigation bar (top) and the soft-key bar (bottom).
int navBarHeight();
int softKeyBarHeight();
// The screen between the two bars: where top-level windows live.
Rect workArea();
Rect screenRect();

// Sizes the system derives from the screen, by their familiar numbers.
enum SystemMetric : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,  // width of a vertical scroll bar
    SM_CYHSCROLL = 3,  // height of a horizontal scroll bar
    SM_CXICON = 11,    // the large icon
    SM_CYICON = 12,
    SM_CXSMICON = 49,  // the small icon
    SM_CYSMICON = 50,
};
// 0 for a metric the platform does not know.
int systemMetric(SystemMetric metric);
int smallIconSize();
int largeIconSize();

}  // namespace kestrova::platform
