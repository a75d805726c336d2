#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {
namespace {

void activate(HWND top) {
    auto& ws = windowSystem();
    if (ws.active == top) return;
    HWND old = ws.active;
    ws.active = top;
    if (isWindow(old)) callProc(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LParam>(top));
    if (isWindow(top) && ws.active == top) callProc(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LParam>(old));
    markScreenChanged();
}

}  // namespace

void activateNextTopLevel(HWND excluding) {
    auto tops = topLevelWindows();
    // Prefer the owner of the window that goes (a closed message box hands
    // the front back to the window it belonged to), then the newest visible one.
    HWND owner = ownerOf(excluding);
    if (owner && owner != excluding && isVisible(owner)) {
        activate(owner);
        return;
    }
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        if (*it != excluding && isVisible(*it) && !isFloating(*it)) {
            activate(*it);
            return;
        }
    }
    activate(nullptr);
}

void setFloating(HWND hwnd) {
    if (Window* w = find(hwnd)) w->floating = true;
}

bool isFloating(HWND hwnd) {
    Window* w = find(hwnd);
    return w && w->floating;
}

std::vector<HWND> floatingWindows() {
    std::vector<HWND> out;
    for (HWND top : topLevelWindows())
        if (isFloating(top) && isVisible(top)) out.push_back(top);
    return out;
}

void forgetFocusInside(HWND hwnd) {
    auto& ws = windowSystem();
    if (ws.focus && isDescendant(hwnd, ws.focus)) {
        HWND old = ws.focus;
        ws.focus = nullptr;
        callProc(old, WM_KILLFOCUS, 0, 0);
    }
}

}  // namespace detail

using namespace detail;

HWND setFocus(HWND hwnd) {
    auto& ws = windowSystem();
    HWND old = ws.focus;
    if (hwnd == old) return old;
    if (hwnd) {
        if (!isWindow(hwnd) || !isEnabled(hwnd)) return old;
        HWND top = topLevelOf(hwnd);
        if (top != ws.active) activate(top);
        // Activation may already have put the focus where it belongs.
        if (ws.focus == hwnd) return old;
        old = ws.focus;
    }
    ws.focus = hwnd;
    if (isWindow(old)) callProc(old, WM_KILLFOCUS, reinterpret_cast<WParam>(hwnd), 0);
    if (hwnd && ws.focus == hwnd) callProc(hwnd, WM_SETFOCUS, reinterpret_cast<WParam>(old), 0);
    markScreenChanged();
    return old;
}

HWND focusWindow() {
    HWND f = windowSystem().focus;
    return isWindow(f) ? f : nullptr;
}

HWND activeWindow() {
    HWND a = windowSystem().active;
    return isWindow(a) ? a : nullptr;
}

HWND foregroundWindow() { return activeWindow(); }

bool setForegroundWindow(HWND hwnd) {
    HWND top = topLevelOf(hwnd);
    if (!top) return false;
    activate(top);
    return true;
}

HWND setCapture(HWND hwnd) {
    auto& ws = windowSystem();
    HWND old = ws.capture;
    ws.capture = hwnd;
    if (old && old != hwnd && isWindow(old)) callProc(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LParam>(hwnd));
    return old;
}

void releaseCapture() {
    auto& ws = windowSystem();
    HWND old = ws.capture;
    ws.capture = nullptr;
    if (isWindow(old)) callProc(old, WM_CAPTURECHANGED, 0, 0);
}

HWND captureWindow() {
    HWND c = windowSystem().capture;
    return isWindow(c) ? c : nullptr;
}

}  // namespace kestrova::platform
