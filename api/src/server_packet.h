// Packets the core API itself sends to the server (profile updates and
// position reports), written whole and handed to "Connection/SendPacket".
#pragma once

#include "kestrova/wire/data_map.h"
#include "kestrova/wire/protocol.h"

#include <string>
#include <string_view>

namespace kestrova::api {

// "<command>\nContent-Length: <n>\nMesg-Id: <next local id>\n\n<body>". Dropped
// silently when no connection has registered the function.
void sendServerPacket(std::string_view command, const std::string& body);

// The encoding of a one-entry map: key -> value.
std::string encodeSingleEntry(const std::string& key, const std::string& value);

inline constexpr std::string_view kProfileUpdateCommand = wire::protocol::command::kSubProfileUpdate;

}  // namespace kestrova::api
