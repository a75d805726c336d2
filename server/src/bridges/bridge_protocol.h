// The names and numbers of the bridge protocol as this server speaks it
// (docs/PROTOCOL.md, "Bridges"): commands both ways, the network types, and
// the answer codes bridges add to those of response.h.
#pragma once

#include "response.h"

#include <cstdint>

namespace kestrova::server {

namespace code {
inline constexpr uint32_t kUnsupportedNetwork =
    16; // a network this server does not bridge, or content it cannot carry
inline constexpr uint32_t kBridgeOffline = 17; // the bridge is not logged in to its network
} // namespace code

namespace bridges {

// Network types ("Bridge-Type"). Only XMPP is served; the others are
// refused at registration with kUnsupportedNetwork.
inline constexpr int32_t kNetworkXmpp = 6;

namespace command {
// Client to server.
inline constexpr const char* kRegister = "BRIDGE REGISTER";
inline constexpr const char* kRegisterFields = "BRIDGE REGISTER FIELDS";
inline constexpr const char* kUpdate = "BRIDGE UPDATE";
inline constexpr const char* kContactAddAnswer = "BRIDGE CONTACT ADD RESP";
inline constexpr const char* kContactRemove = "BRIDGE CONTACT UPDATE";
inline constexpr const char* kChatJoin = "BRIDGE CHAT JOIN";
inline constexpr const char* kChatLeave = "BRIDGE CHAT LEAVE";
// Both ways.
inline constexpr const char* kOn = "BRIDGE ON";
inline constexpr const char* kOff = "BRIDGE OFF";
inline constexpr const char* kContactAdd = "BRIDGE CONTACT ADD";
inline constexpr const char* kMessage = "BRIDGE MESG";
// Server to client.
inline constexpr const char* kContacts = "BRIDGE CONTACT";
inline constexpr const char* kChatContact = "BRIDGE CHAT CONTACT";
} // namespace command

} // namespace bridges
} // namespace kestrova::server
