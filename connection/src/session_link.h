// What the session objects (message transfer, contact and group
// synchronisation) need of the connection: the account's own id, the
// connection state, the server's clock and a way to send requests. The
// session objects exist before the connection does (the connection is built
// around them), so the link is bound once the connection is there; unbound,
// it reads as offline and answers every request with "session ended".
#pragma once

#include "pending_requests.h"

#include "kestrova/platform/clock.h"
#include "kestrova/wire/packet.h"

#include <cstdint>

namespace kestrova::connection {

class Connection;

class SessionLink {
public:
    virtual ~SessionLink() = default;
    virtual uint64_t myId() const = 0;
    virtual int32_t state() const = 0;
    // Server time minus local time.
    virtual platform::UnixTime serverClockOffset() const = 0;
    // A request that waits for its "RESPONSE" (see Connection::submit).
    virtual void submit(wire::Packet packet, ResponseHandler handler) = 0;
};

class ConnectionLink final : public SessionLink {
public:
    void bind(Connection* connection) { connection_ = connection; }
    Connection* connection() const { return connection_; }

    uint64_t myId() const override;
    int32_t state() const override;
    platform::UnixTime serverClockOffset() const override;
    void submit(wire::Packet packet, ResponseHandler handler) override;

private:
    Connection* connection_ = nullptr;
};

}  // namespace kestrova::connection
