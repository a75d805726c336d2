// What a session does to the contacts, groups and messages of the account.
// The connection decides when; this interface is where the object model
// (contact and group synchronisation, message transfer) takes over.
#pragma once

#include "kestrova/api.h"
#include "kestrova/wire/packet.h"

namespace kestrova::connection {

class SessionObjects {
public:
    virtual ~SessionObjects() = default;
    // The logon profile, in its two steps: the contact list (state 50), then
    // groups, bridges, friend requests and the own data maps (state 60).
    virtual void loadContacts(HDATAMAP profile) = 0;
    virtual void loadGroupsAndOwnData(HDATAMAP profile) = 0;
    // A "SUB PROFILE" outside of the logon.
    virtual void applyProfileUpdate(const wire::Packet& packet) = 0;
    // A "MESG" chunk arrived.
    virtual void receiveMessageChunk(const wire::Packet& packet) = 0;
    // The session ended: contacts and groups become stale, partly received
    // messages fail, friend requests are dropped.
    virtual void endSession() = 0;
    // The plug-in stops: every contact of the service goes.
    virtual void removeAll() = 0;
};

}  // namespace kestrova::connection
