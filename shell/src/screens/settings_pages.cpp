#include "settings_pages.h"

#include <array>

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/button.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/startup_shortcut.h"
#include "kestrova/platform/window.h"
#include "screen_texts.h"
#include "tray/tray_icon.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

// The settings store hands texts out through a buffer of this many
// characters and a terminator.
constexpr int kMaxSettingText = 127;
constexpr int kMaxPortText = 5;
constexpr char kHiddenArgument[] = "/hidden";

bool setting(settings::NumberSetting which) {
    return kit::readSetting(which) != 0;
}

void store(settings::NumberSetting which, HWND checkBox) {
    kit::writeSetting(which, isChecked(checkBox) ? 1 : 0);
}

std::string textOf(HWND control) {
    return windowText(control);
}

class GeneralPage final : public ControlPage {
  public:
    explicit GeneralPage(HWND screen) : ControlPage(screen) {
        std::error_code ec;
        runAtStartup_ =
            addCheckBox(kit::text(texts::kRunAtStartup), std::filesystem::exists(startupShortcutPath(), ec));
        beep_ = addCheckBox(kit::text(texts::kBeepOnNewMessages), setting(settings::kNotificationSound));
        powerSave_ = addCheckBox(kit::text(texts::kPowerSaving), setting(settings::kPowerSave));
    }
    std::string title() const override { return kit::text(texts::kGeneralPage); }
    void save() override {
        // NOTE: a shortcut that cannot be written or removed changes nothing
        // else; the box shows the file's state the next time.
        if (isChecked(runAtStartup_))
            writeStartupShortcut(programPath(), kHiddenArgument);
        else
            removeStartupShortcut();
        store(settings::kNotificationSound, beep_);
        store(settings::kPowerSave, powerSave_);
    }

  private:
    HWND runAtStartup_, beep_, powerSave_;
};

class DisplayPage final : public ControlPage {
  public:
    explicit DisplayPage(HWND screen) : ControlPage(screen) {
        tabPerGroup_ = addCheckBox(kit::text(texts::kTabPerGroup), setting(settings::kTabPerGroup));
        trayIcon_ = addCheckBox(kit::text(texts::kShowTrayIcon), setting(settings::kTrayIconShow));
    }
    std::string title() const override { return kit::text(texts::kDisplayPage); }
    void save() override {
        store(settings::kTabPerGroup, tabPerGroup_);
        store(settings::kTrayIconShow, trayIcon_);
        showTrayIcon(isChecked(trayIcon_));
    }

  private:
    HWND tabPerGroup_, trayIcon_;
};

// The port is shown as the store holds it: empty when it was never set.
std::string storedPortText() {
    std::array<char, kMaxSettingText + 1> buffer{};
    RY_GetSettingString(settings::kProxyPort.name, "", buffer.data());
    return std::string(buffer.data());
}

class ProxyPage final : public ControlPage {
  public:
    explicit ProxyPage(HWND screen) : ControlPage(screen) {
        useProxy_ = addCheckBox(kit::text(texts::kUseProxy), kit::readSetting(settings::kProxyType) == 1);
        hostLabel_ = addLabel(kit::text(texts::kProxyHost));
        host_ = addEdit(kit::readSetting(settings::kProxyHost), kMaxSettingText);
        portLabel_ = addLabel(kit::text(texts::kProxyPort));
        port_ = addEdit(storedPortText(), kMaxPortText);
    }
    std::string title() const override { return kit::text(texts::kProxyPage); }
    void save() override {
        kit::writeSetting(settings::kProxyType, isChecked(useProxy_) ? 1 : 0);
        kit::writeSetting(settings::kProxyHost, hostFromText(textOf(host_)));
        kit::writeSetting(settings::kProxyPort, portFromText(textOf(port_)));
    }
    void onControl(int, int code) override {
        // The host and port follow the box as it changes.
        if (code == BN_CLICKED && shown()) refreshVisibility();
    }

  protected:
    std::vector<HWND> visibleControls() const override {
        if (!isChecked(useProxy_)) return {useProxy_};
        return {useProxy_, hostLabel_, host_, portLabel_, port_};
    }

  private:
    HWND useProxy_, hostLabel_, host_, portLabel_, port_;
};

} // namespace

int32_t portFromText(std::string_view text) {
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > 65535) return 0;
    }
    return static_cast<int32_t>(value);
}

std::string hostFromText(std::string_view text) {
    std::string host;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) host.push_back(c);
    return host;
}

std::vector<std::unique_ptr<ScreenPage>> makeSettingsPages(HWND screen) {
    std::vector<std::unique_ptr<ScreenPage>> pages;
    pages.push_back(std::make_unique<GeneralPage>(screen));
    pages.push_back(std::make_unique<DisplayPage>(screen));
    pages.push_back(std::make_unique<ProxyPage>(screen));
    return pages;
}

} // namespace kestrova::shell
