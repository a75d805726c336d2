#include "kestrova/platform/scroll.h"

#include <algorithm>
#include <limits>

#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

ScrollInfo* stateOf(HWND hwnd, int bar) {
    if (bar < SB_HORZ || bar > SB_CTL) return nullptr;
    detail::Window* w = detail::find(hwnd);
    return w ? &w->scroll[static_cast<size_t>(bar)] : nullptr;
}

// The page never exceeds the range, and the position stays where a whole
// page still fits.
void clamp(ScrollInfo& s) {
    s.max = std::max(s.min, s.max);
    unsigned range = static_cast<unsigned>(s.max - s.min) + 1;
    s.page = std::min(s.page, range);
    int lastPos = s.max - static_cast<int>(std::max(1u, s.page)) + 1;
    s.pos = std::clamp(s.pos, s.min, std::max(s.min, lastPos));
    s.trackPos = s.pos;
}

void redrawBar(HWND hwnd, int bar) {
    if (bar == SB_CTL)
        invalidateRect(hwnd, nullptr, true);
    else
        detail::markScreenChanged(); // window bars are drawn with the screen
}

} // namespace

namespace detail {

void setScrollTrackPos(HWND hwnd, int bar, int trackPos) {
    if (ScrollInfo* s = stateOf(hwnd, bar)) s->trackPos = trackPos;
}

} // namespace detail

int thumbPosition(HWND hwnd, int bar, WParam wParam) {
    auto carried = static_cast<int16_t>(hiWord(wParam));
    ScrollInfo* s = stateOf(hwnd, bar);
    if (!s || static_cast<int16_t>(s->trackPos) != carried) return carried;
    return s->trackPos;
}

bool canScroll(const ScrollInfo& info) {
    long range = static_cast<long>(info.max) - info.min + 1;
    return info.max > info.min && static_cast<long>(info.page) < range;
}

std::optional<int> scrollTarget(WParam wParam, int pos, int line, int page) {
    switch (loWord(wParam)) {
    case SB_LINEUP:
        return pos - line;
    case SB_LINEDOWN:
        return pos + line;
    case SB_PAGEUP:
        return pos - page;
    case SB_PAGEDOWN:
        return pos + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return static_cast<int16_t>(hiWord(wParam));
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return std::numeric_limits<int>::max();
    default:
        return std::nullopt;
    }
}

int wheelLines(WParam wParam) {
    return 3 * wheelDeltaOf(wParam) / WHEEL_DELTA;
}

int setScrollInfo(HWND hwnd, int bar, const ScrollInfo& info, bool redraw) {
    ScrollInfo* s = stateOf(hwnd, bar);
    if (!s) return 0;
    if (info.mask & SIF_RANGE) {
        s->min = info.min;
        s->max = info.max;
    }
    if (info.mask & SIF_PAGE) s->page = info.page;
    if (info.mask & SIF_POS) s->pos = info.pos;
    clamp(*s);
    if (redraw) redrawBar(hwnd, bar);
    return s->pos;
}

bool getScrollInfo(HWND hwnd, int bar, ScrollInfo& info) {
    ScrollInfo* s = stateOf(hwnd, bar);
    if (!s) return false;
    if (info.mask & SIF_RANGE) {
        info.min = s->min;
        info.max = s->max;
    }
    if (info.mask & SIF_PAGE) info.page = s->page;
    if (info.mask & SIF_POS) info.pos = s->pos;
    if (info.mask & SIF_TRACKPOS) info.trackPos = s->trackPos;
    return true;
}

int setScrollPos(HWND hwnd, int bar, int pos, bool redraw) {
    ScrollInfo* s = stateOf(hwnd, bar);
    if (!s) return 0;
    int previous = s->pos;
    ScrollInfo change;
    change.mask = SIF_POS;
    change.pos = pos;
    setScrollInfo(hwnd, bar, change, redraw);
    return previous;
}

int getScrollPos(HWND hwnd, int bar) {
    ScrollInfo* s = stateOf(hwnd, bar);
    return s ? s->pos : 0;
}

bool setScrollRange(HWND hwnd, int bar, int min, int max, bool redraw) {
    if (!stateOf(hwnd, bar)) return false;
    ScrollInfo change;
    change.mask = SIF_RANGE;
    change.min = min;
    change.max = max;
    setScrollInfo(hwnd, bar, change, redraw);
    return true;
}

void scrollWindow(HWND hwnd, int dx, int dy) {
    if (!isWindow(hwnd)) return;
    for (HWND child : childrenOf(hwnd)) {
        detail::Window* c = detail::find(child);
        if (c) moveWindow(child, c->rect.offset(dx, dy), false);
    }
    invalidateRect(hwnd, nullptr, true);
}

} // namespace kestrova::platform
