#include "bridges/xmpp/xmpp_address.h"

#include <algorithm>

namespace kestrova::server::bridges::xmpp {
namespace {

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool validNode(std::string_view node) {
    return node.size() <= kMaxJidPart && std::none_of(node.begin(), node.end(), [](char c) {
               return isControl(static_cast<unsigned char>(c)) ||
                      std::string_view(" \"&'/:<>@").find(c) != std::string_view::npos;
           });
}

bool validDomain(std::string_view domain) {
    return !domain.empty() && domain.size() <= kMaxJidPart &&
           std::none_of(domain.begin(), domain.end(), [](char c) {
               return isControl(static_cast<unsigned char>(c)) ||
                      std::string_view(" \"&'/<>@").find(c) != std::string_view::npos;
           });
}

bool validResource(std::string_view resource) {
    return resource.size() <= kMaxJidPart && std::none_of(resource.begin(), resource.end(), [](char c) {
               return isControl(static_cast<unsigned char>(c));
           });
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return out;
}

} // namespace

std::string Jid::bare() const {
    return node.empty() ? lower(domain) : lower(node) + "@" + lower(domain);
}

std::optional<Jid> parseJid(std::string_view text) {
    Jid jid;
    size_t slash = text.find('/');
    std::string_view address = text.substr(0, slash);
    if (slash != std::string_view::npos) {
        jid.resource = text.substr(slash + 1);
        if (jid.resource.empty()) return std::nullopt;
    }
    size_t at = address.find('@');
    if (at != std::string_view::npos) {
        jid.node = address.substr(0, at);
        if (jid.node.empty()) return std::nullopt;
    }
    jid.domain = at == std::string_view::npos ? address : address.substr(at + 1);
    if (!validNode(jid.node) || !validDomain(jid.domain) || !validResource(jid.resource)) return std::nullopt;
    return jid;
}

std::string bareOf(std::string_view text) {
    std::optional<Jid> jid = parseJid(text);
    return jid ? jid->bare() : std::string();
}

std::string resourceOf(std::string_view text) {
    std::optional<Jid> jid = parseJid(text);
    return jid ? jid->resource : std::string();
}

} // namespace kestrova::server::bridges::xmpp
