// The relay of "MESG" chunks between subscribers, the store that keeps every
// message until its recipient acknowledged it, history, and the echo robot.
//
// Each message gets an id of the server's own (its first chunk's "Mesg-Id"
// and every later chunk's "Correlation-Id"), unique across senders, so that
// stored and history copies of a message are one message to every client.
#include "messaging.h"

#include "kestrova/wire/origin_key.h"
#include "kestrova/wire/packet_reader.h"
#include "profile_data.h"
#include "response.h"
#include "sqlite_transaction.h"
#include "subscriber_session.h"
#include "timestamp.h"

#include "kestrova/wire/protocol.h"

#include <algorithm>
#include <set>

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace {

constexpr size_t kChunkBytes = 512;  // what the client sends, and so what we send
constexpr const char* kTextContent = "text/plain";

std::string wireTime(int64_t micros) {
    return formatTimestamp(std::chrono::system_clock::time_point(std::chrono::microseconds(micros)));
}

int64_t nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct ChunkHeaders {
    uint64_t messageId;
    uint64_t source;
    std::optional<uint64_t> group;
    const std::string& contentType;
    const std::string& senderName;
    int64_t timeMicros;
    std::optional<uint64_t> originKey;
};

wire::Packet chunkPacket(const ChunkHeaders& message, uint64_t chunkId, bool first, std::string body, bool last,
                         int32_t totalLength) {
    wire::Packet chunk(protocol::command::kMessage);
    chunk.setHeader(protocol::header::kMesgId, first ? message.messageId : chunkId);
    if (!first) chunk.setHeader(protocol::header::kCorrelationId, message.messageId);
    chunk.setHeader(protocol::header::kSourceId, message.source);
    // The client takes a message without "Target-Id" as a private one.
    if (message.group) chunk.setHeader(protocol::header::kTargetId, *message.group);
    chunk.setHeader(protocol::header::kContentType, message.contentType);
    if (first) chunk.setHeader(protocol::header::kName, message.senderName);
    if (first && message.originKey) chunk.setHeader(protocol::header::kOriginKey, *message.originKey);
    chunk.setHeader(protocol::header::kTimestamp, wireTime(message.timeMicros));
    if (totalLength > 0) chunk.setHeader(protocol::header::kTotalLength, totalLength);
    if (last) chunk.setHeader(protocol::header::kLast, int32_t(1));
    chunk.setBody(std::move(body));
    return chunk;
}

// Stored chunks go out as they were stored. One kept by a server that still
// wrote any text into a header may hold more than the one packet it stands
// for; only a chunk that reads back as exactly one packet, written as it
// would be written now, is delivered.
bool isOnePacket(std::string_view bytes) {
    wire::PacketReader reader;
    wire::ReadResult result = reader.read(bytes);
    if (result.status != wire::ReadStatus::Complete || result.consumed != bytes.size()) return false;
    std::optional<std::string> again = reader.packet().serialise();
    return again && *again == bytes;
}

bool stopsTalking(int32_t capabilities) {
    return capabilities == membership::kBanned || capabilities == membership::kSilenced ||
           capabilities == membership::kKicked;
}

}  // namespace

void Messaging::onMessage(SubscriberSession& session, const wire::Packet& packet) {
    if (packet.headerId(protocol::header::kMesgId) == 0) return;  // cannot be answered, so cannot be taken
    if (packet.body().size() > limits_.maxChunkBytes) return respond(session, packet, code::kLimit);
    uint64_t sender = session.accountId();
    uint64_t correlation = packet.headerId(protocol::header::kCorrelationId);
    bool first = correlation == 0;
    RelayKey key{sender, first ? packet.headerId(protocol::header::kMesgId) : correlation};
    auto it = inProgress_.find(key);
    if (first) {
        if (it != inProgress_.end()) return respond(session, packet, code::kMalformed);  // the same id twice
        Relayed message;
        if (uint32_t refusal = startMessage(session, packet, message); refusal != code::kDone)
            return respond(session, packet, refusal);
        it = inProgress_.emplace(key, std::move(message)).first;
    } else if (it == inProgress_.end()) {
        return respond(session, packet, code::kNoSuchTarget);
    }
    Relayed& message = it->second;
    if (message.body.size() + packet.body().size() > limits_.maxMessageBytes) {
        abandonMessage(it);
        return respond(session, packet, code::kLimit);
    }
    message.body += packet.body();
    bool last = packet.hasHeader(protocol::header::kLast);
    if (message.repeat) {
        // Taken before: the sender hears so, and nobody gets it twice.
        respond(session, packet, code::kDone);
        if (last) inProgress_.erase(it);
        return;
    }
    if (uint32_t code = relayChunk(message, packet, first, last); code != code::kDone) {
        abandonMessage(it);
        return respond(session, packet, code);
    }
    // The chunk is in the store for every recipient (with the last one, the
    // message is whole there and in the history) before its sender hears 4:
    // a server stopped from now on still delivers it when it is back.
    respond(session, packet, code::kDone);
    if (last) {
        finishMessage(message);
        inProgress_.erase(it);
    }
}

uint32_t Messaging::startMessage(SubscriberSession& session, const wire::Packet& packet, Relayed& message) {
    uint64_t sender = session.accountId();
    std::string contentType = packet.header(protocol::header::kContentType);
    if (!wire::isLineText(contentType)) return code::kTextBreaksLine;
    if (contentType.empty() || contentType.size() > 128) return code::kMalformed;
    if (packet.headerInt(protocol::header::kTotalLength) < 0 ||
        static_cast<size_t>(packet.headerInt(protocol::header::kTotalLength)) > limits_.maxMessageBytes)
        return code::kLimit;
    size_t unfinished = std::count_if(inProgress_.begin(), inProgress_.end(),
                                      [&](const auto& entry) { return entry.first.first == sender; });
    if (unfinished >= limits_.maxMessagesInProgress) return code::kLimit;

    std::optional<Account> me = accounts_.findById(sender);
    if (!me) return code::kNoSuchTarget;
    message.source = sender;
    message.target = packet.headerId(protocol::header::kTargetId);
    message.contentType = std::move(contentType);
    message.senderName = me->nickname;
    // A key that is no plain number is left out; the message goes as it would
    // without one.
    if (packet.hasHeader(protocol::header::kOriginKey))
        message.originKey = wire::parseOriginKey(packet.header(protocol::header::kOriginKey));
    if (message.originKey && store_.hasInHistory(sender, *message.originKey)) {
        message.repeat = true;
        return code::kDone;
    }
    if (packet.headerInt(protocol::header::kMesgTarget) == 1) {
        message.kind = Conversation::Group;
        if (!store_.groupById(message.target)) return code::kNoSuchTarget;
        std::optional<int32_t> mine = store_.capabilities(message.target, sender);
        if (!mine || stopsTalking(*mine)) return code::kDenied;
        for (const GroupMember& member : store_.members(message.target))
            if (member.id != sender) message.recipients.emplace_back(member.id);
    } else {
        std::optional<Account> recipient = accounts_.findById(message.target);
        if (!recipient) return code::kNoSuchTarget;
        if (recipient->echoRobot) {
            message.toRobot = true;
        } else {
            if (!storeHasRoom(recipient->id, reachable(recipient->id))) return code::kLimit;
            message.recipients.emplace_back(recipient->id);
        }
    }
    message.messageId = nextMessageId();
    message.timeMicros = nowMicros();
    return code::kDone;
}

uint32_t Messaging::relayChunk(Relayed& message, const wire::Packet& chunk, bool first, bool last) {
    std::optional<uint64_t> group;
    if (message.kind == Conversation::Group) group = message.target;
    ChunkHeaders headers{message.messageId,  message.source,   group, message.contentType, message.senderName,
                         message.timeMicros, message.originKey};
    std::optional<std::string> written = chunkPacket(headers, first ? 0 : nextMessageId(), first, chunk.body(), last,
                                                     chunk.headerInt(protocol::header::kTotalLength))
                                             .serialise();
    if (!written) return code::kTextBreaksLine;
    auto bytes = std::make_shared<const std::string>(std::move(*written));
    Transaction unit(store_.database());
    if (!unit) return code::kStorageFailed;
    if (!storeForRecipients(message, *bytes, first, last) || (last && !keepInHistory(message)) || !unit.commit()) {
        store_.forgetStoredLoads();  // the rollback takes back chunks that were counted
        return code::kStorageFailed;
    }
    for (Recipient& recipient : message.recipients)
        if (auto live = recipient.session.lock(); live && !recipient.skipped)
            live->sendMessageChunk(message.messageId, bytes, first, last);
    return code::kDone;
}

bool Messaging::storeForRecipients(Relayed& message, const std::string& bytes, bool first, bool last) {
    for (Recipient& recipient : message.recipients) {
        if (recipient.skipped) continue;
        std::shared_ptr<SubscriberSession> live = sessions_.find(recipient.id);
        if (first) {
            bool connected = live && live->attached();
            if (message.kind == Conversation::Group && !storeHasRoom(recipient.id, connected)) {
                recipient.skipped = true;  // it still finds the message in the history
                continue;
            }
            // A new message goes live to a connected client that has had its
            // stored messages; the others get it with those.
            if (connected && !awaitingStored_.count(recipient.id)) recipient.session = live;
        } else if (recipient.session.lock() != live) {
            // The session that had the first chunks ended; the rest waits in
            // the store with them.
            recipient.session.reset();
        }
        if (!store_.storeChunk(recipient.id, message.messageId, first, last, bytes)) return false;
    }
    return true;
}

bool Messaging::reachable(uint64_t recipient) {
    std::shared_ptr<SubscriberSession> live = sessions_.find(recipient);
    return live && live->attached();
}

bool Messaging::storeHasRoom(uint64_t recipient, bool connected) {
    size_t factor = connected ? limits_.connectedStoreFactor : 1;
    auto [messages, bytes] = store_.storedLoad(recipient);
    return messages < factor * limits_.maxStoredMessages && bytes < factor * limits_.maxStoredBytes;
}

bool Messaging::keepInHistory(const Relayed& message) {
    HistoryEntry entry;
    entry.messageId = message.messageId;
    entry.kind = message.kind;
    entry.source = message.source;
    entry.target = message.target;
    entry.contentType = message.contentType;
    entry.timeMicros = message.timeMicros;
    entry.body = message.body;
    entry.originKey = message.originKey;
    return store_.addHistory(entry, limits_.maxHistoryPerConversation);
}

void Messaging::finishMessage(Relayed& message) {
    // The robot says back every text it is sent.
    if (message.toRobot && message.contentType == kTextContent)
        sendComplete(message.target, message.source, message.contentType, message.body);
}

void Messaging::abandonMessage(std::map<RelayKey, Relayed>::iterator it) {
    // Parts of a message that will never be finished would reach their
    // recipient as a fragment: stored ones go, and sessions let theirs go.
    // (Parts a failed store leaves behind go when the server starts.)
    for (const Recipient& recipient : it->second.recipients) {
        store_.removeStoredMessage(recipient.id, it->second.messageId);
        if (auto session = recipient.session.lock()) session->forgetDelivery(it->second.messageId);
    }
    inProgress_.erase(it);
}

void Messaging::sendComplete(uint64_t source, uint64_t recipientId, const std::string& contentType,
                             const std::string& body) {
    std::optional<Account> sender = accounts_.findById(source);
    if (!sender) return;
    // Nobody was told this answer was taken: a client that does not
    // acknowledge what it has gets no more of them.
    if (!storeHasRoom(recipientId, reachable(recipientId))) return;
    Relayed message;
    message.messageId = nextMessageId();
    message.source = source;
    message.target = recipientId;
    message.contentType = contentType;
    message.senderName = sender->nickname;
    message.timeMicros = nowMicros();
    message.body = body;
    message.recipients.emplace_back(recipientId);
    // Cut as the client cuts: 512-byte chunks, "Total-Length" on the first
    // of several, "Last" on the final one.
    size_t offset = 0;
    do {
        size_t length = std::min(kChunkBytes, body.size() - offset);
        bool first = offset == 0;
        bool last = offset + length == body.size();
        wire::Packet chunk;
        chunk.setBody(body.substr(offset, length));
        if (first && !last) chunk.setHeader(protocol::header::kTotalLength, static_cast<int32_t>(body.size()));
        if (relayChunk(message, chunk, first, last) != code::kDone) return;
        offset += length;
    } while (offset < body.size());
}

void Messaging::deliverStored(const std::shared_ptr<SubscriberSession>& session) {
    uint64_t self = session->accountId();
    awaitingStored_.erase(self);
    std::vector<StoredChunk> chunks = store_.storedFor(self);
    // What this session sent before its line dropped came again with the
    // packets the client missed; a message that cannot go out as it was
    // stored is let go whole.
    std::set<uint64_t> sentBefore, unsendable;
    for (const StoredChunk& chunk : chunks) {
        if (session->hasDelivery(chunk.messageId)) sentBefore.insert(chunk.messageId);
        if (!isOnePacket(chunk.packet)) unsendable.insert(chunk.messageId);
    }
    for (StoredChunk& chunk : chunks)
        if (!sentBefore.count(chunk.messageId) && !unsendable.count(chunk.messageId))
            session->sendMessageChunk(chunk.messageId, std::make_shared<const std::string>(std::move(chunk.packet)),
                                      chunk.first, chunk.last);
    if (!unsendable.empty()) store_.removeStoredMessages(self, {unsendable.begin(), unsendable.end()});
    // Messages still arriving for this recipient now go to it directly.
    for (auto& [key, message] : inProgress_)
        for (Recipient& recipient : message.recipients)
            if (recipient.id == self && !recipient.skipped) recipient.session = session;
}

void Messaging::onStoredMessages(SubscriberSession& session, const wire::Packet& packet) {
    // Every stored message goes out, whatever the times asked for: a stored
    // message is kept only until the client acknowledged it.
    std::shared_ptr<SubscriberSession> self = sessions_.find(session.accountId());
    if (self.get() == &session) deliverStored(self);
    respond(session, packet, code::kDone);
}

void Messaging::onHistory(SubscriberSession& session, const wire::Packet& packet) {
    bool group = packet.hasHeader(protocol::header::kFromGroup);
    std::optional<int64_t> time = parseWireTime(packet.header(group ? protocol::header::kFromGroup : "From-Private"));
    int32_t count = packet.headerInt(protocol::header::kCount);
    if (!time || count == 0 || count == INT32_MIN) return respond(session, packet, code::kMalformed);
    uint64_t self = session.accountId();
    uint64_t other = packet.headerId(protocol::header::kSourceId);
    if (group) {
        if (!store_.groupById(other)) return respond(session, packet, code::kNoSuchTarget);
        if (!store_.capabilities(other, self)) return respond(session, packet, code::kDenied);
    } else if (!accounts_.findById(other)) {
        return respond(session, packet, code::kNoSuchTarget);
    }
    // A negative count asks for older messages (newest first), a positive
    // one for newer messages (oldest first).
    bool newer = count > 0;
    size_t wanted = std::min(static_cast<size_t>(count > 0 ? count : -count), limits_.maxHistoryPerRequest);
    std::vector<HistoryEntry> entries = store_.history(group ? Conversation::Group : Conversation::Private, self, other,
                                                       *time, newer, wanted + 1);
    bool more = entries.size() > wanted;
    if (more) entries.resize(wanted);
    if (!entries.empty()) {
        // Code 0 first: the client's history view takes messages only
        // after it was told that they follow.
        session.send(responsePacket(packet.headerId(protocol::header::kMesgId), code::kOk));
    }
    for (HistoryEntry& entry : entries) {
        std::optional<Account> sender = accounts_.findById(entry.source);
        std::string name = sender ? sender->nickname : std::string();
        std::optional<uint64_t> groupId;
        if (group) groupId = entry.target;
        ChunkHeaders headers{
            entry.messageId, entry.source, groupId, entry.contentType, name, entry.timeMicros, {}};
        size_t offset = 0;
        do {
            size_t length = std::min(kChunkBytes, entry.body.size() - offset);
            bool first = offset == 0;
            bool last = offset + length == entry.body.size();
            int32_t total = first && !last ? static_cast<int32_t>(entry.body.size()) : 0;
            wire::Packet chunk = chunkPacket(headers, first ? 0 : nextMessageId(), first, entry.body.substr(offset, length),
                                             last, total);
            chunk.setHeader(protocol::header::kHistory, int32_t(1));
            // Every chunk has the texts of the first: a message that cannot
            // be written (a text stored before such texts were refused) is
            // left out whole.
            if (!session.send(chunk)) break;
            offset += length;
        } while (offset < entry.body.size());
    }
    respond(session, packet, more ? code::kDone : code::kNoOlder);
}

}  // namespace kestrova::server
