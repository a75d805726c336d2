// A module's string table is read from a file beside the program; a damaged
// one must not crash, and what it gives must keep the table's bounds.
#include "kestrova/platform/string_table.h"
#include "kestrova/platform/text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova::platform;
    const StringTableParse table = parseStringTable({reinterpret_cast<const char*>(data), size});
    if (!table.ok() && !table.strings.empty()) std::abort();
    std::string written;
    for (const auto& [number, text] : table.strings) {
        if (number > kMaxStringNumber || text.size() > kMaxStringBytes || !isValidUtf8(text)) std::abort();
        if (text.find('\r') == std::string::npos)
            written += std::to_string(number) + "\t" + escaped(text) + "\n";
    }
    // A table written back in the file's own form reads the same (texts with
    // a CR aside: a CR at a line's end is the line end's).
    const StringTableParse again = parseStringTable(written);
    if (!again.ok()) std::abort();
    for (const auto& [number, text] : again.strings)
        if (table.strings.at(number) != text) std::abort();
    return 0;
}
