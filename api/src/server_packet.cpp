#include "server_packet.h"

#include "kestrova/api.h"

namespace kestrova::api {

void sendServerPacket(std::string_view command, const std::string& body) {
    std::string packet(command);
    packet += "\nContent-Length: " + std::to_string(body.size());
    packet += "\nMesg-Id: " + std::to_string(RY_GetLUID());
    packet += "\n\n";
    packet += body;
    RY_PacketBytes bytes{packet.data(), uint32_t(packet.size())};
    RY_CallFunction(names::kConnectionSendPacket, &bytes);
}

std::string encodeSingleEntry(const std::string& key, const std::string& value) {
    return wire::encodeDataMap(wire::DataMapEntries{{key, value}});
}

}  // namespace kestrova::api
