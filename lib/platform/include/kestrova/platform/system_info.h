// Small read-outs of the device.
#pragma once

#include <optional>
#include <string>

namespace kestrova::platform {

// "SmartPhone", unless KESTROVA_PLATFORM names another platform type.
std::string platformName();
// The mobile operator's name; a desktop has none, and a name longer than the
// phone's 31 characters, or not UTF-8, counts as none.
std::optional<std::string> operatorName();

}  // namespace kestrova::platform
