#include "kestrova/kit/settings.h"

#include "kestrova/api.h"

#include <cstring>
#include <memory>

namespace kestrova::kit {

int32_t readSetting(settings::NumberSetting setting) {
    return RY_GetSettingLong(setting.name, setting.defaultValue);
}

std::string readSetting(settings::TextSetting setting) {
    // NOTE: the store copies without a bound. Persisted values are bounded by
    // the store itself, and every writer in the system (the kit, and the
    // connection for the values the server sends) by kMaxSettingBytes, so
    // this buffer holds any value that can be there.
    // The store writes the value and its terminator: the buffer need not be
    // cleared first (clearing 64 KiB per read showed in profiles).
    auto buffer = std::make_unique_for_overwrite<char[]>(kMaxSettingBytes + 1);
    buffer[0] = '\0';
    RY_GetSettingString(setting.name, setting.defaultValue, buffer.get());
    return std::string(buffer.get(), ::strnlen(buffer.get(), kMaxSettingBytes));
}

void writeSetting(settings::NumberSetting setting, int32_t value) { RY_SetSettingLong(setting.name, value); }

bool writeSetting(settings::TextSetting setting, std::string_view value) {
    if (value.size() > kMaxSettingBytes) return false;
    RY_SetSettingString(setting.name, std::string(value).c_str());
    return true;
}

}  // namespace kestrova::kit
