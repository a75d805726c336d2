#include "bridges/xmpp/xmpp_account.h"

#include "bridges/header_text.h"
#include "bridges/xmpp/xmpp_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>

namespace kestrova::server::bridges::xmpp {
namespace {

constexpr size_t kMaxPassword = 1023;
constexpr size_t kMaxHost = 253;

bool validHost(std::string_view host) {
    return !host.empty() && host.size() <= kMaxHost &&
           host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]") ==
               std::string_view::npos;
}

std::optional<uint16_t> portOf(std::string_view text) {
    if (text.empty()) return kDefaultPort;
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

} // namespace

std::optional<BridgeAccount> accountFromFields(const RegistrationFields& fields) {
    std::string username = fieldValue(fields, "Username");
    std::string password = fieldValue(fields, "Password");
    std::string server = fieldValue(fields, "Server");
    if (username.empty() || password.empty() || password.size() > kMaxPassword ||
        password.find('\0') != std::string::npos)
        return std::nullopt;
    if (username.find('@') == std::string::npos) {
        if (server.empty()) return std::nullopt;
        username += "@" + server;
    }
    std::optional<Jid> jid = parseJid(username);
    if (!jid || jid->node.empty() || !jid->resource.empty()) return std::nullopt;
    if (server.empty()) server = jid->domain;
    std::optional<uint16_t> port = portOf(fieldValue(fields, "Port"));
    std::string resource = fieldValue(fields, "Resource");
    if (resource.empty()) resource = kDefaultResource;
    std::string nickname = fieldValue(fields, "Nickname");
    if (nickname.empty()) nickname = jid->node;
    if (!validHost(server) || !port || !isHeaderSafe(resource) || resource.size() > kMaxHeaderText ||
        !isHeaderSafe(nickname) || nickname.size() > kMaxHeaderText)
        return std::nullopt;
    return BridgeAccount{jid->bare(), std::move(password), std::move(server),
                         *port,       std::move(resource), std::move(nickname)};
}

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost") return true;
    std::string text(host);
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    // Only address literals count: a name such as "127.example.org" may
    // resolve anywhere.
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, text.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

} // namespace kestrova::server::bridges::xmpp
