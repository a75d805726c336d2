// A message item's own copy of its message's record, and what the view
// derives from it: the state shown in the header (a time, "Sending", ...)
// and the progress of a message still on its way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kestrova/api.h"
#include "kestrova/platform/clock.h"

namespace kestrova::messaging {

struct MessageSnapshot {
    uint64_t messageId = 0;
    HCONTACT contact = nullptr; // the sender; null for what the user sent
    void* target = nullptr;
    bool isGroup = false;
    bool complete = false;
    bool failed = false; // mark1: the connection gave up sending it
    std::string contentType;
    std::string body; // kept for text content only; other bodies are read when needed
    int32_t dataLength = 0;
    int32_t origin = RY_ORIGIN_LOCAL;
    platform::UnixTime serverTime;
    platform::UnixTime localTime;
    // Incoming: the length the sender announced. Outgoing: the bytes the
    // server has acknowledged so far.
    int32_t totalLength = 0;

    bool isText() const { return contentType == "text/plain"; }
};

MessageSnapshot readMessage(HMESSAGE message);

enum class MessageState { kFailed, kTime, kReceiving, kCreating, kSending, kPending };

// serviceOnline: the service the message goes out on has a non-zero state.
MessageState messageState(const MessageSnapshot& message, bool serviceOnline);

// done of total, for the progress bar; nothing when no bar is drawn.
struct Progress {
    int32_t done = 0;
    int32_t total = 0;
};
std::optional<Progress> messageProgress(const MessageSnapshot& message);

// The header's status text: the state's word, or the message's local time.
std::string messageStateText(const MessageSnapshot& message, bool serviceOnline, platform::UnixTime now);

} // namespace kestrova::messaging
