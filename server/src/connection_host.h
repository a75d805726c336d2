// What a client connection needs from the server that owns it.
#pragma once

#include "server_config.h"
#include "kestrova/wire/packet.h"

#include <memory>

namespace kestrova::server {

class ClientConnection;

class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual const ServerConfig& config() const = 0;
    virtual void onAccepted(const std::shared_ptr<ClientConnection>& connection) = 0;
    // A complete packet arrived. The handler may close the connection.
    virtual void onPacket(ClientConnection& connection, const wire::Packet& packet) = 0;
    // Called once, when the connection closes for any reason.
    virtual void onClosed(ClientConnection& connection) = 0;
};

}  // namespace kestrova::server
