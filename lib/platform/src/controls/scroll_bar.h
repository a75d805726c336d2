// Scroll bars as drawn: the slim track with its thumb, what a tap on it
// means, and where a window's own bars stand beside its client area.
#pragma once

#include <optional>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/scroll.h"

namespace kestrova::platform::detail {

struct ScrollHit {
    int bar = SB_VERT;
    int code = SB_PAGEDOWN;
    int pos = 0;
};

void drawScrollBar(DeviceContext& dc, const Rect& track, const ScrollInfo& info, bool vertical, bool enabled);
// A tap in the track before the thumb pages back, after it pages on; the
// thumb itself, or a bar with nothing to scroll, gives nothing.
// FIXME: the thumb cannot be dragged yet (SB_THUMBTRACK).
std::optional<ScrollHit> scrollBarHit(const Rect& track, const ScrollInfo& info, bool vertical, Point p);
// The window's own bars, in its client coordinates (they lie beyond the
// client area); an empty rectangle for a bar the style does not show.
Rect windowScrollBarRect(HWND hwnd, int bar);
std::optional<ScrollHit> windowScrollBarHit(HWND hwnd, Point client);
// Draws the window's bars, with the window's top-left at origin.
void drawWindowScrollBars(DeviceContext& dc, HWND hwnd, Point origin);

} // namespace kestrova::platform::detail
