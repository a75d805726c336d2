// DesktopNotifier: the new-message notification on the desktop, through the
// freedesktop notification interface on the session bus, with the bubble's
// buttons as its actions. A chosen action reaches the sink window as the
// button's WM_COMMAND, as a tap on the bubble's button does. The bus is
// served by a thread of its own, so the user-interface thread never waits
// for it.
#pragma once

#include <memory>

#include "kestrova/platform/notifications.h"

namespace kestrova::shell {

class DesktopNotifier {
  public:
    // Null when there is no session bus, or no notification server on it.
    static std::unique_ptr<DesktopNotifier> connect(platform::HWND sink);
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Shows the notification, in place of the one shown before.
    void show(const platform::NotificationRecord& record);
    void withdraw();

    struct Link;

  private:
    explicit DesktopNotifier(std::unique_ptr<Link> link);
    std::unique_ptr<Link> link_;
};

} // namespace kestrova::shell
