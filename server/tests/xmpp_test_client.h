// The other person of the bridge's end-to-end tests: a small XMPP client
// written straight on libstrophe (none of the server's code), on a thread
// of its own. It says it is available, accepts every presence
// subscription, keeps the messages it receives, and sends messages, room
// joins and invitations when asked. Every wait is on a condition with a
// generous guard time.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrova::server::testing {

class XmppTestClient {
  public:
    struct Received {
        std::string kind; // "message", "groupchat", "presence", "subscribe", "room-self"
        std::string from;
        std::string body;
    };

    // Logs in and waits for it; nothing when the login failed.
    static std::unique_ptr<XmppTestClient> login(const std::string& jid, const std::string& password,
                                                 uint16_t port, const std::string& statusText);
    ~XmppTestClient();

    void sendMessage(const std::string& to, const std::string& body, bool groupchat = false);
    void subscribe(const std::string& to);
    void joinRoom(const std::string& room, const std::string& nickname);
    void invite(const std::string& who, const std::string& room);
    // The first received stanza (oldest first) that matches, taken out;
    // nothing when none came within the guard time.
    std::optional<Received> waitFor(const std::function<bool(const Received&)>& test);

  private:
    struct Link;
    explicit XmppTestClient(std::unique_ptr<Link> link);
    void enqueue(std::function<void()> command);
    // Sends the stanza written as XML (the tests' addresses need no escaping).
    void send(std::string xml);

    std::unique_ptr<Link> link_;
    std::thread thread_;
};

} // namespace kestrova::server::testing
