// The HTTP CONNECT tunnel through a proxy: the request we write and the
// status line we wait for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::net {

// Proxy types of the "Connection/Proxy/Type" setting.
enum ProxyType : int32_t { kProxyNone = 0, kProxyHttpConnect = 1 };

// "CONNECT host:port HTTP/1.0" and the blank line, with bare line feeds.
std::string tunnelRequest(std::string_view host, int32_t port);

struct ProxyStatus {
    std::string version;
    int32_t code = 0;
    std::string reason;  // the first word of the reason phrase
};

// A line of the form "HTTP/<version> <code> <word>..." (the reason may not be
// missing); nullopt for anything else.
std::optional<ProxyStatus> parseProxyStatusLine(std::string_view line);

}  // namespace kestrova::net
