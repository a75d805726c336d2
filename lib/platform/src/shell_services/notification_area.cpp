#include "shell_services/notification_area.h"

#include <algorithm>
#include <mutex>

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

std::mutex gMutex;
std::vector<TrayIconRecord> gIcons;

auto findIcon(HWND owner, uint32_t id) {
    return std::find_if(gIcons.begin(), gIcons.end(),
                        [&](const TrayIconRecord& icon) { return icon.owner == owner && icon.id == id; });
}

} // namespace

bool notifyTrayIcon(TrayAction action, const TrayIconRecord& record) {
    {
        std::lock_guard lock(gMutex);
        auto it = findIcon(record.owner, record.id);
        switch (action) {
        case TrayAction::kAdd:
            if (it != gIcons.end() || !isWindow(record.owner)) return false;
            gIcons.push_back(record);
            break;
        case TrayAction::kModify:
            if (it == gIcons.end()) return false;
            *it = record;
            break;
        case TrayAction::kDelete:
            if (it == gIcons.end()) return false;
            gIcons.erase(it);
            break;
        }
    }
    detail::markScreenChanged();
    return true;
}

std::vector<TrayIconRecord> trayIcons() {
    std::lock_guard lock(gMutex);
    // An owner that went without deleting its icon takes it along.
    std::erase_if(gIcons, [](const TrayIconRecord& icon) { return !isWindow(icon.owner); });
    return gIcons;
}

bool tapTrayIcon(HWND owner, uint32_t id) {
    TrayIconRecord icon;
    {
        std::lock_guard lock(gMutex);
        auto it = findIcon(owner, id);
        if (it == gIcons.end()) return false;
        icon = *it;
    }
    return postMessage(icon.owner, icon.callbackMessage, icon.id, WM_LBUTTONDOWN);
}

namespace detail {

std::vector<PlacedTrayIcon> placedTrayIcons() {
    int size = smallIconSize();
    int gap = std::max(2, screenDpi() / 48);
    int right = screen().width - gap;
    int top = std::max(0, (navBarHeight() - size) / 2);
    std::vector<PlacedTrayIcon> placed;
    for (auto& icon : trayIcons()) {
        placed.push_back({icon, Rect{right - size, top, right, top + size}});
        right -= size + gap;
    }
    return placed;
}

} // namespace detail
} // namespace kestrova::platform
