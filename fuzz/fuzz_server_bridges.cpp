// Arbitrary packets from two signed-in subscribers reach the server's bridge
// commands (registration, switching, presence, removal, contacts, requests,
// rooms, messages), and arbitrary network events reach their bridges: a
// packet "X-NETWORK" is not sent to the server but played as an event of
// the latest login, built from its headers. Whatever comes, the server
// answers or refuses, never crashes, and keeps its bounds. The state
// carries over from one input to the next, as on a long-running server.
#include "bridges/bridges.h"
#include "fuzz_packets.h"
#include "subscriber_session.h"

#include <cstdlib>
#include <memory>
#include <vector>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::bridges;

namespace {

struct Logins {
    std::vector<NetworkEventSink> sinks; // of the adapters still alive, in order
};

class QuietAdapter : public NetworkAdapter {
  public:
    QuietAdapter(Logins& logins, size_t index) : logins_(logins), index_(index) {}
    ~QuietAdapter() override { logins_.sinks[index_] = nullptr; }
    std::optional<std::string> addressOf(std::string_view text) const override {
        if (text.empty() || text.size() > 64 || text.find('@') == std::string_view::npos) return std::nullopt;
        return std::string(text);
    }
    void setPresence(int32_t) override {}
    void sendMessage(const std::string&, const std::string&) override {}
    void sendRoomMessage(const std::string&, const std::string&) override {}
    void requestContact(const std::string&, const std::string&) override {}
    void answerContact(const std::string&, bool) override {}
    void removeContact(const std::string&) override {}
    void joinRoom(const std::string&, const std::string&, const std::string&) override {}
    void leaveRoom(const std::string&) override {}

  private:
    Logins& logins_;
    size_t index_;
};

NetworkEvent eventFrom(const wire::Packet& packet) {
    std::string address = packet.header("address");
    std::string text = packet.body();
    switch (packet.headerInt("kind") % 9) {
    case 0:
        return event::Connected{};
    case 1:
        return event::Disconnected{text};
    case 2:
        return event::RosterChanged{
            {{address, packet.header("name"), packet.headerInt("state"), packet.hasHeader("removed")}},
            packet.hasHeader("complete")};
    case 3:
        return event::PresenceChanged{address, packet.header("resource"), packet.headerInt("status"), text};
    case 4:
        return event::ContactRequest{address, packet.header("name"), text};
    case 5:
        return event::MessageReceived{address, packet.header("name"), text};
    case 6:
        return event::OccupantChanged{packet.header("room"), packet.header("name"),
                                      packet.hasHeader("joined"), packet.hasHeader("self")};
    case 7:
        return event::RoomMessage{packet.header("room"), packet.header("name"), text,
                                  packet.hasHeader("history")};
    default:
        return event::RoomInvitation{packet.header("room"), address, text};
    }
}

struct World {
    World() {
        std::string error;
        accounts = AccountStore::open(":memory:", error);
        config.bridges.maxBridgesPerAccount = 3;
        config.bridges.maxKnownAddresses = 16;
        config.bridges.maxPendingRequests = 4;
        config.bridges.maxMessagesInProgress = 3;
        config.bridges.maxMessageBytes = 2048;
        config.bridges.maxLoginsPerWindow = 1000;
        registry = std::make_unique<SessionRegistry>(*accounts, config);
        bridges = std::make_unique<Bridges>(
            *accounts, *registry, config, [this](const BridgeAccount&, int32_t, NetworkEventSink sink) {
                logins.sinks.push_back(std::move(sink));
                return std::make_unique<QuietAdapter>(logins, logins.sinks.size() - 1);
            });
        bridges->open(error);
        crypto::Md5Digest key{};
        for (const char* name : {"ann@example.org", "bob@example.org"}) {
            uint64_t id = 0;
            accounts->create(name, "pw", name, &id);
            auto session =
                std::make_shared<SubscriberSession>(id, name, "key", 0, ResumeLogLimits{64, 64 * 1024});
            session->setCipherKey(key);
            sessions.push_back(session);
        }
    }

    ServerConfig config;
    std::unique_ptr<AccountStore> accounts;
    std::unique_ptr<SessionRegistry> registry;
    Logins logins;
    std::unique_ptr<Bridges> bridges;
    std::vector<std::shared_ptr<SubscriberSession>> sessions;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    static World world;
    size_t count = 0;
    for (const wire::Packet& packet : fuzzPackets(data, size)) {
        if (packet.command() == "X-NETWORK") {
            for (auto sink = world.logins.sinks.rbegin(); sink != world.logins.sinks.rend(); ++sink) {
                if (!*sink) continue;
                NetworkEventSink copy = *sink; // the event may end the login
                copy(eventFrom(packet));
                break;
            }
            continue;
        }
        world.bridges->handle(*world.sessions[count++ % world.sessions.size()], packet);
    }
    const BridgeConfig& bounds = world.config.bridges;
    for (const auto& session : world.sessions) {
        if (world.bridges->store().countOf(session->accountId()) > bounds.maxBridgesPerAccount) std::abort();
        for (const BridgeEntry& entry : world.bridges->store().bridgesOf(session->accountId())) {
            BridgeSession* bridge = world.bridges->live(entry.id);
            if (!bridge) continue;
            if (bridge->messagesInProgress() > bounds.maxMessagesInProgress ||
                bridge->knownAddresses() > 2 * bounds.maxKnownAddresses ||
                bridge->pendingRequests() > bounds.maxPendingRequests)
                std::abort();
        }
        if (session->loggedPackets() > 64) std::abort();
        session->acknowledge(session->nextSequence());
    }
    return 0;
}
