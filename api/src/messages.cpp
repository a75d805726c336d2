#include "messages.h"

#include "contacts.h"
#include "core_state.h"

#include "kestrova/platform/clock.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kestrova::api {
namespace {

// NOTE: the expected total length comes from the network; reserving it is
// only a speed-up, so a claim beyond this is not honoured up front.
constexpr int32_t kMaxBodyReservation = 8 * 1024 * 1024;

RY_MessageTime now() {
    const platform::UnixTime time = platform::unixNow();
    return {uint32_t(time.seconds), uint32_t(time.microseconds)};
}

std::string bodyBytes(const void* data, int32_t length) {
    if (!data) return {};
    const auto* bytes = static_cast<const char*>(data);
    return length < 0 ? std::string(bytes) : std::string(bytes, size_t(length));
}

void apply(Message& m, const RY_MessageData& d) {
    if (d.flags & RY_MESSAGE_ID) m.messageId = d.messageId;
    // NOTE: a replaced contact or target is released, not leaked.
    if (d.flags & RY_MESSAGE_CONTACT) replaceReference(m.contact, record(d.contact));
    if (d.flags & RY_MESSAGE_TARGET) replaceReference(m.target, static_cast<HandleRecord*>(d.target));
    if (d.flags & RY_MESSAGE_IS_GROUP) m.isGroup = d.isGroup != 0;
    if (d.flags & RY_MESSAGE_CONTENT_TYPE) m.contentType = textOrEmpty(d.contentType);
    if (d.flags & RY_MESSAGE_DATA) m.body = bodyBytes(d.data, d.dataLength);
    if (d.flags & RY_MESSAGE_COMPLETE) m.complete = d.complete != 0;
    if (d.flags & RY_MESSAGE_ORIGIN) m.origin = d.origin;
    if (d.flags & RY_MESSAGE_TIMES) {
        m.serverTime = d.serverTime;
        m.localTime = d.localTime;
    }
    if (d.flags & RY_MESSAGE_TOTAL_LENGTH) m.totalLength = d.totalLength;
    if (d.flags & RY_MESSAGE_TOTAL_LENGTH2) m.totalLength = d.totalLength2;
    if (d.flags & RY_MESSAGE_MARK1) m.mark1 = d.mark1;
    if (d.flags & RY_MESSAGE_NO_UNREAD) m.noUnread = d.noUnread;
}

Message& message(HMESSAGE handle) { return *body<Message>(handle); }

}  // namespace

Message::Message() : Object(ObjectKind::Message), serverTime(now()), localTime(serverTime) {}

Message::~Message() {
    releaseHandle(std::exchange(contact, nullptr));
    releaseHandle(std::exchange(target, nullptr));
    subscribers_.detachAll();
}

}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

HMESSAGE RY_CreateMessage(const RY_MessageData* data) {
    auto* m = new Message;
    apply(*m, *data);
    return as<HMESSAGE>(makeHandle(m));
}

void RY_SetMessageData(HMESSAGE handle, const RY_MessageData* data) {
    apply(message(handle), *data);
    notifySubscribers(record(handle), handle);
}

void RY_GetMessageData(HMESSAGE handle, RY_MessageData* out) {
    const Message& m = message(handle);
    out->messageId = m.messageId;
    out->contact = as<HCONTACT>(m.contact);
    out->target = m.target;
    out->isGroup = m.isGroup;
    out->complete = m.complete;
    out->mark1 = m.mark1;
    out->noUnread = m.noUnread;
    out->contentType = m.contentType.c_str();
    out->data = m.body.data();
    out->dataLength = int32_t(m.body.size());
    out->origin = m.origin;
    out->serverTime = m.serverTime;
    out->localTime = m.localTime;
    out->totalLength = m.totalLength;
    out->totalLength2 = m.totalLength;
}

uint64_t RY_GetMessageID(HMESSAGE handle) { return message(handle).messageId; }

void RY_ContinueMessage(HMESSAGE handle, const void* data, int32_t length, int32_t complete) {
    if (length == 0 && complete == 0) return;
    Message& m = message(handle);
    if (length > 0 && data) {
        if (m.origin != 0 && m.totalLength <= kMaxBodyReservation && m.body.capacity() < size_t(std::max(m.totalLength, 0)))
            m.body.reserve(size_t(m.totalLength));
        m.body.append(static_cast<const char*>(data), size_t(length));
    }
    if (complete) m.complete = true;
    notifySubscribers(record(handle), handle);
}

void RY_SendMessage(void* target, uint8_t isGroup, const char* contentType, const void* data, int32_t length,
                    uint8_t complete, HMESSAGE* out) {
    RY_MessageData record{};
    record.size = sizeof record;
    record.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP |
                   RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_COMPLETE;
    record.messageId = RY_GetLUID();
    record.target = target;
    record.isGroup = isGroup;
    record.contentType = contentType;
    record.complete = complete;
    if (length != 0) {
        record.flags |= RY_MESSAGE_DATA;
        record.data = data;
        record.dataLength = length;
    }
    HMESSAGE message = RY_CreateMessage(&record);
    kestrova::bus::raise(kestrova::names::kMessagesNewOutgoing, message);
    if (out)
        *out = message;
    else
        RY_ReleaseMessage(message);
}

void RY_SendMessageEx(HMESSAGE message) {
    kestrova::bus::raise(kestrova::names::kMessagesNewOutgoing, message);
}

}  // extern "C"
