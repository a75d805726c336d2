// The table from command line to handler. Each concern (sign-in, keep-alive,
// and later contacts, groups, relay, history) registers its commands; a
// command is taken either only before sign-in or only after it.
//
// Unknown commands are ignored, as the client ignores them too. Before
// sign-in a connection may send only a few packets, those of the exchange
// included; past that it is dropped.
#pragma once

#include "kestrova/wire/packet.h"

#include <functional>
#include <map>
#include <string>

namespace kestrova::server {

class ClientConnection;

enum class Access { BeforeSignIn, SignedIn };

class Dispatcher {
public:
    using Handler = std::function<void(ClientConnection&, const wire::Packet&)>;

    explicit Dispatcher(int maxPacketsBeforeSignIn) : maxBeforeSignIn_(maxPacketsBeforeSignIn) {}

    // A later registration of the same command replaces the earlier one.
    void add(std::string command, Access access, Handler handler);
    void dispatch(ClientConnection& connection, const wire::Packet& packet) const;

private:
    struct Entry {
        Access access;
        Handler handler;
    };

    std::map<std::string, Entry, std::less<>> entries_;
    int maxBeforeSignIn_;
};

}  // namespace kestrova::server
