// The server's work per group member: joining a group of 1,000 members
// against joining one of 10, and the sign-in profile of a member of a
// 1,000-member group against that of a member of a 10-member group. Every
// member is signed in, as on a busy server; the connections are never
// written to (the event loop does not run), so what is measured is the
// server's own work: the store, the session lookups, the packets it builds.
// The ratios large / small are printed at the end.
#include "client_connection.h"
#include "server.h"
#include "subscriber_session.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace kestrova;
using namespace kestrova::server;

namespace {

constexpr int kLargeGroup = 1000;
constexpr int kSmallGroup = 10;

struct World {
    World() {
        directory = std::filesystem::temp_directory_path() / ("kestrova-group-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        std::string error;
        accounts = AccountStore::open((directory / "server.db").string(), error);
        ServerConfig config;
        config.maxQueuedBytes = SIZE_MAX;  // nothing is ever written
        config.maxResumeLogPackets = 64;
        config.maxResumeLogBytes = 64 * 1024;
        config.messaging.maxGroupMembers = kLargeGroup + 1;
        server = std::make_unique<Server>(io, *accounts, config);
        MessagingStore& store = server->messaging().store();

        sqlite3_exec(accounts->database(), "BEGIN", nullptr, nullptr, nullptr);
        std::vector<uint64_t> ids;
        for (int i = 0; i < kLargeGroup + kSmallGroup + 2; ++i) {
            uint64_t id = 0;
            accounts->create("member" + std::to_string(i) + "@example.org", "pw", "Member " + std::to_string(i), &id);
            ids.push_back(id);
        }
        large = *store.createGroup("Large", "Chat group", "");
        small = *store.createGroup("Small", "Chat group", "");
        for (int i = 0; i < kLargeGroup; ++i)
            store.setMember(large, ids[i], i == 0 ? membership::kAdmin : membership::kMember);
        for (int i = 0; i < kSmallGroup; ++i)
            store.setMember(small, ids[kLargeGroup + i], i == 0 ? membership::kAdmin : membership::kMember);
        sqlite3_exec(accounts->database(), "COMMIT", nullptr, nullptr, nullptr);
        largeMember = ids[1];
        smallMember = ids[kLargeGroup + 1];
        joiner = ids[kLargeGroup + kSmallGroup];

        for (uint64_t id : ids) signIn(id);
    }
    ~World() {
        sessions.clear();
        connections.clear();
        server.reset();
        accounts.reset();
        std::filesystem::remove_all(directory);
    }

    void signIn(uint64_t id) {
        auto connection = std::make_shared<ClientConnection>(asio::ip::tcp::socket(io), *server, id);
        connection->logon().step = LogonState::Step::SignedIn;
        connections.push_back(connection);
        sessions[id] = server->sessions().open(connection, *accounts->findById(id), "key", 1);
    }

    void request(uint64_t from, wire::Packet packet) {
        packet.setHeader("Mesg-Id", ++mesgId);
        server->onPacket(*sessions[from]->connection(), packet);
    }
    // What the sessions logged is acknowledged, as live clients would.
    void acknowledgeAll() {
        for (auto& [id, session] : sessions) session->acknowledge(session->nextSequence());
    }

    asio::io_context io;
    std::filesystem::path directory;
    std::unique_ptr<AccountStore> accounts;
    std::unique_ptr<Server> server;
    std::vector<std::shared_ptr<ClientConnection>> connections;
    std::map<uint64_t, std::shared_ptr<SubscriberSession>> sessions;
    uint64_t large = 0, small = 0, largeMember = 0, smallMember = 0, joiner = 0;
    uint64_t mesgId = 32768;
};

World& world() {
    static World instance;
    return instance;
}

void JoinGroup(benchmark::State& state) {
    World& w = world();
    bool large = state.range(0) == kLargeGroup;
    std::string name = large ? "Large" : "Small";
    uint64_t group = large ? w.large : w.small;
    for (auto _ : state) {
        wire::Packet join("GROUP SUBSCRIBE");
        join.setHeader("Name", name);
        w.request(w.joiner, join);
        state.PauseTiming();
        if (!w.server->messaging().store().capabilities(group, w.joiner)) {
            state.SkipWithError("the join was refused");
            break;
        }
        wire::Packet leave("GROUP UNSUB");
        leave.setHeader("Group-Id", group);
        w.request(w.joiner, leave);
        w.acknowledgeAll();
        state.ResumeTiming();
    }
}

void SignInProfile(benchmark::State& state) {
    World& w = world();
    uint64_t member = state.range(0) == kLargeGroup ? w.largeMember : w.smallMember;
    Account account = *w.accounts->findById(member);
    for (auto _ : state) {
        wire::DataMapEntries profile;
        w.server->messaging().fillProfile(account, profile);
        w.server->messaging().signedIn(w.sessions[member]);
        benchmark::DoNotOptimize(profile);
        state.PauseTiming();
        w.acknowledgeAll();
        state.ResumeTiming();
    }
}

BENCHMARK(JoinGroup)->Arg(kSmallGroup)->Arg(kLargeGroup)->Unit(benchmark::kMicrosecond);
BENCHMARK(SignInProfile)->Arg(kSmallGroup)->Arg(kLargeGroup)->Unit(benchmark::kMicrosecond);

// Prints each large run's time as a ratio to the small run of the same name.
class SizeRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* name : {"JoinGroup", "SignInProfile"}) {
            double small = times_[std::string(name) + "/" + std::to_string(kSmallGroup)];
            double large = times_[std::string(name) + "/" + std::to_string(kLargeGroup)];
            if (small > 0)
                std::printf("ratio %s/%d / %s/%d = %.1f\n", name, kLargeGroup, name, kSmallGroup, large / small);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SizeRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
