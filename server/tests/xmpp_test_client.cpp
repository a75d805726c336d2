#include "xmpp_test_client.h"

#include <strophe.h>

#include <atomic>
#include <chrono>
#include <cstring>

namespace kestrova::server::testing {
namespace {

constexpr auto kGuard = std::chrono::seconds(20);

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
    return out;
}

bool is(const char* text, const char* expected) {
    return text && std::strcmp(text, expected) == 0;
}

} // namespace

struct XmppTestClient::Link {
    xmpp_ctx_t* ctx = nullptr;
    xmpp_conn_t* conn = nullptr;
    std::string status;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Received> received;
    std::deque<std::function<void()>> commands;
    bool connected = false;
    bool ended = false;
    std::atomic<bool> stop{false};

    void record(Received stanza) {
        std::lock_guard lock(mutex);
        received.push_back(std::move(stanza));
        changed.notify_all();
    }

    static void onConnection(xmpp_conn_t* conn, xmpp_conn_event_t event, int, xmpp_stream_error_t*,
                             void* self) {
        auto* link = static_cast<Link*>(self);
        if (event == XMPP_CONN_CONNECT) {
            xmpp_stanza_t* presence = xmpp_stanza_new_from_string(
                link->ctx, ("<presence><status>" + escaped(link->status) + "</status></presence>").c_str());
            xmpp_send(conn, presence);
            xmpp_stanza_release(presence);
        }
        std::lock_guard lock(link->mutex);
        (event == XMPP_CONN_CONNECT ? link->connected : link->ended) = true;
        link->changed.notify_all();
    }

    static int onMessage(xmpp_conn_t*, xmpp_stanza_t* stanza, void* self) {
        char* body = xmpp_message_get_body(stanza);
        if (!body) return 1;
        const char* from = xmpp_stanza_get_from(stanza);
        auto* link = static_cast<Link*>(self);
        link->record({is(xmpp_stanza_get_type(stanza), "groupchat") ? "groupchat" : "message",
                      from ? from : "", body});
        xmpp_free(link->ctx, body);
        return 1;
    }

    static int onPresence(xmpp_conn_t* conn, xmpp_stanza_t* stanza, void* self) {
        auto* link = static_cast<Link*>(self);
        const char* from = xmpp_stanza_get_from(stanza);
        std::string sender = from ? from : "";
        if (is(xmpp_stanza_get_type(stanza), "subscribe")) {
            xmpp_stanza_t* answer = xmpp_presence_new(link->ctx);
            xmpp_stanza_set_type(answer, "subscribed");
            xmpp_stanza_set_to(answer, sender.c_str());
            xmpp_send(conn, answer);
            xmpp_stanza_release(answer);
            link->record({"subscribe", sender, {}});
            return 1;
        }
        xmpp_stanza_t* muc =
            xmpp_stanza_get_child_by_name_and_ns(stanza, "x", "http://jabber.org/protocol/muc#user");
        bool self110 = false;
        for (xmpp_stanza_t* c = muc ? xmpp_stanza_get_children(muc) : nullptr; c; c = xmpp_stanza_get_next(c))
            self110 |=
                is(xmpp_stanza_get_name(c), "status") && is(xmpp_stanza_get_attribute(c, "code"), "110");
        link->record({self110 ? "room-self" : "presence", sender, {}});
        return 1;
    }
};

std::unique_ptr<XmppTestClient> XmppTestClient::login(const std::string& jid, const std::string& password,
                                                      uint16_t port, const std::string& statusText) {
    xmpp_initialize();
    auto link = std::make_unique<Link>();
    link->status = statusText;
    link->ctx = xmpp_ctx_new(nullptr, nullptr);
    link->conn = xmpp_conn_new(link->ctx);
    xmpp_conn_set_jid(link->conn, jid.c_str());
    xmpp_conn_set_pass(link->conn, password.c_str());
    xmpp_conn_set_flags(link->conn, XMPP_CONN_FLAG_DISABLE_TLS);
    xmpp_handler_add(link->conn, &Link::onMessage, nullptr, "message", nullptr, link.get());
    xmpp_handler_add(link->conn, &Link::onPresence, nullptr, "presence", nullptr, link.get());
    if (xmpp_connect_client(link->conn, "127.0.0.1", port, &Link::onConnection, link.get()) != XMPP_EOK) {
        xmpp_conn_release(link->conn);
        xmpp_ctx_free(link->ctx);
        return nullptr;
    }
    std::unique_ptr<XmppTestClient> client(new XmppTestClient(std::move(link)));
    Link& l = *client->link_;
    bool connected;
    {
        std::unique_lock lock(l.mutex);
        l.changed.wait_for(lock, kGuard, [&] { return l.connected || l.ended; });
        connected = l.connected;
    }
    if (!connected) return nullptr;
    return client;
}

XmppTestClient::XmppTestClient(std::unique_ptr<Link> link) : link_(std::move(link)) {
    thread_ = std::thread([link = link_.get()] {
        while (!link->stop) {
            std::deque<std::function<void()>> commands;
            {
                std::lock_guard lock(link->mutex);
                commands.swap(link->commands);
            }
            for (auto& command : commands)
                command();
            xmpp_run_once(link->ctx, 20);
        }
    });
}

XmppTestClient::~XmppTestClient() {
    link_->stop = true;
    thread_.join();
    xmpp_conn_release(link_->conn);
    xmpp_ctx_free(link_->ctx);
}

void XmppTestClient::enqueue(std::function<void()> command) {
    std::lock_guard lock(link_->mutex);
    link_->commands.push_back(std::move(command));
}

void XmppTestClient::send(std::string xml) {
    enqueue([link = link_.get(), xml = std::move(xml)] {
        xmpp_stanza_t* stanza = xmpp_stanza_new_from_string(link->ctx, xml.c_str());
        xmpp_send(link->conn, stanza);
        xmpp_stanza_release(stanza);
    });
}

void XmppTestClient::sendMessage(const std::string& to, const std::string& body, bool groupchat) {
    send("<message to='" + to + "' type='" + (groupchat ? "groupchat" : "chat") + "'><body>" + escaped(body) +
         "</body></message>");
}

void XmppTestClient::subscribe(const std::string& to) {
    send("<presence to='" + to + "' type='subscribe'/>");
}

void XmppTestClient::joinRoom(const std::string& room, const std::string& nickname) {
    send("<presence to='" + room + "/" + nickname +
         "'><x xmlns='http://jabber.org/protocol/muc'/></presence>");
}

void XmppTestClient::invite(const std::string& who, const std::string& room) {
    send("<message to='" + who + "'><x xmlns='jabber:x:conference' jid='" + room + "'/></message>");
}

std::optional<XmppTestClient::Received>
XmppTestClient::waitFor(const std::function<bool(const Received&)>& test) {
    std::unique_lock lock(link_->mutex);
    std::optional<Received> found;
    link_->changed.wait_for(lock, kGuard, [&] {
        for (auto it = link_->received.begin(); it != link_->received.end(); ++it) {
            if (!test(*it)) continue;
            found = std::move(*it);
            link_->received.erase(it);
            return true;
        }
        return false;
    });
    return found;
}

} // namespace kestrova::server::testing
