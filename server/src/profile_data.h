// The bodies of "SUB PROFILE UPDATE" and "PLS SUBMIT", and the times of
// "MESG HIST": pure functions over client bytes, so that they can be fuzzed
// without a server around them.
#pragma once

#include "kestrova/wire/data_map.h"
#include "kestrova/wire/data_map_view.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server {

struct ProfileLimits {
    size_t maxMapBytes = 16 * 1024;  // each of user_data and user_acl, encoded
    size_t maxTextBytes = 256;       // nickname, status line
    size_t maxDepth = 8;             // components of a dotted path
};

// What an account keeps of itself, as the update may change it.
struct ProfileData {
    wire::DataMapEntries userData;
    wire::DataMapEntries userAcl;
    std::string nickname;
    std::string statusLine;
};

struct ProfileChange {
    // The entries as applied, to echo to the account itself ("user_data",
    // "user_data.PATH", "user_acl", "user_acl.PATH").
    wire::DataMapEntries own;
    // What contacts may see: the "user_data" entries and "Nickname" and
    // "Status" when they changed.
    wire::DataMapEntries visible;
    bool identityChanged = false;
};

enum class UpdateResult {
    Applied,
    Malformed,
    TooLarge,
    TextBreaksLine,  // a nickname or status line with a line feed, carriage return or NUL
};

// The whole input must be one data map; false otherwise.
bool parseWholeDataMap(std::string_view bytes, wire::DataMapEntries& out);
// The same, read in place: `out` points into `bytes`.
bool parseWholeDataMap(std::string_view bytes, wire::DataMapView& out);

// Applies a "SUB PROFILE UPDATE" body to `data`. Keys: "Nickname", "Status",
// "user_data" (a whole map), "user_data.PATH" (a value inside the nested
// maps the dotted path names), and the same for "user_acl". Unknown keys are
// ignored. On any result but Applied, `data` is left unchanged.
UpdateResult applyProfileUpdate(std::string_view body, ProfileData& data, ProfileChange& change,
                                const ProfileLimits& limits = {});

// Turns a "PLS SUBMIT" body ("Loc0" holding "lat", "lng", "acc") into the
// stored form of a location ("lat", "lon", "accuracy", "time", "src"
// "PLS_IF"), encoded; nothing when the report is not a valid position.
std::optional<std::string> locationFromReport(std::string_view body, int64_t unixSeconds);

// "seconds.microseconds" as the client writes it (both decimal, the
// microseconds below one million) in microseconds since 1970.
std::optional<int64_t> parseWireTime(std::string_view text);

}  // namespace kestrova::server
