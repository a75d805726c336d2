#include "session_commands.h"

#include "client_connection.h"
#include "subscriber_session.h"

namespace kestrova::server {

void SessionCommands::registerCommands(Dispatcher& dispatcher) {
    dispatcher.add("P", Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onPing(c, p); });
    dispatcher.add("BYE", Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onBye(c, p); });
}

void SessionCommands::onPing(ClientConnection& connection, const wire::Packet& packet) {
    const auto& session = connection.session();
    if (!session) return;
    session->acknowledge(packet.headerInt("PS"));
    // With power save the client pings less often and says so.
    if (int32_t interval = packet.headerInt("I"); interval > 0)
        connection.allowSilence(std::chrono::seconds(interval) * 2 + std::chrono::seconds(60));
    session->send(wire::Packet("P"));
}

void SessionCommands::onBye(ClientConnection& connection, const wire::Packet& packet) {
    std::shared_ptr<SubscriberSession> session = connection.session();
    if (!session) return;
    session->acknowledge(packet.headerInt("PS"));
    sessions_.end(session);
    connection.closeAfterFlush();
}

}  // namespace kestrova::server
