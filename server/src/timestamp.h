// Times on the wire: seconds since 1970, a full stop, and the microseconds,
// both plain decimal numbers ("%d.%d"): 42 microseconds past a second are
// "1700000000.42", not a fraction of a second.
#pragma once

#include <chrono>
#include <string>

namespace kestrova::server {

std::string formatTimestamp(std::chrono::system_clock::time_point time);
std::string nowTimestamp();

}  // namespace kestrova::server
