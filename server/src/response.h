// "RESPONSE": the answer to a request, by its "Mesg-Id", with a 4-byte
// big-endian code. The codes this server uses are listed in
// docs/PROTOCOL.md.
#pragma once

#include "kestrova/wire/packet.h"

#include <cstdint>

namespace kestrova::server {

namespace code {
inline constexpr uint32_t kOk = 0;             // done (for history: the messages follow)
inline constexpr uint32_t kNoSuchTarget = 2;   // no such user, group or message
inline constexpr uint32_t kDone = 4;           // chunk taken; stored messages sent; history: older ones remain
inline constexpr uint32_t kNoOlder = 8;        // history: no older message exists
inline constexpr uint32_t kInUse = 11;         // group name in use, or already a member
inline constexpr uint32_t kContactExists = 12;
inline constexpr uint32_t kDenied = 13;        // access denied (wrong group password, not a member, silenced...)
inline constexpr uint32_t kLimit = 14;         // a limit of the server was reached
inline constexpr uint32_t kMalformed = 15;     // the request cannot be read
inline constexpr uint32_t kTextBreaksLine = 16; // a text holds a line feed, carriage return or NUL
inline constexpr uint32_t kStorageFailed = 17;  // the server could not store the change; nothing changed
}  // namespace code

inline wire::Packet responsePacket(uint64_t mesgId, uint32_t value) {
    wire::Packet response("RESPONSE");
    response.setHeader("Mesg-Id", mesgId);
    response.setBody({static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                      static_cast<char>(value)});
    return response;
}

}  // namespace kestrova::server
