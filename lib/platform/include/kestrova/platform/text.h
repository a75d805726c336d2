// Text conversions at the platform boundary.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::platform {

bool isValidUtf8(std::string_view text);
// Number of UTF-16 code units the text would take; the text must be valid UTF-8.
size_t utf16Length(std::string_view text);

}  // namespace kestrova::platform
