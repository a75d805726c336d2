#include "kestrova/wire/origin_key.h"

#include <charconv>

namespace kestrova::wire {

std::optional<uint64_t> parseOriginKey(std::string_view text) {
    if (text.empty() || text.size() > kMaxOriginKeyDigits) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

} // namespace kestrova::wire
