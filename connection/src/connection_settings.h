// The settings this plug-in reads, their defaults, and a bounded way to read
// a text setting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova::connection {

namespace settings {
inline constexpr const char kServerList[] = "Connection/Servers/List";
inline constexpr const char kProxyType[] = "Connection/Proxy/Type";
inline constexpr const char kProxyHost[] = "Connection/Proxy/Host";
inline constexpr const char kProxyPort[] = "Connection/Proxy/Port";
inline constexpr const char kPowerSave[] = "advanced.powersave";
inline constexpr const char kAutoSignIn[] = "Connection/AutoSignIn";
inline constexpr const char kUser[] = "connection.user";
inline constexpr const char kPassword[] = "connection.pass";
}  // namespace settings

// Values longer than this are never stored by us and are read as empty.
inline constexpr size_t kMaxSettingBytes = 64 * 1024 - 1;

std::string readSettingText(const char* name, const char* defaultValue = "");
int32_t readSettingNumber(const char* name, int32_t defaultValue);

}  // namespace kestrova::connection
