// Session events for more than one follower (messaging, bridges): each call
// goes to every follower in the order they were added; stored messages
// exist when any follower has some.
#pragma once

#include "session_events.h"

#include <vector>

namespace kestrova::server {

class SessionEventFanout : public SessionEvents {
  public:
    void add(SessionEvents* follower) { followers_.push_back(follower); }

    void fillProfile(const Account& account, wire::DataMapEntries& profile) override {
        for (SessionEvents* follower : followers_)
            follower->fillProfile(account, profile);
    }
    bool hasStoredMessages(uint64_t accountId) override {
        for (SessionEvents* follower : followers_)
            if (follower->hasStoredMessages(accountId)) return true;
        return false;
    }
    void signedIn(const std::shared_ptr<SubscriberSession>& session) override {
        for (SessionEvents* follower : followers_)
            follower->signedIn(session);
    }
    void resumed(const std::shared_ptr<SubscriberSession>& session) override {
        for (SessionEvents* follower : followers_)
            follower->resumed(session);
    }
    void connectionLost(const std::shared_ptr<SubscriberSession>& session) override {
        for (SessionEvents* follower : followers_)
            follower->connectionLost(session);
    }
    void ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd why) override {
        for (SessionEvents* follower : followers_)
            follower->ended(session, why);
    }

  private:
    std::vector<SessionEvents*> followers_;
};

} // namespace kestrova::server
