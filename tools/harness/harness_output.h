// The harness's only output: one line per event, flushed at once, so that a
// test reading the pipe sees each event as it happens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova::harness {

void emit(const std::string& line);
// Printable ASCII stays; backslash, line breaks and every other byte become
// escapes (\\, \n, \xNN), so a message body can never break the line format.
std::string escapeText(std::string_view text);
// The MD5 of the bytes in hex: lets a test compare large bodies without
// printing them.
std::string digestHex(const void* data, size_t length);
// The deterministic body of `send-size`: lines of a counting pattern.
std::string patternBody(size_t length);

}  // namespace kestrova::harness
