#include "send_packet_function.h"

#include "connection.h"

#include "kestrova/api.h"

namespace kestrova::connection {

SendPacketFunction::SendPacketFunction()
    : function_(kit::registerFunction(names::kConnectionSendPacket,
                                      [this](const RY_PacketBytes* bytes) { return send(bytes); })) {}

SendPacketFunction::~SendPacketFunction() = default;

int32_t SendPacketFunction::send(const RY_PacketBytes* bytes) {
    if (!connection_ || !bytes || (!bytes->data && bytes->length != 0)) return 0;
    std::string_view packet(static_cast<const char*>(bytes->data), bytes->length);
    return connection_->sendRawPacket(packet) ? 1 : 0;
}

}  // namespace kestrova::connection
