// Proxy status line: any line must either be refused or give a status whose
// version and reason are non-empty words of the line.
#include "kestrova/net/proxy_tunnel.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::string_view line(reinterpret_cast<const char*>(data), size);
    auto status = kestrova::net::parseProxyStatusLine(line);
    if (!status) return 0;
    if (status->version.empty() || status->reason.empty()) std::abort();
    if (line.find(status->reason) == std::string_view::npos) std::abort();
    if (line.substr(0, 5) != "HTTP/") std::abort();
    return 0;
}
