// Arbitrary packets from three signed-in subscribers reach the server's
// messaging layer (relay, contacts, groups, history, profile): whatever they
// hold, it answers, stores or refuses, never crashes, and keeps its bounds.
// The subscribers' sessions have no connection, so everything for them is
// logged or stored; the state carries over from one input to the next, as
// it would on a long-running server.
#include "messaging.h"
#include "subscriber_session.h"
#include "fuzz_packets.h"

#include <cstdlib>
#include <memory>
#include <vector>

using namespace kestrova;
using namespace kestrova::server;

namespace {

struct World {
    World() {
        std::string error;
        accounts = AccountStore::open(":memory:", error);
        config.messaging.maxStoredMessages = 20;
        config.messaging.maxStoredBytes = 64 * 1024;
        config.messaging.maxMessageBytes = 8 * 1024;
        config.messaging.maxMessagesInProgress = 4;
        config.messaging.maxContacts = 4;
        config.messaging.maxGroupsPerAccount = 4;
        config.maxResumeLogPackets = 64;
        config.maxResumeLogBytes = 64 * 1024;
        registry = std::make_unique<SessionRegistry>(*accounts, config);
        messaging = std::make_unique<Messaging>(*accounts, *registry, config);
        uint64_t robot = 0;
        for (const char* name : {"ann@example.org", "bob@example.org", "cat@example.org", "echo@example.org"}) {
            uint64_t id = 0;
            accounts->create(name, "pw", name, &id);
            if (std::string_view(name) == "echo@example.org") robot = id;
            else sessions.push_back(std::make_shared<SubscriberSession>(id, name, "key", 0, ResumeLogLimits{64, 64 * 1024}));
        }
        accounts->setRobot(robot, 1, true);
    }

    ServerConfig config;
    std::unique_ptr<AccountStore> accounts;
    std::unique_ptr<SessionRegistry> registry;
    std::unique_ptr<Messaging> messaging;
    std::vector<std::shared_ptr<SubscriberSession>> sessions;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    static World world;
    size_t count = 0;
    for (const wire::Packet& packet : fuzzPackets(data, size)) {
        // Each packet comes from the next subscriber in turn.
        SubscriberSession& from = *world.sessions[count++ % world.sessions.size()];
        world.messaging->handle(from, packet);
    }
    if (world.messaging->messagesInProgress() > world.config.messaging.maxMessagesInProgress * world.sessions.size())
        std::abort();
    for (const auto& session : world.sessions) {
        if (session->loggedPackets() > 64) std::abort();
        if (world.messaging->store().storedMessages(session->accountId()) > world.config.messaging.maxStoredMessages)
            std::abort();
        session->acknowledge(session->nextSequence());
    }
    return 0;
}
