// The named function "Connection/SendPacket", through which other libraries
// write packets they have built themselves. Registered for as long as this
// object lives.
#pragma once

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
    static intptr_t call(void* context, void* argument);

    Connection* connection_ = nullptr;
};

}  // namespace kestrova::connection
