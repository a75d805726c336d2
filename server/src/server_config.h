// Everything the server's behaviour depends on that an operator or a test may
// choose: where it listens, how long it waits, which sign-in it offers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::server {

struct ServerConfig {
    std::string address = "127.0.0.1";
    uint16_t port = 38535;
    // Offer the plain AUTH form (password in clear) instead of the
    // challenge; only for old clients and for tests of that form.
    bool plainAuth = false;
    // Sent to every client as "SETTING" packets right after it signs in.
    std::vector<std::pair<std::string, std::string>> settings;

    // A connection that has not signed in by then is dropped.
    std::chrono::milliseconds logonTimeout{30'000};
    // A signed-in connection silent this long is dropped. A client pings at
    // most every 300 s (its longest power-save interval) plus its tick.
    std::chrono::milliseconds idleTimeout{360'000};
    // A connection whose peer accepts none of our bytes this long is dropped.
    std::chrono::milliseconds writeTimeout{60'000};
    // How long a session whose connection dropped may be resumed.
    std::chrono::milliseconds resumeWindow{300'000};

    size_t maxBody = 16 * 1024 * 1024;
    // Bytes queued for one peer beyond which it counts as stalled.
    size_t maxQueuedBytes = 32 * 1024 * 1024;
    // Packets kept per session for re-sending on resume.
    size_t maxResumeLogPackets = 4096;
    size_t maxResumeLogBytes = 8 * 1024 * 1024;
    // Packets a connection may send before it has signed in.
    int maxPacketsBeforeLogon = 8;
};

}  // namespace kestrova::server
