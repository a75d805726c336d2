// One account of the user on another network, logged in by the server: its
// api service (user name, nickname and domain from the profile, the
// network's type and icon), its contacts (ids are the bridge's own, so they
// live in a directory of their own), the groups of its chat rooms, and,
// while it is enabled, its service functions and status menu.
//
// The service's current status (presence) is 0 while the bridge is off, 1
// while it is on, and 101 once the account was removed; the desired status
// is what the user last asked for.
#pragma once

#include "bridging/network_table.h"
#include "contact_directory.h"

#include "kestrova/api.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace kestrova::connection {

class BridgeFunctions;
class FriendRequests;
class StatusMenu;

inline constexpr int32_t kBridgeRemoved = 101;

class Bridge {
public:
    Bridge(uint64_t id, const Network& network, HSERVICETYPE type, void* iconModule, FriendRequests& friendRequests);
    // The account's objects go: contacts off every list, chats, requests;
    // the service is left removed for whoever still holds it.
    ~Bridge();
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    uint64_t id() const { return id_; }
    int32_t networkType() const { return networkType_; }
    HSERVICE service() const { return service_.get(); }
    kit::ServiceRecord record() const { return kit::ServiceRecord(service_.get()); }
    ContactDirectory& contacts() { return contacts_; }

    // The names of the profile entry.
    void describe(const std::string& userName, const std::string& nickname, const std::string& domain);

    // Its functions and status menu: made when the bridge is enabled, taken
    // away when its account is removed.
    bool enabled() const { return functions_ != nullptr; }
    void enable(std::unique_ptr<BridgeFunctions> functions, std::unique_ptr<StatusMenu> menu);
    void disable();

    // The server logged the account in.
    void switchedOn();
    // The server logged it out (or lost it) for that reason.
    void switchedOff(const std::string& reason);
    // Off, asked or not: its contacts leave every list and become stale,
    // its chats and friend requests go.
    void wentOff();

    // The group of a chat room, made on first use, with a new reference.
    HGROUP chat(uint64_t chatId);
    bool hasChat(HGROUP group) const;
    void forgetChat(uint64_t chatId);
    size_t chatCount() const { return chats_.size(); }

private:
    void dropOperations();
    void forgetChats();

    uint64_t id_;
    int32_t networkType_;
    kit::OwnedService service_;
    FriendRequests& friendRequests_;
    ContactDirectory contacts_;
    std::map<uint64_t, kit::OwnedGroup> chats_;
    std::unique_ptr<BridgeFunctions> functions_;
    std::unique_ptr<StatusMenu> menu_;
};

}  // namespace kestrova::connection
