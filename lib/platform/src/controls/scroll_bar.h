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
    int grab = 0; // SB_THUMBTRACK: how far into the thumb the pointer took it
};

void drawScrollBar(DeviceContext& dc, const Rect& track, const ScrollInfo& info, bool vertical, bool enabled);
// A tap in the track before the thumb pages back, after it pages on; on the
// thumb it gives SB_THUMBTRACK, to drag it. A bar with nothing to scroll
// gives nothing.
std::optional<ScrollHit> scrollBarHit(const Rect& track, const ScrollInfo& info, bool vertical, Point p);
// The position the thumb stands for when its leading edge is at `edge`
// (along the track, in the track's coordinates), within the range.
int thumbTrackPos(const Rect& track, const ScrollInfo& info, bool vertical, int edge);
// The track of the SCROLLBAR control (bar SB_CTL) or of a window's own bar.
Rect scrollTrackOf(HWND hwnd, int bar);
bool isVerticalBar(HWND hwnd, int bar);
// The window's own bars, in its client coordinates (they lie beyond the
// client area); an empty rectangle for a bar the style does not show.
Rect windowScrollBarRect(HWND hwnd, int bar);
std::optional<ScrollHit> windowScrollBarHit(HWND hwnd, Point client);
// Draws the window's bars, with the window's top-left at origin.
void drawWindowScrollBars(DeviceContext& dc, HWND hwnd, Point origin);

} // namespace kestrova::platform::detail
