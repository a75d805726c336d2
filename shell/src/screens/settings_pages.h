// The Settings screen's pages, in their order: General, Display and Proxy.
// Each loads its controls from the settings when it is made, and writes
// them back on save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "control_page.h"

namespace kestrova::shell {

std::vector<std::unique_ptr<ScreenPage>> makeSettingsPages(platform::HWND screen);

// The port text as the setting stores it: the number its leading digits
// give; 0 when there are none or they give more than any port can be.
int32_t portFromText(std::string_view text);
// The host as it may go into a request line: control characters dropped.
std::string hostFromText(std::string_view text);

} // namespace kestrova::shell
