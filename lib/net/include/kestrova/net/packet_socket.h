// The socket side of a packet connection. One object per connection; each
// connection attempt runs a worker thread that resolves the host, connects
// and then waits for the socket to become readable, handing every event to
// the user-interface thread through the hidden window. Everything else
// (reading, writing, parsing, the virtual operations) runs on the
// user-interface thread.
#pragma once

#include "kestrova/net/hidden_window.h"
#include "kestrova/wire/packet.h"
#include "kestrova/wire/packet_receiver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kestrova::net {

class ConnectAttempt;

inline constexpr size_t kReceiveBlock = 4096;
inline constexpr size_t kSendBlock = 1024;
inline constexpr size_t kMaxReceivedPacket = 16 * 1024 * 1024;

class PacketSocket {
public:
    explicit PacketSocket(HiddenWindow& window);
    // With the reader's own limits (an HTTP response, for one).
    PacketSocket(HiddenWindow& window, wire::ReaderLimits limits);
    virtual ~PacketSocket();
    PacketSocket(const PacketSocket&) = delete;
    PacketSocket& operator=(const PacketSocket&) = delete;

    // The virtual operations, in the order the design gives them.
    virtual void onConnected() {}
    // Clears the connected mark, both buffers and the reader.
    virtual void onDisconnected();
    // Cuts complete packets out of the receive buffer and hands each to
    // onPacket; a stream broken beyond the reader's limits closes the socket.
    virtual void onDataReceived();
    virtual void onDataSent() {}
    virtual void onNetworkReady(bool viaConnectionManager) {}
    // Closes the socket and runs onDisconnected.
    virtual void onError(int code);
    // Flushes the transmit buffer, then reads what is readable. False when
    // the socket is gone or broke.
    virtual bool poll();
    virtual bool onPacket(wire::Packet& packet) { return true; }

    // Starts the network check on a short-lived thread; it answers with
    // kMsgNetworkPresent or kMsgNetworkViaManager.
    void checkNetwork();
    // Starts a connection attempt to host:port on a new worker thread.
    void startConnect(std::string host, uint16_t port);
    bool isConnected() const;

    // Appends bytes to the transmit buffer without sending.
    void queueBytes(std::string_view bytes) { txBuffer_.append(bytes); }
    // Sends the transmit buffer in blocks of at most kSendBlock bytes. A
    // failed send runs onError and returns false.
    bool flush();
    // Shuts the socket down and wakes its worker; no notification follows.
    void closeSocket();

    // The hidden window's handler for the socket layer's messages.
    intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    HiddenWindow& window() { return window_; }
    wire::PacketReceiver& receiver() { return receiver_; }
    const std::string& transmitBuffer() const { return txBuffer_; }

private:
    void reapFinishedWorkers();
    bool receiveOnce();
    bool isCurrent(uintptr_t attemptId) const;

    HiddenWindow& window_;
    std::shared_ptr<ConnectAttempt> attempt_;
    uintptr_t nextAttemptId_ = 1;
    struct Worker;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::string txBuffer_;
    wire::PacketReceiver receiver_;
    wire::Packet incoming_;
};

}  // namespace kestrova::net
