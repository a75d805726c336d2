#include "timestamp.h"

#include <cinttypes>
#include <cstdio>

namespace kestrova::server {

std::string formatTimestamp(std::chrono::system_clock::time_point time) {
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    char text[40];
    std::snprintf(text, sizeof text, "%" PRId64 ".%" PRId64, static_cast<int64_t>(micros / 1'000'000),
                  static_cast<int64_t>(micros % 1'000'000));
    return text;
}

std::string nowTimestamp() { return formatTimestamp(std::chrono::system_clock::now()); }

}  // namespace kestrova::server
