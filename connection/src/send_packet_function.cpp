#include "send_packet_function.h"

#include "bus_names.h"
#include "connection.h"

namespace kestrova::connection {

SendPacketFunction::SendPacketFunction() { RY_RegisterFunction(names::kSendPacket, &SendPacketFunction::call, this); }

SendPacketFunction::~SendPacketFunction() { RY_UnregisterFunction(names::kSendPacket); }

intptr_t SendPacketFunction::call(void* context, void* argument) {
    auto* self = static_cast<SendPacketFunction*>(context);
    auto* bytes = static_cast<const names::PacketBytes*>(argument);
    if (!self->connection_ || !bytes || (!bytes->data && bytes->length != 0)) return 0;
    std::string_view packet(static_cast<const char*>(bytes->data), bytes->length);
    return self->connection_->sendRawPacket(packet) ? 1 : 0;
}

}  // namespace kestrova::connection
