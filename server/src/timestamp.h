// Times on the wire: decimal seconds since 1970, a full stop, and six digits
// of microseconds ("1700000000.000042").
#pragma once

#include <chrono>
#include <string>

namespace kestrova::server {

std::string formatTimestamp(std::chrono::system_clock::time_point time);
std::string nowTimestamp();

}  // namespace kestrova::server
