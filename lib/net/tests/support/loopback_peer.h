// A scripted peer for protocol tests: a TCP listener on loopback that keeps
// what each accepted connection sent, cut into raw packets, and writes what
// the test tells it to. A background thread accepts and reads; the test
// thread, which is also the client's user-interface thread, waits by pumping
// the client's window.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kestrova::testing {

class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();

    uint16_t port() const { return port_; }
    int connectionsAccepted();
    bool connectionOpen();
    // Raw bytes received on the current connection and not yet taken.
    std::string pendingBytes();

    // Takes the next complete packet's exact bytes, or nullopt when none is
    // complete yet.
    std::optional<std::string> takePacket();
    // Takes exactly n bytes, or nullopt when fewer are there.
    std::optional<std::string> takeBytes(size_t n);

    bool send(const std::string& bytes);
    // Closes the current connection from this side.
    void dropConnection();
    // For a client in this process: shuts the sending side of its socket of
    // the current connection, so its next write fails while what was sent to
    // it can still be read. False when that socket is not found.
    bool shutClientSending();
    // Closes the listener: later connects are refused.
    void stopListening();

private:
    void serve();
    void acceptOne();
    void readCurrent();

    int listenFd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;
    std::mutex mutex_;
    int clientFd_ = -1;
    bool clientOpen_ = false;
    int accepted_ = 0;
    std::string received_;
    bool stopping_ = false;
    std::thread thread_;
};

// Pumps `pump` (which should wait briefly for work) until `done` holds or a
// generous real-time safety limit passes; the result says which.
bool pumpUntil(const std::function<void()>& pump, const std::function<bool()>& done);

}  // namespace kestrova::testing
