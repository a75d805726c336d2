// Sign-in time on loopback: the connection from its creation to the state
// "online" against kestrova-server (network check, TCP connect, LOGON, the
// challenge, the profile, the stored-messages request), against the raw cost
// of a TCP connect and one request and answer with the same server in the
// same run. The ratio sign-in / raw round trip is printed at the end.
#include "server_child.h"

#include "connection.h"
#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/mailbox_window.h"
#include "session_sync.h"

#include <benchmark/benchmark.h>

#include "time_ratio_reporter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace kestrova;
using namespace kestrova::connection;

namespace {

constexpr const char* kUser = "bench@example.org";
constexpr const char* kPassword = "bench password";

struct BenchServer {
    std::filesystem::path home;
    std::unique_ptr<e2e::ServerChild> server;
};

BenchServer* gServer = nullptr;

std::string logonBytes() {
    return std::string("LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: ") + kUser +
           "\nprotocol-version: 2.0\n\n";
}

void RawTcpRoundTrip(benchmark::State& state) {
    std::string request = logonBytes();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(gServer->server->port());
    char answer[256];
    for (auto _ : state) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size()) ||
            ::recv(fd, answer, sizeof answer, 0) <= 0) {
            state.SkipWithError("the server did not answer");
            ::close(fd);
            break;
        }
        ::close(fd);
    }
}

void SignInToOnline(benchmark::State& state) {
    RecordedAlerts alerts;
    RecordedPower power;
    SessionSync objects;
    for (auto _ : state) {
        net::MailboxWindow window;
        auto connection = std::make_unique<Connection>(ConnectionEnvironment{window, alerts, power, objects, false});
        objects.attach(*connection);
        auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (connection->state() != kStateOnline && std::chrono::steady_clock::now() < guard)
            window.pumpWaiting(std::chrono::milliseconds(1));
        if (connection->state() != kStateOnline) {
            state.SkipWithError("the sign-in did not complete");
            break;
        }
        state.PauseTiming();
        connection.reset();  // says "BYE"
        state.ResumeTiming();
    }
}

BENCHMARK(RawTcpRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(SignInToOnline)->UseRealTime()->Unit(benchmark::kMicrosecond);

bool startServer(BenchServer& bench) {
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    bench.home = ::mkdtemp(pattern);
    ::setenv("KESTROVA_HOME", bench.home.c_str(), 1);
    ::setenv("KESTROVA_BIN", KESTROVA_BIN_DIR, 0);
    std::string database = (bench.home / "server.db").string();
    if (e2e::runServerToEnd({"--db", database, "--create-account", kUser, kPassword}) != 0) return false;
    bench.server = std::make_unique<e2e::ServerChild>(database);
    if (bench.server->port() == 0) return false;
    kestrova::kit::writeSetting(kestrova::settings::kServerList,
                                ("127.0.0.1:" + std::to_string(bench.server->port())).c_str());
    kestrova::kit::writeSetting(kestrova::settings::kUser, kUser);
    kestrova::kit::writeSetting(kestrova::settings::kPassword, kPassword);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    BenchServer bench;
    gServer = &bench;
    if (!startServer(bench)) {
        std::fprintf(stderr, "sign-in benchmark: kestrova-server did not start\n");
        return 1;
    }
    kestrova::bench::TimeRatioReporter reporter("RawTcpRoundTrip/real_time");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bench.server.reset();
    RY_API_Cleanup();
    std::filesystem::remove_all(bench.home);
    return 0;
}
