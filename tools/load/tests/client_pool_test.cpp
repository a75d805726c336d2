#include "client_pool.h"
#include "load_accounts.h"
#include "server_child.h"
#include "server_usage.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

using namespace kestrova::load;
using namespace std::chrono_literals;

namespace {

class LoadPool : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-load-test-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        database_ = (folder_ / "server.db").string();
    }
    void TearDown() override {
        pool_.reset();
        server_.reset();
        std::filesystem::remove_all(folder_);
    }

    // The accounts are created as given; `alter` may then change what the
    // pool's clients believe of them.
    void start(std::vector<LoadAccount> accounts,
               const std::function<void(std::vector<LoadAccount>&)>& alter = {}) {
        std::string error;
        ASSERT_TRUE(addAccounts(database_, folder_.string(), accounts, error)) << error;
        if (alter) alter(accounts);
        server_ = std::make_unique<kestrova::e2e::ServerChild>(database_);
        ASSERT_NE(server_->port(), 0);
        asio::ip::tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), server_->port());
        // A short ping interval, so that the acknowledgements are part of the run.
        pool_ = std::make_unique<ClientPool>(endpoint, std::move(accounts), 100ms);
    }

    std::filesystem::path folder_;
    std::string database_;
    std::unique_ptr<kestrova::e2e::ServerChild> server_;
    std::unique_ptr<ClientPool> pool_;
};

void expectEveryMessageOnce(const TrafficResult& traffic, size_t sent, size_t expected) {
    EXPECT_EQ(traffic.sent, sent);
    EXPECT_EQ(traffic.expected, expected);
    EXPECT_EQ(traffic.delivered, expected);
    EXPECT_EQ(traffic.latenciesMicros.size(), expected);
    EXPECT_EQ(traffic.duplicates, 0u);
    EXPECT_EQ(traffic.misdelivered, 0u);
    EXPECT_EQ(traffic.refused, 0u);
    EXPECT_EQ(traffic.starvedClients, 0u);
}

} // namespace

TEST_F(LoadPool, TwentyClientsSignInJoinAGroupAndGetEveryRingAndGroupMessageOnce) {
    constexpr size_t kClients = 20;
    ASSERT_NO_FATAL_FAILURE(start(numberedAccounts("smoke", kClients)));
    std::optional<ServerUsage> before = readServerUsage(server_->pid());
    ASSERT_TRUE(before);

    SignInResult first = pool_->signIn(pool_->all(), 8, 30s);
    EXPECT_EQ(first.timesMicros.size(), kClients);
    EXPECT_EQ(first.failed, 0u);
    EXPECT_EQ(first.mostUnderWay, 8u);

    std::optional<uint64_t> group = pool_->createGroup(0, "load smoke", 10s);
    ASSERT_TRUE(group);
    JoinResult joins = pool_->joinInTurn({1, kClients}, "load smoke", 10s);
    EXPECT_EQ(joins.timesMicros.size(), kClients - 1);
    EXPECT_EQ(joins.refused, 0u);
    expectEveryMessageOnce(pool_->ring(pool_->all(), {2, 50ms, 20s}), 2 * kClients, 2 * kClients);
    expectEveryMessageOnce(pool_->group(pool_->all(), *group, {3, 50ms, 20s}), 3, 3 * (kClients - 1));

    // Each joiner was announced to the members before it, on their own
    // connections; pings are answered meanwhile and nobody is let go.
    auto announced = [&] {
        size_t count = 0;
        for (size_t i = 0; i < kClients; ++i)
            count += pool_->client(i).groupUpdates();
        return count;
    };
    EXPECT_TRUE(pool_->serveUntil([&] { return announced() == (kClients - 1) * kClients / 2; }, 20s))
        << announced();
    pool_->serve(300ms);
    EXPECT_EQ(pool_->online(pool_->all()), kClients);

    // Back again: now with a last-online time, so through the stored messages.
    EXPECT_TRUE(pool_->signOff(pool_->all(), 20s));
    EXPECT_EQ(pool_->online(pool_->all()), 0u);
    SignInResult again = pool_->signIn(pool_->all(), kClients, 30s);
    EXPECT_EQ(again.timesMicros.size(), kClients);
    EXPECT_TRUE(pool_->drops().empty()) << pool_->drops().front().why;

    std::optional<ServerUsage> after = readServerUsage(server_->pid());
    ASSERT_TRUE(after);
    EXPECT_GT(after->runSeconds, before->runSeconds);
    EXPECT_GE(after->cpuSeconds, before->cpuSeconds);
    EXPECT_GE(after->peakResidentKiB, after->residentKiB);
    EXPECT_GT(after->residentKiB, 0u);
}

TEST_F(LoadPool, RefusedSignInsAndLostConnectionsAreDrops) {
    ASSERT_NO_FATAL_FAILURE(start(numberedAccounts("drop", 3),
                                  [](auto& accounts) { accounts[1].password = "not the password"; }));

    SignInResult signIn = pool_->signIn(pool_->all(), 3, 30s);
    EXPECT_EQ(signIn.timesMicros.size(), 2u);
    EXPECT_EQ(signIn.failed, 1u);
    ASSERT_EQ(pool_->drops().size(), 1u);
    EXPECT_EQ(pool_->drops()[0].client, 1u);
    EXPECT_EQ(pool_->drops()[0].phase, "sign-in");
    EXPECT_NE(pool_->drops()[0].why.find("refused"), std::string::npos) << pool_->drops()[0].why;

    server_->kill();
    EXPECT_TRUE(pool_->serveUntil([&] { return pool_->online(pool_->all()) == 0; }, 20s));
    ASSERT_EQ(pool_->drops().size(), 3u);
    for (size_t i = 1; i < 3; ++i)
        EXPECT_NE(pool_->drops()[i].why.find("closed"), std::string::npos);
}

TEST_F(LoadPool, SignInsThatFindNoServerAreTriedAgainAfterAPauseAndThenGivenUp) {
    ASSERT_NO_FATAL_FAILURE(start(numberedAccounts("late", 3)));
    uint16_t port = server_->port();
    server_.reset();

    SignInResult none = pool_->signIn(pool_->all(), 3, 30s);
    EXPECT_EQ(none.failed, 3u);
    EXPECT_EQ(none.retried, 3u * (ClientPool::kSignInAttempts - 1));
    EXPECT_GE(none.wall, 3000ms) << "the pauses double: 0.1, 0.2, 0.4, 0.8 and 1.6 s";
    ASSERT_EQ(pool_->drops().size(), 3u) << "a drop each when they give up, not at every try";
    EXPECT_NE(pool_->drops()[0].why.find("connect"), std::string::npos) << pool_->drops()[0].why;

    // The server comes back while they are trying.
    std::thread comesBack([&] {
        std::this_thread::sleep_for(100ms);
        server_ = std::make_unique<kestrova::e2e::ServerChild>(database_, port);
    });
    SignInResult late = pool_->signIn(pool_->all(), 3, 30s);
    comesBack.join();
    ASSERT_NE(server_->port(), 0);
    EXPECT_EQ(late.timesMicros.size(), 3u);
    EXPECT_EQ(late.failed, 0u);
    EXPECT_GE(late.retried, 3u);
    EXPECT_EQ(pool_->drops().size(), 3u);
}

TEST_F(LoadPool, TheOlderOfTwoSignInsOfOneAccountIsDroppedAsDisplaced) {
    ASSERT_NO_FATAL_FAILURE(
        start(numberedAccounts("twice", 1), [](auto& accounts) { accounts.push_back(accounts[0]); }));

    EXPECT_EQ(pool_->signIn({0, 1}, 1, 30s).timesMicros.size(), 1u);
    EXPECT_EQ(pool_->signIn({1, 2}, 1, 30s).timesMicros.size(), 1u);
    EXPECT_TRUE(
        pool_->serveUntil([&] { return pool_->client(0).state() == LoadClient::State::Failed; }, 20s));
    EXPECT_EQ(pool_->client(1).state(), LoadClient::State::Online);
    ASSERT_EQ(pool_->drops().size(), 1u);
    EXPECT_EQ(pool_->drops()[0].client, 0u);
    EXPECT_NE(pool_->drops()[0].why.find("displaced"), std::string::npos) << pool_->drops()[0].why;
}

TEST_F(LoadPool, RingMessagesGoOnlyBetweenClientsStillOnline) {
    ASSERT_NO_FATAL_FAILURE(start(numberedAccounts("gone", 4)));
    EXPECT_EQ(pool_->signIn(pool_->all(), 4, 30s).timesMicros.size(), 4u);
    EXPECT_TRUE(pool_->signOff({2, 3}, 20s));
    // 1 would write to 2 and 2 to 3: neither is sent, and nobody counts as
    // starved or any message as lost for it.
    expectEveryMessageOnce(pool_->ring(pool_->all(), {1, 50ms, 20s}), 2, 2);
}

TEST(ClientPool, ASignInLeftUnansweredIsADropAtItsDeadline) {
    // A listener that takes connections and never answers.
    asio::io_context silent;
    asio::ip::tcp::acceptor listener(silent, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    ClientPool pool(listener.local_endpoint(), numberedAccounts("mute", 2));
    SignInResult result = pool.signIn(pool.all(), 2, 300ms);
    EXPECT_TRUE(result.timesMicros.empty());
    EXPECT_EQ(result.failed, 2u);
    ASSERT_EQ(pool.drops().size(), 2u);
    EXPECT_EQ(pool.drops()[0].why, "not signed in within the deadline");
}

TEST(LoadAccounts, AListWithANameTwiceCreatesNothingAndSaysWhich) {
    char pattern[] = "/tmp/kestrova-load-test-XXXXXX";
    std::filesystem::path folder = ::mkdtemp(pattern);
    std::string database = (folder / "server.db").string(), error;
    std::vector<LoadAccount> twice = numberedAccounts("same", 2);
    twice[1].name = twice[0].name;
    EXPECT_FALSE(addAccounts(database, folder.string(), twice, error));
    EXPECT_NE(error.find(twice[0].name), std::string::npos) << error;

    std::vector<LoadAccount> fine = numberedAccounts("same", 3);
    ASSERT_TRUE(addAccounts(database, folder.string(), fine, error)) << error;
    EXPECT_NE(fine[0].id, 0u);
    EXPECT_NE(fine[0].id, fine[1].id);
    EXPECT_NE(fine[1].id, fine[2].id);
    std::filesystem::remove_all(folder);
}

namespace {

double ownCpuSeconds() {
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    return self.ru_utime.tv_sec + self.ru_stime.tv_sec +
           (self.ru_utime.tv_usec + self.ru_stime.tv_usec) / 1e6;
}

} // namespace

TEST(ServerUsage, ReadsTheCpuTimeAndMemoryOfAProcess) {
    // Our own process: hold some memory and burn a fifth of a second of CPU
    // (by the kernel's own count, however long a loaded machine makes that
    // take), and compare with what getrusage says.
    std::optional<ServerUsage> before = readServerUsage(::getpid());
    ASSERT_TRUE(before);
    double start = ownCpuSeconds();
    std::vector<char> held(32 << 20, 1);
    volatile uint64_t sum = 0;
    for (auto end = Clock::now() + 60s; ownCpuSeconds() - start < 0.2 && Clock::now() < end;)
        for (int i = 0; i < 100'000; ++i)
            sum = sum + held[(sum + i * 4096) % held.size()];
    std::optional<ServerUsage> after = readServerUsage(::getpid());
    double spent = ownCpuSeconds() - start;
    ASSERT_TRUE(after);
    ASSERT_GE(spent, 0.2);
    EXPECT_NEAR(after->runSeconds - before->runSeconds, spent, 0.05);
    EXPECT_NEAR(after->cpuSeconds, ownCpuSeconds(), 0.05);
    EXPECT_GE(after->residentKiB, size_t{32 << 10});
    EXPECT_GE(after->peakResidentKiB, after->residentKiB);
    EXPECT_FALSE(readServerUsage(0));
}

TEST(TrafficTally, CountsLostDuplicateMisdeliveredAndStarved) {
    TrafficTally tally(4);
    Clock::time_point now = Clock::now();
    std::string toOne = tally.recordSend(0, {1}, now);
    std::string toAll = tally.recordSend(0, {3, 1, 2}, now);
    tally.recordArrival(1, toOne, now + 1ms);
    tally.recordArrival(1, toOne, now + 2ms);   // again
    tally.recordArrival(0, toAll, now + 1ms);   // the sender is no recipient
    tally.recordArrival(2, "hello", now + 1ms); // not ours
    tally.recordArrival(1, toAll, now + 3ms);
    EXPECT_FALSE(tally.allDelivered());

    TrafficResult result = tally.result();
    EXPECT_EQ(result.sent, 2u);
    EXPECT_EQ(result.expected, 4u);
    EXPECT_EQ(result.delivered, 2u);
    EXPECT_EQ(result.lost(), 2u);
    EXPECT_EQ(result.duplicates, 1u);
    EXPECT_EQ(result.misdelivered, 2u);
    EXPECT_EQ(result.starvedClients, 2u); // 2 and 3 got nothing
    ASSERT_EQ(result.latenciesMicros.size(), 2u);
    EXPECT_NEAR(result.latenciesMicros[0], 1000, 1);
    EXPECT_NEAR(result.latenciesMicros[1], 3000, 1);
}
