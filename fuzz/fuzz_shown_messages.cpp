// The shown-messages file: any text gives at most one key per line, and the
// keys written back as lines read as the same keys.
#include "shown_messages.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto keys = kestrova::connection::parseShownKeys(text);
    if (keys.size() > text.size() / 6) std::abort(); // "0 0 0\n" is the shortest line
    std::string written;
    for (const auto& key : keys)
        written += kestrova::connection::formatShownKey(key);
    if (kestrova::connection::parseShownKeys(written) != keys) std::abort();
    return 0;
}
