// The XMPP side's input, translated: a stanza the server received on a
// bridged account becomes the network events the bridge understands
// (contact list, presence, friend requests, messages, room occupants and
// messages, invitations). Everything here reads what a foreign server sent,
// so it trusts nothing: addresses must parse, every text that may reach a
// header is cleaned and bounded, a roster push must come from the account
// itself. The translation is pure (no connection, no state but the context)
// and is fuzzed (fuzz/fuzz_xmpp_translate.cpp).
//
// The other way, texts the user sends are made fit for XML.
#pragma once

#include "bridges/network.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

typedef struct _xmpp_stanza_t xmpp_stanza_t;

namespace kestrova::server::bridges::xmpp {

inline constexpr size_t kMaxTextBytes = 64 * 1024;
inline constexpr size_t kMaxRosterItems = 5000;

struct TranslateContext {
    std::string ownAddress;      // the account's bare JID
    std::set<std::string> rooms; // rooms joined or being joined (bare, folded)
};

std::vector<NetworkEvent> translateStanza(xmpp_stanza_t* stanza, const TranslateContext& context);

// Presence numbers from the XMPP "show" of an available presence.
int32_t statusOfShow(std::string_view show);
// The "show" for a presence number; empty for plain online.
const char* showOfStatus(int32_t status);

// A text the user typed, fit for an XML character node: invalid UTF-8
// becomes U+FFFD, control characters other than tab and line ends go.
std::string xmlText(std::string_view text);

} // namespace kestrova::server::bridges::xmpp
