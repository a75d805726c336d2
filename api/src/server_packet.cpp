#include "server_packet.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"

namespace kestrova::api {

void sendServerPacket(std::string_view command, const std::string& body) {
    std::string packet(command);
    packet += std::string("\n") + wire::protocol::header::kContentLength + ": " + std::to_string(body.size());
    packet += std::string("\n") + wire::protocol::header::kMesgId + ": " + std::to_string(RY_GetLUID());
    packet += "\n\n";
    packet += body;
    RY_PacketBytes bytes{packet.data(), uint32_t(packet.size())};
    bus::call(names::kConnectionSendPacket, &bytes);
}

std::string encodeSingleEntry(const std::string& key, const std::string& value) {
    return wire::encodeDataMap(wire::DataMapEntries{{key, value}});
}

}  // namespace kestrova::api
