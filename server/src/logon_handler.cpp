#include "logon_handler.h"

#include "client_connection.h"
#include "random_bytes.h"
#include "timestamp.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace {

constexpr const char* kProtocolVersion = "2.0";
constexpr const char* kWrongCredentials = "Wrong e-mail address or password.";
constexpr const char* kUnsupportedVersion = "This version of the program is no longer supported.";
constexpr size_t kResumeKeyBytes = 16;   // as 32 hexadecimal characters
constexpr size_t kResumeNonceBytes = 8;  // as 16 hexadecimal characters

int32_t validOnlineStatus(int32_t status) {
    switch (status) {
    case 1: case 2: case 3: case 5: return status;
    default: return 1;
    }
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && wire::foldHeaderName(a) == wire::foldHeaderName(b);
}

std::string asText(const uint8_t* bytes, size_t length) { return std::string(reinterpret_cast<const char*>(bytes), length); }

}  // namespace

void LogonHandler::registerCommands(Dispatcher& dispatcher) {
    dispatcher.add(protocol::command::kLogon, Access::BeforeSignIn, [this](ClientConnection& c, const wire::Packet& p) { onLogon(c, p); });
    dispatcher.add(protocol::command::kAuth, Access::BeforeSignIn, [this](ClientConnection& c, const wire::Packet& p) { onAuth(c, p); });
}

void LogonHandler::onLogon(ClientConnection& connection, const wire::Packet& packet) {
    LogonState& logon = connection.logon();
    if (logon.step != LogonState::Step::AwaitLogon) return;
    if (packet.header(protocol::header::kProtocolVersion) != kProtocolVersion) return refuse(connection, kUnsupportedVersion, false);
    logon.name = packet.header(protocol::header::kName);
    logon.account = accounts_.findByName(logon.name);
    if (packet.hasHeader(protocol::header::kSubId)) {
        if (offerResume(connection, packet.headerId(protocol::header::kSubId))) return;
        logon.resumeRefused = true;
    }
    offerChallenge(connection);
}

bool LogonHandler::offerResume(ClientConnection& connection, uint64_t subId) {
    LogonState& logon = connection.logon();
    if (!logon.account || logon.account->id != subId) return false;
    std::shared_ptr<SubscriberSession> session = sessions_.find(subId);
    if (!session) return false;
    logon.resumeCandidate = session;
    logon.resumeNonce = randomHexText(kResumeNonceBytes);
    logon.step = LogonState::Step::AwaitResumeProof;
    wire::Packet offer(protocol::command::kAuth);
    offer.setBody(logon.resumeNonce);
    connection.send(offer);
    return true;
}

void LogonHandler::offerChallenge(ClientConnection& connection) {
    LogonState& logon = connection.logon();
    logon.step = LogonState::Step::AwaitAuth;
    logon.plainOffered = config_.plainAuth;
    wire::Packet offer(protocol::command::kAuth);
    if (logon.plainOffered) {
        offer.setHeader(protocol::header::kEncryptionType, int32_t(0));
    } else {
        fillRandom(logon.challenge.data(), logon.challenge.size());
        fillRandom(logon.nonce.data(), logon.nonce.size());
        offer.setHeader(protocol::header::kEncryptionType, int32_t(1));
        offer.setBody(asText(logon.challenge.data(), logon.challenge.size()) + asText(logon.nonce.data(), logon.nonce.size()));
    }
    connection.send(offer);
}

void LogonHandler::onAuth(ClientConnection& connection, const wire::Packet& packet) {
    switch (connection.logon().step) {
    case LogonState::Step::AwaitAuth: return checkProof(connection, packet);
    case LogonState::Step::AwaitResumeProof: return checkResumeProof(connection, packet);
    default: return;
    }
}

void LogonHandler::checkProof(ClientConnection& connection, const wire::Packet& packet) {
    LogonState& logon = connection.logon();
    // NOTE: an unknown name is refused only here, after the proof, with the
    // same words as a wrong password, so that the exchange does not tell
    // which names exist.
    if (!logon.account) return refuse(connection, kWrongCredentials, false);
    const Account& account = *logon.account;
    int32_t status = validOnlineStatus(packet.headerInt(protocol::header::kOnlineStatus));
    if (logon.plainOffered) {
        bool nameMatches = !packet.hasHeader(protocol::header::kName) || sameNameIgnoringCase(packet.header(protocol::header::kName), logon.name);
        if (!nameMatches || !verifyPlainPassword(account.passwordDigest, packet.body()))
            return refuse(connection, kWrongCredentials, false);
        return accept(connection, account, status, std::nullopt);
    }
    std::optional<ClientRandom> clientRandom =
        verifyChallengeProof(account.passwordDigest, logon.challenge, logon.nonce, packet.body());
    if (!clientRandom) return refuse(connection, kWrongCredentials, false);
    accept(connection, account, status, sessionKey(account.passwordDigest, *clientRandom));
}

void LogonHandler::checkResumeProof(ClientConnection& connection, const wire::Packet& packet) {
    LogonState& logon = connection.logon();
    std::shared_ptr<SubscriberSession> session = std::move(logon.resumeCandidate);
    int32_t received = packet.headerInt(protocol::header::kPacketsReceived);
    bool valid = session && sessions_.find(session->accountId()) == session &&
                 sameDigest(packet.body(), resumeProof(session->resumeKey(), logon.resumeNonce)) &&
                 session->canResumeFrom(received);
    if (!valid) {
        // The client drops its old session when it sees a challenge, and
        // signs in afresh with its password.
        logon.resumeRefused = true;
        return offerChallenge(connection);
    }
    std::shared_ptr<ClientConnection> self = connection.shared_from_this();
    sessions_.resume(self, session);
    logon.step = LogonState::Step::SignedIn;
    session->resumeFrom(received, wire::Packet(protocol::command::kSubProfile));
    if (events_) events_->resumed(session);
}

void LogonHandler::accept(ClientConnection& connection, const Account& account, int32_t onlineStatus,
                          const std::optional<crypto::Md5Digest>& sessionKey) {
    LogonState& logon = connection.logon();
    std::string resumeKey = randomHexText(kResumeKeyBytes);
    int32_t firstSequence = logon.resumeRefused ? 0 : 1;  // the challenge counts unless a resume was refused
    wire::Packet profile = profilePacket(account, resumeKey, sessionKey);
    std::shared_ptr<SubscriberSession> session =
        sessions_.open(connection.shared_from_this(), account, std::move(resumeKey), firstSequence);
    session->setOnlineStatus(onlineStatus);
    session->setCipherKey(sessionKey);
    logon.step = LogonState::Step::SignedIn;
    session->send(profile);
    for (const auto& [name, value] : config_.settings) {
        wire::Packet setting(protocol::command::kSetting);
        setting.setHeader(protocol::header::kName, name);
        setting.setHeader(protocol::header::kValue, value);
        session->send(setting);
    }
    // The client's keep-alive answers pings: the first one starts the cycle.
    session->send(wire::Packet(protocol::command::kPing));
    if (events_) events_->signedIn(session);
}

wire::Packet LogonHandler::profilePacket(const Account& account, const std::string& resumeKey,
                                         const std::optional<crypto::Md5Digest>& sessionKey) const {
    wire::DataMapEntries profile{
        {"Sub-Id", std::to_string(account.id)},
        {"Nickname", account.nickname},
        {"Status", account.statusLine},
    };
    if (events_) events_->fillProfile(account, profile);
    wire::Packet packet(protocol::command::kSubProfile);
    packet.setHeader(protocol::header::kTimestamp, nowTimestamp());
    if (!account.lastOnline.empty()) {
        packet.setHeader(protocol::header::kLastOnline, account.lastOnline);
    } else if (events_ && events_->hasStoredMessages(account.id)) {
        // The client asks for stored messages only when it is told when it
        // was last online; an account that never was gets the epoch, so
        // that messages sent before its first sign-in reach it.
        packet.setHeader(protocol::header::kLastOnline, "0.0");
    }
    if (sessionKey) {
        Iv iv = randomArray<8>();
        packet.setHeader(protocol::header::kIvLength, uint64_t(iv.size()));
        packet.setHeader(protocol::header::kResumeKey, uint64_t(resumeKey.size()));
        packet.setBody(asText(iv.data(), iv.size()) + wire::encodeDataMap(profile) +
                       encryptResumeKey(*sessionKey, iv, resumeKey));
    } else {
        // Without a session cipher (plain sign-in) the key travels as text.
        packet.setHeader(protocol::header::kResumeKey, resumeKey);
        packet.setBody(wire::encodeDataMap(profile));
    }
    return packet;
}

void LogonHandler::refuse(ClientConnection& connection, const char* reason, bool retry) {
    wire::Packet refusal(protocol::command::kLogonFailed);
    refusal.setHeader(protocol::header::kReason, reason);
    refusal.setHeader(protocol::header::kRetry, int32_t(retry ? 1 : 0));
    connection.send(refusal);
    connection.closeAfterFlush();
}

}  // namespace kestrova::server
