#include "controls/scroll_bar.h"

#include <algorithm>

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "controls/thumb_drag.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

constexpr Colour kTrack = rgb(236, 238, 242);
constexpr Colour kThumb = rgb(150, 162, 180);

// The thumb along the track: as long as the page is of the range, never
// shorter than twice the bar's thickness.
Rect thumbOf(const Rect& track, const ScrollInfo& info, bool vertical) {
    int length = vertical ? track.height() : track.width();
    int thickness = vertical ? track.width() : track.height();
    long range = static_cast<long>(info.max) - info.min + 1;
    int thumb =
        static_cast<int>(std::max<long>(2L * thickness, length * static_cast<long>(info.page) / range));
    thumb = std::min(thumb, length);
    long travel = std::max<long>(1, range - std::max(1u, info.page));
    int offset = static_cast<int>((length - thumb) * static_cast<long>(info.pos - info.min) / travel);
    return vertical ? Rect::ofSize(track.left, track.top + offset, track.width(), thumb)
                    : Rect::ofSize(track.left + offset, track.top, thumb, track.height());
}

void sendScroll(HWND control, int code, int pos) {
    HWND parent = parentOf(control);
    if (!parent) return;
    uint32_t message = (windowStyle(control) & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    sendMessage(parent, message, makeWParam(code, pos), reinterpret_cast<LParam>(control));
    sendMessage(parent, message, SB_ENDSCROLL, reinterpret_cast<LParam>(control));
}

} // namespace

void drawScrollBar(DeviceContext& dc, const Rect& track, const ScrollInfo& info, bool vertical,
                   bool enabled) {
    dc.fillRect(track, kTrack);
    if (!canScroll(info) || !enabled) return;
    int inset = std::max(1, (vertical ? track.width() : track.height()) / 5);
    dc.fillRect(thumbOf(track, info, vertical).inset(vertical ? inset : 0, vertical ? 0 : inset), kThumb);
}

std::optional<ScrollHit> scrollBarHit(const Rect& track, const ScrollInfo& info, bool vertical, Point p) {
    if (!canScroll(info) || !track.contains(p)) return std::nullopt;
    Rect thumb = thumbOf(track, info, vertical);
    int at = vertical ? p.y : p.x;
    int from = vertical ? thumb.top : thumb.left, to = vertical ? thumb.bottom : thumb.right;
    int bar = vertical ? SB_VERT : SB_HORZ;
    if (at >= from && at < to) return ScrollHit{bar, SB_THUMBTRACK, info.pos, at - from};
    return ScrollHit{bar, at < from ? SB_PAGEUP : SB_PAGEDOWN, info.pos};
}

// The inverse of thumbOf, rounded to the nearest position.
int thumbTrackPos(const Rect& track, const ScrollInfo& info, bool vertical, int edge) {
    Rect thumb = thumbOf(track, info, vertical);
    long room = vertical ? track.height() - thumb.height() : track.width() - thumb.width();
    long range = static_cast<long>(info.max) - info.min + 1;
    long travel = std::max<long>(0, range - std::max(1u, info.page));
    if (room <= 0) return info.min;
    long offset = std::clamp<long>(edge - (vertical ? track.top : track.left), 0, room);
    return info.min + static_cast<int>((offset * travel + room / 2) / room);
}

Rect scrollTrackOf(HWND hwnd, int bar) {
    return bar == SB_CTL ? clientRect(hwnd) : windowScrollBarRect(hwnd, bar);
}

bool isVerticalBar(HWND hwnd, int bar) {
    return bar == SB_CTL ? (windowStyle(hwnd) & SBS_VERT) != 0 : bar == SB_VERT;
}

Rect windowScrollBarRect(HWND hwnd, int bar) {
    uint32_t style = windowStyle(hwnd);
    Rect client = clientRect(hwnd);
    Rect window = windowRect(hwnd);
    if (bar == SB_VERT && (style & WS_VSCROLL)) return {client.right, 0, window.width(), client.bottom};
    if (bar == SB_HORZ && (style & WS_HSCROLL)) return {0, client.bottom, client.right, window.height()};
    return {};
}

std::optional<ScrollHit> windowScrollBarHit(HWND hwnd, Point client) {
    for (int bar : {SB_VERT, SB_HORZ}) {
        Rect track = windowScrollBarRect(hwnd, bar);
        ScrollInfo info;
        if (track.empty() || !getScrollInfo(hwnd, bar, info)) continue;
        if (auto hit = scrollBarHit(track, info, bar == SB_VERT, client)) return hit;
    }
    return std::nullopt;
}

void drawWindowScrollBars(DeviceContext& dc, HWND hwnd, Point origin) {
    for (int bar : {SB_VERT, SB_HORZ}) {
        Rect track = windowScrollBarRect(hwnd, bar);
        ScrollInfo info;
        if (track.empty() || !getScrollInfo(hwnd, bar, info)) continue;
        drawScrollBar(dc, track.offset(origin.x, origin.y), info, bar == SB_VERT, isEnabled(hwnd));
    }
    Rect v = windowScrollBarRect(hwnd, SB_VERT), h = windowScrollBarRect(hwnd, SB_HORZ);
    if (!v.empty() && !h.empty())
        dc.fillRect(Rect{v.left, h.top, v.right, h.bottom}.offset(origin.x, origin.y), kTrack);
}

LResult scrollBarProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case WM_PAINT: {
        PaintScope scope(hwnd);
        ScrollInfo info;
        getScrollInfo(hwnd, SB_CTL, info);
        drawScrollBar(scope.dc(), clientRect(hwnd), info, windowStyle(hwnd) & SBS_VERT, isEnabled(hwnd));
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        ScrollInfo info;
        getScrollInfo(hwnd, SB_CTL, info);
        auto hit =
            scrollBarHit(clientRect(hwnd), info, windowStyle(hwnd) & SBS_VERT, {xOf(lParam), yOf(lParam)});
        if (hit && hit->code == SB_THUMBTRACK)
            startThumbDrag(hwnd, SB_CTL, hit->grab);
        else if (hit)
            sendScroll(hwnd, hit->code, hit->pos);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (draggedBar(hwnd)) dragThumbTo({xOf(lParam), yOf(lParam)});
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        endThumbDrag(hwnd);
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace kestrova::platform::detail
