// Whole files read into memory with a bound on their size, for the parsers
// of files a user can change (icons, sounds, pictures).
#pragma once

#include <cstdint>
#include <filesystem>
#include <variant>
#include <vector>

namespace kestrova::platform::detail {

enum class FileReadError { kUnreadable, kTooLarge };

// The file's bytes, or why not: it cannot be read, or it holds more than maxBytes.
std::variant<std::vector<uint8_t>, FileReadError> readBoundedFile(const std::filesystem::path& path,
                                                                  size_t maxBytes);

} // namespace kestrova::platform::detail
