#include "connection_settings.h"

#include "kestrova/api.h"

#include <cstring>
#include <vector>

namespace kestrova::connection {

std::string readSettingText(const char* name, const char* defaultValue) {
    // NOTE: the store copies without a bound. Persisted values are bounded by
    // the store itself and the values the server sends us by
    // kMaxSettingBytes (see the "SETTING" handler), so this buffer holds any
    // value that can be there.
    std::vector<char> buffer(kMaxSettingBytes + 1, '\0');
    RY_GetSettingString(name, defaultValue, buffer.data());
    return std::string(buffer.data(), ::strnlen(buffer.data(), kMaxSettingBytes));
}

int32_t readSettingNumber(const char* name, int32_t defaultValue) { return RY_GetSettingLong(name, defaultValue); }

}  // namespace kestrova::connection
