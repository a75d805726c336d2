#include "os_random.h"

#include <sys/random.h>

#include <cerrno>

namespace kestrova::connection {

bool fillFromOsRandom(uint8_t* out, size_t length) {
    size_t filled = 0;
    while (filled < length) {
        ssize_t n = getrandom(out + filled, length - filled, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        filled += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace kestrova::connection
