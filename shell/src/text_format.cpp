#include "text_format.h"

#include <cctype>

#include "kestrova/kit/texts.h"

namespace kestrova::shell {
namespace {

// The length of the placeholder at pattern[at] (which is '%'), or 0.
size_t placeholderLength(std::string_view pattern, size_t at) {
    size_t i = at + 1;
    if (i < pattern.size() && (pattern[i] == 'd' || pattern[i] == 's' || pattern[i] == 'u')) return 2;
    if (i < pattern.size() && pattern[i] == '.') {
        ++i;
        while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i])))
            ++i;
        if (i < pattern.size() && pattern[i] == 'f') return i + 1 - at;
    }
    return 0;
}

} // namespace

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t length = placeholderLength(pattern, i);
        if (length == 0) {
            out += '%';
            continue;
        }
        if (next != values.end()) out += *next++;
        i += length - 1;
    }
    return out;
}

std::string textWithNumber(uint32_t textNumber, long number) {
    return fillIn(kit::text(textNumber), {std::to_string(number)});
}

} // namespace kestrova::shell
