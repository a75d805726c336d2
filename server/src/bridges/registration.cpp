#include "registration.h"

#include "kestrova/crypto/salsa20.h"

#include <charconv>

namespace kestrova::server::bridges {
namespace {

const uint8_t* bytes(std::string_view text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && wire::foldHeaderName(a) == wire::foldHeaderName(b);
}

} // namespace

std::optional<RegistrationFields> openRegistrationFields(const crypto::Md5Digest& sessionKey,
                                                         int32_t ivLength, std::string_view body) {
    if (ivLength != kRegistrationIvBytes || body.size() <= kRegistrationIvBytes ||
        body.size() > kMaxRegistrationBody)
        return std::nullopt;
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, sessionKey.data(), 128);
    crypto::salsa20IvSetup(cipher, bytes(body));
    std::string_view sealed = body.substr(kRegistrationIvBytes);
    std::string plain(sealed.size(), '\0');
    crypto::salsa20DecryptBytes(cipher, bytes(sealed), reinterpret_cast<uint8_t*>(plain.data()),
                                plain.size());
    RegistrationFields fields;
    wire::ParseResult parsed = wire::parseDataMap({bytes(plain), plain.size()}, fields);
    if (parsed.status != wire::ParseStatus::Complete || parsed.consumed != plain.size()) return std::nullopt;
    return fields;
}

RegistrationFields fieldsFromHeaders(const wire::Packet& packet) {
    RegistrationFields fields;
    for (const char* name : {"Username", "Nickname", "Password", "Server", "Port", "Resource"})
        if (packet.hasHeader(name)) fields[name] = packet.header(name);
    return fields;
}

std::string fieldValue(const RegistrationFields& fields, std::string_view name) {
    if (auto exact = fields.find(name); exact != fields.end()) return exact->second;
    for (const auto& [key, value] : fields)
        if (sameIgnoringCase(key, name)) return value;
    return {};
}

std::string encodeAccount(const BridgeAccount& account) {
    return wire::encodeDataMap({
        {"Username", account.address},
        {"Password", account.password},
        {"Server", account.server},
        {"Port", std::to_string(account.port)},
        {"Resource", account.resource},
        {"Nickname", account.nickname},
    });
}

std::optional<BridgeAccount> decodeAccount(std::string_view encoded) {
    wire::DataMapEntries map;
    wire::ParseResult parsed = wire::parseDataMap({bytes(encoded), encoded.size()}, map);
    if (parsed.status != wire::ParseStatus::Complete || !map.count("Username") || !map.count("Password"))
        return std::nullopt;
    BridgeAccount account{map["Username"], map["Password"], map["Server"], 0,
                          map["Resource"], map["Nickname"]};
    const std::string& port = map["Port"];
    std::from_chars(port.data(), port.data() + port.size(), account.port);
    return account;
}

} // namespace kestrova::server::bridges
