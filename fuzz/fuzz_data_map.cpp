// Data maps arrive from the network as profile bodies.
#include "kestrova/wire/data_map.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    kestrova::wire::DataMapEntries entries;
    auto result = kestrova::wire::parseDataMap({data, size}, entries);
    if (result.consumed > size) std::abort();
    // Whatever was decoded must encode and decode back to the same entries.
    std::string encoded = kestrova::wire::encodeDataMap(entries);
    kestrova::wire::DataMapEntries again;
    auto second = kestrova::wire::parseDataMap(
        {reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size()}, again);
    if (second.status != kestrova::wire::ParseStatus::Complete || again != entries) std::abort();
    return 0;
}
