// The words of the automation line protocol: splitting a line, quoting a
// text, writing and reading window handles and numbers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/messages.h"

namespace kestrova::platform::automation {

using Args = std::vector<std::string>;

// Blank-separated words; double quotes hold blanks, backslash escapes.
Args tokenize(const std::string& line);
std::string quote(const std::string& text);
std::string handleText(HWND hwnd);
std::optional<HWND> parseHandle(const std::string& text);
std::optional<int> parseInt(const std::string& text);
// The live window a word names, or nullopt.
std::optional<HWND> windowArg(const std::string& text);

// The commands that read and set the state of standard controls; an empty
// reply when the line is none of them.
std::string controlCommand(const Args& args);

} // namespace kestrova::platform::automation
