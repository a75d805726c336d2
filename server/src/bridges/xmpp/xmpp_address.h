// XMPP addresses (JIDs: node@domain/resource) as the bridge needs them: read
// and checked, folded so that one contact has one key, and cut down to the
// bare address. The checks are the ones that keep a text safe where the
// bridge puts it (headers, contact records, stanzas), not full stringprep.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server::bridges::xmpp {

inline constexpr size_t kMaxJidPart = 1023;

struct Jid {
    std::string node; // may be empty (a server's or a service's address)
    std::string domain;
    std::string resource;

    // node@domain (or the domain alone), node and domain in lower case.
    std::string bare() const;
    std::string full() const { return resource.empty() ? bare() : bare() + "/" + resource; }
};

// Nothing when the text is not a usable address: no domain, an empty node
// before "@", a part longer than 1023 bytes, control characters anywhere,
// or characters a node or domain may not hold.
std::optional<Jid> parseJid(std::string_view text);
// The bare, folded address of a JID text; empty when it is not one.
std::string bareOf(std::string_view text);
// The resource of a JID text (a room occupant's nickname); empty when none.
std::string resourceOf(std::string_view text);

} // namespace kestrova::server::bridges::xmpp
