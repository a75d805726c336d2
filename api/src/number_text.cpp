#include "number_text.h"

#include <limits>

namespace kestrova::api {

int64_t readInt64(std::string_view text) {
    size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate the magnitude as unsigned, one past INT64_MAX for INT64_MIN.
    const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative) return magnitude == limit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
    return static_cast<int64_t>(magnitude);
}

int32_t readInt32(std::string_view text) {
    int64_t value = readInt64(text);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

std::string decimalText(int64_t value) { return std::to_string(value); }

}  // namespace kestrova::api
