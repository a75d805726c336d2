// The server reads profile updates, location reports and history times from
// its clients. The first byte chooses which; the rest is the client's bytes.
#include "profile_data.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace kestrova;
using namespace kestrova::server;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 64 * 1024) return 0;
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0: {
        ProfileLimits limits;
        limits.maxMapBytes = 2048;
        ProfileData data;
        data.userData = {{"loc", wire::encodeDataMap({{"name", "Harbour"}})}};
        data.nickname = "Ann";
        const ProfileData before = data;
        ProfileChange change;
        UpdateResult result = applyProfileUpdate(input, data, change, limits);
        if (result != UpdateResult::Applied) {
            // A refused update changes nothing.
            if (data.userData != before.userData || data.userAcl != before.userAcl || data.nickname != before.nickname ||
                data.statusLine != before.statusLine)
                std::abort();
            break;
        }
        if (wire::encodedDataMapSize(data.userData) > limits.maxMapBytes ||
            wire::encodedDataMapSize(data.userAcl) > limits.maxMapBytes ||
            data.nickname.size() > limits.maxTextBytes || data.statusLine.size() > limits.maxTextBytes)
            std::abort();
        break;
    }
    case 1: {
        std::optional<std::string> location = locationFromReport(input, 1700000000);
        if (!location) break;
        wire::DataMapEntries stored;
        if (!parseWholeDataMap(*location, stored) || stored["src"] != "PLS_IF") std::abort();
        double lat = std::strtod(stored["lat"].c_str(), nullptr), lon = std::strtod(stored["lon"].c_str(), nullptr);
        if (!(lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180)) std::abort();
        break;
    }
    default: {
        std::optional<int64_t> micros = parseWireTime(input);
        if (micros && *micros < 0) std::abort();
        break;
    }
    }
    return 0;
}
