// "RESPONSE": the answer to a request, by its "Mesg-Id", with a 4-byte
// big-endian code. The codes this server uses are listed in
// docs/PROTOCOL.md.
#pragma once

#include "kestrova/wire/packet.h"
#include "kestrova/wire/protocol.h"

#include <cstdint>

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace code = wire::protocol::code;

inline wire::Packet responsePacket(uint64_t mesgId, uint32_t value) {
    wire::Packet response(protocol::command::kResponse);
    response.setHeader(protocol::header::kMesgId, mesgId);
    response.setBody({static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                      static_cast<char>(value)});
    return response;
}

}  // namespace kestrova::server
