// Words of the automation line protocol shared by its command groups.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/messages.h"

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

// Blank-separated words; double quotes hold blanks, backslash escapes.
Args tokenize(const std::string& line);
// Window handles are written in hexadecimal ("0x10004").
std::string handleText(HWND hwnd);
std::optional<HWND> parseHandle(const std::string& text);
// The live window a word names, or nullopt.
std::optional<HWND> windowArg(const std::string& text);

// The commands that read and set the state of standard controls
// (control_commands.cpp): the reply, or an empty text when the command is not
// one of them.
std::string controlCommand(const Args& args);

// The commands of the devices and shell services (device_commands.cpp): the
// reply, or an empty text when the command is not one of them.
std::string deviceCommand(const Args& args);

} // namespace kestrova::platform::detail
