// The sign-in exchange: "LOGON", the server's "AUTH" (a challenge, the plain
// form, or a resume nonce), the client's "AUTH", and then acceptance with the
// profile ("SUB PROFILE") or refusal ("LOGON FAILED").
#pragma once

#include "account_store.h"
#include "dispatcher.h"
#include "server_config.h"
#include "session_registry.h"

#include <memory>
#include <optional>

namespace kestrova::server {

class LogonHandler {
public:
    LogonHandler(AccountStore& accounts, SessionRegistry& sessions, const ServerConfig& config)
        : accounts_(accounts), sessions_(sessions), config_(config) {}

    void registerCommands(Dispatcher& dispatcher);
    void setEvents(SessionEvents* events) { events_ = events; }

private:
    void onLogon(ClientConnection& connection, const wire::Packet& packet);
    void onAuth(ClientConnection& connection, const wire::Packet& packet);

    bool offerResume(ClientConnection& connection, uint64_t subId);
    void offerChallenge(ClientConnection& connection);
    void checkProof(ClientConnection& connection, const wire::Packet& packet);
    void checkResumeProof(ClientConnection& connection, const wire::Packet& packet);
    void accept(ClientConnection& connection, const Account& account, int32_t onlineStatus,
                const std::optional<crypto::Md5Digest>& sessionKey);
    wire::Packet profilePacket(const Account& account, const std::string& resumeKey,
                               const std::optional<crypto::Md5Digest>& sessionKey) const;
    void refuse(ClientConnection& connection, const char* reason, bool retry);

    AccountStore& accounts_;
    SessionRegistry& sessions_;
    const ServerConfig& config_;
    SessionEvents* events_ = nullptr;
};

}  // namespace kestrova::server
