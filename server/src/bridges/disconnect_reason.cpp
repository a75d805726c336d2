#include "disconnect_reason.h"

#include "header_text.h"

namespace kestrova::server::bridges::reason {
namespace {

// The reason goes out as a header value; whatever the other side said is
// cut and cleaned before it is quoted.
std::string quoted(std::string_view detail) {
    return headerSafe(detail, 160);
}

} // namespace

std::string tooFrequent(std::string_view who) {
    return quoted(who) +
           " says you are connecting and disconnecting too frequently; wait a minute and try again";
}

std::string unableToConnect(std::string_view host, uint16_t port, std::string_view detail) {
    std::string text = "Unable to connect to " + quoted(host) + ":" + std::to_string(port);
    if (std::string cleaned = quoted(detail); !cleaned.empty()) text += " (" + cleaned + ")";
    return text;
}

std::string unableToAuthenticate(std::string_view detail) {
    return "Unable to authenticate: " + quoted(detail);
}

std::string otherwise(std::string_view detail) {
    std::string cleaned = quoted(detail);
    // NOTE: the other side's words must not make the client file the reason
    // under a code it does not deserve.
    for (const char* phrase : {"Unable to connect", "Connection error from Notification server:",
                               "Could not connect to authentication server:",
                               "connecting and disconnecting too frequently", "Unable to authenticate:"})
        if (cleaned.find(phrase) != std::string::npos) cleaned.clear();
    return cleaned.empty() ? std::string("The connection ended") : "The connection ended: " + cleaned;
}

} // namespace kestrova::server::bridges::reason
