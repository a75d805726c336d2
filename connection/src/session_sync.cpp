#include "session_sync.h"

#include "admin_notice.h"
#include "connection.h"

#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

SessionSync::SessionSync(IncomingLimits limits)
    : incoming_(contacts_, link_, limits),
      contactSync_(contacts_, incoming_, link_),
      groups_(contacts_, contactSync_, link_),
      profile_(contacts_, contactSync_, groups_, link_) {}

SessionSync::~SessionSync() = default;

void SessionSync::attach(Connection& connection) {
    link_.bind(&connection);
    HSERVICE service = RY_GetPrimaryService();
    contacts_.setService(service);
    RY_ReleaseService(service);
    connection.registerHandler(protocol::command::kGroupUpdate,
                               [this](const wire::Packet& packet) { groups_.applyUpdate(packet); });
    connection.registerHandler(protocol::command::kGroupAdmin,
                               [this](const wire::Packet& packet) { applyGroupAdmin(contacts_, packet); });
}

void SessionSync::detach() { link_.bind(nullptr); }

void SessionSync::setFriendRequestSink(FriendRequestSink* sink) {
    friendRequests_ = sink;
    profile_.setFriendRequestSink(sink);
}

void SessionSync::setBridgeLookup(BridgeLookup* bridges) {
    incoming_.setBridgeLookup(bridges);
    profile_.setBridgeLookup(bridges);
}

void SessionSync::loadContacts(HDATAMAP profile) { profile_.loadContacts(profile); }

void SessionSync::loadGroupsAndOwnData(HDATAMAP profile) { profile_.loadGroupsAndOwnData(profile); }

void SessionSync::applyProfileUpdate(const wire::Packet& packet) { profile_.applyUpdate(packet); }

void SessionSync::receiveMessageChunk(const wire::Packet& packet) { incoming_.receiveChunk(packet); }

void SessionSync::endSession() {
    contacts_.markStale();
    groups_.markStale();
    incoming_.failAll();
    if (friendRequests_) friendRequests_->dropFriendRequests();
}

void SessionSync::removeAll() {
    incoming_.failAll();
    contacts_.removeAll();
}

}  // namespace kestrova::connection
