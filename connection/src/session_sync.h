// The session's objects: the account's contacts, groups, profile maps and
// received messages, kept in step with the server. The connection drives it
// through SessionObjects (profile, message chunks, session end); the group
// packets ("GROUP UPDATE", "GROUP ADMIN") it registers itself once attached.
//
// It lives longer than the connection it is attached to: the connection's
// destructor still ends the session through it.
#pragma once

#include "bridge_lookup.h"
#include "contact_directory.h"
#include "contact_sync.h"
#include "friend_request_sink.h"
#include "group_sync.h"
#include "incoming_messages.h"
#include "profile_sync.h"
#include "session_link.h"
#include "session_objects.h"

namespace kestrova::connection {

class SessionSync final : public SessionObjects {
public:
    explicit SessionSync(IncomingLimits limits = {});
    ~SessionSync() override;

    // Binds to the connection and registers the group packets with it.
    void attach(Connection& connection);
    void detach();

    void setFriendRequestSink(FriendRequestSink* sink);
    void setBridgeLookup(BridgeLookup* bridges);

    SessionLink& link() { return link_; }
    ContactDirectory& contacts() { return contacts_; }
    ContactSync& contactSync() { return contactSync_; }
    const IncomingMessages& incoming() const { return incoming_; }

    void loadContacts(HDATAMAP profile) override;
    void loadGroupsAndOwnData(HDATAMAP profile) override;
    void applyProfileUpdate(const wire::Packet& packet) override;
    void receiveMessageChunk(const wire::Packet& packet) override;
    void endSession() override;
    void removeAll() override;

private:
    ConnectionLink link_;
    ContactDirectory contacts_;
    IncomingMessages incoming_;
    ContactSync contactSync_;
    GroupSync groups_;
    ProfileSync profile_;
    FriendRequestSink* friendRequests_ = nullptr;
};

}  // namespace kestrova::connection
