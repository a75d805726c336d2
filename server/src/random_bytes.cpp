#include "random_bytes.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace kestrova::server {

void fillRandom(uint8_t* out, size_t length) {
    while (length > 0) {
        ssize_t got = getrandom(out, length, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            std::abort();  // no source of secrets: nothing safe can go on
        }
        out += got;
        length -= static_cast<size_t>(got);
    }
}

std::string randomHexText(size_t bytes) {
    static const char digits[] = "0123456789abcdef";
    std::vector<uint8_t> raw(bytes);
    fillRandom(raw.data(), raw.size());
    std::string text;
    for (uint8_t b : raw) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

}  // namespace kestrova::server
