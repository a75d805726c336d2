#include "subscriber_session.h"

#include "client_connection.h"

namespace kestrova::server {

SubscriberSession::SubscriberSession(uint64_t accountId, std::string accountName, std::string resumeKey,
                                     int32_t firstSequence, ResumeLogLimits limits)
    : accountId_(accountId),
      accountName_(std::move(accountName)),
      resumeKey_(std::move(resumeKey)),
      limits_(limits),
      logStart_(firstSequence),
      nextSequence_(firstSequence) {}

void SubscriberSession::send(const wire::Packet& packet) { log(packet.serialise()); }

void SubscriberSession::resend(std::string bytes) { log(std::move(bytes)); }

void SubscriberSession::log(std::string bytes) {
    if (auto connection = connection_.lock()) connection->sendBytes(bytes);
    logBytes_ += bytes.size();
    log_.push_back({nextSequence_++, std::move(bytes)});
    trimToLimits();
}

void SubscriberSession::trimToLimits() {
    while (!log_.empty() && (log_.size() > limits_.maxPackets || logBytes_ > limits_.maxBytes)) {
        logBytes_ -= log_.front().bytes.size();
        logStart_ = log_.front().sequence + 1;
        log_.pop_front();
    }
}

void SubscriberSession::acknowledge(int32_t received) {
    if (received > nextSequence_) return;  // claims more than was sent: ignore
    while (!log_.empty() && log_.front().sequence < received) {
        logBytes_ -= log_.front().bytes.size();
        log_.pop_front();
    }
    if (received > logStart_) logStart_ = received;
}

bool SubscriberSession::canResumeFrom(int32_t received) const {
    return received >= logStart_ && received <= nextSequence_;
}

std::vector<std::string> SubscriberSession::takeMissedSince(int32_t received) {
    acknowledge(received);
    std::vector<std::string> missed;
    for (Logged& entry : log_) missed.push_back(std::move(entry.bytes));
    log_.clear();
    logBytes_ = 0;
    nextSequence_ = received;
    logStart_ = received;
    return missed;
}

void SubscriberSession::attach(const std::shared_ptr<ClientConnection>& connection) { connection_ = connection; }

void SubscriberSession::detach(std::chrono::steady_clock::time_point now) {
    connection_.reset();
    detachedAt_ = now;
}

}  // namespace kestrova::server
