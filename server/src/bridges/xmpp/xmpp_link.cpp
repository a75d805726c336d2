#include "bridges/xmpp/xmpp_link.h"

#include "bridges/xmpp/xmpp_account.h"

#include <memory>
#include <optional>

namespace kestrova::server::bridges::xmpp {
namespace {

constexpr const char* kRosterNs = "jabber:iq:roster";
constexpr const char* kMucNs = "http://jabber.org/protocol/muc";
constexpr const char* kPingNs = "urn:xmpp:ping";
constexpr int kRoomHistory = 20; // messages a room replays on joining

struct StanzaRelease {
    void operator()(xmpp_stanza_t* stanza) const { xmpp_stanza_release(stanza); }
};
using Stanza = std::unique_ptr<xmpp_stanza_t, StanzaRelease>;

Stanza element(xmpp_ctx_t* ctx, const char* name, const char* ns = nullptr) {
    Stanza stanza(xmpp_stanza_new(ctx));
    xmpp_stanza_set_name(stanza.get(), name);
    if (ns) xmpp_stanza_set_ns(stanza.get(), ns);
    return stanza;
}

xmpp_stanza_t* adopt(xmpp_stanza_t* parent, Stanza child) {
    xmpp_stanza_t* raw = child.release();
    xmpp_stanza_add_child_ex(parent, raw, 0); // the parent takes ownership
    return raw;
}

// <name>text</name> under `parent`.
void addTextChild(xmpp_ctx_t* ctx, xmpp_stanza_t* parent, const char* name, const std::string& text) {
    xmpp_stanza_t* child = adopt(parent, element(ctx, name));
    Stanza body(xmpp_stanza_new(ctx));
    xmpp_stanza_set_text(body.get(), xmlText(text).c_str());
    adopt(child, std::move(body));
}

std::optional<StreamError> streamErrorOf(const xmpp_stream_error_t* error) {
    if (!error) return std::nullopt;
    switch (error->type) {
    case XMPP_SE_CONFLICT:
        return StreamError::Conflict;
    case XMPP_SE_POLICY_VIOLATION:
        return StreamError::PolicyViolation;
    case XMPP_SE_SYSTEM_SHUTDOWN:
        return StreamError::SystemShutdown;
    case XMPP_SE_NOT_AUTHORIZED:
        return StreamError::NotAuthorized;
    default:
        return StreamError::Other;
    }
}

} // namespace

XmppLink::XmppLink(BridgeAccount account, int32_t status, Post post)
    : account_(std::move(account)), status_(status), post_(std::move(post)) {}

XmppLink::~XmppLink() = default;

void XmppLink::enqueue(Command command) {
    std::lock_guard lock(mutex_);
    commands_.push_back(std::move(command));
}

void XmppLink::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
}

void XmppLink::run() {
    xmpp_log_t log{&XmppLink::onLog, this};
    ctx_ = xmpp_ctx_new(nullptr, &log);
    conn_ = xmpp_conn_new(ctx_);
    context_.ownAddress = account_.address;
    std::string jid = account_.address + "/" + account_.resource;
    xmpp_conn_set_jid(conn_, jid.c_str());
    xmpp_conn_set_pass(conn_, account_.password.c_str());
    // NOTE: TLS is required except on the loopback interface, where nothing
    // crosses a network (a local server for trying the bridge out, the tests).
    xmpp_conn_set_flags(conn_, isLoopbackHost(account_.server) ? 0 : XMPP_CONN_FLAG_MANDATORY_TLS);
    xmpp_conn_set_sockopt_callback(conn_, xmpp_sockopt_cb_keepalive);
    xmpp_handler_add(conn_, &XmppLink::onStanza, nullptr, nullptr, nullptr, this);
    if (xmpp_connect_client(conn_, account_.server.c_str(), account_.port, &XmppLink::onConnection, this) !=
        XMPP_EOK)
        ended(0, nullptr);
    std::optional<std::chrono::steady_clock::time_point> goodbyeBy;
    while (!disconnected_) {
        runCommands();
        bool stopping;
        {
            std::lock_guard lock(mutex_);
            stopping = stopRequested_;
        }
        if (stopping && !goodbyeBy) {
            goodbyeBy = std::chrono::steady_clock::now() + kGoodbye;
            if (facts_.loggedIn) sendPresenceTo({}, "unavailable");
            xmpp_disconnect(conn_);
        }
        if (goodbyeBy && std::chrono::steady_clock::now() > *goodbyeBy) break;
        xmpp_run_once(ctx_, static_cast<unsigned long>(kTurn.count()));
    }
    xmpp_conn_release(conn_);
    xmpp_ctx_free(ctx_);
    conn_ = nullptr;
    ctx_ = nullptr;
    finished_ = true;
}

void XmppLink::runCommands() {
    // Commands wait for the login (a presence change may come before it);
    // those of a login that never succeeds go with it.
    if (!facts_.loggedIn || disconnected_) return;
    std::deque<Command> commands;
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) return;
        commands.swap(commands_);
    }
    for (Command& command : commands) command(*this);
}

void XmppLink::onConnection(xmpp_conn_t*, xmpp_conn_event_t event, int error,
                            xmpp_stream_error_t* streamError, void* self) {
    auto* link = static_cast<XmppLink*>(self);
    if (event == XMPP_CONN_CONNECT)
        link->loggedIn();
    else
        link->ended(error, streamError);
}

void XmppLink::onLog(void* self, xmpp_log_level_t level, const char* area, const char* message) {
    std::string_view text = message ? message : "";
    // Stanzas in the log are the peer's words, not the library's.
    if (text.rfind("SENT:", 0) == 0 || text.rfind("RECV:", 0) == 0) return;
    if (level == XMPP_LEVEL_DEBUG && text.find("failed") == std::string_view::npos) return;
    static_cast<XmppLink*>(self)->facts_.noteLog(level >= XMPP_LEVEL_ERROR, area ? area : "", text);
}

void XmppLink::loggedIn() {
    facts_.loggedIn = true;
    post_(event::Connected{});
    Stanza iq(xmpp_iq_new(ctx_, "get", "roster"));
    adopt(iq.get(), element(ctx_, "query", kRosterNs));
    send(iq.get());
    setPresence(status_);
}

void XmppLink::ended(int error, const xmpp_stream_error_t* streamError) {
    if (disconnected_) return;
    disconnected_ = true;
    facts_.socketError = error;
    if (!facts_.streamError) {
        facts_.streamError = streamErrorOf(streamError);
        if (streamError && streamError->text) facts_.streamErrorText = streamError->text;
    }
    bool stopping;
    {
        std::lock_guard lock(mutex_);
        stopping = stopRequested_;
    }
    if (!stopping) post_(event::Disconnected{disconnectReason(facts_, account_.server, account_.port)});
}

int XmppLink::onStanza(xmpp_conn_t*, xmpp_stanza_t* stanza, void* self) {
    auto* link = static_cast<XmppLink*>(self);
    for (NetworkEvent& event : translateStanza(stanza, link->context_)) {
        if (auto* occupant = std::get_if<event::OccupantChanged>(&event);
            occupant && occupant->self && !occupant->joined)
            link->context_.rooms.erase(occupant->room);
        link->post_(std::move(event));
    }
    if (const char* name = xmpp_stanza_get_name(stanza); name && std::string_view(name) == "iq")
        link->answerIq(stanza);
    return 1; // keep the handler
}

void XmppLink::answerIq(xmpp_stanza_t* stanza) {
    const char* type = xmpp_stanza_get_type(stanza);
    if (!type || (std::string_view(type) != "get" && std::string_view(type) != "set")) return;
    const char* id = xmpp_stanza_get_id(stanza);
    bool understood = xmpp_stanza_get_child_by_name_and_ns(stanza, "query", kRosterNs) ||
                      xmpp_stanza_get_child_by_name_and_ns(stanza, "ping", kPingNs);
    if (!understood) {
        Stanza error(xmpp_stanza_reply_error(stanza, "cancel", "service-unavailable", nullptr));
        if (error) send(error.get());
        return;
    }
    Stanza result(xmpp_iq_new(ctx_, "result", id ? id : ""));
    if (const char* from = xmpp_stanza_get_from(stanza)) xmpp_stanza_set_to(result.get(), from);
    send(result.get());
}

void XmppLink::send(xmpp_stanza_t* stanza) {
    xmpp_send(conn_, stanza);
}

void XmppLink::sendPresenceTo(const std::string& to, const char* type) {
    Stanza presence(xmpp_presence_new(ctx_));
    if (!to.empty()) xmpp_stanza_set_to(presence.get(), to.c_str());
    if (type) xmpp_stanza_set_type(presence.get(), type);
    send(presence.get());
}

void XmppLink::setPresence(int32_t status) {
    status_ = status;
    // NOTE: XMPP has no invisibility every server knows; an invisible user
    // announces no presence at all (and so sees no one's either).
    if (status == 3) return sendPresenceTo({}, "unavailable");
    Stanza presence(xmpp_presence_new(ctx_));
    if (const char* show = showOfStatus(status); *show) addTextChild(ctx_, presence.get(), "show", show);
    send(presence.get());
}

void XmppLink::sendMessage(const std::string& address, const std::string& text, bool toRoom) {
    char* id = xmpp_uuid_gen(ctx_);
    Stanza message(xmpp_message_new(ctx_, toRoom ? "groupchat" : "chat", address.c_str(), id));
    xmpp_free(ctx_, id);
    addTextChild(ctx_, message.get(), "body", text);
    send(message.get());
}

void XmppLink::sendRosterItem(const std::string& address, const char* subscription) {
    char* id = xmpp_uuid_gen(ctx_);
    Stanza iq(xmpp_iq_new(ctx_, "set", id));
    xmpp_free(ctx_, id);
    xmpp_stanza_t* query = adopt(iq.get(), element(ctx_, "query", kRosterNs));
    xmpp_stanza_t* item = adopt(query, element(ctx_, "item"));
    xmpp_stanza_set_attribute(item, "jid", address.c_str());
    if (subscription) xmpp_stanza_set_attribute(item, "subscription", subscription);
    send(iq.get());
}

void XmppLink::requestContact(const std::string& address, const std::string& text) {
    sendRosterItem(address, nullptr);
    Stanza presence(xmpp_presence_new(ctx_));
    xmpp_stanza_set_to(presence.get(), address.c_str());
    xmpp_stanza_set_type(presence.get(), "subscribe");
    if (!text.empty()) addTextChild(ctx_, presence.get(), "status", text);
    send(presence.get());
}

void XmppLink::answerContact(const std::string& address, bool accepted) {
    sendPresenceTo(address, accepted ? "subscribed" : "unsubscribed");
}

void XmppLink::removeContact(const std::string& address) {
    sendRosterItem(address, "remove");
}

void XmppLink::joinRoom(const std::string& room, const std::string& nickname, const std::string& password) {
    context_.rooms.insert(room);
    roomNicknames_[room] = nickname;
    Stanza presence(xmpp_presence_new(ctx_));
    xmpp_stanza_set_to(presence.get(), (room + "/" + nickname).c_str());
    xmpp_stanza_t* x = adopt(presence.get(), element(ctx_, "x", kMucNs));
    if (!password.empty()) addTextChild(ctx_, x, "password", password);
    xmpp_stanza_t* history = adopt(x, element(ctx_, "history"));
    xmpp_stanza_set_attribute(history, "maxstanzas", std::to_string(kRoomHistory).c_str());
    send(presence.get());
}

void XmppLink::leaveRoom(const std::string& room) {
    auto nickname = roomNicknames_.find(room);
    if (nickname == roomNicknames_.end()) return;
    sendPresenceTo(room + "/" + nickname->second, "unavailable");
}

} // namespace kestrova::server::bridges::xmpp
