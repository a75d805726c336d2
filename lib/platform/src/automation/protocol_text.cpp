#include "automation/protocol_text.h"

#include <charconv>
#include <cstdio>

#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {

Args tokenize(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size()) break;
        std::string token;
        bool quoted = false;
        while (i < line.size() && (quoted || line[i] != ' ')) {
            char c = line[i++];
            if (c == '"')
                quoted = !quoted;
            else if (c == '\\' && i < line.size()) {
                char n = line[i++];
                token += n == 'n' ? '\n' : n;
            } else
                token += c;
        }
        out.push_back(std::move(token));
    }
    return out;
}

std::string handleText(HWND hwnd) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%zx", reinterpret_cast<size_t>(hwnd));
    return buffer;
}

std::optional<HWND> parseHandle(const std::string& text) {
    size_t value = 0;
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x")) {
        digits.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return reinterpret_cast<HWND>(value);
}

std::optional<HWND> windowArg(const std::string& text) {
    auto h = parseHandle(text);
    if (!h || !isWindow(*h)) return std::nullopt;
    return h;
}

} // namespace kestrova::platform::detail
