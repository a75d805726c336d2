#include "bridges/bridge_packets.h"

#include "bridges/bridge_protocol.h"

#include <algorithm>

namespace kestrova::server::bridges {
namespace {

constexpr size_t kChunkBytes = 512;

wire::Packet withBridge(const char* command, uint64_t bridgeId) {
    wire::Packet packet(command);
    packet.setHeader("Bridge-Id", bridgeId);
    return packet;
}

std::string record(const BridgedContact& contact) {
    return wire::encodeDataMap({
        {"Username", contact.username},
        {"Nickname", contact.nickname},
        {"Status", contact.statusText},
        {"Online-Status", std::to_string(contact.onlineStatus)},
        {"state", std::to_string(contact.listState)},
    });
}

} // namespace

std::string profileEntry(const BridgeEntry& entry) {
    return wire::encodeDataMap({
        {"enabled", entry.enabled ? "1" : "0"},
        {"domain", entry.domain},
        {"username", entry.username},
        {"nickname", entry.nickname},
        {"bridge-type", std::to_string(entry.network)},
    });
}

wire::Packet switchedOnPacket(uint64_t bridgeId) {
    return withBridge(command::kOn, bridgeId);
}

wire::Packet switchedOffPacket(uint64_t bridgeId, const std::string& reason) {
    wire::Packet packet = withBridge(command::kOff, bridgeId);
    packet.setHeader("Reason", reason);
    return packet;
}

wire::Packet contactListPacket(uint64_t bridgeId, const std::vector<ContactChange>& changes) {
    wire::DataMapEntries contacts;
    for (const auto& [id, contact] : changes)
        contacts[std::to_string(id)] = contact ? record(*contact) : std::string();
    wire::Packet packet(command::kContacts);
    packet.setBody(wire::encodeDataMap(
        {{std::to_string(bridgeId), wire::encodeDataMap({{"contacts", wire::encodeDataMap(contacts)}})}}));
    return packet;
}

wire::Packet contactRequestPacket(uint64_t bridgeId, uint64_t requestId, uint64_t contactId,
                                  const std::string& username, const std::string& nickname,
                                  const std::string& text) {
    wire::Packet packet = withBridge(command::kContactAdd, bridgeId);
    packet.setHeader("Request-Id", requestId);
    packet.setHeader("Contact-Id", contactId);
    packet.setHeader("Name", username);
    packet.setHeader("Nickname", nickname);
    packet.setBody(text);
    return packet;
}

wire::Packet chatContactPacket(uint64_t bridgeId, uint64_t chatId, uint64_t contactId, bool joined,
                               const std::string& name, const std::string& nickname) {
    wire::Packet packet = withBridge(command::kChatContact, bridgeId);
    packet.setHeader("Chat-Id", chatId);
    packet.setHeader("Contact-Id", contactId);
    packet.setHeader("Name", name);
    packet.setHeader("Nickname", nickname);
    packet.setBody(std::string(1, joined ? '\1' : '\0'));
    return packet;
}

std::vector<wire::Packet> messagePackets(const BridgedMessage& message,
                                         const std::function<uint64_t()>& nextId) {
    std::vector<wire::Packet> chunks;
    size_t offset = 0;
    do {
        size_t length = std::min(kChunkBytes, message.text.size() - offset);
        bool first = offset == 0;
        bool last = offset + length == message.text.size();
        wire::Packet chunk = withBridge(command::kMessage, message.bridgeId);
        chunk.setHeader("Mesg-Id", first ? message.messageId : nextId());
        if (!first) chunk.setHeader("Correlation-Id", message.messageId);
        chunk.setHeader("Source-Id", message.source);
        // Without "Target-Id" the client takes the message as a private one.
        if (message.chat) chunk.setHeader("Target-Id", *message.chat);
        chunk.setHeader("Content-Type", "text/plain");
        if (first) chunk.setHeader("name", message.senderName);
        chunk.setHeader("Timestamp", message.timestamp);
        if (message.history) chunk.setHeader("Hist", int32_t(1));
        if (first && !last) chunk.setHeader("Total-Length", static_cast<int32_t>(message.text.size()));
        if (last) chunk.setHeader("Last", int32_t(1));
        chunk.setBody(message.text.substr(offset, length));
        chunks.push_back(std::move(chunk));
        offset += length;
    } while (offset < message.text.size());
    return chunks;
}

} // namespace kestrova::server::bridges
