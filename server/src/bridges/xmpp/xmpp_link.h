// One login to an XMPP server, on a thread of its own. libstrophe's event
// loop blocks (name resolution, the TLS handshake, waiting on its socket),
// so it must not run on the server's event loop; each link runs its own
// libstrophe context on its own thread, and nothing of libstrophe is ever
// touched from another thread.
//
// Crossing threads: the event loop hands commands in through a queue under
// a mutex (the link takes them between two turns of its loop, at most
// kTurn later); the link hands events out by posting them to the event
// loop (`post` must be callable from any thread). A stop request is a flag
// under the same mutex: the link then says goodbye to the server (bounded
// by kGoodbye) and ends its thread.
#pragma once

#include "bridges/network.h"
#include "bridges/xmpp/xmpp_disconnect.h"
#include "bridges/xmpp/xmpp_translate.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include <strophe.h>

namespace kestrova::server::bridges::xmpp {

class XmppLink {
  public:
    using Post = std::function<void(NetworkEvent)>;
    using Command = std::function<void(XmppLink&)>;

    static constexpr std::chrono::milliseconds kTurn{25};
    static constexpr std::chrono::milliseconds kGoodbye{1000};

    XmppLink(BridgeAccount account, int32_t status, Post post);
    ~XmppLink();
    XmppLink(const XmppLink&) = delete;
    XmppLink& operator=(const XmppLink&) = delete;

    // The thread's body: logs in, serves, and returns once the login ended
    // or a stop was asked for.
    void run();
    // From any thread.
    void enqueue(Command command);
    void stop();
    bool finished() const { return finished_; }

    // Commands (on the link's thread).
    void setPresence(int32_t status);
    void sendMessage(const std::string& address, const std::string& text, bool toRoom);
    void requestContact(const std::string& address, const std::string& text);
    void answerContact(const std::string& address, bool accepted);
    void removeContact(const std::string& address);
    void joinRoom(const std::string& room, const std::string& nickname, const std::string& password);
    void leaveRoom(const std::string& room);

  private:
    static void onConnection(xmpp_conn_t* conn, xmpp_conn_event_t event, int error,
                             xmpp_stream_error_t* streamError, void* self);
    static int onStanza(xmpp_conn_t* conn, xmpp_stanza_t* stanza, void* self);
    static void onLog(void* self, xmpp_log_level_t level, const char* area, const char* message);

    void loggedIn();
    void ended(int error, const xmpp_stream_error_t* streamError);
    void answerIq(xmpp_stanza_t* stanza);
    void send(xmpp_stanza_t* stanza);
    void runCommands();
    void sendRosterItem(const std::string& address, const char* subscription);
    void sendPresenceTo(const std::string& to, const char* type);

    BridgeAccount account_;
    int32_t status_;
    Post post_;

    std::mutex mutex_;
    std::deque<Command> commands_;
    bool stopRequested_ = false;
    std::atomic<bool> finished_{false};

    // The link's thread only.
    xmpp_ctx_t* ctx_ = nullptr;
    xmpp_conn_t* conn_ = nullptr;
    TranslateContext context_;
    std::map<std::string, std::string> roomNicknames_; // room -> the nickname used there
    DisconnectFacts facts_;
    bool disconnected_ = false;
};

} // namespace kestrova::server::bridges::xmpp
