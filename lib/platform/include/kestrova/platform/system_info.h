// Small read-outs of the device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrova::platform {

// "SmartPhone", unless KESTROVA_PLATFORM names another platform type.
std::string platformName();
// The user's interface language as a Windows-style identifier (0x0409 en-US,
// 0x0809 en-GB, ...) from LC_ALL / LC_MESSAGES / LANG; 0x0409 when unknown.
uint16_t userLanguageId();
// The mobile operator's name; a desktop has none.
std::optional<std::string> operatorName();

}  // namespace kestrova::platform
