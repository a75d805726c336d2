#include "kestrova/platform/input.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "devices/display_internal.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/text.h"
#include "kestrova/platform/window.h"
#include "controls/scroll_bar.h"
#include "controls/thumb_drag.h"
#include "shell_services/notification_area.h"
#include "window_system/window_system.h"

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
// Keys held down, by virtual key, as of the key message being handled: a key
// counts as down once its WM_KEYDOWN has been taken from the queue, so a
// control that reads Shift sees it as it was when its key was pressed.
// Touched on the user-interface thread only.
std::array<bool, 256> gKeysDown{};

void noteKey(uint32_t vk, bool down) {
    if (vk < gKeysDown.size()) gKeysDown[vk] = down;
}

HWND keyTarget() {
    if (HWND f = focusWindow()) return f;
    return activeWindow();
}

// Where a pointer event lands: the capturing window, else the window under
// the point inside the front window.
HWND pointerTarget(Point at) {
    if (HWND c = captureWindow()) return c;
    auto bubbles = detail::floatingWindows();
    for (auto it = bubbles.rbegin(); it != bubbles.rend(); ++it)
        if (windowRect(*it).contains(at)) {
            HWND hit = windowFromPoint(*it, at);
            return hit && isEnabled(hit) ? hit : nullptr;
        }
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

// The window whose own bar's thumb the pointer holds, or null; the thumb
// takes the pointer's moves and release instead of the window.
HWND ownBarThumbHolder() {
    HWND c = captureWindow();
    return c && detail::draggedBar(c).value_or(SB_CTL) != SB_CTL ? c : nullptr;
}

// A tap on a window's own scroll bar scrolls it, or takes its thumb,
// instead of reaching it.
bool tapOnScrollBar(HWND target, Point at) {
    Point client = screenToClient(target, at);
    if (clientRect(target).contains(client)) return false;
    auto hit = detail::windowScrollBarHit(target, client);
    if (!hit) return false;
    if (hit->code == SB_THUMBTRACK) {
        detail::startThumbDrag(target, hit->bar, hit->grab);
        return true;
    }
    uint32_t message = hit->bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    postMessage(target, message, makeWParam(hit->code, hit->pos), 0);
    postMessage(target, message, SB_ENDSCROLL, 0);
    return true;
}

}  // namespace

namespace detail {

void noteKeyMessage(const Msg& msg) {
    if (msg.message == WM_KEYDOWN) noteKey(static_cast<uint32_t>(msg.wParam), true);
    else if (msg.message == WM_KEYUP) noteKey(static_cast<uint32_t>(msg.wParam), false);
}

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

bool keyIsDown(uint32_t vk) { return vk < gKeysDown.size() && gKeysDown[vk]; }

void setModifierKeys(bool shift, bool control) {
    noteKey(VK_SHIFT, shift);
    noteKey(VK_CONTROL, control);
}

uint32_t modifierFlags() { return (keyIsDown(VK_SHIFT) ? MK_SHIFT : 0u) | (keyIsDown(VK_CONTROL) ? MK_CONTROL : 0u); }

void typeText(std::string_view text) {
    HWND target = keyTarget();
    if (!target) return;
    for (char32_t cp : toCodePoints(text)) postMessage(target, WM_CHAR, cp, 1);
}

void mouseWheel(int delta, Point at) {
    HWND target = keyTarget();
    if (!target || delta == 0) return;
    int clamped = std::clamp(delta, -32768, 32767);
    postMessage(target, WM_MOUSEWHEEL, makeWParam(static_cast<int>(modifierFlags()), clamped), makeLParam(at.x, at.y));
}

void pointerDown(Point at) {
    if (!captureWindow())
        for (const auto& icon : detail::placedTrayIcons())
            if (icon.place.contains(at)) {
                tapTrayIcon(icon.record.owner, icon.record.id);
                return;
            }
    if (onSoftKeyBar(at) && !captureWindow()) {
        if (HWND owner = detail::softKeyOwner()) pressSoftKey(owner, at.x < screen().width / 2 ? 0 : 1);
        return;
    }
    HWND target = pointerTarget(at);
    if (!target) return;
    if (!captureWindow() && tapOnScrollBar(target, at)) return;
    uint32_t now = tickCount();
    bool dbl = gLastTap.hwnd == target && now - gLastTap.tick <= kDoubleTapMs &&
               std::abs(gLastTap.at.x - at.x) <= kDoubleTapSlop && std::abs(gLastTap.at.y - at.y) <= kDoubleTapSlop;
    dbl = dbl && (classStyle(target) & CS_DBLCLKS);
    gLastTap = dbl ? LastTap{} : LastTap{target, now, at};
    postMessage(target, dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, kLeftButton, clientPoint(target, at));
}

void pointerUp(Point at) {
    if (HWND holder = ownBarThumbHolder()) {
        detail::dragThumbTo(screenToClient(holder, at));
        detail::endThumbDrag(holder);
        return;
    }
    if (onSoftKeyBar(at) && !captureWindow()) return;
    HWND target = pointerTarget(at);
    if (target && !captureWindow() && !clientRect(target).contains(screenToClient(target, at))) return;
    if (target) postMessage(target, WM_LBUTTONUP, 0, clientPoint(target, at));
}

void pointerMove(Point at) {
    if (HWND holder = ownBarThumbHolder()) {
        detail::dragThumbTo(screenToClient(holder, at));
        return;
    }
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
