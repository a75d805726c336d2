// Why a bridged account went off, as the reason code its service record
// keeps (value1, shown by the overview): read from the "Reason" text of
// "BRIDGE OFF". Three texts are compared whole, then the text is searched
// for phrases, 5, 4 and 6 in that order.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrova::connection {

enum DisconnectReason : int32_t {
    kReasonOther = 0,
    kReasonSignedOnElsewhere = 1,
    kReasonUnreadableSocket = 2,
    kReasonDisconnected = 3,
    kReasonTooFrequent = 4,
    kReasonUnableToConnect = 5,
    kReasonUnableToAuthenticate = 6,
};

DisconnectReason disconnectReason(std::string_view reasonText);

}  // namespace kestrova::connection
