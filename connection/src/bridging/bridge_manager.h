// The bridges of the account: the networks that can be added (one service
// type each), the registration of new accounts, the bridges the profile
// names, and every "BRIDGE" packet from the server. It answers the bridge
// seam of message transfer and synchronisation (bridge_lookup.h).
//
// Bridges live for one session: the end of a session forgets them all, and
// the next logon profile names them again.
#pragma once

#include "alerts.h"
#include "bridge_lookup.h"
#include "bridging/bridge.h"
#include "bridging/bridge_functions.h"
#include "bridging/network_table.h"
#include "bridging/registration.h"

#include "kestrova/kit/bindings.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/packet.h"

#include <cstdint>
#include <map>
#include <memory>

namespace kestrova::connection {

class ContactSync;

struct BridgeManagerEnvironment {
    Connection& connection;
    ContactSync& contactSync;
    FriendRequests& friendRequests;
    Alerts& alerts;
    // The module whose numbered icons show the networks (may be null).
    void* iconModule;
};

class BridgeManager final : public BridgeLookup {
public:
    explicit BridgeManager(BridgeManagerEnvironment environment);
    ~BridgeManager() override;
    BridgeManager(const BridgeManager&) = delete;
    BridgeManager& operator=(const BridgeManager&) = delete;

    const NetworkTable& networks() const { return networks_; }
    Bridge* find(uint64_t bridgeId);
    size_t size() const { return bridges_.size(); }

    // BridgeLookup
    HCONTACT bridgedContact(uint64_t bridgeId, uint64_t contactId) override;
    HGROUP bridgedChat(uint64_t bridgeId, uint64_t chatId) override;
    std::optional<uint64_t> bridgeOf(HSERVICE service) override;
    void applyProfileEntries(std::string_view encoded) override;

private:
    void registerHandlers();
    Bridge* bridgeOf(const wire::Packet& packet);
    void applyEntry(uint64_t bridgeId, const wire::DataMapEntries& entry);
    void enable(Bridge& bridge);
    void remove(uint64_t bridgeId);
    void forgetAll();

    void onSwitchedOn(const wire::Packet& packet);
    void onSwitchedOff(const wire::Packet& packet);
    void onContacts(const wire::Packet& packet);
    void onContactRequest(const wire::Packet& packet);
    void onChatContact(const wire::Packet& packet);

    Connection& connection_;
    ContactSync& contactSync_;
    FriendRequests& friendRequests_;
    Registrations registrations_;
    NetworkTable networks_;
    BridgeEnvironment bridgeEnvironment_;
    std::map<uint64_t, std::unique_ptr<Bridge>> bridges_;
    kit::Subscription sessionEnded_;
    // The packet handlers stay with the connection; they check this first.
    std::shared_ptr<BridgeManager*> alive_;
};

}  // namespace kestrova::connection
