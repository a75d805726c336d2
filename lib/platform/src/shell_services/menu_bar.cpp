#include "kestrova/platform/menu_bar.h"

#include <map>
#include <mutex>

#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

struct BarState {
    SoftKeyBar bar;
    bool backOverridden = false;
};

std::mutex gMutex;
std::map<HWND, BarState> gBars;

void destroyPopups(SoftKeyBar& bar) {
    for (SoftKey* key : {&bar.left, &bar.right})
        if (key->popup) destroyMenu(std::exchange(key->popup, nullptr));
}

template <typename F>
void withKey(HWND owner, int index, F&& change) {
    {
        std::lock_guard lock(gMutex);
        auto it = gBars.find(owner);
        if (it == gBars.end()) return;
        change(index == 0 ? it->second.bar.left : it->second.bar.right);
    }
    detail::markScreenChanged();
}

}  // namespace

namespace detail {

void forgetMenuBar(HWND owner) {
    BarState state;
    {
        std::lock_guard lock(gMutex);
        auto it = gBars.find(owner);
        if (it == gBars.end()) return;
        state = std::move(it->second);
        gBars.erase(it);
    }
    destroyPopups(state.bar);
}

}  // namespace detail

bool createMenuBar(HWND owner, SoftKeyBar bar) {
    if (!isWindow(owner)) return false;
    detail::forgetMenuBar(owner);
    {
        std::lock_guard lock(gMutex);
        gBars[owner] = BarState{std::move(bar), false};
    }
    detail::markScreenChanged();
    return true;
}

bool hasMenuBar(HWND owner) {
    std::lock_guard lock(gMutex);
    return gBars.count(owner) > 0;
}

std::optional<SoftKeyBar> menuBarOf(HWND owner) {
    std::lock_guard lock(gMutex);
    auto it = gBars.find(owner);
    if (it == gBars.end()) return std::nullopt;
    return it->second.bar;
}

void setSoftKeyLabel(HWND owner, int index, std::string label) {
    withKey(owner, index, [&](SoftKey& key) { key.label = std::move(label); });
}

void setSoftKeyEnabled(HWND owner, int index, bool enabled) {
    withKey(owner, index, [&](SoftKey& key) { key.enabled = enabled; });
}

void setSoftKeyVisible(HWND owner, int index, bool visible) {
    withKey(owner, index, [&](SoftKey& key) { key.visible = visible; });
}

HMENU softKeyPopup(HWND owner, uintptr_t command) {
    auto bar = menuBarOf(owner);
    if (!bar) return nullptr;
    if (bar->left.popup && bar->left.command == command) return bar->left.popup;
    if (bar->right.popup && bar->right.command == command) return bar->right.popup;
    return nullptr;
}

void overrideBackKey(HWND owner, bool overridden) {
    std::lock_guard lock(gMutex);
    if (auto it = gBars.find(owner); it != gBars.end()) it->second.backOverridden = overridden;
}

bool backKeyOverridden(HWND owner) {
    std::lock_guard lock(gMutex);
    auto it = gBars.find(owner);
    return it != gBars.end() && it->second.backOverridden;
}

void pressSoftKey(HWND owner, int index) {
    auto bar = menuBarOf(owner);
    if (!bar) return;
    const SoftKey& key = index == 0 ? bar->left : bar->right;
    if (!key.visible || !key.enabled) return;
    if (!key.popup) {
        postMessage(owner, WM_COMMAND, makeWParam(static_cast<int>(key.command), 0), 0);
        return;
    }
    sendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WParam>(key.popup), static_cast<LParam>(key.command));
    Rect area = workArea();
    Point at = index == 0 ? Point{area.left, area.bottom} : Point{area.right, area.bottom};
    uint32_t flags = TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_NONOTIFY | (index == 0 ? TPM_LEFTALIGN : TPM_RIGHTALIGN);
    // The popup may be replaced or destroyed while it is open; ask for it again.
    HMENU popup = softKeyPopup(owner, key.command);
    if (!popup) return;
    int command = trackPopupMenu(popup, flags, at, owner);
    if (command && isWindow(owner)) postMessage(owner, WM_COMMAND, makeWParam(command, 0), 0);
}

void sendBackToFocusWindow() {
    HWND focus = focusWindow();
    if (!focus) return;
    postMessage(focus, WM_KEYDOWN, VK_BACK, 1);
    postMessage(focus, WM_KEYUP, VK_BACK, static_cast<LParam>(1u | kKeyWasDown | kKeyReleasing));
}

}  // namespace kestrova::platform
