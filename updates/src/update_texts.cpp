#include "update_texts.h"

#include "kestrova/kit/texts.h"

namespace kestrova::updates::texts {

const std::string& text(Text number) {
    return kit::text(number);
}

std::string formatNumbers(std::string_view format, std::initializer_list<int64_t> numbers) {
    std::string out;
    const int64_t* next = numbers.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 'd' && next != numbers.end()) {
                out += std::to_string(*next++);
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

} // namespace kestrova::updates::texts
