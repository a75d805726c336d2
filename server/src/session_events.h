// What the rest of the server learns about sessions: the messaging layer
// pushes presence, fills the logon profile and keeps undelivered messages
// through these calls. Sessions know nothing of messaging themselves.
#pragma once

#include "account_store.h"
#include "kestrova/wire/data_map.h"

#include <memory>

namespace kestrova::server {

class SubscriberSession;

enum class SessionEnd {
    SignedOff,  // "BYE"
    Expired,    // the connection dropped and the resume window passed
    Displaced,  // the account signed in again elsewhere
};

class SessionEvents {
public:
    virtual ~SessionEvents() = default;
    // Adds the account's contacts, groups, friend requests and own data to
    // the logon profile map.
    virtual void fillProfile(const Account& account, wire::DataMapEntries& profile) = 0;
    virtual bool hasStoredMessages(uint64_t accountId) = 0;
    // After the profile, the settings and the first ping went out.
    virtual void signedIn(const std::shared_ptr<SubscriberSession>& session) = 0;
    // After the packets the client missed were sent again.
    virtual void resumed(const std::shared_ptr<SubscriberSession>& session) = 0;
    // The connection dropped; the session may still be resumed.
    virtual void connectionLost(const std::shared_ptr<SubscriberSession>& session) = 0;
    // The session is gone for good (it is no longer in the registry).
    virtual void ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd why) = 0;
};

}  // namespace kestrova::server
