#include "kestrova/wire/data_map.h"

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

ParseResult parseDataMap(std::span<const uint8_t> input, DataMapEntries& entries) {
    size_t pos = 0;
    DataMapEntries::iterator previous = entries.end();
    while (pos < input.size() && input[pos] != 0) {
        const void* nul = std::memchr(input.data() + pos, 0, input.size() - pos);
        if (!nul) return {ParseStatus::Truncated, pos};
        size_t keyEnd = static_cast<size_t>(static_cast<const uint8_t*>(nul) - input.data());
        if (input.size() - keyEnd - 1 < 2) return {ParseStatus::Truncated, pos};
        size_t length = (size_t(input[keyEnd + 1]) << 8) | input[keyEnd + 2];
        size_t dataStart = keyEnd + 3;
        if (input.size() - dataStart < length) return {ParseStatus::Truncated, pos};

        std::string_view key(reinterpret_cast<const char*>(input.data() + pos), keyEnd - pos);
        const char* data = reinterpret_cast<const char*>(input.data() + dataStart);
        if (previous != entries.end() && previous->first == key) {
            previous->second.append(data, length);
        } else {
            // Encodings come in key order, so the end is the right hint for a fresh map.
            previous = entries.insert_or_assign(entries.end(), std::string(key), std::string(data, length));
        }
        pos = dataStart + length;
    }
    return {ParseStatus::Complete, pos};
}

}  // namespace kestrova::wire
