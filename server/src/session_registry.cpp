#include "session_registry.h"

#include "client_connection.h"
#include "timestamp.h"

namespace kestrova::server {
namespace {

ResumeLogLimits logLimits(const ServerConfig& config) {
    return {config.maxResumeLogPackets, config.maxResumeLogBytes};
}

}  // namespace

std::shared_ptr<SubscriberSession> SessionRegistry::find(uint64_t accountId) {
    expire(Clock::now());
    auto it = sessions_.find(accountId);
    return it == sessions_.end() ? nullptr : it->second;
}

std::shared_ptr<SubscriberSession> SessionRegistry::open(const std::shared_ptr<ClientConnection>& connection,
                                                         const Account& account, std::string resumeKey,
                                                         int32_t firstSequence) {
    if (auto older = find(account.id)) {
        if (auto olderConnection = older->connection()) {
            olderConnection->clearSession();
            olderConnection->send(wire::Packet("GHOSTED"));
            olderConnection->closeAfterFlush();
        }
        sessions_.erase(account.id);
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
    forget(session->accountId());
}

void SessionRegistry::connectionClosed(ClientConnection& connection) {
    std::shared_ptr<SubscriberSession> session = connection.session();
    if (!session) return;
    connection.clearSession();
    auto current = session->connection();
    if (!current || current.get() == &connection) session->detach(Clock::now());
}

void SessionRegistry::expire(Clock::time_point now) {
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        const SubscriberSession& session = *it->second;
        if (!session.attached() && now - session.detachedAt() > config_.resumeWindow) {
            accounts_.setLastOnline(session.accountId(), nowTimestamp());
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
}

void SessionRegistry::forget(uint64_t accountId) {
    if (sessions_.erase(accountId)) accounts_.setLastOnline(accountId, nowTimestamp());
}

}  // namespace kestrova::server
