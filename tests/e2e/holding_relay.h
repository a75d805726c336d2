// A TCP relay on loopback between a client and the server that can hold back
// what the client sends from a given command on: the client then waits, in
// whatever state that command leads to, until the test releases it. When
// either side closes, the relay closes the other.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace kestrova::e2e {

class HoldingRelay {
  public:
    explicit HoldingRelay(uint16_t serverPort);
    ~HoldingRelay();
    HoldingRelay(const HoldingRelay&) = delete;
    HoldingRelay& operator=(const HoldingRelay&) = delete;

    // The port clients connect to; 0 when it could not listen.
    uint16_t port() const { return port_; }
    // From now on, a packet whose command line starts with `command` and all
    // that the client sends after it wait in the relay.
    void holdFrom(std::string command);
    // Sends on what waits and holds nothing more.
    void release();
    // True once something is held back.
    bool holding() const { return holding_; }

  private:
    struct Pair;
    void run();
    // What of the client's bytes may go on now (the rest waits).
    size_t forwardable(const std::string& waiting, bool atLineStart, bool& held);

    uint16_t serverPort_;
    uint16_t port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> holding_{false};
    std::mutex mutex_;
    std::string holdCommand_;
    bool released_ = false;
    std::thread thread_;
};

} // namespace kestrova::e2e
