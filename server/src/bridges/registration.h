// Registering an account of another network: the client first asks
// ("BRIDGE REGISTER" with the network type), and once the server agrees it
// sends the account's fields ("BRIDGE REGISTER FIELDS") as a data map from
// field name ("Username", "Password", "Nickname", and per network more) to
// value. The map travels encrypted with the session cipher: Salsa20/20
// keyed with the session key K2 of the sign-in (128 bits) and set to an IV
// of 8 bytes that come first in the body. An older form carries "Username",
// "Nickname" and "Password" as plain headers instead.
#pragma once

#include "bridges/network.h"
#include "kestrova/crypto/md5.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/packet.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server::bridges {

using RegistrationFields = wire::DataMapEntries;

inline constexpr size_t kMaxRegistrationBody = 8 * 1024;
inline constexpr int32_t kRegistrationIvBytes = 8;

// The fields of an encrypted body; nothing when the IV length is not 8, the
// body is too long, or the decrypted bytes are not exactly one data map (a
// body encrypted under another key is not).
std::optional<RegistrationFields> openRegistrationFields(const crypto::Md5Digest& sessionKey,
                                                         int32_t ivLength, std::string_view body);
// The header form's fields: "Username", "Nickname", "Password" and, for
// servers that need them, "Server", "Port", "Resource".
RegistrationFields fieldsFromHeaders(const wire::Packet& packet);
// A field by name, ignoring ASCII case; empty when absent.
std::string fieldValue(const RegistrationFields& fields, std::string_view name);

// The account as it is sealed into the store, and back.
std::string encodeAccount(const BridgeAccount& account);
std::optional<BridgeAccount> decodeAccount(std::string_view encoded);

} // namespace kestrova::server::bridges
