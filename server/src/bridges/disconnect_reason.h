// The "Reason" texts of "BRIDGE OFF". The client files a switched-off bridge
// under a reason code that it derives from the text: three texts are
// compared whole, and then the text is searched for a few phrases. So the
// wording here is part of the protocol: each maker below yields a text that
// the client files under the code named beside it (docs/PROTOCOL.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::server::bridges::reason {

// 1: the account was taken over by another login of the same user.
inline constexpr const char* kSignedOnElsewhere = "You have signed on from another location.";
// 2: the connection broke (reset, read error).
inline constexpr const char* kUnreadableSocket = "Unable to read socket";
// 3: the other side ended the session in an orderly way.
inline constexpr const char* kDisconnected = "Disconnected.";

// 4: too many logins in a short time (ours, or the other server's verdict).
std::string tooFrequent(std::string_view who);
// 5: no connection to the server (refused, unreachable, no secure channel).
std::string unableToConnect(std::string_view host, uint16_t port, std::string_view detail);
// 6: the server refused the user name or password.
std::string unableToAuthenticate(std::string_view detail);
// 0: anything else, with what the other side said.
std::string otherwise(std::string_view detail);

} // namespace kestrova::server::bridges::reason
