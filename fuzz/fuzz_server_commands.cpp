// Arbitrary packets reach the server's whole command table (the dispatcher
// with every handler the server registers: sign-in, keep-alive, sign-off,
// messaging, bridges) on one connection, either fresh (the sign-in exchange
// and what must be refused before it) or already signed in as one of three
// subscribers. The first byte picks which. Whatever comes, the server
// answers, refuses or drops the connection; it never crashes and keeps its
// bounds. The connection's socket is never opened: what the server writes
// fails and closes it, as a peer that went away would.
#include "account_store.h"
#include "client_connection.h"
#include "fuzz_packets.h"
#include "server.h"
#include "subscriber_session.h"

#include <asio.hpp>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace kestrova;
using namespace kestrova::server;

namespace {

struct World {
    World() {
        std::string error;
        accounts = AccountStore::open(":memory:", error);
        if (!accounts) std::abort();
        for (const char* name : {"ann@example.org", "bob@example.org", "cat@example.org"}) {
            uint64_t id = 0;
            accounts->create(name, "pw", name, &id);
            ids.push_back(id);
        }
        // A robot that says back what it is sent, at the next id.
        uint64_t robot = 0;
        accounts->create("echo@example.org", "unused", "Echo", &robot);
        accounts->setRobot(robot, 1, true);
        config.messaging.maxStoredMessages = 20;
        config.messaging.maxMessageBytes = 8 * 1024;
        config.messaging.maxContacts = 4;
        config.messaging.maxGroupsPerAccount = 4;
        config.maxResumeLogPackets = 64;
        config.maxResumeLogBytes = 64 * 1024;
        server = std::make_unique<Server>(io, *accounts, config);
    }

    asio::io_context io;
    ServerConfig config;
    std::unique_ptr<AccountStore> accounts;
    std::unique_ptr<Server> server;
    std::vector<uint64_t> ids;
    uint64_t nextConnection = 1;
};

void signIn(World& world, const std::shared_ptr<ClientConnection>& connection, uint8_t who) {
    static const char* const kNames[] = {"ann@example.org", "bob@example.org", "cat@example.org"};
    auto account = world.accounts->findByName(kNames[who % 3]);
    if (!account) std::abort();
    world.server->sessions().open(connection, *account, "resume key", 1);
    connection->logon().step = LogonState::Step::SignedIn;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    static World world;
    auto connection = std::make_shared<ClientConnection>(asio::ip::tcp::socket(world.io), *world.server,
                                                         world.nextConnection++);
    world.server->onAccepted(connection);
    if (data[0] & 0x80) signIn(world, connection, data[0]);
    for (const wire::Packet& packet : fuzzPackets(data + 1, size - 1)) {
        if (!connection->open()) break;
        world.server->onPacket(*connection, packet);
    }
    connection->close();
    world.io.restart();
    world.io.poll();
    if (world.server->openConnections() > world.config.maxConnectionsSigningIn + 3) std::abort();
    // Nobody's stored messages grow past the allowance of a connected
    // recipient, whether its client acknowledges or not.
    const MessagingLimits& limits = world.config.messaging;
    for (uint64_t id : world.ids)
        if (world.server->messaging().store().storedMessages(id) > limits.connectedStoreFactor * limits.maxStoredMessages)
            std::abort();
    return 0;
}
