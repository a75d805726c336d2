#include "kestrova/wire/data_map.h"

#include "data_map_chunks.h"

#include <cstring>

namespace kestrova::wire {
namespace {

size_t chunkCount(size_t valueSize) { return valueSize == 0 ? 1 : (valueSize + kMaxChunk - 1) / kMaxChunk; }

}  // namespace

size_t encodedDataMapSize(const DataMapEntries& entries) {
    size_t total = 0;
    for (const auto& [key, value] : entries) total += chunkCount(value.size()) * (key.size() + 3) + value.size();
    return total;
}

void encodeDataMap(const DataMapEntries& entries, uint8_t* out) {
    for (const auto& [key, value] : entries) {
        size_t offset = 0;
        do {
            size_t length = std::min(kMaxChunk, value.size() - offset);
            std::memcpy(out, key.data(), key.size());
            out += key.size();
            *out++ = 0;
            *out++ = static_cast<uint8_t>(length >> 8);
            *out++ = static_cast<uint8_t>(length);
            if (length) std::memcpy(out, value.data() + offset, length);
            out += length;
            offset += length;
        } while (offset < value.size());
    }
}

std::string encodeDataMap(const DataMapEntries& entries) {
    std::string out(encodedDataMapSize(entries), '\0');
    encodeDataMap(entries, reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

// NOTE: the map is filled straight from the chunks rather than through a
// DataMapView, which would add a second pass and an array allocated among
// the map's nodes for nothing the map keeps.
ParseResult parseDataMap(std::span<const uint8_t> input, DataMapEntries& entries) {
    DataMapEntries::iterator previous = entries.end();
    return forEachChunk(input, [&](std::string_view key, std::string_view data) {
        if (previous != entries.end() && previous->first == key) {
            previous->second.append(data);
        } else {
            // Encodings come in key order, so the end is the right hint for a fresh map.
            previous = entries.insert_or_assign(entries.end(), std::string(key), std::string(data));
        }
    });
}

}  // namespace kestrova::wire
