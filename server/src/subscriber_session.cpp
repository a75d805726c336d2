#include "subscriber_session.h"

#include "client_connection.h"

#include <algorithm>

namespace kestrova::server {

SubscriberSession::SubscriberSession(uint64_t accountId, std::string accountName, std::string resumeKey,
                                     int32_t firstSequence, ResumeLogLimits limits)
    : accountId_(accountId),
      accountName_(std::move(accountName)),
      resumeKey_(std::move(resumeKey)),
      limits_(limits),
      logStart_(firstSequence),
      nextSequence_(firstSequence) {}

bool SubscriberSession::send(const wire::Packet& packet) {
    std::optional<std::string> bytes = packet.serialise();
    if (!bytes) return false;
    log(std::make_shared<const std::string>(std::move(*bytes)));
    return true;
}

void SubscriberSession::resend(SharedBytes bytes) { log(std::move(bytes)); }

void SubscriberSession::log(SharedBytes bytes) {
    if (auto connection = connection_.lock()) connection->sendBytes(*bytes);
    logBytes_ += bytes->size();
    log_.push_back({nextSequence_++, std::move(bytes)});
    trimToLimits();
}

void SubscriberSession::trimToLimits() {
    while (!log_.empty() && (log_.size() > limits_.maxPackets || logBytes_ > limits_.maxBytes)) {
        logBytes_ -= log_.front().bytes->size();
        logStart_ = log_.front().sequence + 1;
        log_.pop_front();
    }
}

void SubscriberSession::sendMessageChunk(uint64_t messageId, SharedBytes bytes, bool first, bool last) {
    auto it = std::find_if(deliveries_.begin(), deliveries_.end(),
                           [&](const Delivery& d) { return d.messageId == messageId; });
    if (first || it == deliveries_.end()) {
        if (it != deliveries_.end()) deliveries_.erase(it);  // a message id sent twice starts afresh
        deliveries_.push_back({messageId, false, -1});
        it = deliveries_.end() - 1;
    }
    if (last) {
        it->complete = true;
        it->lastSequence = nextSequence_;
    }
    log(std::move(bytes));
    // NOTE: a client that reads but never acknowledges must not make us
    // follow every message: beyond the resume log's packet bound the oldest
    // complete deliveries are let go. They stay in the store, so the client
    // gets them again at its next sign-in (and knows them by origin key).
    for (auto d = deliveries_.begin(); d != deliveries_.end() && deliveries_.size() > limits_.maxPackets;) {
        if (d->complete) d = deliveries_.erase(d);
        else ++d;
    }
}

bool SubscriberSession::hasDelivery(uint64_t messageId) const {
    return std::any_of(deliveries_.begin(), deliveries_.end(), [&](const Delivery& d) { return d.messageId == messageId; });
}

void SubscriberSession::forgetDelivery(uint64_t messageId) {
    std::erase_if(deliveries_, [&](const Delivery& d) { return d.messageId == messageId; });
}

void SubscriberSession::completeAcknowledgedDeliveries(int32_t received) {
    std::vector<uint64_t> delivered;
    std::erase_if(deliveries_, [&](const Delivery& d) {
        bool acknowledged = d.complete && d.lastSequence < received;
        if (acknowledged) delivered.push_back(d.messageId);
        return acknowledged;
    });
    if (!delivered.empty() && delivered_) delivered_(delivered);
}

void SubscriberSession::acknowledge(int32_t received) {
    if (received > nextSequence_) return;  // claims more than was sent: ignore
    completeAcknowledgedDeliveries(received);
    while (!log_.empty() && log_.front().sequence < received) {
        logBytes_ -= log_.front().bytes->size();
        log_.pop_front();
    }
    if (received > logStart_) logStart_ = received;
}

bool SubscriberSession::canResumeFrom(int32_t received) const {
    return received >= logStart_ && received <= nextSequence_;
}

std::vector<SharedBytes> SubscriberSession::takeMissedSince(int32_t received) {
    acknowledge(received);
    std::vector<SharedBytes> missed;
    for (Logged& entry : log_) missed.push_back(std::move(entry.bytes));
    log_.clear();
    logBytes_ = 0;
    nextSequence_ = received;
    logStart_ = received;
    return missed;
}

void SubscriberSession::resumeFrom(int32_t received, const wire::Packet& first) {
    std::vector<SharedBytes> missed = takeMissedSince(received);
    send(first);
    // The missed packets go out again in their order, moved on by `first`:
    // an acknowledgement counts them at their new numbers.
    int32_t shift = nextSequence_ - received;
    for (Delivery& delivery : deliveries_)
        if (delivery.lastSequence >= received) delivery.lastSequence += shift;
    for (SharedBytes& bytes : missed) log(std::move(bytes));
}

void SubscriberSession::rememberAnswer(uint64_t mesgId, uint32_t code) {
    constexpr size_t kRemembered = 512;
    answers_.emplace_back(mesgId, code);
    if (answers_.size() > kRemembered) answers_.pop_front();
}

std::optional<uint32_t> SubscriberSession::answerTo(uint64_t mesgId) const {
    for (auto it = answers_.rbegin(); it != answers_.rend(); ++it)
        if (it->first == mesgId) return it->second;
    return std::nullopt;
}

void SubscriberSession::attach(const std::shared_ptr<ClientConnection>& connection) { connection_ = connection; }

void SubscriberSession::detach(std::chrono::steady_clock::time_point now) {
    connection_.reset();
    detachedAt_ = now;
}

}  // namespace kestrova::server
