// Received messages: "MESG" and "BRIDGE MESG" chunks become api messages.
// The first chunk creates the message and announces it ("messages.new");
// continuation chunks ("Correlation-Id") are appended until the one with
// "Last" completes it ("messages.new.complete"). Messages still waiting for
// chunks are kept here, found by (message id, sender).
//
// A peer decides how big a message claims to be and how many it leaves
// unfinished, so both are bounded: a message longer than maxMessageBytes
// (declared or received) is failed and dropped, and when more than
// maxPartial messages are unfinished the oldest one is failed and dropped.
//
// A message that was shown complete once is dropped when it comes again,
// known by its sender's origin key when it has one, else by its id (see
// ShownMessages); history the user asked for is shown whatever it holds.
#pragma once

#include "bridge_lookup.h"
#include "contact_directory.h"
#include "session_link.h"
#include "shown_messages.h"

#include "kestrova/api.h"
#include "kestrova/wire/packet.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace kestrova::connection {

// A server time on the local clock: server time minus the offset, with the
// microseconds kept in 0..999999.
RY_MessageTime toLocalTime(RY_MessageTime server, platform::UnixTime offset);

struct IncomingLimits {
    size_t maxMessageBytes = 16 * 1024 * 1024;
    size_t maxPartial = 64;
};

class IncomingMessages {
  public:
    IncomingMessages(ContactDirectory& contacts, SessionLink& link, IncomingLimits limits = {},
                     std::filesystem::path shownFile = {});
    ~IncomingMessages();
    IncomingMessages(const IncomingMessages&) = delete;
    IncomingMessages& operator=(const IncomingMessages&) = delete;

    void setBridgeLookup(BridgeLookup* bridges) { bridges_ = bridges; }

    void receiveChunk(const wire::Packet& packet);
    // The sender went offline: what it left unfinished will not come.
    void failFrom(HCONTACT source);
    // The session ended.
    void failAll();
    size_t partialCount() const { return partial_.size(); }

  private:
    struct Partial {
        HMESSAGE message; // our reference
        uint64_t id;
        HCONTACT source; // held by the message
        size_t bytes;
        std::optional<ShownKey> key; // none for history
    };

    HCONTACT sourceOf(const wire::Packet& packet, uint64_t bridgeId);
    void continueMessage(const wire::Packet& packet, HCONTACT source, uint64_t correlationId);
    void startMessage(const wire::Packet& packet, HCONTACT source, uint64_t bridgeId);
    void fail(Partial& partial);

    ContactDirectory& contacts_;
    SessionLink& link_;
    IncomingLimits limits_;
    BridgeLookup* bridges_ = nullptr;
    std::deque<Partial> partial_;
    ShownMessages shown_;
};

} // namespace kestrova::connection
