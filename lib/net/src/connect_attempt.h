// One connection attempt: the socket, the host and port it goes to, and the
// worker thread's side of the work. Shared between the user-interface thread
// and the worker; the descriptor is closed only when both have let go, so a
// descriptor number is never reused under the other thread's feet.
#pragma once

#include "kestrova/net/hidden_window.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace kestrova::net {

class ConnectAttempt {
public:
    ConnectAttempt(uintptr_t id, std::string host, uint16_t port);
    ~ConnectAttempt();
    ConnectAttempt(const ConnectAttempt&) = delete;
    ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    uintptr_t id() const { return id_; }
    int fd() const { return fd_.load(); }
    bool connected() const { return connected_.load(); }
    void markDisconnected() { connected_ = false; }
    // User-interface thread: stop for good. Shuts the socket down and wakes
    // the worker wherever it waits.
    void cancel();
    bool cancelled() const { return cancelled_.load(); }

    // Worker thread: resolve, connect, then wait on the socket until told to
    // stop. Every event goes to the window.
    void run(HiddenWindow& window);

private:
    bool resolveAndConnect();
    bool waitForConnect(int fd);
    void waitLoop(HiddenWindow& window);
    // Waits for the socket or the wake-up; >0 socket ready, 0 timeout, <0 stop.
    int waitReadable(int timeoutMs);

    uintptr_t id_;
    std::string host_;
    uint16_t port_;
    std::atomic<int> fd_{-1};
    int wakeFd_ = -1;
    std::atomic<bool> connected_{false};
    std::atomic<bool> cancelled_{false};
};

}  // namespace kestrova::net
