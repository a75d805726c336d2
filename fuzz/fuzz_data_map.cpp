// Data maps arrive from the network as profile bodies. Both ways of reading
// them, in place and into a map, must agree on every input with a plain
// chunk-by-chunk merge written here independently of them.
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/data_map_view.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using kestrova::wire::DataMapEntries;
using kestrova::wire::ParseResult;
using kestrova::wire::ParseStatus;

// Each whole chunk in turn: the previous chunk's key extends, any other key
// replaces.
ParseResult mergeChunkByChunk(const uint8_t* data, size_t size, DataMapEntries& entries) {
    size_t pos = 0;
    std::string previous;
    while (pos < size && data[pos] != 0) {
        const void* nul = std::memchr(data + pos, 0, size - pos);
        if (!nul) return {ParseStatus::Truncated, pos};
        size_t keyEnd = static_cast<size_t>(static_cast<const uint8_t*>(nul) - data);
        if (keyEnd + 3 > size) return {ParseStatus::Truncated, pos};
        size_t length = size_t(data[keyEnd + 1]) * 256 + data[keyEnd + 2];
        if (keyEnd + 3 + length > size) return {ParseStatus::Truncated, pos};
        std::string key(reinterpret_cast<const char*>(data + pos), keyEnd - pos);
        std::string value(reinterpret_cast<const char*>(data + keyEnd + 3), length);
        if (pos > 0 && key == previous)
            entries[key] += value;
        else
            entries[key] = value;
        previous = key;
        pos = keyEnd + 3 + length;
    }
    return {ParseStatus::Complete, pos};
}

bool same(const ParseResult& a, const ParseResult& b) {
    return a.status == b.status && a.consumed == b.consumed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    DataMapEntries expected;
    auto reference = mergeChunkByChunk(data, size, expected);

    DataMapEntries entries;
    auto result = kestrova::wire::parseDataMap({data, size}, entries);
    if (!same(result, reference) || entries != expected) std::abort();

    kestrova::wire::DataMapView view;
    auto viewed = view.parse({data, size});
    if (!same(viewed, reference) || view.size() != expected.size()) std::abort();
    auto entry = expected.begin();
    for (const auto& [key, value] : view) {
        if (key != entry->first || value != entry->second || view.find(key) != value) std::abort();
        ++entry;
    }

    // Whatever was decoded must encode and decode back to the same entries.
    std::string encoded = kestrova::wire::encodeDataMap(entries);
    DataMapEntries again;
    auto second = kestrova::wire::parseDataMap(
        {reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size()}, again);
    if (second.status != ParseStatus::Complete || again != entries) std::abort();
    return 0;
}
