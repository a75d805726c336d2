// The packets the server sends about bridges, byte for byte as the client
// reads them: switched on and off, contact lists, friend requests, chat
// rooms' comings and goings, messages, and the bridge entries of profiles.
#pragma once

#include "bridges/bridge_store.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/packet.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::server::bridges {

// One contact of a bridged account as the client's contact list shows it.
struct BridgedContact {
    std::string username; // the address on the other network
    std::string nickname;
    std::string statusText;
    int32_t onlineStatus = 0;
    int32_t listState = 0; // 0 accepted, 1 asked and waiting
};

// A change of the list: a record, or nothing for a contact that left it.
using ContactChange = std::pair<uint64_t, std::optional<BridgedContact>>;

struct BridgedMessage {
    uint64_t bridgeId = 0;
    uint64_t messageId = 0;
    uint64_t source = 0;          // the bridged contact who wrote it
    std::optional<uint64_t> chat; // the chat it was written in, for room messages
    std::string senderName;
    std::string text;
    bool history = false; // from before the user joined (never unread)
    std::string timestamp;
};

// "enabled", "domain", "username", "nickname", "bridge-type": the value under
// the bridge's id in the "BRIDGE" map of a profile.
std::string profileEntry(const BridgeEntry& entry);

wire::Packet switchedOnPacket(uint64_t bridgeId);
wire::Packet switchedOffPacket(uint64_t bridgeId, const std::string& reason);
// "BRIDGE CONTACT": {bridge id: {"contacts": {contact id: record or ""}}}.
wire::Packet contactListPacket(uint64_t bridgeId, const std::vector<ContactChange>& changes);
wire::Packet contactRequestPacket(uint64_t bridgeId, uint64_t requestId, uint64_t contactId,
                                  const std::string& username, const std::string& nickname,
                                  const std::string& text);
// The last (here: only) body byte says joined (1) or left (0). "Name" and
// "Nickname" say who it is, for clients that show members by name.
wire::Packet chatContactPacket(uint64_t bridgeId, uint64_t chatId, uint64_t contactId, bool joined,
                               const std::string& name, const std::string& nickname);
// The message as "BRIDGE MESG" chunks of at most 512 bytes, cut as the
// client cuts its own; `nextId` gives the ids of the chunks after the first.
std::vector<wire::Packet> messagePackets(const BridgedMessage& message,
                                         const std::function<uint64_t()>& nextId);

} // namespace kestrova::server::bridges
