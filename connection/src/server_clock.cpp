#include "server_clock.h"

#include <charconv>
#include <climits>
#include <cstdint>

namespace kestrova::connection {
namespace {

constexpr int64_t kMicrosPerSecond = 1'000'000;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One "%d": leading blanks, an optional sign, at least one digit; the text
// is advanced past it. Values outside 32 bits are refused.
std::optional<int32_t> takeInt(std::string_view& text) {
    size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    size_t digits = at;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == at) return std::nullopt;
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + digits, value);
    if (error != std::errc() || value > int64_t{INT32_MAX} + 1) return std::nullopt;
    value = negative ? -value : value;
    if (value > INT32_MAX) return std::nullopt;
    text.remove_prefix(digits);
    return static_cast<int32_t>(value);
}

}  // namespace

std::optional<platform::UnixTime> parseServerTime(std::string_view text) {
    if (text.size() > kMaxServerTimeText) return std::nullopt;
    auto seconds = takeInt(text);
    if (!seconds || text.empty() || text.front() != '.') return std::nullopt;
    text.remove_prefix(1);
    auto micros = takeInt(text);
    if (!micros) return std::nullopt;
    int64_t total = int64_t{*seconds} * kMicrosPerSecond + *micros;
    if (total < 0) return std::nullopt;
    return platform::UnixTime{total / kMicrosPerSecond, static_cast<int32_t>(total % kMicrosPerSecond)};
}

platform::UnixTime clockOffset(platform::UnixTime server, platform::UnixTime local) {
    platform::UnixTime offset{server.seconds - local.seconds, server.microseconds - local.microseconds};
    if (offset.microseconds < 0) {
        offset.microseconds += 1'000'000;
        offset.seconds -= 1;
    }
    return offset;
}

}  // namespace kestrova::connection
