#include "kestrova/kit/settings.h"

#include "kestrova/api.h"

#include <cstring>
#include <vector>

namespace kestrova::kit {

int32_t readSetting(settings::NumberSetting setting) {
    return RY_GetSettingLong(setting.name, setting.defaultValue);
}

std::string readSetting(settings::TextSetting setting) {
    // NOTE: the store copies without a bound. Persisted values are bounded by
    // the store itself, and every writer in the system (the kit, and the
    // connection for the values the server sends) by kMaxSettingBytes, so
    // this buffer holds any value that can be there.
    std::vector<char> buffer(kMaxSettingBytes + 1, '\0');
    RY_GetSettingString(setting.name, setting.defaultValue, buffer.data());
    return std::string(buffer.data(), ::strnlen(buffer.data(), kMaxSettingBytes));
}

void writeSetting(settings::NumberSetting setting, int32_t value) { RY_SetSettingLong(setting.name, value); }

bool writeSetting(settings::TextSetting setting, std::string_view value) {
    if (value.size() > kMaxSettingBytes) return false;
    RY_SetSettingString(setting.name, std::string(value).c_str());
    return true;
}

}  // namespace kestrova::kit
