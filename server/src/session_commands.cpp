#include "session_commands.h"

#include "client_connection.h"
#include "subscriber_session.h"

namespace kestrova::server {
namespace {

constexpr uint32_t kResponseDone = 4;

std::string bigEndian32(uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

}  // namespace

void SessionCommands::registerCommands(Dispatcher& dispatcher) {
    dispatcher.add("P", Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onPing(c, p); });
    dispatcher.add("BYE", Access::SignedIn, [this](ClientConnection& c, const wire::Packet& p) { onBye(c, p); });
    dispatcher.add("MESG STORED", Access::SignedIn,
                   [this](ClientConnection& c, const wire::Packet& p) { onStoredMessages(c, p); });
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

void SessionCommands::onStoredMessages(ClientConnection& connection, const wire::Packet& packet) {
    const auto& session = connection.session();
    if (!session) return;
    // FIXME: nothing is stored for offline subscribers yet; once messages are
    // relayed, the stored ones go out here as "MESG" before this answer.
    wire::Packet response("RESPONSE");
    response.setHeader("Mesg-Id", packet.headerId("Mesg-Id"));
    response.setBody(bigEndian32(kResponseDone));
    session->send(response);
}

}  // namespace kestrova::server
