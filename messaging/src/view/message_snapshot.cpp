#include "message_snapshot.h"

#include "message_time.h"
#include "texts.h"

namespace kestrova::messaging {

MessageSnapshot readMessage(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    MessageSnapshot s;
    s.messageId = data.messageId;
    s.contact = data.contact;
    s.target = data.target;
    s.isGroup = data.isGroup != 0;
    s.complete = data.complete != 0;
    s.failed = data.mark1 != 0;
    s.contentType = data.contentType ? data.contentType : "";
    s.dataLength = data.dataLength;
    if (s.contentType.starts_with("text/") && data.data && data.dataLength > 0)
        s.body.assign(static_cast<const char*>(data.data), static_cast<size_t>(data.dataLength));
    s.origin = data.origin;
    s.serverTime = {data.serverTime.seconds, static_cast<int32_t>(data.serverTime.microseconds)};
    s.localTime = {data.localTime.seconds, static_cast<int32_t>(data.localTime.microseconds)};
    s.totalLength = data.totalLength;
    return s;
}

MessageState messageState(const MessageSnapshot& m, bool serviceOnline) {
    if (m.failed) return MessageState::kFailed;
    if (m.origin != RY_ORIGIN_LOCAL) return m.complete ? MessageState::kTime : MessageState::kReceiving;
    if (!m.complete) return MessageState::kCreating;
    if (m.totalLength == m.dataLength) return MessageState::kTime;
    return serviceOnline ? MessageState::kSending : MessageState::kPending;
}

std::optional<Progress> messageProgress(const MessageSnapshot& m) {
    if (m.origin == RY_ORIGIN_LOCAL) {
        if (m.totalLength != 0 && m.totalLength != m.dataLength) return Progress{m.totalLength, m.dataLength};
        return std::nullopt;
    }
    if (!m.complete && !m.failed && m.totalLength != 0) return Progress{m.dataLength, m.totalLength};
    return std::nullopt;
}

std::string messageStateText(const MessageSnapshot& m, bool serviceOnline, platform::UnixTime now) {
    switch (messageState(m, serviceOnline)) {
    case MessageState::kFailed:
        return text(texts::kFailed);
    case MessageState::kReceiving:
        return text(texts::kReceiving);
    case MessageState::kCreating:
        return text(texts::kCreating);
    case MessageState::kSending:
        return text(texts::kSending);
    case MessageState::kPending:
        return text(texts::kPending);
    case MessageState::kTime:
        break;
    }
    return messageTimeText(m.localTime, now);
}

} // namespace kestrova::messaging
