#include "bridges/bridge_session.h"

#include "bridges/bridge_protocol.h"
#include "bridges/disconnect_reason.h"
#include "bridges/header_text.h"
#include "timestamp.h"

#include <algorithm>

namespace kestrova::server::bridges {
namespace {

// Presence numbers, best first: a contact logged in more than once shows
// its most available login.
int32_t rank(int32_t status) {
    switch (status) {
    case 1:
        return 4;
    case 5:
        return 3;
    case 2:
        return 2;
    default:
        return 0;
    }
}

std::string occupantKey(const std::string& room, const std::string& nickname) {
    return room + "/" + nickname;
}

bool isPlainText(const std::string& contentType) {
    return contentType == "text/plain" || contentType.rfind("text/plain;", 0) == 0;
}

} // namespace

BridgeSession::BridgeSession(uint64_t bridgeId, Send send, const BridgeConfig& config)
    : bridgeId_(bridgeId), send_(std::move(send)), config_(config),
      contactIds_(counter_, config.maxKnownAddresses), chatIds_(counter_, config.maxKnownAddresses) {}

BridgeSession::~BridgeSession() = default;

void BridgeSession::switchOn(const NetworkFactory& networks, const BridgeAccount& account, int32_t status,
                             Clock::time_point now) {
    if (adapter_) {
        adapter_->setPresence(status);
        if (state_ == State::Online) send_(switchedOnPacket(bridgeId_));
        return;
    }
    if (!loginAllowed(now)) return refuse(reason::tooFrequent("The bridge"));
    nickname_ = account.nickname;
    state_ = State::Connecting;
    // NOTE: the sink is only ever called from the event loop, never from
    // within a call on the adapter, so an event may destroy the adapter.
    adapter_ = networks(account, status, [this](NetworkEvent event) { onEvent(std::move(event)); });
    if (!adapter_) {
        state_ = State::Off;
        refuse(reason::unableToConnect(account.server, account.port, "this network is not served"));
    }
}

bool BridgeSession::loginAllowed(Clock::time_point now) {
    while (!logins_.empty() && now - logins_.front() >= config_.loginWindow)
        logins_.pop_front();
    if (logins_.size() >= config_.maxLoginsPerWindow) return false;
    logins_.push_back(now);
    return true;
}

void BridgeSession::refuse(const std::string& reason) {
    send_(switchedOffPacket(bridgeId_, reason));
}

void BridgeSession::switchOff() {
    adapter_.reset();
    forgetNetworkState();
}

void BridgeSession::forgetNetworkState() {
    state_ = State::Off;
    // What the client forgets on "BRIDGE OFF": presence, rooms, requests.
    // The ids stay, so the same contact comes back under the same id.
    for (auto& [id, contact] : contacts_) {
        contact.resources.clear();
        contact.onList = false;
    }
    for (auto& [id, room] : rooms_) {
        room.joined = false;
        room.occupants.clear();
    }
    requests_.clear();
    outgoing_.clear();
}

uint32_t BridgeSession::setPresence(int32_t status) {
    if (!adapter_) return code::kBridgeOffline;
    adapter_->setPresence(status);
    return code::kOk;
}

uint32_t BridgeSession::requestContact(const std::string& address, const std::string& text) {
    if (state_ != State::Online) return code::kBridgeOffline;
    if (text.size() > config_.maxRequestText) return code::kLimit;
    std::optional<std::string> canonical = adapter_->addressOf(address);
    if (!canonical) return code::kMalformed;
    adapter_->requestContact(*canonical, text);
    return code::kOk;
}

uint32_t BridgeSession::answerRequest(uint64_t requestId, bool accepted) {
    if (state_ != State::Online) return code::kBridgeOffline;
    auto request = requests_.find(requestId);
    if (request == requests_.end()) return code::kNoSuchTarget;
    adapter_->answerContact(request->second, accepted);
    requests_.erase(request);
    return code::kOk;
}

uint32_t BridgeSession::removeContact(uint64_t contactId) {
    if (state_ != State::Online) return code::kBridgeOffline;
    auto contact = contacts_.find(contactId);
    if (contact == contacts_.end() || !contact->second.onList) return code::kNoSuchTarget;
    adapter_->removeContact(contact->second.address);
    return code::kOk;
}

uint32_t BridgeSession::joinChat(const std::string& room, const std::string& nickname,
                                 const std::string& password) {
    if (state_ != State::Online) return code::kBridgeOffline;
    std::optional<std::string> address = adapter_->addressOf(room);
    if (!address || !isHeaderSafe(nickname) || nickname.size() > kMaxHeaderText) return code::kMalformed;
    uint64_t chatId = chatIds_.idFor(*address);
    if (chatId == 0) return code::kLimit;
    rooms_[chatId].address = *address;
    adapter_->joinRoom(*address, nickname.empty() ? nickname_ : nickname, password);
    return code::kOk;
}

uint32_t BridgeSession::leaveChat(uint64_t chatId) {
    if (state_ != State::Online) return code::kBridgeOffline;
    auto room = rooms_.find(chatId);
    if (room == rooms_.end() || !room->second.joined) return code::kNoSuchTarget;
    adapter_->leaveRoom(room->second.address);
    return code::kOk;
}

uint32_t BridgeSession::takeChunk(const wire::Packet& chunk) {
    if (state_ != State::Online) return code::kBridgeOffline;
    uint64_t correlation = chunk.headerId("Correlation-Id");
    uint64_t key = correlation ? correlation : chunk.headerId("Mesg-Id");
    auto message = outgoing_.find(key);
    if (correlation == 0) {
        if (message != outgoing_.end()) return code::kMalformed; // the same id twice
        if (uint32_t refusal = startOutgoing(chunk, key); refusal != code::kDone) return refusal;
        message = outgoing_.find(key);
    } else if (message == outgoing_.end()) {
        return code::kNoSuchTarget;
    }
    Outgoing& outgoing = message->second;
    if (outgoing.text.size() + chunk.body().size() > config_.maxMessageBytes) {
        outgoing_.erase(message);
        return code::kLimit;
    }
    outgoing.text += chunk.body();
    if (chunk.hasHeader("Last")) {
        if (outgoing.toRoom)
            adapter_->sendRoomMessage(outgoing.address, outgoing.text);
        else
            adapter_->sendMessage(outgoing.address, outgoing.text);
        outgoing_.erase(message);
    }
    return code::kDone;
}

uint32_t BridgeSession::startOutgoing(const wire::Packet& chunk, uint64_t key) {
    if (key == 0) return code::kMalformed;
    if (!isPlainText(chunk.header("Content-Type"))) return code::kUnsupportedNetwork;
    if (outgoing_.size() >= config_.maxMessagesInProgress) return code::kLimit;
    int32_t total = chunk.headerInt("Total-Length");
    if (total < 0 || static_cast<size_t>(total) > config_.maxMessageBytes) return code::kLimit;
    uint64_t target = chunk.headerId("Target-Id");
    Outgoing outgoing;
    if (chunk.headerInt("Mesg-Target") == 1) {
        auto room = rooms_.find(target);
        if (room == rooms_.end() || !room->second.joined) return code::kNoSuchTarget;
        outgoing = {room->second.address, true, {}};
    } else {
        // A contact of the list, someone who wrote, or a room's occupant
        // (a private message within the room).
        const std::string* address = contactIds_.keyOf(target);
        if (!address) return code::kNoSuchTarget;
        outgoing = {*address, false, {}};
    }
    outgoing_.emplace(key, std::move(outgoing));
    return code::kDone;
}

void BridgeSession::onEvent(NetworkEvent event) {
    std::visit([this](auto&& happened) { on(std::move(happened)); }, std::move(event));
}

void BridgeSession::on(event::Connected) {
    if (state_ != State::Connecting) return;
    state_ = State::Online;
    send_(switchedOnPacket(bridgeId_));
}

void BridgeSession::on(event::Disconnected disconnected) {
    if (!adapter_) return;
    adapter_.reset();
    forgetNetworkState();
    send_(switchedOffPacket(bridgeId_, headerSafe(disconnected.reason)));
}

void BridgeSession::on(event::RosterChanged roster) {
    std::vector<ContactChange> changes;
    std::set<uint64_t> listed;
    for (const event::RosterItem& item : roster.items) {
        uint64_t id = item.removed ? contactIds_.find(item.address) : contactIds_.idFor(item.address);
        if (id == 0) continue;
        Contact& contact = contacts_[id];
        contact.address = item.address;
        if (item.removed) {
            if (!contact.onList) continue;
            contact.onList = false;
            changes.emplace_back(id, std::nullopt);
            continue;
        }
        contact.onList = true;
        contact.rosterName = headerSafe(item.name);
        contact.listState = item.listState;
        listed.insert(id);
        changes.emplace_back(id, recordOf(contact));
    }
    if (roster.complete) {
        for (auto& [id, contact] : contacts_) {
            if (!contact.onList || listed.count(id)) continue;
            contact.onList = false;
            changes.emplace_back(id, std::nullopt);
        }
    }
    if (!changes.empty()) send_(contactListPacket(bridgeId_, changes));
}

void BridgeSession::on(event::PresenceChanged presence) {
    uint64_t id = contactIds_.find(presence.address);
    auto contact = contacts_.find(id);
    if (contact == contacts_.end() || !contact->second.onList) return; // presence of strangers is not shown
    if (presence.status == 0)
        contact->second.resources.erase(presence.resource);
    else
        contact->second.resources[presence.resource] = {presence.status, headerSafe(presence.statusText)};
    send_(contactListPacket(bridgeId_, {{id, recordOf(contact->second)}}));
}

void BridgeSession::on(event::ContactRequest request) {
    if (requests_.size() >= config_.maxPendingRequests) return;
    uint64_t contactId = contactIds_.find(request.address);
    if (auto known = contacts_.find(contactId); known == contacts_.end() || !known->second.onList)
        contactId = 0;
    uint64_t requestId = counter_.next();
    requests_.emplace(requestId, request.address);
    std::string text(cutUtf8(request.text, config_.maxRequestText));
    send_(contactRequestPacket(bridgeId_, requestId, contactId, headerSafe(request.address),
                               nameOf(request.address, request.nickname), text));
}

void BridgeSession::on(event::MessageReceived message) {
    uint64_t source = contactIds_.idFor(message.address);
    if (source == 0) return;
    contacts_[source].address = message.address;
    deliver(nameOf(message.address, message.nickname), source, std::nullopt, std::move(message.text), false);
}

void BridgeSession::on(event::OccupantChanged occupant) {
    uint64_t chatId = occupant.joined ? chatIds_.idFor(occupant.room) : chatIds_.find(occupant.room);
    if (chatId == 0) return;
    Room& room = rooms_[chatId];
    room.address = occupant.room;
    if (occupant.self) {
        if (occupant.joined) {
            room.joined = true;
            room.ownNickname = occupant.nickname;
            return;
        }
        // Out of the room: its members go for the client too.
        for (uint64_t member : room.occupants)
            if (const std::string* key = contactIds_.keyOf(member))
                send_(chatContactPacket(bridgeId_, chatId, member, false, headerSafe(*key),
                                        headerSafe(key->substr(room.address.size() + 1))));
        room.occupants.clear();
        room.joined = false;
        return;
    }
    std::string key = occupantKey(occupant.room, occupant.nickname);
    uint64_t member = occupant.joined ? contactIds_.idFor(key) : contactIds_.find(key);
    if (member == 0) return;
    bool changed = occupant.joined ? room.occupants.insert(member).second : room.occupants.erase(member) > 0;
    if (changed)
        send_(chatContactPacket(bridgeId_, chatId, member, occupant.joined, headerSafe(key),
                                headerSafe(occupant.nickname)));
}

void BridgeSession::on(event::RoomMessage message) {
    Room* room = roomByAddress(message.room);
    if (!room || !room->joined) return;
    // The room repeats what the user said; the client has shown it already.
    if (!message.history && message.nickname == room->ownNickname) return;
    uint64_t source = contactIds_.idFor(occupantKey(message.room, message.nickname));
    if (source == 0) return;
    deliver(headerSafe(message.nickname), source, chatIds_.find(message.room), std::move(message.text),
            message.history);
}

void BridgeSession::on(event::RoomInvitation invitation) {
    // NOTE: rooms are joined on invitation only when a contact the user
    // accepted invites; anyone else could pull the account into any room.
    auto inviter = contacts_.find(contactIds_.find(invitation.inviter));
    if (!adapter_ || inviter == contacts_.end() || !inviter->second.onList || inviter->second.listState != 0)
        return;
    if (chatIds_.idFor(invitation.room) == 0) return;
    adapter_->joinRoom(invitation.room, nickname_, invitation.password);
}

BridgeSession::Room* BridgeSession::roomByAddress(const std::string& address) {
    auto room = rooms_.find(chatIds_.find(address));
    return room == rooms_.end() ? nullptr : &room->second;
}

BridgedContact BridgeSession::recordOf(const Contact& contact) const {
    BridgedContact record{
        headerSafe(contact.address), nameOf(contact.address, contact.rosterName), {}, 0, contact.listState};
    auto best = std::max_element(
        contact.resources.begin(), contact.resources.end(),
        [](const auto& a, const auto& b) { return rank(a.second.first) < rank(b.second.first); });
    if (best != contact.resources.end() && contact.listState == 0) {
        record.onlineStatus = best->second.first;
        record.statusText = best->second.second;
    }
    return record;
}

std::string BridgeSession::nameOf(const std::string& address, const std::string& offered) const {
    auto contact = contacts_.find(contactIds_.find(address));
    if (contact != contacts_.end() && !contact->second.rosterName.empty()) return contact->second.rosterName;
    std::string name = headerSafe(offered);
    if (!name.empty()) return name;
    return headerSafe(address.substr(0, address.find('@')));
}

void BridgeSession::deliver(const std::string& senderName, uint64_t source, std::optional<uint64_t> chat,
                            std::string text, bool history) {
    if (text.empty()) return;
    auto nextId = [this] {
        auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
        lastMessageId_ = std::max(lastMessageId_ + 1, static_cast<uint64_t>(now));
        return lastMessageId_;
    };
    BridgedMessage message{bridgeId_, nextId(),      source,
                           chat,      senderName,    std::string(cutUtf8(text, config_.maxMessageBytes)),
                           history,   nowTimestamp()};
    for (const wire::Packet& chunk : messagePackets(message, nextId))
        send_(chunk);
}

} // namespace kestrova::server::bridges
