#include "session_registry.h"

#include "client_connection.h"
#include "timestamp.h"

#include "kestrova/wire/protocol.h"

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace {

ResumeLogLimits logLimits(const ServerConfig& config) {
    return {config.maxResumeLogPackets, config.maxResumeLogBytes};
}

}  // namespace

std::shared_ptr<SubscriberSession> SessionRegistry::find(uint64_t accountId) {
    auto it = sessions_.find(accountId);
    if (it == sessions_.end()) return nullptr;
    // NOTE: only this session is checked, not every one: a lookup runs once
    // per member of a group for each message. The others are ended by the
    // periodic sweep, or when they are looked up.
    if (pastResumeWindow(*it->second, Clock::now())) {
        endExpired({it->second});
        return nullptr;
    }
    return it->second;
}

bool SessionRegistry::pastResumeWindow(const SubscriberSession& session, Clock::time_point now) const {
    return !session.attached() && now - session.detachedAt() > config_.resumeWindow;
}

void SessionRegistry::endExpired(std::vector<std::shared_ptr<SubscriberSession>> expired) {
    // Erased first and told afterwards: a listener may look sessions up.
    for (const auto& session : expired) {
        accounts_.setLastOnline(session->accountId(), nowTimestamp());
        sessions_.erase(session->accountId());
    }
    if (events_)
        for (const auto& session : expired) events_->ended(session, SessionEnd::Expired);
}

std::shared_ptr<SubscriberSession> SessionRegistry::open(const std::shared_ptr<ClientConnection>& connection,
                                                         const Account& account, std::string resumeKey,
                                                         int32_t firstSequence) {
    if (auto older = find(account.id)) {
        if (auto olderConnection = older->connection()) {
            olderConnection->clearSession();
            olderConnection->send(wire::Packet(protocol::command::kGhosted));
            olderConnection->closeAfterFlush();
        }
        sessions_.erase(account.id);
        if (events_) events_->ended(older, SessionEnd::Displaced);
    }
    auto session = std::make_shared<SubscriberSession>(account.id, account.name, std::move(resumeKey), firstSequence,
                                                       logLimits(config_));
    session->attach(connection);
    connection->setSession(session);
    sessions_[account.id] = session;
    accounts_.setLastOnline(account.id, nowTimestamp());
    return session;
}

void SessionRegistry::resume(const std::shared_ptr<ClientConnection>& connection,
                             const std::shared_ptr<SubscriberSession>& session) {
    if (auto previous = session->connection(); previous && previous != connection) {
        previous->clearSession();
        previous->close();
    }
    session->attach(connection);
    connection->setSession(session);
}

void SessionRegistry::end(const std::shared_ptr<SubscriberSession>& session) {
    if (auto connection = session->connection()) connection->clearSession();
    forget(session->accountId(), SessionEnd::SignedOff);
}

void SessionRegistry::connectionClosed(ClientConnection& connection) {
    std::shared_ptr<SubscriberSession> session = connection.session();
    if (!session) return;
    connection.clearSession();
    auto current = session->connection();
    if (current && current.get() != &connection) return;
    session->detach(Clock::now());
    if (events_ && sessions_.count(session->accountId()) && sessions_[session->accountId()] == session)
        events_->connectionLost(session);
}

void SessionRegistry::expire(Clock::time_point now) {
    std::vector<std::shared_ptr<SubscriberSession>> expired;
    for (const auto& [id, session] : sessions_)
        if (pastResumeWindow(*session, now)) expired.push_back(session);
    endExpired(std::move(expired));
}

void SessionRegistry::forget(uint64_t accountId, SessionEnd why) {
    auto it = sessions_.find(accountId);
    if (it == sessions_.end()) return;
    std::shared_ptr<SubscriberSession> session = it->second;
    sessions_.erase(it);
    accounts_.setLastOnline(accountId, nowTimestamp());
    if (events_) events_->ended(session, why);
}

}  // namespace kestrova::server
