// What an operator or a test may choose about bridges, and the bounds on
// what one user's bridges can make the server keep.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kestrova::server::bridges {

struct BridgeConfig {
    // The key that seals bridge credentials at rest (credential_seal.h);
    // empty keeps a fresh key in memory only.
    std::string keyFile;
    size_t maxBridgesPerAccount = 8;
    size_t maxPendingRegistrations = 4; // agreed "BRIDGE REGISTER"s awaiting their fields, per session
    size_t maxMessageBytes = 64 * 1024; // one message to another network
    size_t maxMessagesInProgress = 16;  // per bridge, messages without their last chunk
    size_t maxKnownAddresses = 5000;    // contacts, room occupants and rooms per bridge and session
    size_t maxPendingRequests = 200;    // friend requests from the other network, per bridge
    size_t maxRequestText = 1024;
    // Logins per bridge within the window; more are refused, so that
    // switching a bridge on and off cannot get the account banned there.
    size_t maxLoginsPerWindow = 5;
    std::chrono::milliseconds loginWindow{60'000};
};

} // namespace kestrova::server::bridges
