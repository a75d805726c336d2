#include "core_update_host.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/system_info.h"

#include <limits>

namespace kestrova::updates {

std::string CoreUpdateHost::serverHost() {
    std::string host = kit::readSetting(settings::kUpdatesServerHost);
    return host.empty() ? std::string(kDefaultServerHost) : host;
}

int32_t CoreUpdateHost::serverPort() {
    return kit::readSetting(settings::kUpdatesServerPort);
}

int64_t CoreUpdateHost::lastCheck() {
    return kit::readSetting(settings::kUpdatesLastCheck);
}

void CoreUpdateHost::setLastCheck(int64_t unixSeconds) {
    // NOTE: the setting is a 32-bit number, as stored settings have always been.
    kit::writeSetting(settings::kUpdatesLastCheck, static_cast<int32_t>(unixSeconds));
}

int32_t CoreUpdateHost::migrationLevel() {
    return kit::readSetting(settings::kUpdatesVersionId);
}

void CoreUpdateHost::setMigrationLevel(int32_t level) {
    kit::writeSetting(settings::kUpdatesVersionId, level);
}

void CoreUpdateHost::setPowerSave(int32_t value) {
    kit::writeSetting(settings::kPowerSave, value);
}

std::string CoreUpdateHost::platformName() {
    char name[64] = {};
    if (RY_GetPlatformName(nullptr) >= static_cast<int32_t>(sizeof name)) return {};
    RY_GetPlatformName(name);
    return name;
}

int32_t CoreUpdateHost::languageId() {
    return platform::userLanguageId();
}

int64_t CoreUpdateHost::subscriberId() {
    return leadingNumber(bus::get(names::kConnectionSubId));
}

int64_t leadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (kMax - digit) / 10) return negative ? std::numeric_limits<int64_t>::min() : kMax;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace kestrova::updates
