// The phone's notification services: the notification area, where programs
// put small icons that the display draws at the right of the navigation bar,
// and notification bubbles, drawn over the screen with their text and
// buttons until they are removed.
//
// A tap on an icon posts its callback message to its owner (wParam: the
// icon's id, lParam: WM_LBUTTONDOWN). A button of a bubble posts WM_COMMAND
// with its command to the bubble's sink window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrova/platform/icon.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

struct TrayIconRecord {
    HWND owner = nullptr;
    uint32_t id = 0;
    uint32_t callbackMessage = 0;
    std::shared_ptr<const Icon> icon; // none: an empty place
    std::string tip;
};

enum class TrayAction { kAdd, kModify, kDelete };

// Adds, changes or deletes the icon of owner and id. False when adding one
// that is there, or changing or deleting one that is not.
bool notifyTrayIcon(TrayAction action, const TrayIconRecord& record);
// The icons in the area, in the order they were added.
std::vector<TrayIconRecord> trayIcons();
// As a tap on the icon; false when there is no such icon.
bool tapTrayIcon(HWND owner, uint32_t id);

struct NotificationButton {
    std::string label;
    int command = 0;
};

struct NotificationRecord {
    std::string classId; // who raises it: with id, names the bubble
    uint32_t id = 0;
    HWND sink = nullptr;
    std::string title;
    std::string text;
    std::vector<NotificationButton> buttons;
    std::shared_ptr<const Icon> icon;
};

// Shows the bubble; false when one of that class and id is shown already.
bool addNotification(const NotificationRecord& record);
// False when there is none.
bool removeNotification(const std::string& classId, uint32_t id);
// The bubble's window (its buttons are BUTTON controls in it); null when none.
HWND notificationWindow(const std::string& classId, uint32_t id);

} // namespace kestrova::platform
