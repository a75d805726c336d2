#include "network_probe.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace kestrova::net {

bool networkNeedsBringingUp() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0) return true;
    bool routable = false;
    for (addrinfo* it = found; it && !routable; it = it->ai_next) {
        auto* address = reinterpret_cast<const sockaddr_in*>(it->ai_addr);
        uint8_t first = reinterpret_cast<const uint8_t*>(&address->sin_addr)[0];
        routable = first != 127 && first != 255;
    }
    freeaddrinfo(found);
    return !routable;
}

}  // namespace kestrova::net
