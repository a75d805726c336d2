// An XMPP account from the fields of the "Add a Service" form: "Username"
// (a bare JID, or a node name that "Server" completes), "Password",
// "Server" (the host to connect to; the JID's domain when absent), "Port"
// (5222 when absent), "Resource" ("Kestrova" when absent) and "Nickname"
// (the JID's node when absent).
#pragma once

#include "bridges/network.h"
#include "bridges/registration.h"

#include <optional>
#include <string_view>

namespace kestrova::server::bridges::xmpp {

inline constexpr uint16_t kDefaultPort = 5222;
inline constexpr const char* kDefaultResource = "Kestrova";

// Nothing when a required field is missing or a field is not usable as it
// stands (a text with control characters is refused, not cleaned: the
// user should see the account as they typed it or not at all).
std::optional<BridgeAccount> accountFromFields(const RegistrationFields& fields);
// Hosts reached without TLS when the server offers none: the loopback
// interface, where nothing travels over a network.
bool isLoopbackHost(std::string_view host);

} // namespace kestrova::server::bridges::xmpp
