// The sessions of signed-in subscribers, one per account. Opening a session
// for an account that already has one displaces the older: its connection
// is told "GHOSTED" and closed, and it can no longer be resumed. A session
// whose connection dropped is kept for the resume window, then ended.
#pragma once

#include "account_store.h"
#include "server_config.h"
#include "session_events.h"
#include "subscriber_session.h"

#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace kestrova::server {

class ClientConnection;

class SessionRegistry {
public:
    using Clock = std::chrono::steady_clock;

    SessionRegistry(AccountStore& accounts, const ServerConfig& config) : accounts_(accounts), config_(config) {}
    void setEvents(SessionEvents* events) { events_ = events; }

    // The live or resumable session of the account, if any.
    std::shared_ptr<SubscriberSession> find(uint64_t accountId);
    std::shared_ptr<SubscriberSession> open(const std::shared_ptr<ClientConnection>& connection, const Account& account,
                                            std::string resumeKey, int32_t firstSequence);
    // Moves the session to a new connection; a connection still attached
    // (a half-open one the client gave up on) is closed without a word.
    void resume(const std::shared_ptr<ClientConnection>& connection, const std::shared_ptr<SubscriberSession>& session);
    // Ends the session at once (the client said "BYE").
    void end(const std::shared_ptr<SubscriberSession>& session);
    void connectionClosed(ClientConnection& connection);
    // Ends every session detached for longer than the resume window.
    void expire(Clock::time_point now);

    size_t size() const { return sessions_.size(); }

private:
    bool pastResumeWindow(const SubscriberSession& session, Clock::time_point now) const;
    void endExpired(std::vector<std::shared_ptr<SubscriberSession>> expired);
    void forget(uint64_t accountId, SessionEnd why);

    AccountStore& accounts_;
    const ServerConfig& config_;
    SessionEvents* events_ = nullptr;
    std::map<uint64_t, std::shared_ptr<SubscriberSession>> sessions_;
};

}  // namespace kestrova::server
