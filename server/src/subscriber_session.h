// A signed-in subscriber's session. It outlives its TCP connection: when the
// connection drops without "BYE", the session waits (for the resume window)
// for the same client to come back with the resume key, and then re-sends
// every packet the client says it did not receive.
//
// Every packet sent through the session gets the next sequence number; the
// client counts the packets it received ("PS") the same way, so a "PS" of n
// means packets 0..n-1 arrived and the rest must be sent again.
#pragma once

#include "kestrova/crypto/md5.h"
#include "kestrova/wire/packet.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::server {

class ClientConnection;

// A packet as written. A notice that goes to many sessions (a group's join
// notice to every member) is one buffer kept by all of their resume logs.
using SharedBytes = std::shared_ptr<const std::string>;

struct ResumeLogLimits {
    size_t maxPackets = 4096;
    size_t maxBytes = 8 * 1024 * 1024;
};

// A relayed message that went out through a session and that the client has
// not acknowledged whole yet. Its bytes are in the store (and the resume
// log), not here.
struct Delivery {
    uint64_t messageId = 0;
    bool complete = false;      // the chunk with "Last" went out
    int32_t lastSequence = -1;  // sequence number of that chunk
};

class SubscriberSession {
public:
    SubscriberSession(uint64_t accountId, std::string accountName, std::string resumeKey, int32_t firstSequence,
                      ResumeLogLimits limits);

    uint64_t accountId() const { return accountId_; }
    const std::string& accountName() const { return accountName_; }
    const std::string& resumeKey() const { return resumeKey_; }
    int32_t onlineStatus() const { return onlineStatus_; }
    void setOnlineStatus(int32_t status) { onlineStatus_ = status; }
    // The key of the session cipher (K2), after a challenge sign-in only:
    // bridge credentials travel encrypted with it. A resume keeps it.
    const std::optional<crypto::Md5Digest>& cipherKey() const { return cipherKey_; }
    void setCipherKey(const std::optional<crypto::Md5Digest>& key) { cipherKey_ = key; }

    // Logs the packet under the next sequence number and writes it when a
    // connection is attached. A packet that cannot be written (a text in it
    // would break its line) is neither logged nor sent: false.
    bool send(const wire::Packet& packet);

    // The client acknowledged `received` packets; they need not be kept.
    void acknowledge(int32_t received);
    // Whether a client that received `received` packets can be brought up to
    // date from the log.
    bool canResumeFrom(int32_t received) const;
    // Takes the packets the client missed out of the log (in order) and makes
    // `received` the next sequence number. Call canResumeFrom first.
    std::vector<SharedBytes> takeMissedSince(int32_t received);
    // Brings a resumed client up to date: `first`, then every packet it
    // missed again, with the deliveries among them followed at their new
    // sequence numbers. Call canResumeFrom first.
    void resumeFrom(int32_t received, const wire::Packet& first);
    // Sends previously serialised bytes as a new logged packet.
    void resend(SharedBytes bytes);

    // Sends one chunk of a relayed message and follows the message until the
    // client acknowledges the packet that carried its last chunk: then the
    // delivered handler hears of it.
    void sendMessageChunk(uint64_t messageId, SharedBytes bytes, bool first, bool last);
    bool hasDelivery(uint64_t messageId) const;
    // The message will never be finished: it need not be followed.
    void forgetDelivery(uint64_t messageId);
    size_t deliveries() const { return deliveries_.size(); }
    // Called with the ids of the messages each acknowledgement completed.
    using DeliveredHandler = std::function<void(const std::vector<uint64_t>& messageIds)>;
    void setDeliveredHandler(DeliveredHandler handler) { delivered_ = std::move(handler); }

    // The recent answers of the session, by request id. A resumed client
    // sends its unanswered requests again, some of which were carried out
    // and answered while the line was down: those get the same answer again
    // and are not carried out twice.
    void rememberAnswer(uint64_t mesgId, uint32_t code);
    std::optional<uint32_t> answerTo(uint64_t mesgId) const;

    void attach(const std::shared_ptr<ClientConnection>& connection);
    void detach(std::chrono::steady_clock::time_point now);
    std::shared_ptr<ClientConnection> connection() const { return connection_.lock(); }
    bool attached() const { return !connection_.expired(); }
    std::chrono::steady_clock::time_point detachedAt() const { return detachedAt_; }

    int32_t nextSequence() const { return nextSequence_; }
    size_t loggedPackets() const { return log_.size(); }

private:
    struct Logged {
        int32_t sequence;
        SharedBytes bytes;
    };

    void log(SharedBytes bytes);
    void trimToLimits();
    void completeAcknowledgedDeliveries(int32_t received);

    uint64_t accountId_;
    std::string accountName_;
    std::string resumeKey_;
    int32_t onlineStatus_ = 1;
    std::optional<crypto::Md5Digest> cipherKey_;
    ResumeLogLimits limits_;
    std::deque<Logged> log_;
    size_t logBytes_ = 0;  // what the packets hold, shared or not
    int32_t logStart_;  // lowest sequence number that can still be re-sent
    int32_t nextSequence_;
    std::deque<std::pair<uint64_t, uint32_t>> answers_;
    std::deque<Delivery> deliveries_;
    DeliveredHandler delivered_;
    std::weak_ptr<ClientConnection> connection_;
    std::chrono::steady_clock::time_point detachedAt_{};
};

}  // namespace kestrova::server
