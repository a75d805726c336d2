// One client's TCP connection: reads packets with the shared reader and hands
// them to the host, queues writes, and drops the peer when it misbehaves
// (a malformed or oversized packet, no sign-in in time, silence beyond the
// idle limit, or not taking our bytes). A dropped peer costs the others
// nothing: all waiting is asynchronous on the one event loop.
#pragma once

#include "connection_host.h"
#include "logon_state.h"
#include "kestrova/wire/packet_receiver.h"

#include <asio.hpp>

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace kestrova::server {

class SubscriberSession;

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
public:
    ClientConnection(asio::ip::tcp::socket socket, ConnectionHost& host, uint64_t id);

    void start();
    uint64_t id() const { return id_; }
    bool open() const { return open_; }

    // Writes outside any session (the sign-in exchange, refusals). False,
    // with nothing written, for a packet that cannot be written.
    bool send(const wire::Packet& packet);
    void sendBytes(std::string_view bytes);
    // Stops taking packets and closes once everything queued is written.
    void closeAfterFlush();
    void close();

    LogonState& logon() { return logon_; }
    const std::shared_ptr<SubscriberSession>& session() const { return session_; }
    void setSession(std::shared_ptr<SubscriberSession> session);
    void clearSession() { session_.reset(); }
    bool signedIn() const { return logon_.step == LogonState::Step::SignedIn; }
    // The client announced a longer keep-alive interval.
    void allowSilence(std::chrono::milliseconds silence);

private:
    using Clock = std::chrono::steady_clock;

    void readMore();
    void takePackets();
    void writeMore();
    void armTimer();
    void checkDeadlines();

    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    ConnectionHost& host_;
    uint64_t id_;
    bool open_ = true;
    bool closing_ = false;
    wire::PacketReceiver receiver_;
    wire::Packet packet_;
    std::array<char, 16 * 1024> readBuffer_;
    std::deque<std::string> writeQueue_;
    size_t writeOffset_ = 0;
    size_t queuedBytes_ = 0;
    bool writing_ = false;
    Clock::time_point connectedAt_;
    Clock::time_point lastPacketAt_;
    Clock::time_point lastWriteProgressAt_;
    std::chrono::milliseconds allowedSilence_{0};
    LogonState logon_;
    std::shared_ptr<SubscriberSession> session_;
};

}  // namespace kestrova::server
