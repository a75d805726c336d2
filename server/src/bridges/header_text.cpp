#include "header_text.h"

#include <algorithm>

namespace kestrova::server::bridges {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

std::string_view cutUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Back up over continuation bytes (10xxxxxx) to the start of the sequence
    // that does not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string headerSafe(std::string_view text, size_t maxBytes) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); }, ' ');
    size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    size_t last = out.find_last_not_of(' ');
    out = out.substr(first, last - first + 1);
    return std::string(cutUtf8(out, maxBytes));
}

bool isHeaderSafe(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

} // namespace kestrova::server::bridges
