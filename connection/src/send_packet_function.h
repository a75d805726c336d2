// The named function "Connection/SendPacket", through which other libraries
// write packets they have built themselves. Registered for as long as this
// object lives.
#pragma once

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"

#include <cstdint>

namespace kestrova::connection {

class Connection;

class SendPacketFunction {
public:
    SendPacketFunction();
    ~SendPacketFunction();
    SendPacketFunction(const SendPacketFunction&) = delete;
    SendPacketFunction& operator=(const SendPacketFunction&) = delete;

    // Null while there is no connection: calls then return 0.
    void setConnection(Connection* connection) { connection_ = connection; }

private:
    int32_t send(const RY_PacketBytes* bytes);

    Connection* connection_ = nullptr;
    kit::RegisteredFunction function_;
};

}  // namespace kestrova::connection
