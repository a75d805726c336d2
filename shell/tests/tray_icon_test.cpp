// The tray icon and the new-message notification: one bubble however many
// messages come, blinking on the clock while they are unread, and every way
// out of the bubble (reading, a tap on the icon, its two buttons).
#include <gtest/gtest.h>

#include "kestrova/bus.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/button.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/notifications.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "screen_scene.h"
#include "tray/tray_icon.h"

namespace kestrova::shell::testing {
namespace {

using namespace kestrova::platform;
using namespace std::chrono_literals;

HWND bubble() {
    return notificationWindow(TrayIcon::kNotificationClass, TrayIcon::kNotificationId);
}

size_t bubblesShown() {
    return findWindows(queryClass(std::string("NOTIFICATION_BUBBLE"))).size();
}

TEST(TrayIcon, NewMessagesRaiseOneNotificationAndTheIconBlinksUntilTheyAreRead) {
    ScreenScene scene;
    VirtualClock clock({1'700'000'000, 0}, 1500); // 1500 / 750 is even: the steady phase
    auto tray = TrayIcon::create();
    ASSERT_TRUE(tray);
    bus::set(names::kConnectionState, 100);
    scene.pump();
    const Icon* online = tray->currentIcon();
    ASSERT_EQ(trayIcons().size(), 1u);

    bus::set(names::kMessagesUnread, 3);
    bus::set(names::kMessagesUnread, 5);
    scene.pump();
    EXPECT_TRUE(tray->notificationPending());
    EXPECT_EQ(bubblesShown(), 1u);
    ASSERT_TRUE(bubble());
    EXPECT_TRUE(isVisible(scene.control(bubble(), "Open Kestrova")));
    EXPECT_TRUE(isVisible(scene.control(bubble(), "Dismiss")));
    scene.screenshot("notification");

    // Every 750 ms the icon turns: unread, connected, unread.
    std::vector<const Icon*> seen;
    for (int i = 0; i < 3; ++i) {
        clock.advance(750ms);
        scene.pump();
        seen.push_back(tray->currentIcon());
        EXPECT_EQ(trayIcons().at(0).icon.get(), tray->currentIcon());
    }
    EXPECT_NE(seen[0], online);
    EXPECT_EQ(seen[1], online);
    EXPECT_EQ(seen[2], seen[0]);

    // Read: the bubble goes and the blinking stops on the connected icon.
    bus::set(names::kMessagesUnread, 0);
    scene.pump();
    EXPECT_FALSE(tray->notificationPending());
    EXPECT_EQ(bubblesShown(), 0u);
    for (int i = 0; i < 3; ++i) {
        clock.advance(750ms);
        scene.pump();
        EXPECT_EQ(tray->currentIcon(), online);
    }
    bus::set(names::kConnectionState, 0);
    EXPECT_NE(tray->currentIcon(), online);
}

TEST(TrayIcon, ATapOnTheIconBringsTheProgramForwardAndTakesTheNotificationAway) {
    ScreenScene scene;
    auto tray = TrayIcon::create();
    bus::set(names::kMessagesUnread, 2);
    scene.pump();
    ASSERT_TRUE(tray->notificationPending());
    // The icon sits at the right of the navigation bar, where a tap finds it.
    tap({screen().width - smallIconSize() / 2 - 3, navBarHeight() / 2});
    scene.pump();
    EXPECT_EQ(scene.activations(), 1);
    EXPECT_FALSE(tray->notificationPending());
    EXPECT_FALSE(bubble());

    // The next message tells again, once.
    bus::set(names::kMessagesUnread, 3);
    bus::set(names::kMessagesUnread, 4);
    scene.pump();
    EXPECT_TRUE(bubble());
    EXPECT_EQ(bubblesShown(), 1u);
}

TEST(TrayIcon, TheBubblesButtonsOpenTheProgramOrDismissIt) {
    ScreenScene scene;
    auto tray = TrayIcon::create();
    bus::set(names::kMessagesUnread, 1);
    scene.pump();
    scene.click(bubble(), "Dismiss");
    EXPECT_FALSE(tray->notificationPending());
    EXPECT_FALSE(bubble());
    EXPECT_EQ(scene.activations(), 0);

    bus::set(names::kMessagesUnread, 0);
    bus::set(names::kMessagesUnread, 1);
    scene.pump();
    scene.click(bubble(), "Open Kestrova");
    EXPECT_FALSE(bubble());
    EXPECT_EQ(scene.activations(), 1);
}

TEST(TrayIcon, WithTheIconHiddenTheNotificationStillComes) {
    ScreenScene scene;
    kit::writeSetting(settings::kTrayIconShow, 0);
    auto tray = TrayIcon::create();
    EXPECT_FALSE(tray->shown());
    EXPECT_TRUE(trayIcons().empty());
    bus::set(names::kMessagesUnread, 1);
    scene.pump();
    EXPECT_TRUE(tray->notificationPending());
    EXPECT_TRUE(bubble());
    tray.reset();
    // The program's end takes its notification with it.
    EXPECT_FALSE(bubble());
}

} // namespace
} // namespace kestrova::shell::testing
