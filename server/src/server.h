// The reference server: a listener, the table of commands and the handlers
// behind it, the sessions of signed-in subscribers, and the account store.
// Everything runs on one event loop thread; messaging (contacts, groups,
// relay, history) registers its handlers with the same dispatcher and follows
// the sessions through their events.
#pragma once

#include "account_store.h"
#include "bridges/bridges.h"
#include "connection_host.h"
#include "dispatcher.h"
#include "listener.h"
#include "logon_handler.h"
#include "messaging.h"
#include "server_config.h"
#include "session_commands.h"
#include "session_event_fanout.h"
#include "session_registry.h"

#include <asio.hpp>

#include <map>
#include <memory>
#include <set>

namespace kestrova::server {

class Server : public ConnectionHost {
public:
    // `networks` logs bridges in to other networks; by default the real
    // ones (XMPP), tests pass scripted ones.
    Server(asio::io_context& io, AccountStore& accounts, ServerConfig config, bridges::NetworkFactory networks = {});

    bool listen(std::string& error);
    uint16_t port() const { return listener_.port(); }
    // Stops listening and closes every connection (sessions end with them).
    void stop();

    const ServerConfig& config() const override { return config_; }
    void onAccepted(const std::shared_ptr<ClientConnection>& connection) override;
    void onPacket(ClientConnection& connection, const wire::Packet& packet) override;
    void onClosed(ClientConnection& connection) override;

    size_t openConnections() const { return connections_.size(); }
    SessionRegistry& sessions() { return sessions_; }
    Messaging& messaging() { return messaging_; }
    bridges::Bridges& bridges() { return bridges_; }
    AccountStore& accounts() { return accounts_; }

private:
    void armExpiry();

    asio::io_context& io_;
    ServerConfig config_;
    AccountStore& accounts_;
    SessionRegistry sessions_;
    Dispatcher dispatcher_;
    LogonHandler logon_;
    SessionCommands sessionCommands_;
    Messaging messaging_;
    bridges::Bridges bridges_;
    SessionEventFanout events_;
    Listener listener_;
    asio::steady_timer expiryTimer_;
    std::map<uint64_t, std::weak_ptr<ClientConnection>> connections_;
    // Connections not signed in yet, oldest (lowest id) first.
    std::set<uint64_t> signingIn_;
};

}  // namespace kestrova::server
