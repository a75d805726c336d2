// String tables: each module's user-visible texts by number, in
//   <resources root>/<module name>/strings.txt
// (found like icon resources, icon_resources.h). The file is UTF-8 text, one
// entry a line:
//   NUMBER<TAB>TEXT
// NUMBER is decimal, 0 to 65535, each at most once; TEXT runs to the end of
// the line, with the escapes \n (line break), \t (tab) and \\ (backslash).
// Empty lines and lines starting with '#' are skipped; a CR before the LF is
// dropped. A file over kMaxStringTableBytes, an entry over kMaxStringBytes,
// text that is not UTF-8, or any other line makes the whole table invalid:
// a module then has no texts, and its tests say so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace kestrova::platform {

inline constexpr size_t kMaxStringTableBytes = 256 * 1024;
inline constexpr size_t kMaxStringBytes = 4096;
inline constexpr uint32_t kMaxStringNumber = 65535;

struct StringTableParse {
    std::map<uint32_t, std::string> strings;
    size_t errorLine = 0;  // 1-based; 0 when the table is valid
    std::string error;

    bool ok() const { return errorLine == 0; }
};

StringTableParse parseStringTable(std::string_view text);

std::filesystem::path stringTablePath(void* module);
// The text of that number in the module's table, or the empty text. Each
// module's table is read once, on first use, and kept for the process.
const std::string& loadString(void* module, uint32_t number);

}  // namespace kestrova::platform
