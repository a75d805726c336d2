// Arbitrary stanzas, as a foreign XMPP server could send them, through the
// bridge's translation: it never crashes, every text that may reach a
// header comes out free of control characters and bounded, and texts made
// fit for XML stay so.
#include "bridges/header_text.h"
#include "bridges/xmpp/xmpp_translate.h"

#include <strophe.h>

#include <cstdlib>
#include <string>

using namespace kestrova::server::bridges;

namespace {

void mustBeHeaderSafe(const std::string& text, size_t maxBytes = 1024 + 1) {
    if (!isHeaderSafe(text) || text.size() > maxBytes) std::abort();
}

struct Check {
    void operator()(const event::Connected&) const {}
    void operator()(const event::Disconnected&) const {}
    void operator()(const event::RosterChanged& roster) const {
        if (roster.items.size() > xmpp::kMaxRosterItems) std::abort();
        for (const auto& item : roster.items) {
            mustBeHeaderSafe(item.address, 2 * 1024);
            mustBeHeaderSafe(item.name, kMaxHeaderText);
        }
    }
    void operator()(const event::PresenceChanged& presence) const {
        mustBeHeaderSafe(presence.address, 2 * 1024);
        mustBeHeaderSafe(presence.statusText, kMaxHeaderText);
        if (presence.status != 0 && presence.status != 1 && presence.status != 2 && presence.status != 5)
            std::abort();
    }
    void operator()(const event::ContactRequest& request) const {
        mustBeHeaderSafe(request.address, 2 * 1024);
        mustBeHeaderSafe(request.nickname, kMaxHeaderText);
        if (request.text.size() > xmpp::kMaxTextBytes) std::abort();
    }
    void operator()(const event::MessageReceived& message) const {
        mustBeHeaderSafe(message.address, 3 * 1024);
        mustBeHeaderSafe(message.nickname, kMaxHeaderText);
        if (message.text.size() > xmpp::kMaxTextBytes) std::abort();
    }
    void operator()(const event::OccupantChanged& occupant) const {
        mustBeHeaderSafe(occupant.room, 2 * 1024);
        mustBeHeaderSafe(occupant.nickname);
    }
    void operator()(const event::RoomMessage& message) const {
        mustBeHeaderSafe(message.room, 2 * 1024);
        mustBeHeaderSafe(message.nickname);
        if (message.text.size() > xmpp::kMaxTextBytes) std::abort();
    }
    void operator()(const event::RoomInvitation& invitation) const {
        mustBeHeaderSafe(invitation.room, 2 * 1024);
        mustBeHeaderSafe(invitation.inviter, 2 * 1024);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    static xmpp_ctx_t* ctx = [] {
        xmpp_initialize();
        return xmpp_ctx_new(nullptr, nullptr);
    }();
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string fit = xmpp::xmlText(text);
    if (xmpp::xmlText(fit) != fit) std::abort();
    xmpp_stanza_t* stanza = xmpp_stanza_new_from_string(ctx, text.c_str());
    if (!stanza) return 0;
    xmpp::TranslateContext context{"ann@example.net", {"lounge@rooms.example.net"}};
    for (const NetworkEvent& event : xmpp::translateStanza(stanza, context))
        std::visit(Check{}, event);
    xmpp_stanza_release(stanza);
    return 0;
}
