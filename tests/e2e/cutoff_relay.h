// A line between a client and the server that can fail in the middle of a
// message: it relays both ways until the client sends the first chunk of a
// message longer than one chunk, passes that chunk on, and from then on
// holds back everything else the client sends. The test can then end the
// client, and the server has seen the start of a message and never its end,
// as when a phone dies while it sends.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kestrova::e2e {

class CutoffRelay {
  public:
    explicit CutoffRelay(uint16_t serverPort);
    ~CutoffRelay();
    CutoffRelay(const CutoffRelay&) = delete;
    CutoffRelay& operator=(const CutoffRelay&) = delete;

    uint16_t port() const { return port_; }
    // Waits (bounded) until a message was cut; whether it was.
    bool waitForCut();
    // Closes both ends, as a line that went dead.
    void drop();

  private:
    void serve();
    void relay(int client, int server);

    int listen_ = -1;
    uint16_t port_ = 0;
    uint16_t serverPort_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool cut_ = false;
    int client_ = -1;
    int server_ = -1;
    std::thread thread_;
};

} // namespace kestrova::e2e
