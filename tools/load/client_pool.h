// The load pool: many LoadClients on one io_context and one thread, driven
// through the phases of a load run (sign-in, group joins, ring and group
// traffic, sign-off) and measured on the way. Every phase runs the event loop
// until it is done or its deadline passes, and says what it saw; clients that
// fail at any time are kept as drops with the phase and the reason.
#pragma once

#include "load_client.h"
#include "traffic_tally.h"

#include <asio.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrova::load {

// Clients [first, last) of the pool.
struct ClientRange {
    size_t first = 0, last = 0;
    size_t size() const { return last - first; }
};

struct SignInResult {
    std::vector<double> timesMicros; // connect to online, each client that made it
    size_t failed = 0;
    size_t retried = 0;      // sign-ins tried again after they failed on the line
    size_t mostUnderWay = 0; // sign-ins under way at once, at most
    Clock::duration wall{};  // the whole phase
};

struct JoinResult {
    std::vector<double> timesMicros; // request to answer, in the order of joining
    size_t refused = 0;
};

struct Drop {
    size_t client;
    std::string phase;
    std::string why;
};

struct TrafficPlan {
    size_t messagesEach = 1; // ring: per client; group: in all
    std::chrono::milliseconds interval{1000};
    Clock::duration deadline = std::chrono::seconds(60); // after the last send
};

class ClientPool : private LoadEvents {
  public:
    ClientPool(asio::ip::tcp::endpoint server, std::vector<LoadAccount> accounts,
               std::chrono::milliseconds pingInterval = std::chrono::seconds(30));
    ~ClientPool() override;

    size_t size() const { return clients_.size(); }
    ClientRange all() const { return {0, clients_.size()}; }
    LoadClient& client(size_t i) { return *clients_[i]; }

    // At most `window` sign-ins under way at once, as a crowd of clients
    // coming back after an outage would be; the next starts as one ends. A
    // sign-in that fails on the line (the server not there yet, or closing
    // connections beyond its bound on sign-ins at once) is tried again after
    // a pause that doubles each time, as the real client does, up to
    // kSignInAttempts in all.
    static constexpr int kSignInAttempts = 6;
    SignInResult signIn(ClientRange range, size_t window, Clock::duration deadline);
    // Every online client of the range says "BYE"; true when all were let go.
    bool signOff(ClientRange range, Clock::duration deadline);
    std::optional<uint64_t> createGroup(size_t owner, const std::string& name, Clock::duration deadline);
    // Each joins after the one before was answered.
    JoinResult joinInTurn(ClientRange range, const std::string& name, Clock::duration deadline);
    // Client i writes to client i+1 (the last to the first), each at its own
    // moment within every interval.
    TrafficResult ring(ClientRange range, const TrafficPlan& plan);
    // Messages to the group from senders spread over the range; every other
    // member of the range that is online is a recipient.
    TrafficResult group(ClientRange members, uint64_t groupId, const TrafficPlan& plan);
    // Keeps serving (pings, pushes) for a while, or until `done`; false
    // when the time ran out first.
    void serve(Clock::duration time);
    bool serveUntil(const std::function<bool()>& done, Clock::duration limit);

    const std::vector<Drop>& drops() const { return drops_; }
    size_t online(ClientRange range) const;

  private:
    struct Scheduled {
        Clock::time_point at;
        uint32_t sender;
    };
    using Sender = std::function<void(uint32_t sender)>;

    TrafficResult runTraffic(std::vector<Scheduled> schedule, const Sender& send, const TrafficPlan& plan);
    void sendDue();
    void startNextSignIn();
    uint32_t indexOf(const LoadClient& client) const;

    void retryLater(uint32_t client);
    void onOnline(LoadClient& client) override;
    void onFailed(LoadClient& client) override;
    void onSignedOff(LoadClient& client) override;
    void onMessage(LoadClient& client, const wire::Packet& message) override;
    void onResponse(LoadClient& client, uint64_t mesgId, uint32_t code) override;
    void onProfilePush(LoadClient& client, const wire::Packet& profile) override;

    // NOTE: declared first so that it outlives the clients, whose sockets
    // and timers belong to it.
    asio::io_context io_{1};
    asio::executor_work_guard<asio::io_context::executor_type> keepRunning_;
    std::vector<std::unique_ptr<LoadClient>> clients_;
    std::unordered_map<const LoadClient*, uint32_t> indexOf_;
    std::vector<Drop> drops_;
    std::string phase_ = "start";

    // The sign-in phase.
    std::vector<size_t> signInQueue_;
    size_t signInsUnderWay_ = 0;
    std::vector<uint8_t> signingIn_; // per client: its sign-in is under way
    std::vector<uint8_t> signInAttempts_;  // per client, in this phase
    std::vector<uint8_t> waitingToRetry_;  // per client: its pause is under way
    std::vector<std::unique_ptr<asio::steady_timer>> retryTimers_;
    size_t signInWindow_ = 1;
    uint64_t signInPhase_ = 0;  // a retry whose phase ended is not started
    SignInResult* signIns_ = nullptr;
    size_t signOffsPending_ = 0;

    // Requests whose answer a phase waits for: (client, mesg-id) -> code.
    std::optional<std::pair<uint32_t, uint64_t>> awaited_;
    std::optional<uint32_t> awaitedCode_;
    std::optional<uint64_t> createdGroup_;

    // The traffic phase.
    TrafficTally* tally_ = nullptr;
    std::vector<Scheduled> schedule_;
    size_t nextScheduled_ = 0;
    Sender sender_;
    std::unique_ptr<asio::steady_timer> sendTimer_;
};

} // namespace kestrova::load
