// The account's profile ("SUB PROFILE"): the contact list, the groups, the
// friend requests and the account's own data maps. The logon profile holds
// everything and is applied in two steps around the state change 50 -> 60;
// later profiles hold changes only.
#pragma once

#include "bridge_lookup.h"
#include "contact_directory.h"
#include "contact_sync.h"
#include "friend_request_sink.h"
#include "group_sync.h"
#include "session_link.h"

#include "kestrova/api.h"
#include "kestrova/wire/packet.h"

namespace kestrova::connection {

class ProfileSync {
public:
    ProfileSync(ContactDirectory& contacts, ContactSync& contactSync, GroupSync& groups, SessionLink& link);

    void setFriendRequestSink(FriendRequestSink* sink) { friendRequests_ = sink; }
    void setBridgeLookup(BridgeLookup* bridges) { bridges_ = bridges; }

    // The logon profile: the own contact, the contacts (full records), then
    // the stale ones pruned.
    void loadContacts(HDATAMAP profile);
    // The logon profile: groups, stale groups deleted, friend requests, own maps.
    void loadGroupsAndOwnData(HDATAMAP profile);
    // A later "SUB PROFILE"; a body that is not a data map is ignored.
    void applyUpdate(const wire::Packet& packet);

private:
    void applyContacts(HDATAMAP profile, bool full);
    void applyRest(HDATAMAP profile, bool initial);
    void applyFriendRequests(std::string_view encoded);
    void applyOwnMaps(HDATAMAP profile);

    ContactDirectory& contacts_;
    ContactSync& contactSync_;
    GroupSync& groups_;
    SessionLink& link_;
    FriendRequestSink* friendRequests_ = nullptr;
    BridgeLookup* bridges_ = nullptr;
};

}  // namespace kestrova::connection
