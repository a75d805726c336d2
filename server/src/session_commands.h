// The commands of a signed-in session that are not about messages or
// contacts: the keep-alive "P" and sign-off "BYE".
#pragma once

#include "dispatcher.h"
#include "session_registry.h"

namespace kestrova::server {

class SessionCommands {
public:
    explicit SessionCommands(SessionRegistry& sessions) : sessions_(sessions) {}
    void registerCommands(Dispatcher& dispatcher);

private:
    void onPing(ClientConnection& connection, const wire::Packet& packet);
    void onBye(ClientConnection& connection, const wire::Packet& packet);

    SessionRegistry& sessions_;
};

}  // namespace kestrova::server
