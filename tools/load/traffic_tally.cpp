#include "traffic_tally.h"

#include <algorithm>
#include <cstdio>

namespace kestrova::load {

namespace {

// Short texts fill the rest, so that every message has the size of a chat line.
constexpr size_t kBodyBytes = 48;

} // namespace

std::string TrafficTally::recordSend(uint32_t sender, std::vector<uint32_t> recipients,
                                     Clock::time_point at) {
    if (nextNumber_.size() <= sender) nextNumber_.resize(sender + 1, 0);
    uint32_t number = nextNumber_[sender]++;
    std::sort(recipients.begin(), recipients.end());
    for (uint32_t recipient : recipients)
        ++expectedBy_.at(recipient);
    result_.expected += recipients.size();
    ++result_.sent;
    std::vector<uint8_t> arrivals(recipients.size(), 0);
    sent_[keyOf(sender, number)] = Sent{at, std::move(recipients), std::move(arrivals)};
    std::string body = "load " + std::to_string(sender) + " " + std::to_string(number) + " ";
    body.resize(std::max(body.size(), kBodyBytes), '.');
    return body;
}

void TrafficTally::recordArrival(uint32_t recipient, std::string_view body, Clock::time_point at) {
    unsigned sender = 0, number = 0;
    std::string text(body.substr(0, 64));
    auto message = std::sscanf(text.c_str(), "load %u %u", &sender, &number) == 2
                       ? sent_.find(keyOf(sender, number))
                       : sent_.end();
    if (message == sent_.end()) {
        ++result_.misdelivered;
        return;
    }
    Sent& sent = message->second;
    auto place = std::lower_bound(sent.recipients.begin(), sent.recipients.end(), recipient);
    if (place == sent.recipients.end() || *place != recipient) {
        ++result_.misdelivered;
        return;
    }
    uint8_t& arrived = sent.arrivals[place - sent.recipients.begin()];
    if (arrived) {
        ++result_.duplicates;
        return;
    }
    arrived = 1;
    ++result_.delivered;
    ++receivedBy_.at(recipient);
    result_.latenciesMicros.push_back(std::chrono::duration<double, std::micro>(at - sent.at).count());
}

TrafficResult TrafficTally::result() const {
    TrafficResult result = result_;
    for (size_t i = 0; i < expectedBy_.size(); ++i)
        if (expectedBy_[i] > 0 && receivedBy_[i] == 0) ++result.starvedClients;
    return result;
}

} // namespace kestrova::load
