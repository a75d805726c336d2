#include "bridging/registration.h"

#include "connection.h"
#include "os_random.h"
#include "texts.h"

#include "kestrova/kit/texts.h"
#include "kestrova/wire/protocol.h"

#include <algorithm>
#include <cstring>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

constexpr int32_t kMaxFields = 8;

template <size_t N>
std::string boundedText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

wire::DataMapEntries registrationFields(const RY_ServiceTypeRegistration& form) {
    wire::DataMapEntries fields;
    int32_t count = std::clamp(form.fieldCount, 0, kMaxFields);
    for (int32_t i = 0; i < count; ++i) {
        std::string key = boundedText(form.fields[i].key);
        if (!key.empty()) fields.insert_or_assign(std::move(key), boundedText(form.fields[i].value));
    }
    return fields;
}

std::string sealRegistrationFields(const wire::DataMapEntries& fields, const crypto::Salsa20Context& sessionCipher,
                                   const RegistrationIv& iv) {
    std::string map = wire::encodeDataMap(fields);
    // A copy: the session cipher itself stays as it was for whoever uses it next.
    crypto::Salsa20Context cipher = sessionCipher;
    crypto::salsa20IvSetup(cipher, iv.data());
    std::string body(reinterpret_cast<const char*>(iv.data()), iv.size());
    body.resize(iv.size() + map.size());
    crypto::salsa20EncryptBytes(cipher, reinterpret_cast<const uint8_t*>(map.data()),
                                reinterpret_cast<uint8_t*>(body.data()) + iv.size(), map.size());
    return body;
}

std::optional<RegistrationIv> freshRegistrationIv() {
    RegistrationIv iv{};
    if (!fillFromOsRandom(iv.data(), iv.size())) return std::nullopt;
    return iv;
}

Registrations::Registrations(Connection& connection, Alerts& alerts)
    : connection_(connection),
      alerts_(alerts),
      create_(kit::registerFunction(names::kConnectionBridgingCreate,
                                    [this](const RY_BridgingCreateArgs* args) { return createInClear(args); })),
      alive_(std::make_shared<Registrations*>(this)) {}

Registrations::~Registrations() = default;

int32_t Registrations::createInClear(const RY_BridgingCreateArgs* args) {
    if (!args) return 0;
    wire::Packet fields(protocol::command::kBridgeRegisterFields);
    if (args->userName) fields.setHeader(protocol::header::kUsername, args->userName);
    if (args->nickname) fields.setHeader(protocol::header::kNickname, args->nickname);
    if (args->password) fields.setHeader(protocol::header::kPassword, args->password);
    connection_.sendWithId(fields);
    return 1;
}

void Registrations::start(RY_ServiceTypeRegistration& form, int32_t networkType) {
    uint64_t requestId = RY_GetLUID();
    form.requestId = requestId;
    wire::Packet request(protocol::command::kBridgeRegister);
    request.setHeader(protocol::header::kMesgId, requestId);
    request.setHeader(protocol::header::kBridgeType, networkType);
    // The form is the caller's and goes when the call returns: the request
    // keeps what it needs of it.
    std::weak_ptr<Registrations*> alive = alive_;
    connection_.submit(std::move(request), [alive, requestId, fields = registrationFields(form)](
                                               int64_t code, const std::string&) {
        auto self = alive.lock();
        if (!self) return true;
        if (code == kCodeSuccess)
            (*self)->sendFields(requestId, fields);
        else
            (*self)->refused(code);
        return true;
    });
}

void Registrations::sendFields(uint64_t requestId, const wire::DataMapEntries& fields) {
    std::optional<RegistrationIv> iv = freshRegistrationIv();
    // NOTE: without unpredictable bytes the fields (a password among them)
    // are not sent at all; a guessable IV would give their key stream away.
    if (!iv) {
        refused(wire::protocol::code::kMalformed);
        return;
    }
    wire::Packet packet(protocol::command::kBridgeRegisterFields);
    packet.setHeader(protocol::header::kMesgId, requestId);
    packet.setHeader(protocol::header::kIvLength, static_cast<int32_t>(iv->size()));
    packet.setBody(sealRegistrationFields(fields, connection_.sessionCipher(), *iv));
    std::weak_ptr<Registrations*> alive = alive_;
    connection_.submit(std::move(packet), [alive](int64_t code, const std::string&) {
        if (auto self = alive.lock(); self && code != kCodeSuccess) (*self)->refused(code);
        return true;
    });
}

void Registrations::refused(int64_t code) {
    uint32_t why = texts::kRegistrationRefused;
    if (code == wire::protocol::code::kUnsupportedNetwork)
        why = texts::kRegistrationUnsupported;
    else if (code == wire::protocol::code::kLimit)
        why = texts::kRegistrationLimit;
    else if (code == wire::protocol::code::kMalformed)
        why = texts::kRegistrationUnusable;
    else if (code == kCodeSessionEnded)
        why = texts::kRegistrationDisconnected;
    alerts_.showError(kit::text(texts::kRegistrationCaption), kit::text(why));
}

}  // namespace kestrova::connection
