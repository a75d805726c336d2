#include "kestrova/platform/dc.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {

Bitmap& surfaceOf(Window& w) {
    Size client = clientSizeOf(w);
    int width = std::max(1, client.width);
    int height = std::max(1, client.height);
    if (!w.surface || w.surface->width() != width || w.surface->height() != height) {
        w.surface = std::make_unique<Bitmap>(width, height);
        w.surface->clear(colours::kWindow);
    }
    return *w.surface;
}

void dropPaintOf(Window& w) {
    w.invalid = {};
    w.erasePending = false;
}

bool firstInvalidWindow(const std::thread::id& thread, HWND& out) {
    bool found = false;
    forEachWindow([&](HWND hwnd) {
        if (found) return;
        Window* w = find(hwnd);
        if (w && w->thread == thread && w->created && !w->invalid.empty() && isVisible(hwnd)) {
            out = hwnd;
            found = true;
        }
    });
    return found;
}

}  // namespace detail

using namespace detail;

void invalidateRect(HWND hwnd, const Rect* rect, bool erase) {
    Window* w = find(hwnd);
    if (!w) return;
    Rect client = clientRect(hwnd);
    Rect area = rect ? rect->intersect(client) : client;
    if (area.empty()) return;
    w->invalid = w->invalid.unite(area);
    w->erasePending = w->erasePending || erase;
    markScreenChanged();
    if (w->queue) w->queue->notify();
}

void validateRect(HWND hwnd, const Rect* rect) {
    Window* w = find(hwnd);
    if (!w) return;
    // NOTE: the invalid area is one rectangle; validating part of it keeps the rest whole.
    if (!rect || (rect->left <= w->invalid.left && rect->top <= w->invalid.top && rect->right >= w->invalid.right &&
                  rect->bottom >= w->invalid.bottom))
        dropPaintOf(*w);
}

bool hasInvalidArea(HWND hwnd) {
    Window* w = find(hwnd);
    return w && !w->invalid.empty();
}

void updateWindow(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w || w->invalid.empty() || !isVisible(hwnd)) return;
    callProc(hwnd, WM_PAINT, 0, 0);
    if ((w = find(hwnd))) dropPaintOf(*w);
}

void updateAllWindows() {
    auto me = std::this_thread::get_id();
    HWND next;
    // Bounded: a window that invalidates itself while painting cannot spin us.
    for (int guard = 0; guard < 1000 && firstInvalidWindow(me, next); ++guard) updateWindow(next);
}

PaintScope::PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(nullptr) {
    static Bitmap scratch(1, 1);
    Window* w = find(hwnd);
    if (!w) {
        dc_ = new DeviceContext(scratch, Rect{});
        return;
    }
    area_ = w->invalid.empty() ? Rect{} : w->invalid;
    bool erase = w->erasePending;
    dropPaintOf(*w);
    dc_ = new DeviceContext(surfaceOf(*w), area_);
    if (erase) erased_ = callProc(hwnd, WM_ERASEBKGND, reinterpret_cast<WParam>(dc_), 0) != 0;
}

PaintScope::~PaintScope() {
    delete dc_;
    markScreenChanged();
}

WindowDC::WindowDC(HWND hwnd) {
    static Bitmap scratch(1, 1);
    Window* w = find(hwnd);
    dc_ = w ? new DeviceContext(surfaceOf(*w)) : new DeviceContext(scratch, Rect{});
    markScreenChanged();
}

WindowDC::~WindowDC() { delete dc_; }

const Bitmap* windowSurface(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? &surfaceOf(*w) : nullptr;
}

}  // namespace kestrova::platform
