// Logon and authentication: "LOGON", the "AUTH" exchange (plain, encrypted,
// resume), refusal and displacement, and the acceptance of the logon profile.
#include "auth_proof.h"
#include "connection.h"
#include "os_random.h"
#include "profile_frame.h"
#include "server_clock.h"

#include "texts.h"

#include "kestrova/crypto/salsa20.h"
#include "kestrova/kit/texts.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

constexpr const char kProtocolVersion[] = "2.0";
constexpr const char kNoOperator[] = "PC_CLIENT";

std::string platformName() {
    char name[64] = {};
    RY_GetPlatformName(name);
    return name;
}

// Room for the longest name the platform gives (31 UTF-16 units).
constexpr int32_t kOperatorBytes = 128;

std::string operatorName() {
    char name[kOperatorBytes] = {};
    if (!RY_GetOperatorName(name, sizeof name)) return kNoOperator;
    // An empty header is not written, and one that breaks its line cannot be.
    if (!*name || !wire::isLineText(name)) return kNoOperator;
    return name;
}

// The full unsigned 64-bit value of a decimal id in the map.
uint64_t readProfileId(HDATAMAP profile, const char* key) {
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    if (!RY_GetDataMapEntry(profile, key, &data, &length)) return 0;
    return wire::readDecimalId(std::string_view(reinterpret_cast<const char*>(data), length));
}

}  // namespace

void Connection::sendLogon() {
    wire::Packet logon(protocol::command::kLogon);
    logon.setHeader(protocol::header::kProtocolVersion, kProtocolVersion);
    logon.setHeader(protocol::header::kAppType, platformName());
    logon.setHeader(protocol::header::kName, account_.read().userName);
    logon.setHeaderVerbatim(protocol::header::kOperator, operatorName());
    if (myId_ != 0 && !resumeKey_.empty()) logon.setHeader(protocol::header::kSubId, myId_);
    // An account name with a line break can never be sent; trying again
    // would not change that.
    if (!logon.writable()) {
        abandonSignIn(kit::text(texts::kNameBreaksLine));
        return;
    }
    send(logon);
}

void Connection::abandonSignIn(const std::string& reason) {
    account_.write(kit::ServiceChange().failure(reason, kit::kFailureNone).desiredStatus(RY_PRESENCE_OFFLINE));
    alerts_.showError(kit::text(texts::kLoginFailed), reason);
    window_.stopTimer();
    closeSocket();
    onDisconnected();
}

void Connection::onAuth(const wire::Packet& packet) {
    if (!resumeKey_.empty()) {
        if (!packet.hasHeader(protocol::header::kEncryptionType)) {
            answerResume(packet);
            return;
        }
        // The server will not resume: what was kept of the old session goes.
        endSession();
    }
    kit::ServiceFields account = account_.read();
    if (packet.headerInt(protocol::header::kEncryptionType) == 1)
        answerEncrypted(packet, account);
    else
        answerPlain(account);
}

void Connection::answerResume(const wire::Packet& packet) {
    // The count excludes this "AUTH".
    --packetsReceived_;
    wire::Packet auth(protocol::command::kAuth);
    auth.setHeader(protocol::header::kPacketsReceived, packetsReceived_);
    auth.setBody(resumeDigest(resumeKey_, packet.body()));
    send(auth);
    setState(kStateResumeSent);
}

void Connection::answerEncrypted(const wire::Packet& packet, const kit::ServiceFields& account) {
    const std::string& body = packet.body();
    // NOTE: a challenge too short to hold challenge and nonce cannot be
    // answered; reading past it would put stray memory into the proof.
    if (body.size() < kChallengeBytes + kNonceBytes) return;
    ClientRandom random;
    if (!fillFromOsRandom(random.data(), random.size())) return;
    EncryptedProof proof = makeEncryptedProof(account.password, std::string_view(body).substr(0, kChallengeBytes),
                                              std::string_view(body).substr(kChallengeBytes, kNonceBytes), random);
    sessionCipher_ = proof.sessionCipher;
    wire::Packet auth(protocol::command::kAuth);
    auth.setHeader(protocol::header::kEncryptionType, int32_t{1});
    auth.setHeader(protocol::header::kOnlineStatus, account.desiredStatus);
    auth.setBody(std::move(proof.body));
    send(auth);
}

void Connection::answerPlain(const kit::ServiceFields& account) {
    wire::Packet auth(protocol::command::kAuth);
    auth.setHeader(protocol::header::kEncryptionType, int32_t{0});
    auth.setHeader(protocol::header::kOnlineStatus, account.desiredStatus);
    auth.setHeader(protocol::header::kName, account.userName);
    auth.setBody(account.password);
    send(auth);
}

void Connection::onLogonFailed(const wire::Packet& packet) {
    std::string reason = packet.header(protocol::header::kReason);
    account_.write(kit::ServiceChange().failure(reason, kit::kFailureNone));
    if (packet.headerInt(protocol::header::kRetry) == 0) {
        account_.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_OFFLINE));
        account_.write(kit::ServiceChange().password(""));
    }
    std::string text = kit::text(texts::kServerRefused);
    if (!reason.empty()) text += "\n\n" + kit::text(texts::kReasonGiven) + "\n" + reason;
    alerts_.showError(kit::text(texts::kLoginFailed), text);
}

void Connection::onGhosted(const wire::Packet&) {
    account_.write(
        kit::ServiceChange().failureReason(kit::kFailureGhosted).desiredStatus(RY_PRESENCE_OFFLINE));
}

void Connection::onSubProfile(const wire::Packet& packet) {
    int32_t current = state();
    if (current == kStateLogonSent) {
        acceptLogonProfile(packet);
    } else if (current == kStateResumeSent && packet.body().empty()) {
        acceptResume();
    } else {
        objects_.applyProfileUpdate(packet);
    }
}

void Connection::acceptLogonProfile(const wire::Packet& packet) {
    auto frame = splitProfileBody(packet.body(), packet.headerInt(protocol::header::kIvLength),
                                  packet.headerInt(protocol::header::kResumeKey));
    if (!frame) return;
    HDATAMAP profile = RY_CreateDataMap();
    if (!RY_ParseDataMap(profile, frame->map.data(), static_cast<uint32_t>(frame->map.size()))) {
        RY_ReleaseDataMap(profile);
        return;
    }
    myId_ = readProfileId(profile, "Sub-Id");
    // NOTE: the id is published as its full decimal text; a 32-bit number
    // would cut subscriber ids above 2^31.
    bus::set(names::kConnectionSubId, std::to_string(myId_));
    setState(kStateLoadingContacts);
    objects_.loadContacts(profile);
    setState(kStateLoadingRest);
    objects_.loadGroupsAndOwnData(profile);
    // Answering a friend request may have found the line gone; the session
    // has ended then, and nothing below may make it look signed in.
    if (!isConnected()) {
        RY_ReleaseDataMap(profile);
        return;
    }

    takeResumeKey(packet, frame->iv, frame->resumeKey);
    const char* nickname = RY_GetDataMapString(profile, "Nickname");
    const char* statusLine = RY_GetDataMapString(profile, "Status");
    account_.write(
        kit::ServiceChange().nickname(nickname ? nickname : "").statusText(statusLine ? statusLine : ""));
    account_.write(kit::ServiceChange().presence(account_.read().desiredStatus));
    RY_ReleaseDataMap(profile);
    takeServerTime(packet);

    if (!packet.hasHeader(protocol::header::kLastOnline)) {
        setState(kStateOnline);
        return;
    }
    // The state comes first: the request may be answered before submit
    // returns (refused, or the line lost), and that answer ends this state.
    setState(kStateStoredMessages);
    requestStoredMessages(packet.header(protocol::header::kLastOnline));
    wasOnline_ = false;
}

void Connection::takeResumeKey(const wire::Packet& packet, std::string_view iv, std::string_view sealedKey) {
    if (iv.empty() || sealedKey.empty()) {
        resumeKey_ = packet.header(protocol::header::kResumeKey);
        return;
    }
    // NOTE: the cipher takes an 8-byte IV; a shorter block cannot seal a key
    // we could open, so the session is simply not resumable.
    if (iv.size() < 8) {
        resumeKey_.clear();
        return;
    }
    crypto::salsa20IvSetup(sessionCipher_, reinterpret_cast<const uint8_t*>(iv.data()));
    resumeKey_.assign(sealedKey.size(), '\0');
    crypto::salsa20DecryptBytes(sessionCipher_, reinterpret_cast<const uint8_t*>(sealedKey.data()),
                                reinterpret_cast<uint8_t*>(resumeKey_.data()), sealedKey.size());
}

void Connection::takeServerTime(const wire::Packet& packet) {
    if (auto server = parseServerTime(packet.header(protocol::header::kTimestamp)))
        serverClockOffset_ = clockOffset(*server, platform::unixNow());
}

void Connection::requestStoredMessages(const std::string& since) {
    wire::Packet request(protocol::command::kMessagesStored);
    request.setHeader(protocol::header::kCount, int32_t{0});
    request.setHeader(protocol::header::kIncludeSelf, "0");
    request.setHeader(protocol::header::kFromPrivate, since);
    if (wasOnline_) request.setHeader(protocol::header::kFromGroup, since);
    submit(std::move(request), [this](int64_t code, const std::string&) {
        // Code 0 answers a part of the stored messages; more are coming.
        if (code == kCodeSuccess) return false;
        if (state() == kStateStoredMessages) setState(kStateOnline);
        return true;
    });
}

void Connection::acceptResume() {
    for (const auto& request : pending_.inIdOrder()) send(request->packet);
    setState(kStateOnline);
}

}  // namespace kestrova::connection
