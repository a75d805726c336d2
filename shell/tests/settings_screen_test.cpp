// The Settings screen as a user meets it: the pages and their boxes, what
// OK stores and Cancel does not, the autostart entry, and the tray icon
// that follows its box at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/edit.h"
#include "kestrova/platform/notifications.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/window.h"
#include "screen_scene.h"
#include "screens/settings_pages.h"
#include "screens/settings_screen.h"
#include "screens/single_screen.h"
#include "tray/tray_icon.h"

namespace kestrova::shell::testing {
namespace {

using namespace kestrova::platform;

HWND openSettingsScreen(ScreenScene& scene) {
    openSettings(scene.mainWindow());
    scene.pump();
    SettingsScreen* screen = SingleScreen<SettingsScreen>::current();
    return screen ? screen->hwnd() : nullptr;
}

HWND stripOf() {
    return SingleScreen<SettingsScreen>::current()->tabStrip().hwnd();
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SettingsScreen, ShowsThreePagesAndOnlyTheChosenPagesControls) {
    ScreenScene scene;
    HWND screen = openSettingsScreen(scene);
    ASSERT_TRUE(screen);
    EXPECT_EQ(windowText(screen), "Settings");
    EXPECT_EQ(scene.rows(stripOf()), (std::vector<std::string>{"General", "Display", "Proxy"}));
    EXPECT_TRUE(scene.visible(screen, "Run at startup"));
    EXPECT_FALSE(scene.visible(screen, "Show the Tray Icon"));
    // Defaults: the beep on, the rest off; no autostart entry yet.
    EXPECT_FALSE(scene.checked(screen, "Run at startup"));
    EXPECT_TRUE(scene.checked(screen, "Beep on new messages"));
    EXPECT_FALSE(scene.checked(screen, "Power/Data Saving Mode"));
    scene.screenshot("settings-general");

    scene.chooseTab(stripOf(), 1);
    EXPECT_FALSE(scene.visible(screen, "Run at startup"));
    EXPECT_TRUE(scene.visible(screen, "One tab per Group"));
    EXPECT_TRUE(scene.checked(screen, "Show the Tray Icon"));
    scene.screenshot("settings-display");

    // The host and port are there only while the proxy is asked for.
    scene.chooseTab(stripOf(), 2);
    EXPECT_TRUE(scene.visible(screen, "Connect via HTTPS Proxy"));
    EXPECT_FALSE(scene.visible(screen, "Host"));
    scene.click(screen, "Connect via HTTPS Proxy");
    EXPECT_TRUE(scene.visible(screen, "Host"));
    EXPECT_TRUE(scene.visible(screen, "Port"));
    scene.screenshot("settings-proxy");
    scene.click(screen, "Connect via HTTPS Proxy");
    EXPECT_FALSE(scene.visible(screen, "Port"));

    // A second "Settings..." brings the same screen forward.
    openSettings(scene.mainWindow());
    EXPECT_EQ(SingleScreen<SettingsScreen>::current()->hwnd(), screen);
    scene.pressSoftKey(screen, 1);
    EXPECT_FALSE(isWindow(screen));
    EXPECT_EQ(SingleScreen<SettingsScreen>::current(), nullptr);
}

TEST(SettingsScreen, OkStoresEveryBoxAndCancelStoresNothing) {
    ScreenScene scene;
    HWND screen = openSettingsScreen(scene);
    scene.click(screen, "Beep on new messages");
    scene.click(screen, "Power/Data Saving Mode");
    scene.chooseTab(stripOf(), 1);
    scene.click(screen, "One tab per Group");
    scene.pressSoftKey(screen, 1); // Cancel
    EXPECT_EQ(kit::readSetting(settings::kNotificationSound), 1);
    EXPECT_EQ(kit::readSetting(settings::kPowerSave), 0);
    EXPECT_EQ(kit::readSetting(settings::kTabPerGroup), 0);

    screen = openSettingsScreen(scene);
    scene.click(screen, "Beep on new messages");
    scene.click(screen, "Power/Data Saving Mode");
    scene.chooseTab(stripOf(), 1);
    scene.click(screen, "One tab per Group");
    scene.pressSoftKey(screen, 0); // OK
    EXPECT_FALSE(isWindow(screen));
    EXPECT_EQ(kit::readSetting(settings::kNotificationSound), 0);
    EXPECT_EQ(kit::readSetting(settings::kPowerSave), 1);
    EXPECT_EQ(kit::readSetting(settings::kTabPerGroup), 1);

    // The screen shows what is stored.
    screen = openSettingsScreen(scene);
    EXPECT_FALSE(scene.checked(screen, "Beep on new messages"));
    EXPECT_TRUE(scene.checked(screen, "Power/Data Saving Mode"));
    EXPECT_TRUE(scene.checked(screen, "One tab per Group"));
    scene.pressSoftKey(screen, 1);
}

TEST(SettingsScreen, RunAtStartupWritesAValidAutostartEntryThatStartsHiddenAndUncheckingRemovesIt) {
    ScreenScene scene;
    HWND screen = openSettingsScreen(scene);
    scene.click(screen, "Run at startup");
    scene.pressSoftKey(screen, 0);
    ASSERT_TRUE(std::filesystem::exists(scene.autostartEntry()));
    std::string entry = fileText(scene.autostartEntry());
    std::string exec = entry.substr(entry.find("\nExec=") + 6);
    exec = exec.substr(0, exec.find('\n'));
    EXPECT_TRUE(exec.ends_with(" /hidden")) << exec;
    EXPECT_NE(exec.find(programPath().string()), std::string::npos) << exec;
    std::string validate = "desktop-file-validate '" + scene.autostartEntry().string() + "'";
    EXPECT_EQ(std::system(validate.c_str()), 0) << entry;

    screen = openSettingsScreen(scene);
    EXPECT_TRUE(scene.checked(screen, "Run at startup"));
    scene.click(screen, "Run at startup");
    scene.pressSoftKey(screen, 0);
    EXPECT_FALSE(std::filesystem::exists(scene.autostartEntry()));
}

TEST(SettingsScreen, ProxyPortKeepsItsLeadingDigitsAndAnEmptyPortIsZero) {
    ScreenScene scene;
    HWND screen = openSettingsScreen(scene);
    scene.chooseTab(stripOf(), 2);
    scene.click(screen, "Connect via HTTPS Proxy");
    auto edits = findWindows(queryClass(std::string(kEditClass)));
    std::erase_if(edits, [&](HWND edit) { return !isDescendant(screen, edit); });
    ASSERT_EQ(edits.size(), 2u);
    setWindowText(edits[0], "proxy.example.net\r\nX-Injected: 1");
    setWindowText(edits[1], "12ab");
    scene.pressSoftKey(screen, 0);
    EXPECT_EQ(kit::readSetting(settings::kProxyType), 1);
    EXPECT_EQ(kit::readSetting(settings::kProxyPort), 12);
    // A host never carries a line break into a request.
    EXPECT_EQ(kit::readSetting(settings::kProxyHost), "proxy.example.netX-Injected: 1");

    screen = openSettingsScreen(scene);
    scene.chooseTab(stripOf(), 2);
    EXPECT_TRUE(scene.visible(screen, "Host"));
    EXPECT_TRUE(scene.visible(screen, "12"));
    setWindowText(scene.control(screen, "12"), "");
    scene.click(screen, "Connect via HTTPS Proxy");
    scene.pressSoftKey(screen, 0);
    EXPECT_EQ(kit::readSetting(settings::kProxyType), 0);
    EXPECT_EQ(kit::readSetting(settings::kProxyPort), 0);
}

TEST(SettingsScreen, PortTextBecomesTheNumberOfItsLeadingDigits) {
    EXPECT_EQ(portFromText("8080"), 8080);
    EXPECT_EQ(portFromText("12ab"), 12);
    EXPECT_EQ(portFromText(""), 0);
    EXPECT_EQ(portFromText("x12"), 0);
    // More than a port can be is no port, not a wrapped number.
    EXPECT_EQ(portFromText("99999999999999999999"), 0);
    EXPECT_EQ(portFromText("65535"), 65535);
}

TEST(SettingsScreen, UncheckingTheTrayIconRemovesItAtOnceAndStoresZero) {
    ScreenScene scene;
    auto tray = TrayIcon::create();
    ASSERT_TRUE(tray);
    EXPECT_EQ(trayIcons().size(), 1u);
    HWND screen = openSettingsScreen(scene);
    scene.chooseTab(stripOf(), 1);
    scene.click(screen, "Show the Tray Icon");
    scene.pressSoftKey(screen, 0);
    EXPECT_TRUE(trayIcons().empty());
    EXPECT_FALSE(tray->shown());
    EXPECT_EQ(kit::readSetting(settings::kTrayIconShow), 0);

    screen = openSettingsScreen(scene);
    scene.chooseTab(stripOf(), 1);
    scene.click(screen, "Show the Tray Icon");
    scene.pressSoftKey(screen, 0);
    EXPECT_EQ(trayIcons().size(), 1u);
    EXPECT_EQ(kit::readSetting(settings::kTrayIconShow), 1);
}

} // namespace
} // namespace kestrova::shell::testing
