// Every setting of the system, declared once with its kind and default.
// Nobody spells a setting's name anywhere else: code reads and writes through
// these constants (kestrova/kit/settings.h), so the default a setting is read
// with is the same everywhere.
//
// The store keeps text; a number setting is its decimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::settings {

struct NumberSetting {
    const char* name;
    int32_t defaultValue;
};

struct TextSetting {
    const char* name;
    const char* defaultValue;
};

// --- The connection plug-in ----------------------------------------------------

// "host:port" entries separated by commas, tried in turn; empty: the built-in servers
inline constexpr TextSetting kServerList{"Connection/Servers/List", ""};
// 0 direct, 1 through an HTTP CONNECT proxy
inline constexpr NumberSetting kProxyType{"Connection/Proxy/Type", 0};
inline constexpr TextSetting kProxyHost{"Connection/Proxy/Host", ""};
inline constexpr NumberSetting kProxyPort{"Connection/Proxy/Port", 0};
// non-zero: sign in when the plug-in starts, if a user name and password are stored
inline constexpr NumberSetting kAutoSignIn{"Connection/AutoSignIn", 1};
// the account's sign-in name and (when "Remember me." was checked) its password
inline constexpr TextSetting kUser{"connection.user", ""};
inline constexpr TextSetting kPassword{"connection.pass", ""};
// non-zero: the device saves power (longer reconnect waits, fewer wake-ups); Settings screen
inline constexpr NumberSetting kPowerSave{"advanced.powersave", 0};

// --- The shell ---------------------------------------------------------------------

// non-zero: the home screen has one tab per group; read when the home screen is built
inline constexpr NumberSetting kTabPerGroup{"Clist/TabPerGroup", 0};
// non-zero: the notification-area icon is shown
inline constexpr NumberSetting kTrayIconShow{"Core/TrayIcon/Show", 1};
// non-zero: the contact-list section of that key is collapsed (one setting per key)
inline NumberSetting sectionCollapsed(std::string_view key, std::string& nameStorage) {
    nameStorage = "Clist/Groups/";
    nameStorage.append(key);
    nameStorage += "/Collapsed";
    return {nameStorage.c_str(), 0};
}

// --- The messaging plug-in -----------------------------------------------------------

// non-zero: sounds on new messages and automatic playback of voice messages
inline constexpr NumberSetting kNotificationSound{"messaging.notifications.sound", 1};

// --- The updates plug-in ---------------------------------------------------------------

// the update server's host name (at most 127 characters) and port
inline constexpr TextSetting kUpdatesServerHost{"Updates/ServerHost", "updates.kestrova.example"};
inline constexpr NumberSetting kUpdatesServerPort{"Updates/ServerPort", 80};
// seconds since 1970-01-01 UTC when the last check started
inline constexpr NumberSetting kUpdatesLastCheck{"Updates/LastCheck", 0};
// the settings-migration level reached
inline constexpr NumberSetting kUpdatesVersionId{"updates.versionid", 0};

}  // namespace kestrova::settings
