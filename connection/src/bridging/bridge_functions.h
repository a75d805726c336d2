// The "Service/%p/" functions of one bridged service: switching the bridge
// on and off and its presence, removing the account, its contacts and
// friend requests, and leaving one of its chat rooms. Registered while the
// bridge is enabled; the packets carry the bridge's "Bridge-Id".
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestrova::connection {

class Bridge;
class Connection;
class FriendRequests;
class StatusMenu;

// What the bridges of one plug-in share.
struct BridgeEnvironment {
    Connection& connection;
    FriendRequests& friendRequests;
    // The account is gone (the server confirmed its removal): forget the
    // bridge with that id.
    std::function<void(uint64_t bridgeId)> removed;
};

class BridgeFunctions {
public:
    BridgeFunctions(Bridge& bridge, BridgeEnvironment& environment);
    ~BridgeFunctions();
    BridgeFunctions(const BridgeFunctions&) = delete;
    BridgeFunctions& operator=(const BridgeFunctions&) = delete;

    // The bridge's status menu: the statuses and "Remove Service...".
    static std::unique_ptr<StatusMenu> makeStatusMenu(HSERVICE service);

    int32_t setPresenceStatus(const RY_PresenceStatusArgs* args);

private:
    template <typename Arg, typename Result, typename Member>
    void add(bus::ServiceOperation<Arg, Result> operation, Member member);

    int32_t removeAccount();
    int32_t addContact(const RY_AddContactArgs* args);
    int32_t acceptContact(const RY_AcceptContactArgs* args);
    int32_t deleteContact(const HCONTACT* handle);
    int32_t getContactHandle(RY_GetContactHandleArgs* args);
    int32_t leaveGroup(HGROUP group);

    void switchOnOrOff(int32_t status);
    void answeredOnOrOff(int32_t status, int64_t code);

    Bridge& bridge_;
    BridgeEnvironment& environment_;
    // Answers may come after the functions are gone; they check this first.
    std::shared_ptr<BridgeFunctions*> alive_;
    std::vector<kit::RegisteredFunction> functions_;
};

}  // namespace kestrova::connection
