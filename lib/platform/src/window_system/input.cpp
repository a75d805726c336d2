#include "kestrova/platform/input.h"

#include <cstdlib>

#include "devices/display_internal.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace {

constexpr uint32_t kDoubleTapMs = 500;
constexpr int kDoubleTapSlop = 4;
constexpr WParam kLeftButton = 0x1;

struct LastTap {
    HWND hwnd = nullptr;
    uint32_t tick = 0;
    Point at{-100, -100};
};
LastTap gLastTap;

HWND keyTarget() {
    if (HWND f = focusWindow()) return f;
    return activeWindow();
}

// Where a pointer event lands: the capturing window, else the window under
// the point inside the front window.
HWND pointerTarget(Point at) {
    if (HWND c = captureWindow()) return c;
    HWND fg = foregroundWindow();
    if (!fg) return nullptr;
    HWND hit = windowFromPoint(fg, at);
    return hit && isEnabled(hit) ? hit : nullptr;
}

LParam clientPoint(HWND hwnd, Point at) {
    Point p = screenToClient(hwnd, at);
    return makeLParam(p.x, p.y);
}

bool onSoftKeyBar(Point at) { return at.y >= screen().height - softKeyBarHeight(); }

void encodeUtf8Points(std::string_view text, const std::function<void(uint32_t)>& emit) {
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra == 0)) {
            ++i;  // not UTF-8: skipped
            continue;
        }
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        emit(cp);
        i += extra + 1;
    }
}

}  // namespace

namespace detail {

HWND softKeyOwner() {
    HWND fg = foregroundWindow();
    return fg && hasMenuBar(fg) ? fg : nullptr;
}

}  // namespace detail

void keyDown(uint32_t vk, bool repeat) {
    HWND barOwner = detail::softKeyOwner();
    if (barOwner && (vk == VK_F1 || vk == VK_F2)) {
        if (!repeat) pressSoftKey(barOwner, vk == VK_F1 ? 0 : 1);
        return;
    }
    if (barOwner && vk == VK_ESCAPE && backKeyOverridden(barOwner)) {
        postMessage(barOwner, WM_HOTKEY, 0, makeLParam(0, VK_TBACK));
        return;
    }
    HWND target = keyTarget();
    if (!target) return;
    postMessage(target, WM_KEYDOWN, vk, static_cast<LParam>(1u | (repeat ? kKeyWasDown : 0u)));
}

void keyUp(uint32_t vk) {
    HWND barOwner = detail::softKeyOwner();
    if (barOwner && (vk == VK_F1 || vk == VK_F2)) return;
    if (barOwner && vk == VK_ESCAPE && backKeyOverridden(barOwner)) return;
    HWND target = keyTarget();
    if (!target) return;
    postMessage(target, WM_KEYUP, vk, static_cast<LParam>(1u | kKeyWasDown | kKeyReleasing));
}

void pressKey(uint32_t vk) {
    keyDown(vk);
    keyUp(vk);
}

void typeText(std::string_view text) {
    HWND target = keyTarget();
    if (!target) return;
    encodeUtf8Points(text, [&](uint32_t cp) { postMessage(target, WM_CHAR, cp, 1); });
}

void pointerDown(Point at) {
    if (onSoftKeyBar(at) && !captureWindow()) {
        if (HWND owner = detail::softKeyOwner()) pressSoftKey(owner, at.x < screen().width / 2 ? 0 : 1);
        return;
    }
    HWND target = pointerTarget(at);
    if (!target) return;
    uint32_t now = tickCount();
    bool dbl = gLastTap.hwnd == target && now - gLastTap.tick <= kDoubleTapMs &&
               std::abs(gLastTap.at.x - at.x) <= kDoubleTapSlop && std::abs(gLastTap.at.y - at.y) <= kDoubleTapSlop;
    dbl = dbl && (classStyle(target) & CS_DBLCLKS);
    gLastTap = dbl ? LastTap{} : LastTap{target, now, at};
    postMessage(target, dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, kLeftButton, clientPoint(target, at));
}

void pointerUp(Point at) {
    if (onSoftKeyBar(at) && !captureWindow()) return;
    HWND target = pointerTarget(at);
    if (target) postMessage(target, WM_LBUTTONUP, 0, clientPoint(target, at));
}

void pointerMove(Point at) {
    HWND target = pointerTarget(at);
    if (target) postMessage(target, WM_MOUSEMOVE, captureWindow() ? kLeftButton : 0, clientPoint(target, at));
}

void tap(Point at) {
    pointerDown(at);
    pointerUp(at);
}

void tapAndHold(Point at) {
    HWND target = pointerTarget(at);
    if (target)
        postMessage(target, WM_CONTEXTMENU, reinterpret_cast<WParam>(target), makeLParam(at.x, at.y));
}

}  // namespace kestrova::platform
