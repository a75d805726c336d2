#include "outgoing_message.h"

namespace kestrova::messaging {

kit::OwnedMessage makeOutgoingMessage(const char* contentType, std::string_view body) {
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE;
    data.messageId = RY_GetLUID();
    data.contentType = contentType;
    data.data = body.data();
    data.dataLength = static_cast<int32_t>(body.size());
    data.complete = 1;
    return kit::OwnedMessage(RY_CreateMessage(&data));
}

} // namespace kestrova::messaging
