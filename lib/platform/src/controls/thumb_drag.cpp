#include "controls/thumb_drag.h"

#include <utility>

#include "controls/scroll_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform::detail {
namespace {

struct ThumbDrag {
    HWND hwnd = nullptr;
    int bar = SB_VERT;
    int grab = 0;
    int trackPos = 0;
};
std::optional<ThumbDrag> gDrag;

// The control sends, as its taps do; a window's own bar posts, in line with
// the pointer input that moves it.
void report(const ThumbDrag& d, int code, int pos) {
    bool vertical = isVerticalBar(d.hwnd, d.bar);
    uint32_t message = vertical ? WM_VSCROLL : WM_HSCROLL;
    WParam wParam = makeWParam(code, code == SB_ENDSCROLL ? 0 : pos);
    if (d.bar != SB_CTL) {
        postMessage(d.hwnd, message, wParam, 0);
    } else if (HWND parent = parentOf(d.hwnd)) {
        sendMessage(parent, message, wParam, reinterpret_cast<LParam>(d.hwnd));
    }
}

} // namespace

void startThumbDrag(HWND hwnd, int bar, int grab) {
    ScrollInfo info;
    if (!getScrollInfo(hwnd, bar, info)) return;
    gDrag = ThumbDrag{hwnd, bar, grab, info.pos};
    setCapture(hwnd);
}

std::optional<int> draggedBar(HWND hwnd) {
    if (gDrag && !isWindow(gDrag->hwnd)) gDrag.reset(); // it went while dragged
    if (!gDrag || gDrag->hwnd != hwnd) return std::nullopt;
    return gDrag->bar;
}

void dragThumbTo(Point client) {
    if (!gDrag || !draggedBar(gDrag->hwnd)) return;
    ScrollInfo info;
    getScrollInfo(gDrag->hwnd, gDrag->bar, info);
    bool vertical = isVerticalBar(gDrag->hwnd, gDrag->bar);
    int edge = (vertical ? client.y : client.x) - gDrag->grab;
    int pos = thumbTrackPos(scrollTrackOf(gDrag->hwnd, gDrag->bar), info, vertical, edge);
    if (pos == gDrag->trackPos) return;
    gDrag->trackPos = pos;
    setScrollTrackPos(gDrag->hwnd, gDrag->bar, pos);
    report(*gDrag, SB_THUMBTRACK, pos);
}

void endThumbDrag(HWND hwnd) {
    if (!draggedBar(hwnd)) return;
    ThumbDrag d = *std::exchange(gDrag, std::nullopt);
    if (captureWindow() == hwnd) releaseCapture();
    report(d, SB_THUMBPOSITION, d.trackPos);
    report(d, SB_ENDSCROLL, 0);
}

} // namespace kestrova::platform::detail
