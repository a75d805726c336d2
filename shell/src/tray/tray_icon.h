// TrayIcon: the program's icon in the notification area and its
// new-message notification. The icon shows whether the user is connected
// and blinks (every 750 ms) while messages are unread; a tap on it brings
// the main window forward. When unread messages appear, a bubble offers to
// open the program or to dismiss it; it goes when the messages are read.
// The icon is shown as "Core/TrayIcon/Show" says; the notification is
// raised either way.
#pragma once

#include <memory>
#include <string>

#include "kestrova/kit/bindings.h"
#include "kestrova/platform/notifications.h"
#include "kestrova/ui/window_base.h"

namespace kestrova::shell {

class DesktopNotifier;

class TrayIcon final : public ui::WindowBase {
  public:
    // The first application message: what the notification area sends on a tap.
    static constexpr uint32_t kCallbackMessage = 0x8000;
    static constexpr uint32_t kIconId = 0x8000;
    static constexpr int kOpenCommand = 10;
    static constexpr int kDismissCommand = 11;
    static constexpr uint32_t kNotificationId = 1;
    static constexpr char kNotificationClass[] = "{F41153EC-18E4-4D68-B1F3-E122F476D0EC}";

    // Null when its window cannot be made. There is one in the program.
    static std::unique_ptr<TrayIcon> create();
    ~TrayIcon() override;

    // Adds the icon to the notification area or takes it out.
    void setShown(bool shown);
    bool shown() const { return shown_; }
    bool notificationPending() const { return notificationPending_; }
    // The icon now: offline, online or unread.
    const platform::Icon* currentIcon() const { return record_.icon.get(); }

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onTimer(platform::HWND hwnd, uintptr_t timerId) override;

  private:
    TrayIcon() = default;
    void loadIcons();
    void updateIcon();
    void unreadChanged();
    void raiseNotification();
    void removeNotification();
    void bringProgramForward();

    bool shown_ = false;
    platform::TrayIconRecord record_;
    bool notificationPending_ = false;
    std::unique_ptr<DesktopNotifier> desktop_;
    std::shared_ptr<const platform::Icon> offline_, online_, unread_;
    kit::Subscription connectionState_, unreadCount_;
};

// The Settings screen's "Show the Tray Icon": the program's icon follows at once.
void showTrayIcon(bool shown);

} // namespace kestrova::shell
