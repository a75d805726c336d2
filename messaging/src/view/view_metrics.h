// The sizes and fonts of the message view, all derived from the screen's
// dots per inch with integer division, so that the view looks the same on
// every screen of that density. Made per view rather than once per process,
// so that one program (or test) can show views at several densities.
#pragma once

#include "kestrova/platform/dc.h"

namespace kestrova::messaging {

struct ViewMetrics {
    int dpi = 0;
    int headerHeight = 0;      // H: a message item's header band is H/2 tall
    int leftColumn = 0;        // L: the icon column left of the bubble
    int rightMargin = 0;       // R: space right of the bubble
    int lineItemHeight = 0;    // status lines, notices, the history marker
    int placeholderHeight = 0; // "Please Wait" while history is on its way
    int iconSize = 0;          // the content icon: 16, or 32 when the column is wide enough
    int progressWidth = 0;     // the progress bar: as wide and tall as "12:34:56" in the large font
    int progressHeight = 0;
    platform::Font largeFont;
    platform::Font normalFont;
    platform::Font boldFont;
    int normalLineHeight = 0;

    static ViewMetrics forDpi(int dpi);

    // Where a message's content text starts and ends within an item of that width.
    int contentLeft() const { return leftColumn + 3; }
    int contentRight(int width) const { return width - (rightMargin + 3); }
};

} // namespace kestrova::messaging
