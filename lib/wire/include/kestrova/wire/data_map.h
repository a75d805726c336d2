// The byte encoding of data maps: ordered text keys to byte strings. This is a
// wire format shared by the client, the server and the tools.
//
// An entry is one or more chunks: key bytes, 0x00, a big-endian 16-bit length,
// that many data bytes. Values longer than 65,535 bytes continue in further
// chunks under the same key. Entries follow each other in key order with
// nothing before, between or after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace kestrova::wire {

// std::string compares its bytes as unsigned char, which is the key order the
// encoding needs.
using DataMapEntries = std::map<std::string, std::string, std::less<>>;

inline constexpr size_t kMaxChunk = 0xFFFF;

size_t encodedDataMapSize(const DataMapEntries& entries);
// Writes exactly encodedDataMapSize(entries) bytes to out.
void encodeDataMap(const DataMapEntries& entries, uint8_t* out);
std::string encodeDataMap(const DataMapEntries& entries);

enum class ParseStatus {
    Complete,   // the input ended, or a zero byte stood where a key would start
    Truncated,  // the input ended inside an entry
};

struct ParseResult {
    ParseStatus status;
    size_t consumed;  // bytes of whole chunks merged into the map
};

// Merges an encoding into entries: keys the input does not mention stay; a
// chunk whose key repeats the previous chunk's key extends that value,
// otherwise it replaces the key's value. Chunks decoded before a truncation
// stay merged.
ParseResult parseDataMap(std::span<const uint8_t> input, DataMapEntries& entries);

}  // namespace kestrova::wire
