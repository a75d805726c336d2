// The bridge protocol as this server speaks it (docs/PROTOCOL.md, "Bridges"):
// the commands both ways by their role, and the network types. The answer
// codes bridges add (kUnsupportedNetwork, kBridgeOffline) are among the
// shared protocol words with the others.
#pragma once

#include "response.h"
#include "kestrova/wire/protocol.h"

#include <cstdint>

namespace kestrova::server {

namespace bridges {

// Network types ("Bridge-Type"). Only XMPP is served; the others are
// refused at registration with kUnsupportedNetwork.
inline constexpr int32_t kNetworkXmpp = 6;

namespace command {
// Client to server.
inline constexpr const char* kRegister = wire::protocol::command::kBridgeRegister;
inline constexpr const char* kRegisterFields = wire::protocol::command::kBridgeRegisterFields;
inline constexpr const char* kUpdate = wire::protocol::command::kBridgeUpdate;
inline constexpr const char* kContactAddAnswer = wire::protocol::command::kBridgeContactAddResp;
inline constexpr const char* kContactRemove = wire::protocol::command::kBridgeContactUpdate;
inline constexpr const char* kChatJoin = wire::protocol::command::kBridgeChatJoin;
inline constexpr const char* kChatLeave = wire::protocol::command::kBridgeChatLeave;
// Both ways.
inline constexpr const char* kOn = wire::protocol::command::kBridgeOn;
inline constexpr const char* kOff = wire::protocol::command::kBridgeOff;
inline constexpr const char* kContactAdd = wire::protocol::command::kBridgeContactAdd;
inline constexpr const char* kMessage = wire::protocol::command::kBridgeMessage;
// Server to client.
inline constexpr const char* kContacts = wire::protocol::command::kBridgeContact;
inline constexpr const char* kChatContact = wire::protocol::command::kBridgeChatContact;
} // namespace command

} // namespace bridges
} // namespace kestrova::server
