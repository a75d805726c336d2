// Helpers for the tests of the standard controls: a dialog to put them in,
// and the notifications the dialog heard.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "kestrova/platform/controls.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/screen.h"
#include "test_window.h"

namespace testing_windows {

// The (control id, notification code) pairs of every WM_COMMAND the window
// received from a control.
inline std::vector<std::pair<int, int>> notificationsTo(HWND parent) {
    std::vector<std::pair<int, int>> out;
    for (auto& r : journal())
        if (r.hwnd == parent && r.message == WM_COMMAND && r.lParam)
            out.emplace_back(loWord(r.wParam), hiWord(r.wParam));
    return out;
}

inline size_t countNotifications(HWND parent, int id, int code) {
    size_t n = 0;
    for (auto& [i, c] : notificationsTo(parent))
        n += i == id && c == code;
    return n;
}

// Commands without a control (IDOK / IDCANCEL from the dialog keys).
inline std::vector<int> dialogCommandsTo(HWND parent) {
    std::vector<int> out;
    for (auto& r : journal())
        if (r.hwnd == parent && r.message == WM_COMMAND && !r.lParam) out.push_back(loWord(r.wParam));
    return out;
}

// Types and presses through the queue, as the device does, and lets the
// dialog keys and the controls handle it all.
inline void type(std::string_view text) {
    typeText(text);
    pumpPendingMessages();
}

inline void press(uint32_t key, std::initializer_list<uint32_t> held = {}) {
    for (uint32_t h : held)
        keyDown(h);
    pressKey(key);
    for (uint32_t h : held)
        keyUp(h);
    pumpPendingMessages();
}

inline HWND makeControl(HWND parent, const char* cls, uintptr_t id, uint32_t style, Rect rect,
                        const char* text = "") {
    return createControl(cls, text, WS_VISIBLE | WS_TABSTOP | style, rect, parent, id);
}

// A screen size for one test; the default comes back when it goes.
struct ScreenScope {
    explicit ScreenScope(ScreenGeometry g) { setScreen(g); }
    ~ScreenScope() { setScreen({}); }
};

} // namespace testing_windows
