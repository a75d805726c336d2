// Numbers kept as text: variants, settings and data-map values store numbers
// as signed decimal text and read them back the way the C library's atol
// does (leading blanks and a sign, digits up to the first non-digit, 0 when
// there are none). Out-of-range readings saturate instead of overflowing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::api {

int64_t readInt64(std::string_view text);
int32_t readInt32(std::string_view text);
std::string decimalText(int64_t value);

}  // namespace kestrova::api
