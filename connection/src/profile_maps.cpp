#include "profile_maps.h"

#include <string>

namespace kestrova::connection {

bool applyMapKey(HDATAMAP map, std::string_view prefix, std::string_view key, std::string_view value) {
    if (!map || key.substr(0, prefix.size()) != prefix) return false;
    if (key.size() == prefix.size()) {
        RY_ParseDataMap(map, value.data(), static_cast<uint32_t>(value.size()));
        return true;
    }
    // The byte after the prefix separates it from the path.
    std::string path(key.substr(prefix.size() + 1));
    if (path.empty()) return true;
    const void* bytes = value.data();
    RY_SetNestedAttribute(map, path.c_str(), &bytes, static_cast<uint32_t>(value.size()));
    return true;
}

void applyMapKeys(HDATAMAP map, std::string_view prefix, const wire::DataMapView& entries) {
    for (const auto& [key, value] : entries.withPrefix(prefix)) applyMapKey(map, prefix, key, value);
}

}  // namespace kestrova::connection
