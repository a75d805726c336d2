// The server's clock against ours, from the logon "Timestamp" header
// ("seconds.microseconds").
#pragma once

#include "kestrova/platform/clock.h"

#include <optional>
#include <string_view>

namespace kestrova::connection {

// Texts longer than this are no time.
inline constexpr size_t kMaxServerTimeText = 64;

// A time read as "%d.%d" reads it: seconds, a full stop, microseconds, each
// a 32-bit decimal with optional leading blanks and sign; what follows is
// ignored. Microseconds beyond a second are carried into the seconds
// ("5.1500000" is 6.5 s), so the result's are in 0..999999. nullopt for
// anything else, a time before 1970 or a text beyond kMaxServerTimeText.
std::optional<platform::UnixTime> parseServerTime(std::string_view text);
// server − local, with the microseconds normalised into 0..999999.
platform::UnixTime clockOffset(platform::UnixTime server, platform::UnixTime local);

}  // namespace kestrova::connection
