#include "harness_output.h"

#include <cstdio>

#include "kestrova/crypto/md5.h"

namespace kestrova::harness {

void emit(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out;
}

std::string digestHex(const void* data, size_t length) {
    crypto::Md5Digest digest = crypto::md5(data, length);
    std::string hex;
    for (uint8_t byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

std::string patternBody(size_t length) {
    std::string body;
    body.reserve(length);
    for (size_t line = 0; body.size() < length; ++line) body += "line " + std::to_string(line) + " of the body\n";
    body.resize(length);
    return body;
}

}  // namespace kestrova::harness
