// Scrolling: every window keeps a vertical and a horizontal scroll state, and
// a window with WS_VSCROLL / WS_HSCROLL shows it as a bar along its right /
// bottom edge, outside its client area. A tap on a bar, or the wheel over a
// window whose bar can scroll, reaches the window as WM_VSCROLL / WM_HSCROLL
// (code in the low word of wParam, position in the high word); the window
// decides what to move and sets the new position. Dragging the thumb sends
// SB_THUMBTRACK as it moves, with the position it stands for (also the bar's
// trackPos), then SB_THUMBPOSITION and SB_ENDSCROLL when it is let go; the
// bar's window holds the pointer meanwhile. The SCROLLBAR control
// (SB_CTL) carries a state of its own and reports to its parent, with its
// handle in lParam.
#pragma once

#include <cstdint>
#include <optional>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

// Which scroll state.
enum ScrollBar : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2 };

// WM_VSCROLL / WM_HSCROLL codes (the horizontal names are the same numbers).
enum ScrollCode : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// Which fields of ScrollInfo a call sets or reads.
inline constexpr uint32_t SIF_RANGE = 0x1;
inline constexpr uint32_t SIF_PAGE = 0x2;
inline constexpr uint32_t SIF_POS = 0x4;
inline constexpr uint32_t SIF_DISABLENOSCROLL = 0x8;
inline constexpr uint32_t SIF_TRACKPOS = 0x10;
inline constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// SCROLLBAR control styles.
inline constexpr uint32_t SBS_HORZ = 0x0;
inline constexpr uint32_t SBS_VERT = 0x1;

inline constexpr char kScrollBarClass[] = "SCROLLBAR";

// The range runs from min to max inclusive; page is how much of it is seen
// at once. The position always lies between min and max - page + 1.
struct ScrollInfo {
    uint32_t mask = SIF_ALL;
    int min = 0;
    int max = 0;
    unsigned page = 0;
    int pos = 0;
    int trackPos = 0;
    friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

// True when the range is longer than the page: there is something to scroll.
bool canScroll(const ScrollInfo& info);

// Where a WM_VSCROLL / WM_HSCROLL request moves a position: a line or a
// page back or on, to the thumb's position, to the top (0) or past the end
// (INT_MAX, for the caller to clamp); nullopt for SB_ENDSCROLL and codes it
// does not know. wParam as the message carries it.
std::optional<int> scrollTarget(WParam wParam, int pos, int line, int page);
// The position an SB_THUMBTRACK / SB_THUMBPOSITION stands for, in full:
// wParam has room for 16 bits of it, the bar's track position for all (bar
// SB_CTL for a SCROLLBAR control). A position the program sent itself, which
// the track position does not match, is taken as wParam carries it.
int thumbPosition(HWND hwnd, int bar, WParam wParam);
// How many lines one WM_MOUSEWHEEL moves: three a notch, positive upwards.
int wheelLines(WParam wParam);

// Sets the fields named in the mask, clamps page and position, and returns
// the position after clamping. Redraws the bar when asked.
int setScrollInfo(HWND hwnd, int bar, const ScrollInfo& info, bool redraw = true);
// Fills the fields named in info.mask; false when the window does not exist.
bool getScrollInfo(HWND hwnd, int bar, ScrollInfo& info);
// Returns the previous position.
int setScrollPos(HWND hwnd, int bar, int pos, bool redraw = true);
int getScrollPos(HWND hwnd, int bar);
bool setScrollRange(HWND hwnd, int bar, int min, int max, bool redraw = true);
// Moves the window's children by dx, dy and repaints it (the content is
// drawn anew at its new place by the window's own painting).
void scrollWindow(HWND hwnd, int dx, int dy);

} // namespace kestrova::platform
