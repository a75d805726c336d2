// Registering an account of another network. "BRIDGE REGISTER" names the
// network and waits for the server's agreement; then "BRIDGE REGISTER
// FIELDS", under the same "Mesg-Id", carries the account form's fields as a
// data map, Salsa20-encrypted with the session cipher set to a fresh IV from
// the operating system's random source. The IV leads the body. The new
// bridge itself arrives as a profile entry (bridge_manager.h).
//
// A refusal (of the network or of the fields) is told to the user in an
// error box: the form that asked has closed by then.
//
// The older form, "Connection/Bridging/Create", sends user name, nickname
// and password as headers of one "BRIDGE REGISTER FIELDS", in clear.
#pragma once

#include "alerts.h"

#include "kestrova/bus_records.h"
#include "kestrova/crypto/salsa20.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/wire/data_map.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrova::connection {

class Connection;

inline constexpr size_t kRegistrationIvBytes = 8;
using RegistrationIv = std::array<uint8_t, kRegistrationIvBytes>;

// The form's used fields as key -> value, each read no further than its
// field's bytes; at most 8.
wire::DataMapEntries registrationFields(const RY_ServiceTypeRegistration& form);
// The body of "BRIDGE REGISTER FIELDS": the IV, then the encoded fields
// encrypted with a copy of the session cipher set to the IV.
std::string sealRegistrationFields(const wire::DataMapEntries& fields, const crypto::Salsa20Context& sessionCipher,
                                   const RegistrationIv& iv);
// Eight bytes from the operating system's random source, or none.
std::optional<RegistrationIv> freshRegistrationIv();

class Registrations {
public:
    Registrations(Connection& connection, Alerts& alerts);
    ~Registrations();
    Registrations(const Registrations&) = delete;
    Registrations& operator=(const Registrations&) = delete;

    // Writes the request id into the form and asks the server.
    void start(RY_ServiceTypeRegistration& form, int32_t networkType);

private:
    void sendFields(uint64_t requestId, const wire::DataMapEntries& fields);
    void refused(int64_t code);
    int32_t createInClear(const RY_BridgingCreateArgs* args);

    Connection& connection_;
    Alerts& alerts_;
    kit::RegisteredFunction create_;
    // Answers may come after this object is gone; they check this first.
    std::shared_ptr<Registrations*> alive_;
};

}  // namespace kestrova::connection
