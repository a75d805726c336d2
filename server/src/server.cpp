#include "server.h"

#include "bridges/xmpp/xmpp_network.h"
#include "client_connection.h"

#include <algorithm>

namespace kestrova::server {

Server::Server(asio::io_context& io, AccountStore& accounts, ServerConfig config, bridges::NetworkFactory networks)
    : io_(io),
      config_(std::move(config)),
      accounts_(accounts),
      sessions_(accounts_, config_),
      dispatcher_(config_.maxPacketsBeforeLogon),
      logon_(accounts_, sessions_, config_),
      sessionCommands_(sessions_),
      messaging_(accounts_, sessions_, config_),
      bridges_(accounts_, sessions_, config_, networks ? std::move(networks) : bridges::xmpp::xmppNetwork(io)),
      listener_(io, *this),
      expiryTimer_(io) {
    logon_.registerCommands(dispatcher_);
    sessionCommands_.registerCommands(dispatcher_);
    messaging_.registerCommands(dispatcher_);
    bridges_.registerCommands(dispatcher_);
    events_.add(&messaging_);
    events_.add(&bridges_);
    sessions_.setEvents(&events_);
    logon_.setEvents(&events_);
}

bool Server::listen(std::string& error) {
    if (!bridges_.open(error)) return false;
    if (!listener_.listen(config_.address, config_.port, error)) return false;
    armExpiry();
    return true;
}

void Server::stop() {
    listener_.stop();
    expiryTimer_.cancel();
    auto connections = connections_;
    for (auto& [id, weak] : connections)
        if (auto connection = weak.lock()) connection->close();
}

void Server::onAccepted(const std::shared_ptr<ClientConnection>& connection) {
    connections_[connection->id()] = connection;
    signingIn_.insert(connection->id());
    // What all connections signing in may hold together is bounded: the
    // one that has waited longest makes room.
    if (signingIn_.size() > config_.maxConnectionsSigningIn) {
        uint64_t oldest = *signingIn_.begin();
        signingIn_.erase(oldest);
        auto it = connections_.find(oldest);
        if (auto connection = it != connections_.end() ? it->second.lock() : nullptr) connection->close();
    }
}

void Server::onPacket(ClientConnection& connection, const wire::Packet& packet) {
    dispatcher_.dispatch(connection, packet);
    if (connection.signedIn()) signingIn_.erase(connection.id());
}

void Server::onClosed(ClientConnection& connection) {
    sessions_.connectionClosed(connection);
    connections_.erase(connection.id());
    signingIn_.erase(connection.id());
}

void Server::armExpiry() {
    auto period = std::clamp(config_.resumeWindow / 4, std::chrono::milliseconds(10), std::chrono::milliseconds(10'000));
    expiryTimer_.expires_after(period);
    expiryTimer_.async_wait([this](asio::error_code error) {
        if (error) return;
        sessions_.expire(SessionRegistry::Clock::now());
        armExpiry();
    });
}

}  // namespace kestrova::server
