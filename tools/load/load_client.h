// One lightweight protocol client of the load pool: a socket, the packet
// receiver of lib/wire, and just enough of the client's side to sign in with
// the challenge proof, stay alive, join a group, send messages and hand on
// what arrives. Hundreds of them share one asio io_context and one thread, so
// that a load of 1,000 signed-in clients fits beside the server on a small
// machine. Everything the pool measures it learns through LoadEvents.
#pragma once

#include "kestrova/wire/packet.h"
#include "kestrova/wire/packet_receiver.h"

#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

namespace kestrova::load {

using Clock = std::chrono::steady_clock;

struct LoadAccount {
    std::string name;
    std::string password;
    uint64_t id = 0;
};

class LoadClient;

// What a client reports to its pool; every call comes on the pool's thread.
class LoadEvents {
  public:
    virtual ~LoadEvents() = default;
    // Signed in: the profile arrived (and the stored messages, when the
    // server said there may be some).
    virtual void onOnline(LoadClient& client) = 0;
    // Sign-in refused, or the connection lost while it was wanted.
    virtual void onFailed(LoadClient& client) = 0;
    virtual void onSignedOff(LoadClient& client) = 0;
    virtual void onMessage(LoadClient& client, const wire::Packet& message) = 0;
    virtual void onResponse(LoadClient& client, uint64_t mesgId, uint32_t code) = 0;
    // A profile pushed after sign-in ("group_sub" on joining, for instance).
    virtual void onProfilePush(LoadClient& client, const wire::Packet& profile) = 0;
};

class LoadClient {
  public:
    enum class State {
        Idle,
        Connecting,
        AwaitChallenge,
        AwaitProfile,
        AwaitStored,
        Online,
        SigningOff,
        Failed
    };

    LoadClient(asio::io_context& io, asio::ip::tcp::endpoint server, LoadAccount account, LoadEvents& events,
               std::chrono::milliseconds pingInterval);
    LoadClient(const LoadClient&) = delete;
    LoadClient& operator=(const LoadClient&) = delete;

    // Connects and signs in afresh; from Idle, Failed or after signing off.
    void signIn();
    // "BYE"; the server closes the connection, and onSignedOff follows.
    void signOff();
    // The request goes out with a "Mesg-Id" of its own, which is returned.
    uint64_t request(wire::Packet packet);

    State state() const { return state_; }
    const LoadAccount& account() const { return account_; }
    // From the start of the last sign-in to online.
    Clock::duration signInTime() const { return onlineAt_ - connectStartedAt_; }
    // Why the last sign-in or session failed.
    const std::string& failure() const { return failure_; }
    // Whether it failed on the line (connect, read, write) rather than by an
    // answer of the server: a real client tries again after a pause.
    bool failedOnTheLine() const { return failedOnTheLine_; }
    size_t groupUpdates() const { return groupUpdates_; }

  private:
    void onConnected();
    void readMore();
    void takePackets();
    void handle(const wire::Packet& packet);
    void answerChallenge(const wire::Packet& offer);
    void acceptProfile(const wire::Packet& profile);
    void becomeOnline();
    void armPing();
    void send(const wire::Packet& packet);
    void writeMore();
    void fail(std::string why, bool onTheLine = false);
    void closeSocket();

    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    LoadAccount account_;
    LoadEvents& events_;
    std::chrono::milliseconds pingInterval_;
    asio::ip::tcp::socket socket_;
    asio::steady_timer pingTimer_;
    wire::PacketReceiver receiver_;
    wire::Packet packet_;
    std::array<char, 16 * 1024> readBuffer_;
    // Whole packets waiting to be written; the front one is being written.
    std::deque<std::string> outbox_;
    size_t writtenOfFront_ = 0;
    bool writing_ = false;
    // Bumped on every new connection, so that handlers of an old socket
    // that complete late know they are stale.
    uint64_t generation_ = 0;
    State state_ = State::Idle;
    int32_t packetsReceived_ = 0;
    uint64_t nextMesgId_ = 0x8000;
    uint64_t storedRequestId_ = 0;
    size_t groupUpdates_ = 0;
    Clock::time_point connectStartedAt_, onlineAt_;
    std::string failure_;
    bool failedOnTheLine_ = false;
};

} // namespace kestrova::load
