// Words of the automation line protocol shared by its command groups.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::platform::detail {

using Args = std::vector<std::string>;

// A text as one protocol word: in double quotes, with \" \\ and \n.
inline std::string quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

inline std::optional<int> parseInt(const std::string& text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The commands of the devices and shell services (device_commands.cpp): the
// reply, or an empty text when the command is not one of them.
std::string deviceCommand(const Args& args);

} // namespace kestrova::platform::detail
