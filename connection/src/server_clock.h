// The server's clock against ours, from the logon "Timestamp" header
// ("seconds.microseconds").
#pragma once

#include "kestrova/platform/clock.h"

#include <optional>
#include <string_view>

namespace kestrova::connection {

// nullopt unless the text is exactly two runs of digits around one full stop.
std::optional<platform::UnixTime> parseServerTime(std::string_view text);
// server − local, with the microseconds normalised into 0..999999.
platform::UnixTime clockOffset(platform::UnixTime server, platform::UnixTime local);

}  // namespace kestrova::connection
