#include "bridging/disconnect_reason.h"

namespace kestrova::connection {

DisconnectReason disconnectReason(std::string_view text) {
    if (text == "You have signed on from another location.") return kReasonSignedOnElsewhere;
    if (text == "Unable to read socket") return kReasonUnreadableSocket;
    if (text == "Disconnected.") return kReasonDisconnected;
    auto contains = [text](std::string_view phrase) { return text.find(phrase) != std::string_view::npos; };
    if (contains("Unable to connect") || contains("Connection error from Notification server:") ||
        contains("Could not connect to authentication server:"))
        return kReasonUnableToConnect;
    if (contains("connecting and disconnecting too frequently")) return kReasonTooFrequent;
    if (contains("Unable to authenticate:")) return kReasonUnableToAuthenticate;
    return kReasonOther;
}

}  // namespace kestrova::connection
