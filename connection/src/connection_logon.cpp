// Logon and authentication: "LOGON", the "AUTH" exchange (plain, encrypted,
// resume), refusal and displacement, and the acceptance of the logon profile.
#include "auth_proof.h"
#include "bus_names.h"
#include "connection.h"
#include "connection_texts.h"
#include "os_random.h"
#include "profile_frame.h"
#include "server_clock.h"

#include "kestrova/crypto/salsa20.h"

namespace kestrova::connection {
namespace {

constexpr const char kProtocolVersion[] = "2.0";
constexpr const char kNoOperator[] = "PC_CLIENT";

std::string platformName() {
    char name[64] = {};
    RY_GetPlatformName(name);
    return name;
}

std::string operatorName() {
    char name[64] = {};
    if (!RY_GetOperatorName(name, sizeof name)) return kNoOperator;
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
    wire::Packet logon("LOGON");
    logon.setHeader("Protocol-Version", kProtocolVersion);
    logon.setHeader("App-Type", platformName());
    logon.setHeader("Name", account_.read().name);
    logon.setHeaderVerbatim("Operator", operatorName());
    if (myId_ != 0 && !resumeKey_.empty()) logon.setHeader("Sub-Id", myId_);
    send(logon);
}

void Connection::onAuth(const wire::Packet& packet) {
    if (!resumeKey_.empty()) {
        if (!packet.hasHeader("Encryption-Type")) {
            answerResume(packet);
            return;
        }
        // The server will not resume: what was kept of the old session goes.
        endSession();
    }
    AccountSnapshot account = account_.read();
    if (packet.headerInt("Encryption-Type") == 1)
        answerEncrypted(packet, account);
    else
        answerPlain(account);
}

void Connection::answerResume(const wire::Packet& packet) {
    // The count excludes this "AUTH".
    --packetsReceived_;
    wire::Packet auth("AUTH");
    auth.setHeader("PS", packetsReceived_);
    auth.setBody(resumeDigest(resumeKey_, packet.body()));
    send(auth);
    setState(kStateResumeSent);
}

void Connection::answerEncrypted(const wire::Packet& packet, const AccountSnapshot& account) {
    const std::string& body = packet.body();
    // NOTE: a challenge too short to hold challenge and nonce cannot be
    // answered; reading past it would put stray memory into the proof.
    if (body.size() < kChallengeBytes + kNonceBytes) return;
    ClientRandom random;
    if (!fillFromOsRandom(random.data(), random.size())) return;
    EncryptedProof proof = makeEncryptedProof(account.password, std::string_view(body).substr(0, kChallengeBytes),
                                              std::string_view(body).substr(kChallengeBytes, kNonceBytes), random);
    sessionCipher_ = proof.sessionCipher;
    wire::Packet auth("AUTH");
    auth.setHeader("Encryption-Type", int32_t{1});
    auth.setHeader("Online-Status", account.desiredStatus);
    auth.setBody(std::move(proof.body));
    send(auth);
}

void Connection::answerPlain(const AccountSnapshot& account) {
    wire::Packet auth("AUTH");
    auth.setHeader("Encryption-Type", int32_t{0});
    auth.setHeader("Online-Status", account.desiredStatus);
    auth.setHeader("Name", account.name);
    auth.setBody(account.password);
    send(auth);
}

void Connection::onLogonFailed(const wire::Packet& packet) {
    std::string reason = packet.header("reason");
    account_.setFailure(reason, kReasonNone);
    if (packet.headerInt("retry") == 0) {
        account_.setDesiredStatus(kStatusOffline);
        account_.setPassword("");
    }
    std::string text = texts::kServerRefused;
    if (!reason.empty()) text += std::string("\n\n") + texts::kReasonGiven + "\n" + reason;
    alerts_.showError(texts::kLoginFailed, text);
}

void Connection::onGhosted(const wire::Packet&) {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICE_VALUE1 | RY_SERVICE_CONNECTION_STATE;
    data.value1 = kReasonGhosted;
    data.connectionState = kStatusOffline;
    RY_SetServiceData(service_, &data);
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
    auto frame = splitProfileBody(packet.body(), packet.headerInt("IV"), packet.headerInt("RK"));
    if (!frame) return;
    HDATAMAP profile = RY_CreateDataMap();
    if (!RY_ParseDataMap(profile, frame->map.data(), static_cast<uint32_t>(frame->map.size()))) {
        RY_ReleaseDataMap(profile);
        return;
    }
    myId_ = readProfileId(profile, "Sub-Id");
    // NOTE: the id is published as its full decimal text; a 32-bit number
    // would cut subscriber ids above 2^31.
    RY_SetVariantString(names::kSubId, std::to_string(myId_).c_str());
    setState(kStateLoadingContacts);
    objects_.loadContacts(profile);
    setState(kStateLoadingRest);
    objects_.loadGroupsAndOwnData(profile);

    takeResumeKey(packet, frame->iv, frame->resumeKey);
    const char* nickname = RY_GetDataMapString(profile, "Nickname");
    const char* statusLine = RY_GetDataMapString(profile, "Status");
    account_.setProfile(nickname ? nickname : "", statusLine ? statusLine : "");
    account_.setPresence(account_.read().desiredStatus);
    RY_ReleaseDataMap(profile);
    takeServerTime(packet);

    if (!packet.hasHeader("Last-Online")) {
        setState(kStateOnline);
        return;
    }
    requestStoredMessages(packet.header("Last-Online"));
    wasOnline_ = false;
    setState(kStateStoredMessages);
}

void Connection::takeResumeKey(const wire::Packet& packet, std::string_view iv, std::string_view sealedKey) {
    if (iv.empty() || sealedKey.empty()) {
        resumeKey_ = packet.header("RK");
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
    if (auto server = parseServerTime(packet.header("Timestamp")))
        serverClockOffset_ = clockOffset(*server, platform::unixNow());
}

void Connection::requestStoredMessages(const std::string& since) {
    wire::Packet request("MESG STORED");
    request.setHeader("Count", int32_t{0});
    request.setHeader("Include-self", "0");
    request.setHeader("From-Private", since);
    if (wasOnline_) request.setHeader("From-Group", since);
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
