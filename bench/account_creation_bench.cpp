// Creating 10,000 accounts in one transaction ("--add-accounts") against
// 10,000 single creations ("--create-account" one after the other, without
// the process start), each into a fresh database file. The ratio single /
// bulk is printed at the end.
#include "account_store.h"

#include <benchmark/benchmark.h>

#include "time_ratio_reporter.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace kestrova::server;

namespace {

constexpr int kAccounts = 10'000;

std::vector<NewAccount> accountList() {
    std::vector<NewAccount> accounts;
    for (int i = 0; i < kAccounts; ++i)
        accounts.push_back({"load" + std::to_string(i) + "@example.org", "password " + std::to_string(i), "Load"});
    return accounts;
}

// A database file of its own for one run, removed with its side files.
class FreshDatabase {
public:
    FreshDatabase() {
        directory_ = std::filesystem::temp_directory_path() / ("kestrova-account-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        std::string error;
        store_ = AccountStore::open((directory_ / "server.db").string(), error);
    }
    ~FreshDatabase() {
        store_.reset();
        std::filesystem::remove_all(directory_);
    }
    AccountStore& store() { return *store_; }

private:
    std::filesystem::path directory_;
    std::unique_ptr<AccountStore> store_;
};

void SingleAdds(benchmark::State& state) {
    std::vector<NewAccount> accounts = accountList();
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<FreshDatabase>();
        state.ResumeTiming();
        for (const NewAccount& account : accounts)
            if (database->store().create(account.name, account.password, account.nickname) != CreateResult::Created)
                state.SkipWithError("an account was refused");
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
}

void BulkAdd(benchmark::State& state) {
    std::vector<NewAccount> accounts = accountList();
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<FreshDatabase>();
        state.ResumeTiming();
        std::vector<uint64_t> ids;
        size_t failedAt = 0;
        if (database->store().createAll(accounts, ids, failedAt) != CreateResult::Created)
            state.SkipWithError("the list was refused");
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(SingleAdds)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BulkAdd)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrova::bench::TimeRatioReporter reporter("BulkAdd/iterations:3/real_time");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
