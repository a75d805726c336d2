// The bridges of the server: the "BRIDGE" commands of signed-in clients
// (registering an account of another network, switching it on and off,
// presence, removal, contacts, friend requests, chat rooms, messages), the
// store of bridge entries with their sealed credentials, and one
// BridgeSession per bridge in use. It follows the sessions through
// SessionEvents: the logon profile lists the account's bridges, and a
// session's end logs its bridges out.
//
// Everything runs on the server's event-loop thread.
#pragma once

#include "account_store.h"
#include "bridges/bridge_session.h"
#include "bridges/bridge_store.h"
#include "bridges/credential_seal.h"
#include "bridges/network.h"
#include "bridges/registration.h"
#include "dispatcher.h"
#include "server_config.h"
#include "session_events.h"
#include "session_registry.h"

#include <deque>
#include <map>
#include <memory>
#include <string>

namespace kestrova::server::bridges {

class Bridges : public SessionEvents {
  public:
    Bridges(AccountStore& accounts, SessionRegistry& sessions, const ServerConfig& config,
            NetworkFactory networks);
    ~Bridges() override;

    // Prepares the table and loads the key that seals credentials; false
    // with a message when either cannot be used.
    bool open(std::string& error);
    void registerCommands(Dispatcher& dispatcher);
    // Carries out one command of a signed-in session; false for a command
    // that is not a bridge's.
    bool handle(SubscriberSession& session, const wire::Packet& packet);

    void fillProfile(const Account& account, wire::DataMapEntries& profile) override;
    bool hasStoredMessages(uint64_t) override { return false; }
    void signedIn(const std::shared_ptr<SubscriberSession>&) override {}
    void resumed(const std::shared_ptr<SubscriberSession>&) override {}
    // The bridges stay logged in while the session may be resumed: what
    // they receive meanwhile waits in the session's log.
    void connectionLost(const std::shared_ptr<SubscriberSession>&) override {}
    void ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd why) override;

    BridgeStore& store() { return store_; }
    // The bridge in use, or null.
    BridgeSession* live(uint64_t bridgeId);
    size_t liveCount() const { return live_.size(); }

  private:
    using Handler = void (Bridges::*)(SubscriberSession&, const wire::Packet&);
    struct Registration {
        uint64_t mesgId;
        int32_t network;
    };
    struct Live {
        uint64_t account;
        std::unique_ptr<BridgeSession> session;
    };

    void respond(SubscriberSession& session, const wire::Packet& request, uint32_t code,
                 bool remember = true);

    void onRegister(SubscriberSession& session, const wire::Packet& packet);
    void onRegisterFields(SubscriberSession& session, const wire::Packet& packet);
    void onSwitchOn(SubscriberSession& session, const wire::Packet& packet);
    void onSwitchOff(SubscriberSession& session, const wire::Packet& packet);
    void onUpdate(SubscriberSession& session, const wire::Packet& packet);
    void onContactAdd(SubscriberSession& session, const wire::Packet& packet);
    void onContactAddAnswer(SubscriberSession& session, const wire::Packet& packet);
    void onContactRemove(SubscriberSession& session, const wire::Packet& packet);
    void onChatJoin(SubscriberSession& session, const wire::Packet& packet);
    void onChatLeave(SubscriberSession& session, const wire::Packet& packet);
    void onMessage(SubscriberSession& session, const wire::Packet& packet);

    uint32_t createBridge(SubscriberSession& session, int32_t network, const RegistrationFields& fields);
    // The client's request to a bridge of its own that is in use: the code
    // of `act`, 2 for a bridge that is not the account's, 17 for one not in
    // use.
    template <typename Act> void withLive(SubscriberSession& session, const wire::Packet& packet, Act act);
    BridgeSession& liveFor(const BridgeEntry& entry);
    void retire(uint64_t bridgeId);

    AccountStore& accounts_;
    SessionRegistry& sessions_;
    const BridgeConfig& config_;
    NetworkFactory networks_;
    BridgeStore store_;
    std::unique_ptr<CredentialSeal> seal_;
    std::map<std::string, Handler, std::less<>> handlers_;
    std::map<uint64_t, std::deque<Registration>> registrations_; // by account
    std::map<uint64_t, Live> live_;                              // by bridge id
};

} // namespace kestrova::server::bridges
