// The build stamp of a module: a 32-bit Unix time stamp that the post-link
// tool writes into an ELF note of every module, so that it can be read from
// the file without loading it (docs/BUILD_STAMP.md).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace kestrova::platform {

// Name and type of the note.
inline constexpr char kBuildStampNoteName[] = "Kestrova";
inline constexpr uint32_t kBuildStampNoteType = 0x4B53;  // "SK"

// The offset of the stamp's four bytes in the ELF image; nullopt when the
// image is not a 64-bit little-endian ELF file with the note. Reads only
// inside the span.
std::optional<uint64_t> findBuildStampOffset(std::span<const unsigned char> image);
std::optional<uint32_t> readBuildStamp(std::span<const unsigned char> image);
// From a file (at most 256 MiB are looked at).
std::optional<uint32_t> readBuildStamp(const std::filesystem::path& module);
bool writeBuildStamp(const std::filesystem::path& module, uint32_t stamp);

}  // namespace kestrova::platform
