#include "bridges/xmpp/xmpp_translate.h"

#include "bridges/header_text.h"
#include "bridges/xmpp/xmpp_address.h"

#include <strophe.h>

#include <cstring>
#include <memory>

namespace kestrova::server::bridges::xmpp {
namespace {

constexpr const char* kRosterNs = "jabber:iq:roster";
constexpr const char* kMucUserNs = "http://jabber.org/protocol/muc#user";
constexpr const char* kConferenceNs = "jabber:x:conference";
constexpr const char* kNickNs = "http://jabber.org/protocol/nick";
constexpr const char* kDelayNs = "urn:xmpp:delay";
constexpr const char* kLegacyDelayNs = "jabber:x:delay";

std::string attribute(xmpp_stanza_t* stanza, const char* name) {
    const char* value = stanza ? xmpp_stanza_get_attribute(stanza, name) : nullptr;
    return value ? value : "";
}

bool is(const char* text, const char* expected) {
    return text && std::strcmp(text, expected) == 0;
}

// The text of a stanza's child element (of that namespace, when one is
// given), bounded; empty when absent.
std::string childText(xmpp_stanza_t* stanza, const char* name, size_t maxBytes, const char* ns = nullptr) {
    xmpp_stanza_t* child = ns ? xmpp_stanza_get_child_by_name_and_ns(stanza, name, ns)
                              : xmpp_stanza_get_child_by_name(stanza, name);
    char* text = child ? xmpp_stanza_get_text(child) : nullptr;
    if (!text) return {};
    std::string out(cutUtf8(text, maxBytes));
    xmpp_free(xmpp_stanza_get_context(child), text);
    return out;
}

bool hasStatusCode(xmpp_stanza_t* mucUser, const char* code) {
    for (xmpp_stanza_t* child = xmpp_stanza_get_children(mucUser); child; child = xmpp_stanza_get_next(child))
        if (is(xmpp_stanza_get_name(child), "status") && attribute(child, "code") == code) return true;
    return false;
}

void translatePresence(xmpp_stanza_t* stanza, const TranslateContext& context,
                       std::vector<NetworkEvent>& out) {
    std::optional<Jid> from = parseJid(attribute(stanza, "from"));
    if (!from) return;
    std::string bare = from->bare();
    std::string type = attribute(stanza, "type");
    xmpp_stanza_t* mucUser = xmpp_stanza_get_child_by_name_and_ns(stanza, "x", kMucUserNs);
    if (mucUser || (type == "error" && context.rooms.count(bare))) {
        if (from->resource.empty() && type != "error") return;
        bool self = type == "error" || (mucUser && hasStatusCode(mucUser, "110"));
        bool joined = type != "unavailable" && type != "error";
        out.push_back(event::OccupantChanged{bare, from->resource, joined, self});
        return;
    }
    if (bare == context.ownAddress) return; // the account's other logins
    std::string statusText = headerSafe(childText(stanza, "status", kMaxHeaderText * 4));
    if (type == "subscribe") {
        out.push_back(
            event::ContactRequest{bare, headerSafe(childText(stanza, "nick", kMaxHeaderText * 4, kNickNs)),
                                  childText(stanza, "status", kMaxTextBytes)});
    } else if (type.empty()) {
        int32_t status = statusOfShow(childText(stanza, "show", 16));
        out.push_back(event::PresenceChanged{bare, from->resource, status, statusText});
    } else if (type == "unavailable") {
        out.push_back(event::PresenceChanged{bare, from->resource, 0, statusText});
    }
}

void translateInvitations(xmpp_stanza_t* stanza, const std::string& fromBare,
                          std::vector<NetworkEvent>& out) {
    if (xmpp_stanza_t* direct = xmpp_stanza_get_child_by_name_and_ns(stanza, "x", kConferenceNs)) {
        std::string room = bareOf(attribute(direct, "jid"));
        if (!room.empty())
            out.push_back(event::RoomInvitation{room, fromBare, attribute(direct, "password")});
        return;
    }
    xmpp_stanza_t* mucUser = xmpp_stanza_get_child_by_name_and_ns(stanza, "x", kMucUserNs);
    xmpp_stanza_t* invite = mucUser ? xmpp_stanza_get_child_by_name(mucUser, "invite") : nullptr;
    if (!invite) return;
    std::string inviter = bareOf(attribute(invite, "from"));
    if (!inviter.empty())
        out.push_back(
            event::RoomInvitation{fromBare, inviter, childText(mucUser, "password", kMaxHeaderText)});
}

void translateMessage(xmpp_stanza_t* stanza, const TranslateContext& context,
                      std::vector<NetworkEvent>& out) {
    std::optional<Jid> from = parseJid(attribute(stanza, "from"));
    if (!from) return;
    std::string bare = from->bare();
    std::string type = attribute(stanza, "type");
    if (type == "error") return;
    translateInvitations(stanza, bare, out);
    std::string body = childText(stanza, "body", kMaxTextBytes);
    if (body.empty()) return;
    if (type == "groupchat") {
        if (from->resource.empty()) return; // the room speaking for itself (subjects, notices)
        bool history = xmpp_stanza_get_child_by_name_and_ns(stanza, "delay", kDelayNs) ||
                       xmpp_stanza_get_child_by_name_and_ns(stanza, "x", kLegacyDelayNs);
        out.push_back(event::RoomMessage{bare, from->resource, std::move(body), history});
        return;
    }
    if (bare == context.ownAddress) return;
    if (context.rooms.count(bare) && !from->resource.empty()) {
        // A private message from a room's occupant: the occupant is the sender.
        out.push_back(event::MessageReceived{from->full(), headerSafe(from->resource), std::move(body)});
        return;
    }
    out.push_back(event::MessageReceived{
        bare, headerSafe(childText(stanza, "nick", kMaxHeaderText * 4, kNickNs)), std::move(body)});
}

void translateRoster(xmpp_stanza_t* stanza, const TranslateContext& context, std::vector<NetworkEvent>& out) {
    std::string type = attribute(stanza, "type");
    if (type != "result" && type != "set") return;
    // Only the account's own server may change its roster; a push from
    // anyone else is a forgery.
    std::string from = attribute(stanza, "from");
    if (!from.empty() && bareOf(from) != context.ownAddress) return;
    xmpp_stanza_t* query = xmpp_stanza_get_child_by_name_and_ns(stanza, "query", kRosterNs);
    if (!query) return;
    event::RosterChanged roster;
    roster.complete = type == "result";
    for (xmpp_stanza_t* item = xmpp_stanza_get_children(query); item && roster.items.size() < kMaxRosterItems;
         item = xmpp_stanza_get_next(item)) {
        if (!is(xmpp_stanza_get_name(item), "item")) continue;
        std::optional<Jid> jid = parseJid(attribute(item, "jid"));
        if (!jid || !jid->resource.empty() || jid->bare() == context.ownAddress) continue;
        std::string subscription = attribute(item, "subscription");
        event::RosterItem entry;
        entry.address = jid->bare();
        entry.name = headerSafe(attribute(item, "name"));
        entry.listState = subscription == "both" || subscription == "to" ? 0 : 1;
        entry.removed = subscription == "remove";
        roster.items.push_back(std::move(entry));
    }
    out.push_back(std::move(roster));
}

// The length of the UTF-8 sequence at `text[i]` when it is a valid
// character allowed in XML, else 0.
size_t validXmlCharacter(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    uint32_t code = lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    bool shortest = (length == 2) || (length == 3 && code >= 0x800) || (length == 4 && code >= 0x10000);
    bool allowed =
        code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
    return shortest && allowed ? length : 0;
}

} // namespace

std::vector<NetworkEvent> translateStanza(xmpp_stanza_t* stanza, const TranslateContext& context) {
    std::vector<NetworkEvent> out;
    const char* name = stanza ? xmpp_stanza_get_name(stanza) : nullptr;
    if (is(name, "presence"))
        translatePresence(stanza, context, out);
    else if (is(name, "message"))
        translateMessage(stanza, context, out);
    else if (is(name, "iq"))
        translateRoster(stanza, context, out);
    return out;
}

int32_t statusOfShow(std::string_view show) {
    if (show == "away" || show == "xa") return 2;
    if (show == "dnd") return 5;
    return 1;
}

const char* showOfStatus(int32_t status) {
    switch (status) {
    case 2:
        return "away";
    case 5:
        return "dnd";
    default:
        return "";
    }
}

std::string xmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t length = validXmlCharacter(text, i);
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (static_cast<unsigned char>(text[i]) >= 0x80) out += "\xEF\xBF\xBD"; // U+FFFD for broken UTF-8
        ++i;
    }
    return out;
}

} // namespace kestrova::server::bridges::xmpp
