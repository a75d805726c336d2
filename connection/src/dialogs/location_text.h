// A contact's location as the properties screen shows it: "*" when the
// person set it by hand, then the place ("Oslo, Oslo, Norway") or else the
// coordinates, then the distance from the user ("(999 m)", "(1.5 km)").
// Empty when nothing is known.
#pragma once

#include "kestrova/api.h"

#include <optional>
#include <string>

namespace kestrova::connection {

std::string locationText(const RY_LocationData& location, std::optional<float> metres);

} // namespace kestrova::connection
