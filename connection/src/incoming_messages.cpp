#include "incoming_messages.h"
#include "connection.h"
#include "server_clock.h"

#include "kestrova/kit/handles.h"
#include "kestrova/wire/origin_key.h"
#include "kestrova/wire/protocol.h"

#include <algorithm>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

void markFailed(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_MARK1;
    data.mark1 = 1;
    RY_SetMessageData(message, &data);
}

// A resend of a message the server had relayed before it went down comes
// under a new id but with its sender's origin key.
ShownKey shownKeyOf(const wire::Packet& packet, uint64_t bridgeId) {
    uint64_t sourceId = packet.headerId(protocol::header::kSourceId);
    if (auto origin = wire::parseOriginKey(packet.header(protocol::header::kOriginKey)))
        return ShownKey{bridgeId, sourceId, *origin, true};
    return ShownKey{bridgeId, sourceId, packet.headerId(protocol::header::kMesgId)};
}

} // namespace

RY_MessageTime toLocalTime(RY_MessageTime server, platform::UnixTime offset) {
    int64_t seconds = int64_t{server.seconds} - offset.seconds;
    int64_t micros = int64_t{server.microseconds} - offset.microseconds;
    seconds += micros / 1'000'000;
    micros %= 1'000'000;
    if (micros < 0) {
        micros += 1'000'000;
        seconds -= 1;
    }
    return RY_MessageTime{static_cast<uint32_t>(seconds), static_cast<uint32_t>(micros)};
}

IncomingMessages::IncomingMessages(ContactDirectory& contacts, SessionLink& link, IncomingLimits limits,
                                   std::filesystem::path shownFile)
    : contacts_(contacts), link_(link), limits_(limits), shown_(std::move(shownFile)) {}

IncomingMessages::~IncomingMessages() {
    failAll();
}

HCONTACT IncomingMessages::sourceOf(const wire::Packet& packet, uint64_t bridgeId) {
    uint64_t sourceId = packet.headerId(protocol::header::kSourceId);
    if (bridgeId == 0) return contacts_.get(sourceId);
    return bridges_ ? bridges_->bridgedContact(bridgeId, sourceId) : nullptr;
}

void IncomingMessages::receiveChunk(const wire::Packet& packet) {
    uint64_t bridgeId = packet.headerId(protocol::header::kBridgeId);
    kit::OwnedContact source(sourceOf(packet, bridgeId));
    if (!source) return;
    uint64_t correlationId = packet.headerId(protocol::header::kCorrelationId);
    if (correlationId != 0)
        continueMessage(packet, source.get(), correlationId);
    else
        startMessage(packet, source.get(), bridgeId);
}

void IncomingMessages::continueMessage(const wire::Packet& packet, HCONTACT source, uint64_t correlationId) {
    auto it = std::find_if(partial_.begin(), partial_.end(), [&](const Partial& partial) {
        return partial.id == correlationId && partial.source == source;
    });
    // A chunk of a message we never saw begin (or already gave up on).
    if (it == partial_.end()) return;
    const std::string& body = packet.body();
    if (it->bytes + body.size() > limits_.maxMessageBytes) {
        Partial failing = *it;
        partial_.erase(it);
        fail(failing);
        return;
    }
    bool last = packet.hasHeader(protocol::header::kLast);
    it->bytes += body.size();
    HMESSAGE message = it->message;
    std::optional<ShownKey> key = it->key;
    if (last) partial_.erase(it);
    RY_ContinueMessage(message, body.data(), static_cast<int32_t>(body.size()), last ? 1 : 0);
    if (!last) return;
    if (key) shown_.remember(*key);
    bus::raise(names::kMessagesNewComplete, message);
    RY_ReleaseMessage(message);
}

void IncomingMessages::startMessage(const wire::Packet& packet, HCONTACT source, uint64_t bridgeId) {
    const std::string& body = packet.body();
    int32_t totalLength = packet.headerInt(protocol::header::kTotalLength);
    // The api reserves the declared length up front: a length we would
    // refuse anyway must not get that far.
    if (totalLength < 0 || static_cast<size_t>(totalLength) > limits_.maxMessageBytes ||
        body.size() > limits_.maxMessageBytes)
        return;
    bool history = packet.hasHeader(protocol::header::kHistory);
    std::optional<ShownKey> key;
    if (!history) {
        key = shownKeyOf(packet, bridgeId);
        if (shown_.contains(*key)) return;
    }

    bool isGroup = packet.hasHeader(protocol::header::kTargetId);
    kit::OwnedContact ownContact;
    kit::OwnedGroup group;
    if (!isGroup) {
        ownContact.reset(contacts_.get(link_.myId()));
    } else if (bridgeId != 0) {
        group.reset(bridges_ ? bridges_->bridgedChat(bridgeId, packet.headerId(protocol::header::kTargetId))
                             : nullptr);
        if (!group) return;
    } else {
        group.reset(RY_GetGroup(packet.headerId(protocol::header::kTargetId)));
    }

    if (packet.hasHeader(protocol::header::kName)) {
        std::string nickname = packet.header(protocol::header::kName);
        RY_ContactData contact{};
        contact.size = sizeof contact;
        contact.flags = RY_CONTACT_NICKNAME;
        contact.nickname = nickname.c_str();
        RY_SetContactData(source, &contact);
    }

    bool last = packet.hasHeader(protocol::header::kLast);
    std::string contentType = packet.header(protocol::header::kContentType);
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP |
                 RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE | RY_MESSAGE_ORIGIN |
                 RY_MESSAGE_TIMES | RY_MESSAGE_TOTAL_LENGTH | RY_MESSAGE_MARK1 | RY_MESSAGE_NO_UNREAD;
    data.messageId = packet.headerId(protocol::header::kMesgId);
    data.contact = source;
    data.target = isGroup ? static_cast<void*>(group.get()) : static_cast<void*>(ownContact.get());
    data.isGroup = isGroup ? 1 : 0;
    data.contentType = contentType.c_str();
    data.data = body.data();
    data.dataLength = static_cast<int32_t>(body.size());
    data.complete = last ? 1 : 0;
    data.totalLength = totalLength;
    if (link_.state() == kStateStoredMessages)
        data.origin = RY_ORIGIN_WHILE_CONNECTING;
    else
        data.origin = history ? RY_ORIGIN_HISTORY : RY_ORIGIN_LIVE;
    if (auto server = parseServerTime(packet.header(protocol::header::kTimestamp))) {
        data.serverTime = RY_MessageTime{static_cast<uint32_t>(server->seconds),
                                         static_cast<uint32_t>(server->microseconds)};
        data.localTime = toLocalTime(data.serverTime, link_.serverClockOffset());
    }
    HMESSAGE message = RY_CreateMessage(&data);

    bus::raise(names::kMessagesNew, message);
    RY_MessageData after{};
    after.size = sizeof after;
    RY_GetMessageData(message, &after);
    if (!after.noUnread && after.origin != RY_ORIGIN_HISTORY) RY_UnreadMessageAdd(message);

    if (last) {
        if (key) shown_.remember(*key);
        bus::raise(names::kMessagesNewComplete, message);
        RY_ReleaseMessage(message);
        return;
    }
    partial_.push_back(Partial{message, data.messageId, source, body.size(), key});
    if (partial_.size() > limits_.maxPartial) {
        Partial oldest = partial_.front();
        partial_.pop_front();
        fail(oldest);
    }
}

void IncomingMessages::fail(Partial& partial) {
    markFailed(partial.message);
    RY_ReleaseMessage(std::exchange(partial.message, nullptr));
}

void IncomingMessages::failFrom(HCONTACT source) {
    // Failing a message notifies its subscribers, who could reach back in
    // here: take the entries out first.
    std::deque<Partial> failing;
    for (auto it = partial_.begin(); it != partial_.end();) {
        if (it->source == source) {
            failing.push_back(*it);
            it = partial_.erase(it);
        } else {
            ++it;
        }
    }
    for (Partial& partial : failing)
        fail(partial);
}

void IncomingMessages::failAll() {
    std::deque<Partial> failing = std::move(partial_);
    partial_.clear();
    for (Partial& partial : failing)
        fail(partial);
}

} // namespace kestrova::connection
