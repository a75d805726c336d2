// The named function "Connection/RequestMessageHistory": asks the server for
// older messages of one conversation ("MESG HIST"). The messages come as
// ordinary "MESG" packets marked "Hist"; the request's answers go to the
// caller's callback, (0, 0) while messages follow and the final code once
// the request is over. Registered for as long as this object lives.
#pragma once

#include "session_link.h"

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/wire/packet.h"

#include <cstdint>

namespace kestrova::connection {

// "MESG HIST" for the request; the time is seconds, a full stop and six
// digits of microseconds.
wire::Packet historyRequestPacket(const RY_HistoryRequest& request);

class MessageHistoryFunction {
public:
    explicit MessageHistoryFunction(SessionLink& link);
    ~MessageHistoryFunction();
    MessageHistoryFunction(const MessageHistoryFunction&) = delete;
    MessageHistoryFunction& operator=(const MessageHistoryFunction&) = delete;

    // 1 when the request was made, 0 for a record without conversation.
    int32_t request(const RY_HistoryRequest& request);

private:

    SessionLink& link_;
    kit::RegisteredFunction function_;
};

}  // namespace kestrova::connection
