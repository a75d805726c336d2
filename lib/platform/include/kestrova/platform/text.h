// Text conversions at the platform boundary.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::platform {

bool isValidUtf8(std::string_view text);
// Number of UTF-16 code units the text would take; the text must be valid UTF-8.
size_t utf16Length(std::string_view text);
// The Unicode code points of UTF-8 text; ill-formed bytes are skipped.
std::u32string toCodePoints(std::string_view utf8);
// UTF-8 of code points; values that are not Unicode scalar values are skipped.
std::string toUtf8(std::u32string_view codePoints);

}  // namespace kestrova::platform
