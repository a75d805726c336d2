// The account of one traffic phase of the load pool: which client sent which
// message when and to whom, and what arrived where. From it come the latencies
// and the faults: messages lost or delivered twice, arrivals at a client that
// was not a recipient, and starved clients (expected messages, got none).
//
// Clients are numbered by their place in the pool. A message is named in its
// body ("load <sender> <number>"), which is all the receiver needs.
#pragma once

#include "load_client.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrova::load {

struct TrafficResult {
    std::vector<double> latenciesMicros; // send to first arrival, every delivery
    size_t sent = 0;
    size_t refused = 0; // the server answered a send with another code than 4
    size_t expected = 0;
    size_t delivered = 0; // distinct (message, recipient) pairs that arrived
    size_t duplicates = 0;
    size_t misdelivered = 0; // arrived at a client that was not a recipient, or unreadable
    size_t starvedClients = 0;
    size_t lost() const { return expected - delivered; }
};

class TrafficTally {
  public:
    explicit TrafficTally(size_t clients) : receivedBy_(clients, 0), expectedBy_(clients, 0) {}

    // The body of the message, to send as it is.
    std::string recordSend(uint32_t sender, std::vector<uint32_t> recipients, Clock::time_point at);
    void recordArrival(uint32_t recipient, std::string_view body, Clock::time_point at);
    void recordRefusal() { ++result_.refused; }

    size_t sent() const { return result_.sent; }
    bool allDelivered() const { return result_.delivered == result_.expected; }
    TrafficResult result() const;

  private:
    struct Sent {
        Clock::time_point at;
        std::vector<uint32_t> recipients; // sorted
        std::vector<uint8_t> arrivals;    // per recipient, in the same order
    };
    static uint64_t keyOf(uint32_t sender, uint32_t number) { return uint64_t(sender) << 32 | number; }

    std::unordered_map<uint64_t, Sent> sent_;
    std::vector<uint32_t> nextNumber_;
    std::vector<size_t> receivedBy_;
    std::vector<size_t> expectedBy_;
    TrafficResult result_;
};

} // namespace kestrova::load
