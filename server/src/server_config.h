// Everything the server's behaviour depends on that an operator or a test may
// choose: where it listens, how long it waits, which sign-in it offers.
#pragma once

#include "bridges/bridge_config.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::server {

// Bounds on what one client can make the server keep.
struct MessagingLimits {
    size_t maxChunkBytes = 64 * 1024;           // one "MESG" body (the client sends 512)
    size_t maxMessageBytes = 2 * 1024 * 1024;   // one message, all chunks together
    size_t maxMessagesInProgress = 16;          // per sender, messages without their last chunk
    // Messages are stored for their recipient until its client acknowledged
    // them; these bound what a recipient that is not connected may be sent.
    size_t maxStoredMessages = 1000;            // per recipient
    size_t maxStoredBytes = 32 * 1024 * 1024;   // per recipient
    // A connected client acknowledges only every few seconds, so a burst may
    // leave it more unacknowledged; past this many times the bounds above it
    // is taken as a client that does not acknowledge, and is refused more.
    size_t connectedStoreFactor = 4;
    size_t maxHistoryPerConversation = 10'000;  // older messages are forgotten
    size_t maxHistoryPerRequest = 100;
    size_t maxContacts = 1000;
    size_t maxPendingRequests = 200;            // friend requests waiting for one recipient
    size_t maxRequestText = 1024;
    size_t maxGroupsPerAccount = 100;
    size_t maxGroupMembers = 1000;
    size_t maxGroupName = 64;
    size_t maxGroupDescription = 256;
    size_t maxProfileBody = 32 * 1024;          // "SUB PROFILE UPDATE", "PLS SUBMIT"
};

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
    // Before sign-in a connection gets far less: the exchange is two or three
    // packets ("LOGON", "AUTH") of a few hundred bytes, and every packet
    // before sign-in counts, the exchange's own included. One connection
    // signing in holds at most about 40 KiB (its read buffer, a partial
    // line, one small packet); all of them together at most
    // maxConnectionsSigningIn times that (20 MiB): beyond it, the one that
    // has waited longest is dropped.
    size_t maxLineBeforeSignIn = 1024;
    size_t maxHeaderBytesBeforeSignIn = 4 * 1024;
    size_t maxHeadersBeforeSignIn = 16;
    size_t maxBodyBeforeSignIn = 1024;
    int maxPacketsBeforeLogon = 8;
    size_t maxConnectionsSigningIn = 512;
    // Bytes queued for one peer beyond which it counts as stalled.
    size_t maxQueuedBytes = 32 * 1024 * 1024;
    // Packets kept per session for re-sending on resume.
    size_t maxResumeLogPackets = 4096;
    size_t maxResumeLogBytes = 8 * 1024 * 1024;
    MessagingLimits messaging;
    bridges::BridgeConfig bridges;
};

}  // namespace kestrova::server
