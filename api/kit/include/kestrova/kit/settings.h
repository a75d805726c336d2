// Reading and writing the settings of kestrova/setting_names.h, each with
// its declared default.
#pragma once

#include "kestrova/setting_names.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::kit {

// Values longer than this are never stored through the kit (nor by the
// connection from the server) and read back cut to it.
inline constexpr size_t kMaxSettingBytes = 64 * 1024 - 1;

int32_t readSetting(settings::NumberSetting setting);
std::string readSetting(settings::TextSetting setting);
void writeSetting(settings::NumberSetting setting, int32_t value);
// False, and nothing stored, for a value over kMaxSettingBytes.
bool writeSetting(settings::TextSetting setting, std::string_view value);

}  // namespace kestrova::kit
