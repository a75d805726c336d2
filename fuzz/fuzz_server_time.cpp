// Server times ("%d.%d"): any text is either refused or read as a time at or
// after 1970 whose microseconds are in range, and writing that time back as
// "%d.%d" (when the seconds fit) reads as the same time.
#include "server_clock.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto time = kestrova::connection::parseServerTime(text);
    if (!time) return 0;
    if (size > kestrova::connection::kMaxServerTimeText) std::abort();
    if (time->seconds < 0 || time->microseconds < 0 || time->microseconds > 999'999) std::abort();
    // Carried microseconds may take the seconds past what "%d" can write.
    if (time->seconds > INT32_MAX) return 0;
    std::string written = std::to_string(time->seconds) + "." + std::to_string(time->microseconds);
    auto again = kestrova::connection::parseServerTime(written);
    if (!again || again->seconds != time->seconds || again->microseconds != time->microseconds) std::abort();
    return 0;
}
