// The exactly-once checker: two headless clients exchange numbered messages
// through kestrova-server while a FaultRelay cuts their connections and the
// server is killed (SIGKILL) and restarted on its database. Afterwards every
// message is accounted for. Everything random comes from the seed, so a
// failing run can be replayed (up to the timing of the machine).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestrova::e2e {

struct ExactlyOnceOptions {
    uint64_t seed = 1;
    int messages = 300;
    int cuts = 3;
    int restarts = 1;
    // Holds the database and the clients' settings; must exist.
    std::filesystem::path workDir;
    // How long the end waits for every message to settle.
    int settleSeconds = 60;
    // Progress lines (faults, reconnects); may be empty.
    std::function<void(const std::string&)> progress;
};

// Counts per message. A message is "lost" when the sender was told it was
// delivered and the receiver never showed it; "failed" when the sender was
// told it failed; "unsettled" when the sender was told neither by the end.
// "corrupted" counts arrivals whose body or digest differ from what was
// sent, "unexpected" arrivals that match no message sent to that client.
struct ExactlyOnceTable {
    uint64_t seed = 0;
    int sent = 0;
    int delivered = 0;
    int received = 0;
    int lost = 0;
    int duplicated = 0;
    int corrupted = 0;
    int unexpected = 0;
    int failed = 0;
    int failedButReceived = 0;
    int unsettled = 0;
    int cutsDone = 0;
    int tornCuts = 0;
    int restartsDone = 0;
    // Set when the run itself could not go on (server or clients not up).
    std::string setupError;
    // For the first few messages lost or shown twice: every transcript line
    // about them ("ann: sent ...", "bob: message ..."), to see what happened.
    std::vector<std::string> evidence;

    bool exactlyOnce() const {
        return setupError.empty() && lost == 0 && duplicated == 0 && corrupted == 0 && unexpected == 0;
    }
};

ExactlyOnceTable runExactlyOnce(const ExactlyOnceOptions& options);
std::string formatTable(const ExactlyOnceTable& table);

} // namespace kestrova::e2e
