#include "kestrova/platform/busy_indicator.h"

#include <cmath>

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

constexpr uintptr_t kTimer = 1;

struct BusyState : ControlState {
    int frame = 0;
    bool turning = false;
};

// The timer runs only while the indicator can be seen.
void follow(HWND hwnd, BusyState& s) {
    bool shown = windowStyle(hwnd) & WS_VISIBLE;
    if (shown == s.turning) return;
    s.turning = shown;
    if (shown)
        setTimer(hwnd, kTimer, kBusyStepMs);
    else
        killTimer(hwnd, kTimer);
}

// Twelve dots round a ring; the one of the current step is darkest and the
// ones behind it fade, so the ring seems to turn.
void paint(HWND hwnd, const BusyState& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, backgroundFor(hwnd, dc));
    int size = std::min(client.width(), client.height());
    double radius = size * 0.36, dot = std::max(1.5, size * 0.09);
    double cx = client.width() / 2.0, cy = client.height() / 2.0;
    for (int i = 0; i < kBusyFrames; ++i) {
        int age = (s.frame - i + kBusyFrames) % kBusyFrames;
        double angle = 2 * M_PI * i / kBusyFrames - M_PI / 2;
        int x = static_cast<int>(std::lround(cx + radius * std::cos(angle) - dot));
        int y = static_cast<int>(std::lround(cy + radius * std::sin(angle) - dot));
        int shade = 60 + age * 180 / kBusyFrames;
        int d = static_cast<int>(std::lround(2 * dot));
        dc.fillEllipse(Rect::ofSize(x, y, d, d), rgb(uint8_t(shade * 2 / 3), uint8_t(shade * 5 / 6),
                                                     uint8_t(std::min(255, shade + 40))));
    }
}

} // namespace

LResult busyIndicatorProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto s = stateFor<BusyState>(hwnd, message);
    if (!s || message == WM_CREATE) return defWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_SHOWWINDOW:
        follow(hwnd, *s);
        return 0;
    case WM_TIMER:
        if (wParam == kTimer) {
            s->frame = (s->frame + 1) % kBusyFrames;
            invalidateRect(hwnd, nullptr, false);
        }
        return 0;
    case BIM_GETFRAME:
        return s->frame;
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace kestrova::platform::detail
