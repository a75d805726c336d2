// Locations: a contact's "loc" entry decoded into the fixed location record,
// the great-circle distance from the user's own location, and the two ways
// the user's own location goes to the server (a positioning report and a
// manual profile update).
#include "core_state.h"
#include "data_map.h"
#include "server_packet.h"

#include "kestrova/wire/protocol.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kestrova::api {

namespace protocol = wire::protocol;

namespace {

using wire::DataMapEntries;

const std::string* entryOf(const DataMapEntries& entries, const char* key) {
    auto it = entries.find(std::string_view(key));
    return it == entries.end() ? nullptr : &it->second;
}

// Copies at most the field's size less one byte and always ends with a NUL.
template <size_t N>
bool copyText(char (&field)[N], const std::string& text) {
    const size_t length = std::min(std::strlen(text.c_str()), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
    return length != 0;
}

void readNumbers(const DataMapEntries& loc, RY_LocationData& out) {
    const struct {
        const char* key;
        float RY_LocationData::*field;
        uint32_t flag;
    } numbers[] = {{"lon", &RY_LocationData::lon, RY_LOCATION_LON},
                   {"lat", &RY_LocationData::lat, RY_LOCATION_LAT},
                   {"accuracy", &RY_LocationData::accuracy, RY_LOCATION_ACCURACY}};
    for (const auto& number : numbers)
        if (const std::string* text = entryOf(loc, number.key)) {
            out.*number.field = float(std::atof(text->c_str()));
            out.flags |= number.flag;
        }
    if (const std::string* text = entryOf(loc, "time")) {
        out.time = uint32_t(std::strtoul(text->c_str(), nullptr, 10));
        out.flags |= RY_LOCATION_TIME;
    }
}

void readTexts(const DataMapEntries& loc, RY_LocationData& out) {
    if (const std::string* text = entryOf(loc, "name"); text && copyText(out.name, *text)) out.flags |= RY_LOCATION_NAME;
    if (const std::string* text = entryOf(loc, "area"); text && copyText(out.area, *text)) out.flags |= RY_LOCATION_AREA;
    if (const std::string* text = entryOf(loc, "country"); text && copyText(out.country, *text))
        out.flags |= RY_LOCATION_COUNTRY;
    if (const std::string* source = entryOf(loc, "src")) {
        if (*source == "PLS_IF") {
            out.source = RY_LOCATION_FROM_POSITIONING;
            out.flags |= RY_LOCATION_SOURCE;
        } else if (*source == "Manual") {
            out.source = RY_LOCATION_MANUAL;
            out.flags |= RY_LOCATION_SOURCE;
        }
    }
}

std::string formatFloat(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", double(value));
    return text;
}

HCONTACT ownContact() {
    HSERVICE primary = RY_GetPrimaryService();
    HCONTACT own = bus::call(names::kServiceGetMyHandle, primary);
    RY_ReleaseService(primary);
    return own;
}

// The haversine distance, computed in exactly this mix of single and double
// precision so that every client shows the same metres.
float haversineMeters(float ownLat, float ownLon, float targetLat, float targetLon) {
    const float k = 0.017453292f;
    const float phi1 = ownLat * k, phi2 = targetLat * k, lambda1 = ownLon * k, lambda2 = targetLon * k;
    const float s1 = float(std::sin(double((phi2 - phi1) * 0.5f)));
    const float s2 = float(std::sin(double((lambda2 - lambda1) * 0.5f)));
    const float h = float(double(s2 * s2) * std::cos(double(phi2)) * std::cos(double(phi1)) + double(s1 * s1));
    const float c = float(2.0 * std::atan2(std::sqrt(double(h)), std::sqrt(double(1.0f - h))));
    return c * 6378160.0f;
}

}  // namespace
}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

int32_t RY_GetLocationData(HDATAMAP map, RY_LocationData* out) {
    if (!map) return 0;
    const std::string* encoded = entryOf(body<DataMap>(map)->entries, "loc");
    if (!encoded || encoded->empty()) return 0;
    DataMapEntries loc;
    kestrova::wire::parseDataMap({reinterpret_cast<const uint8_t*>(encoded->data()), encoded->size()}, loc);
    std::memset(out, 0, sizeof *out);
    out->size = sizeof *out;
    readNumbers(loc, *out);
    readTexts(loc, *out);
    return out->flags != 0 ? 1 : 0;
}

int32_t RY_CalcDistance(const RY_LocationData* target, float* metersOut) {
    *metersOut = 0;
    HCONTACT own = ownContact();
    RY_LocationData ownLocation{};
    const bool located = RY_GetContactLocation(own, &ownLocation) != 0;
    RY_ReleaseContact(own);
    const uint32_t both = RY_LOCATION_LAT | RY_LOCATION_LON;
    if (!located || (ownLocation.flags & both) != both) return 0;
    *metersOut = haversineMeters(ownLocation.lat, ownLocation.lon, target->lat, target->lon);
    return 1;
}

void RY_ReportCurrentLocation(float latitude, float longitude, float accuracy) {
    DataMapEntries position;
    position["lng"] = formatFloat(longitude);
    position["lat"] = formatFloat(latitude);
    position["acc"] = formatFloat(accuracy);
    position["type"] = "iPhoneCombo";
    sendServerPacket(protocol::command::kLocationSubmit,
                     encodeSingleEntry("Loc0", kestrova::wire::encodeDataMap(position)));
}

void RY_SetManualLocationData(const RY_LocationData* data) {
    const RY_LocationData& d = *data;
    DataMapEntries place;
    if (d.flags & RY_LOCATION_LON) place["lon"] = formatFloat(d.lon);
    if (d.flags & RY_LOCATION_LAT) place["lat"] = formatFloat(d.lat);
    if (d.flags & RY_LOCATION_ACCURACY) place["accuracy"] = formatFloat(d.accuracy);
    if (d.flags & RY_LOCATION_TIME) place["time"] = std::to_string(d.time);
    // The fields are read only up to their size, even if a caller left one unterminated.
    if (d.flags & RY_LOCATION_AREA) place["area"] = std::string(d.area, strnlen(d.area, sizeof d.area));
    if (d.flags & RY_LOCATION_NAME) place["name"] = std::string(d.name, strnlen(d.name, sizeof d.name));
    if (d.flags & RY_LOCATION_COUNTRY) place["country"] = std::string(d.country, strnlen(d.country, sizeof d.country));
    place["src"] = "Manual";
    sendServerPacket(kProfileUpdateCommand, encodeSingleEntry("user_data.loc", kestrova::wire::encodeDataMap(place)));
}

}  // extern "C"
