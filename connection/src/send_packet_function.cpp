#include "send_packet_function.h"

#include "connection.h"

#include "kestrova/api.h"

namespace kestrova::connection {

SendPacketFunction::SendPacketFunction() {
    RY_RegisterFunction(kestrova::names::kConnectionSendPacket, &SendPacketFunction::call, this);
}

SendPacketFunction::~SendPacketFunction() { RY_UnregisterFunction(kestrova::names::kConnectionSendPacket); }

intptr_t SendPacketFunction::call(void* context, void* argument) {
    auto* self = static_cast<SendPacketFunction*>(context);
    auto* bytes = static_cast<const RY_PacketBytes*>(argument);
    if (!self->connection_ || !bytes || (!bytes->data && bytes->length != 0)) return 0;
    std::string_view packet(static_cast<const char*>(bytes->data), bytes->length);
    return self->connection_->sendRawPacket(packet) ? 1 : 0;
}

}  // namespace kestrova::connection
