// Names on the bus that this plug-in owns.
// FIXME: these move into the one public list of bus names (kestrova/api.h)
// once the object model's additions to that header are on main; until then
// they live here so that nothing else spells them.
#pragma once

#include <cstdint>

namespace kestrova::connection::names {

// function, arg PacketBytes*: writes one whole packet to the server; returns
// 1, or 0 when not connected (UI thread)
inline constexpr const char kSendPacket[] = "Connection/SendPacket";
// variant, number: the connection state (0 offline ... 100 online, 130, 140) (UI thread)
inline constexpr const char kConnectionState[] = "connection.state";
// event, data null: the session ended; contacts are stale, requests failed (UI thread)
inline constexpr const char kSessionEnded[] = "Connection/SessionEnded";
// variant, text: the account's own subscriber id in decimal (UI thread)
inline constexpr const char kSubId[] = "Kestrova/Connection/Sub-Id";

// The argument of "Connection/SendPacket".
struct PacketBytes {
    const void* data;
    uint32_t length;
};

}  // namespace kestrova::connection::names
