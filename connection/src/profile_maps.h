// Profile keys that carry data maps: "user_data" (and "user_acl") hold a
// whole map; "user_data.<path>" sets one value at a dotted path inside it.
#pragma once

#include "kestrova/api.h"
#include "kestrova/wire/data_map_view.h"

#include <string_view>

namespace kestrova::connection {

inline constexpr std::string_view kUserDataKey = "user_data";
inline constexpr std::string_view kUserAclKey = "user_acl";

// Applies one profile entry to map when its key starts with prefix: the
// exact prefix merges the value (an encoded map) into map; a longer key is
// the prefix, one separator and a path. False when the key is not one of
// prefix's.
bool applyMapKey(HDATAMAP map, std::string_view prefix, std::string_view key, std::string_view value);

// Applies every entry of entries whose key starts with prefix.
void applyMapKeys(HDATAMAP map, std::string_view prefix, const wire::DataMapView& entries);

}  // namespace kestrova::connection
