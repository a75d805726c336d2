#include "session_link.h"

#include "connection.h"

namespace kestrova::connection {

uint64_t ConnectionLink::myId() const { return connection_ ? connection_->myId() : 0; }

int32_t ConnectionLink::state() const { return connection_ ? connection_->state() : kStateOffline; }

platform::UnixTime ConnectionLink::serverClockOffset() const {
    return connection_ ? connection_->serverClockOffset() : platform::UnixTime{};
}

void ConnectionLink::submit(wire::Packet packet, ResponseHandler handler) {
    if (connection_) {
        connection_->submit(std::move(packet), std::move(handler));
        return;
    }
    if (handler) handler(kCodeSessionEnded, std::string());
}

}  // namespace kestrova::connection
