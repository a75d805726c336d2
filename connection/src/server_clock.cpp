#include "server_clock.h"

#include <charconv>

namespace kestrova::connection {
namespace {

template <typename Number>
bool readDigits(std::string_view text, Number& out) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<platform::UnixTime> parseServerTime(std::string_view text) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    platform::UnixTime time;
    if (!readDigits(text.substr(0, dot), time.seconds)) return std::nullopt;
    if (!readDigits(text.substr(dot + 1), time.microseconds)) return std::nullopt;
    if (time.microseconds > 999'999) return std::nullopt;
    return time;
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
