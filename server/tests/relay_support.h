// Sending and receiving whole messages as the client does, for the relay
// tests.
#pragma once

#include "peer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::server::testing {

struct Sent {
    uint64_t messageId;
    std::vector<uint32_t> codes;
};

// Cuts the body as the client does: 512-byte chunks, the message's id on the
// first, fresh ids and "Correlation-Id" on the rest, "Total-Length" on the
// first of several, "Last" on the final one. Stops after `chunks` chunks.
Sent sendMessage(Peer& from, uint64_t target, const std::string& body, bool group = false,
                 const std::string& type = "text/plain", size_t chunks = SIZE_MAX,
                 const char* originKey = nullptr);

struct Got {
    wire::Packet first;
    std::string body;
    size_t chunks = 0;
};

// The next whole message (its chunks put together); nothing when none comes.
std::optional<Got> receiveMessage(Peer& to);

// The group "Crew" of the owner, joined by the members; 0 when a step is
// refused or no "GROUP UPDATE" tells its id.
uint64_t createGroup(Peer& owner, const std::vector<Peer*>& members);

// `length` letters, a to z over and over.
std::string text(size_t length);

} // namespace kestrova::server::testing
