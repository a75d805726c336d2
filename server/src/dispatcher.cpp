#include "dispatcher.h"

#include "client_connection.h"

namespace kestrova::server {

void Dispatcher::add(std::string command, Access access, Handler handler) {
    entries_.insert_or_assign(std::move(command), Entry{access, std::move(handler)});
}

void Dispatcher::dispatch(ClientConnection& connection, const wire::Packet& packet) const {
    if (!connection.signedIn() && ++connection.logon().packetsBeforeLogon > maxBeforeSignIn_) return connection.close();
    auto it = entries_.find(packet.command());
    Access needed = connection.signedIn() ? Access::SignedIn : Access::BeforeSignIn;
    if (it != entries_.end() && it->second.access == needed) it->second.handler(connection, packet);
}

}  // namespace kestrova::server
