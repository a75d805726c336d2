// A loopback TCP relay between clients and kestrova-server that breaks
// connections on command: the fault injector of the exactly-once checker.
// Clients connect to port(); each connection is paired with one to the
// server's current port. A cut closes every pair, either at once or in the
// middle of the next bytes that pass (part of them forwarded, the rest
// dropped), so that a packet arrives torn. The server's port can change
// (after a restart); new connections then go there.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrova::e2e {

class FaultRelay {
  public:
    explicit FaultRelay(uint16_t upstreamPort);
    ~FaultRelay();
    FaultRelay(const FaultRelay&) = delete;
    FaultRelay& operator=(const FaultRelay&) = delete;

    // 0 when the relay could not listen.
    uint16_t port() const { return port_; }
    void setUpstream(uint16_t port);

    // Closes every connection. With `midStream`, waits (up to a second) for
    // the next bytes in either direction and forwards only a part of them,
    // chosen by `random`, before closing. `random` also picks between an
    // orderly close and a reset. Returns once the cut is done; true when
    // bytes were torn.
    bool cut(bool midStream, uint32_t random);
    // Connections currently paired.
    size_t open() const;

  private:
    struct Pair {
        int client;
        int server;
    };
    struct CutRequest {
        bool pending = false;
        bool midStream = false;
        uint32_t random = 0;
        bool done = false;
        bool torn = false;
    };

    void run();
    void acceptOne();
    // Moves one read from `from` to `to`; false when the pair must close.
    bool forward(int from, int to);
    void closeAll(bool reset);
    void finishCut(bool torn);
    void wake();

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable cutDone_;
    uint16_t upstream_ = 0;
    bool stopping_ = false;
    CutRequest cut_;
    std::vector<Pair> pairs_;
};

} // namespace kestrova::e2e
