#include "profile_data.h"

#include "kestrova/wire/packet.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kestrova::server {
namespace {

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Sets `value` at the dotted path inside `map`; each component but the last
// names an entry holding an encoded map (absent or unreadable ones start
// empty).
bool setNested(wire::DataMapEntries& map, std::string_view path, std::string_view value, size_t depthLeft) {
    if (depthLeft == 0) return false;
    size_t dot = path.find('.');
    std::string_view head = path.substr(0, dot);
    if (head.empty()) return false;
    if (dot == std::string_view::npos) {
        map.insert_or_assign(std::string(head), std::string(value));
        return true;
    }
    wire::DataMapEntries nested;
    if (auto it = map.find(head); it != map.end() && !parseWholeDataMap(it->second, nested)) nested.clear();
    if (!setNested(nested, path.substr(dot + 1), value, depthLeft - 1)) return false;
    map.insert_or_assign(std::string(head), wire::encodeDataMap(nested));
    return true;
}

enum class Target { None, UserData, UserAcl };

// "user_data" and "user_data.PATH" (likewise "user_acl"); the path is empty
// for the whole map.
Target classify(std::string_view key, std::string_view& path) {
    for (auto [prefix, target] : {std::pair{std::string_view("user_data"), Target::UserData},
                                  std::pair{std::string_view("user_acl"), Target::UserAcl}}) {
        if (key == prefix) {
            path = {};
            return target;
        }
        if (key.size() > prefix.size() + 1 && key.substr(0, prefix.size()) == prefix && key[prefix.size()] == '.') {
            path = key.substr(prefix.size() + 1);
            return target;
        }
    }
    return Target::None;
}

std::optional<double> number(const wire::DataMapView& map, std::string_view key) {
    auto found = map.find(key);
    if (!found || found->empty() || found->size() > 64) return std::nullopt;
    std::string text(*found);
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string fixed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

}  // namespace

bool parseWholeDataMap(std::string_view bytes, wire::DataMapEntries& out) {
    wire::ParseResult result = wire::parseDataMap(bytesOf(bytes), out);
    return result.status == wire::ParseStatus::Complete && result.consumed == bytes.size();
}

bool parseWholeDataMap(std::string_view bytes, wire::DataMapView& out) {
    wire::ParseResult result = out.parse(bytes);
    return result.status == wire::ParseStatus::Complete && result.consumed == bytes.size();
}

UpdateResult applyProfileUpdate(std::string_view body, ProfileData& data, ProfileChange& change,
                                const ProfileLimits& limits) {
    wire::DataMapView update;
    if (!parseWholeDataMap(body, update)) return UpdateResult::Malformed;
    ProfileData next = data;
    ProfileChange applied;
    for (const auto& [key, value] : update) {
        if (key == "Nickname" || key == "Status") {
            // Both go into headers of others' packets (a message's "name").
            if (!wire::isLineText(value)) return UpdateResult::TextBreaksLine;
            if (value.size() > limits.maxTextBytes) return UpdateResult::TooLarge;
            (key == "Nickname" ? next.nickname : next.statusLine) = value;
            applied.visible.insert_or_assign(std::string(key), std::string(value));
            applied.identityChanged = true;
            continue;
        }
        std::string_view path;
        Target target = classify(key, path);
        if (target == Target::None) continue;
        wire::DataMapEntries& map = target == Target::UserData ? next.userData : next.userAcl;
        if (path.empty()) {
            wire::DataMapEntries whole;
            if (!parseWholeDataMap(value, whole)) return UpdateResult::Malformed;
            map = std::move(whole);
        } else if (!setNested(map, path, value, limits.maxDepth)) {
            return UpdateResult::Malformed;
        }
        if (wire::encodedDataMapSize(map) > limits.maxMapBytes) return UpdateResult::TooLarge;
        applied.own.insert_or_assign(std::string(key), std::string(value));
        if (target == Target::UserData) applied.visible.insert_or_assign(std::string(key), std::string(value));
    }
    data = std::move(next);
    change = std::move(applied);
    return UpdateResult::Applied;
}

std::optional<std::string> locationFromReport(std::string_view body, int64_t unixSeconds) {
    wire::DataMapView outer, report;
    if (!parseWholeDataMap(body, outer)) return std::nullopt;
    auto loc = outer.find("Loc0");
    if (!loc || !parseWholeDataMap(*loc, report)) return std::nullopt;
    std::optional<double> lat = number(report, "lat"), lon = number(report, "lng"), accuracy = number(report, "acc");
    if (!lat || !lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 180) return std::nullopt;
    if (accuracy && *accuracy < 0) return std::nullopt;
    wire::DataMapEntries location{
        {"lat", fixed(*lat)},
        {"lon", fixed(*lon)},
        {"time", std::to_string(unixSeconds)},
        {"src", "PLS_IF"},
    };
    if (accuracy) location["accuracy"] = fixed(*accuracy);
    return wire::encodeDataMap(location);
}

std::optional<int64_t> parseWireTime(std::string_view text) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size()) return std::nullopt;
    int64_t seconds = 0, micros = 0;
    auto whole = [](std::string_view part, int64_t& out) {
        auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), out);
        return error == std::errc() && end == part.data() + part.size() && out >= 0;
    };
    if (!whole(text.substr(0, dot), seconds) || !whole(text.substr(dot + 1), micros)) return std::nullopt;
    if (micros >= 1'000'000 || seconds > INT64_MAX / 1'000'000 - 1) return std::nullopt;
    return seconds * 1'000'000 + micros;
}

}  // namespace kestrova::server
