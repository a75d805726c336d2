// One message on its way out. Its body is cut into "MESG" chunks of at most
// 512 bytes; a message that is still growing (a voice clip being recorded)
// goes out in whole 512-byte chunks as they fill, and the rest once it is
// complete. Each chunk is a request that waits for its "RESPONSE":
//   4    the chunk's bytes are acknowledged; when all are and the message is
//        complete, it is delivered;
//   100  the session ended (or there was none): the message starts over with
//        a new id once the service is online again, under the same origin key
//        (its first chunk's "Origin-Key", drawn once), by which the receiver
//        knows it when the server had relayed it before the session ended;
//   else the message failed (mark1 = 1) and nothing more of it is sent.
// The acknowledged byte count is kept in the message's second total-length
// position, where the message view reads it.
#pragma once

#include "bridge_lookup.h"
#include "session_link.h"

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/wire/protocol.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kestrova::connection {

inline constexpr size_t kChunkBytes = 512;
inline constexpr int64_t kCodeChunkAcknowledged = wire::protocol::code::kDone;
// A removed bridged service; like offline, nothing is sent.
inline constexpr int32_t kStatusServiceRemoved = 101;

class OutgoingMessage : public std::enable_shared_from_this<OutgoingMessage> {
public:
    enum class Step { Wait, Sent, Done, NotMine };
    // Called once the message is delivered, failed or not ours to send.
    using Finished = std::function<void(HMESSAGE)>;

    OutgoingMessage(HMESSAGE message, HSERVICE ownService, SessionLink& link, BridgeLookup* bridges,
                    Finished finished);
    ~OutgoingMessage();
    OutgoingMessage(const OutgoingMessage&) = delete;
    OutgoingMessage& operator=(const OutgoingMessage&) = delete;

    // Subscribes to the message and its service; call once, right after
    // construction (the subscriptions refer back to this object).
    void start();
    // Sends what can be sent now.
    void pump();
    // Drops the subscriptions; nothing is sent any more.
    void stop();

    HMESSAGE message() const { return message_.get(); }
    size_t sentOffset() const { return sentOffset_; }

private:
    bool serviceOnline() const;
    Step step();
    void acknowledge(uint32_t generation, int64_t code, size_t length);
    void finish();

    kit::OwnedMessage message_;
    kit::OwnedService service_;  // the target's
    HSERVICE ownService_;
    SessionLink& link_;
    BridgeLookup* bridges_;
    Finished finished_;
    std::optional<uint64_t> originKey_; // none when the random source failed
    kit::Subscription messageSubscription_;
    kit::Subscription serviceSubscription_;

    size_t sentOffset_ = 0;
    bool done_ = false;
    bool totalLengthSent_ = false;
    bool finishedFlag_ = false;
    // Answers to chunks of an earlier round (before a restart) do not count.
    uint32_t generation_ = 0;
    bool pumping_ = false;
    bool pumpAgain_ = false;
};

}  // namespace kestrova::connection
