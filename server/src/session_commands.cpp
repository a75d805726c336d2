#include "session_commands.h"

#include "client_connection.h"
#include "subscriber_session.h"

#include "kestrova/wire/protocol.h"

namespace kestrova::server {

namespace protocol = wire::protocol;

void SessionCommands::registerCommands(Dispatcher& dispatcher) {
    dispatcher.add(protocol::command::kPing, Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onPing(c, p); });
    dispatcher.add(protocol::command::kBye, Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onBye(c, p); });
}

void SessionCommands::onPing(ClientConnection& connection, const wire::Packet& packet) {
    const auto& session = connection.session();
    if (!session) return;
    session->acknowledge(packet.headerInt(protocol::header::kPacketsReceived));
    // With power save the client pings less often and says so.
    if (int32_t interval = packet.headerInt(protocol::header::kPingInterval); interval > 0)
        connection.allowSilence(std::chrono::seconds(interval) * 2 + std::chrono::seconds(60));
    session->send(wire::Packet(protocol::command::kPing));
}

void SessionCommands::onBye(ClientConnection& connection, const wire::Packet& packet) {
    std::shared_ptr<SubscriberSession> session = connection.session();
    if (!session) return;
    session->acknowledge(packet.headerInt(protocol::header::kPacketsReceived));
    sessions_.end(session);
    connection.closeAfterFlush();
}

}  // namespace kestrova::server
