#include "dialogs/location_text.h"

#include <cstdio>
#include <string_view>

namespace kestrova::connection {

namespace {

// The location's texts are NUL-terminated within their fields, but a field
// is never read past its end.
std::string_view field(const char* text, size_t size) {
    size_t length = 0;
    while (length < size && text[length] != '\0')
        ++length;
    return {text, length};
}

std::string formatted(const char* format, double value, double other = 0) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, value, other);
    return buffer;
}

} // namespace

std::string locationText(const RY_LocationData& location, std::optional<float> metres) {
    std::string text;
    if ((location.flags & RY_LOCATION_SOURCE) && location.source == RY_LOCATION_MANUAL) text += "*";
    bool hasPosition = (location.flags & RY_LOCATION_LAT) && (location.flags & RY_LOCATION_LON);
    std::string_view name = field(location.name, sizeof location.name);
    std::string_view area = field(location.area, sizeof location.area);
    std::string_view country = field(location.country, sizeof location.country);
    if ((location.flags & RY_LOCATION_NAME) && !name.empty()) {
        text += name;
        if ((location.flags & RY_LOCATION_AREA) && !area.empty()) text.append(", ").append(area);
        if ((location.flags & RY_LOCATION_COUNTRY) && !country.empty()) text.append(", ").append(country);
    } else if (hasPosition) {
        text += formatted("Lat:%f Lng:%f", location.lat, location.lon);
    }
    if (hasPosition && metres) {
        double d = *metres;
        text += d < 1000.0 ? formatted(" (%.0f m)", d) : formatted(" (%.1f km)", d * 0.001);
    }
    return text;
}

} // namespace kestrova::connection
