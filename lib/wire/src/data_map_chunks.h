// The one reader of the data-map encoding's bytes: it walks the chunks and
// leaves merging them to its caller (the map parse and DataMapView).
#pragma once

#include "kestrova/wire/data_map.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace kestrova::wire {

// Calls onChunk(key, data) for each whole chunk of input, in order, up to the
// end, a zero byte where a key would start, or a truncated chunk.
template <typename OnChunk> ParseResult forEachChunk(std::span<const uint8_t> input, OnChunk&& onChunk) {
    const uint8_t* bytes = input.data();
    const size_t size = input.size();
    size_t pos = 0;
    while (pos < size && bytes[pos] != 0) {
        const void* nul = std::memchr(bytes + pos, 0, size - pos);
        if (!nul) return {ParseStatus::Truncated, pos};
        size_t keyEnd = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
        if (size - keyEnd - 1 < 2) return {ParseStatus::Truncated, pos};
        size_t length = (size_t(bytes[keyEnd + 1]) << 8) | bytes[keyEnd + 2];
        size_t dataStart = keyEnd + 3;
        if (size - dataStart < length) return {ParseStatus::Truncated, pos};
        onChunk(std::string_view(reinterpret_cast<const char*>(bytes + pos), keyEnd - pos),
                std::string_view(reinterpret_cast<const char*>(bytes + dataStart), length));
        pos = dataStart + length;
    }
    return {ParseStatus::Complete, pos};
}

} // namespace kestrova::wire
