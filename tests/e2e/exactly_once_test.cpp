// The fault relay tears streams as asked, and a short exactly-once run
// (a few hundred messages, a few cuts, one server kill) loses, repeats,
// corrupts and invents nothing. KESTROVA_SEED replays a run; the seed is
// printed either way.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "exactly_once.h"
#include "fault_relay.h"

namespace kestrova::e2e {
namespace {

int connectLoopback(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A one-connection loopback listener standing in for the server.
struct Listener {
    Listener() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, 4);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd); }
    int fd = -1;
    uint16_t port = 0;
};

std::string readToEnd(int fd) {
    std::string all;
    char buffer[256];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        all.append(buffer, static_cast<size_t>(n));
    return all;
}

TEST(FaultRelay, PassesBytesThenTearsTheNextChunkAndEndsBothSides) {
    Listener server;
    FaultRelay relay(server.port);
    ASSERT_NE(relay.port(), 0);
    int client = connectLoopback(relay.port());
    ASSERT_GE(client, 0);
    int upstream = ::accept(server.fd, nullptr, nullptr);
    ASSERT_GE(upstream, 0);

    ASSERT_EQ(::send(client, "whole", 5, 0), 5);
    char first[5];
    ASSERT_EQ(::recv(upstream, first, sizeof first, MSG_WAITALL), 5);
    EXPECT_EQ(std::string(first, 5), "whole");

    std::thread cutter([&] { EXPECT_TRUE(relay.cut(true, 2)); });
    // The cut waits for traffic and tears the next chunk the relay reads
    // (several sends may make one chunk).
    std::string sent;
    while (relay.open() == 1 && ::send(client, "0123456789", 10, MSG_NOSIGNAL) == 10) {
        sent += "0123456789";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    cutter.join();
    std::string torn = readToEnd(upstream);
    EXPECT_FALSE(torn.empty());
    EXPECT_LT(torn.size(), sent.size());
    EXPECT_EQ(torn, sent.substr(0, torn.size()));
    EXPECT_EQ(readToEnd(client), "");
    EXPECT_EQ(relay.open(), 0u);
    ::close(client);
    ::close(upstream);

    // A later connection goes to the new upstream.
    Listener restarted;
    relay.setUpstream(restarted.port);
    int again = connectLoopback(relay.port());
    ASSERT_GE(again, 0);
    int accepted = ::accept(restarted.fd, nullptr, nullptr);
    EXPECT_GE(accepted, 0);
    EXPECT_FALSE(relay.cut(false, 0));
    EXPECT_EQ(readToEnd(again), "");
    ::close(again);
    ::close(accepted);
}

uint64_t seedFromEnvironment() {
    if (const char* text = std::getenv("KESTROVA_SEED")) return std::strtoull(text, nullptr, 10);
    return std::random_device{}();
}

TEST(ExactlyOnce, MessagesSurviveCutsAndAServerKillExactlyOnce) {
    char pattern[] = "/tmp/kestrova-exactly-once-XXXXXX";
    std::filesystem::path root = ::mkdtemp(pattern);
    ExactlyOnceOptions options;
    options.seed = seedFromEnvironment();
    options.messages = 300;
    options.cuts = 3;
    options.restarts = 1;
    options.workDir = root;
    options.progress = [](const std::string& line) { std::printf("  %s\n", line.c_str()); };
    std::printf("exactly-once seed %llu (KESTROVA_SEED=%llu replays it)\n",
                static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(options.seed));
    ExactlyOnceTable table = runExactlyOnce(options);
    std::printf("%s", formatTable(table).c_str());
    std::filesystem::remove_all(root);

    ASSERT_EQ(table.setupError, "");
    EXPECT_EQ(table.cutsDone, 3);
    EXPECT_EQ(table.restartsDone, 1);
    EXPECT_EQ(table.lost, 0);
    EXPECT_EQ(table.duplicated, 0);
    EXPECT_EQ(table.corrupted, 0);
    EXPECT_EQ(table.unexpected, 0);
    EXPECT_EQ(table.unsettled, 0);
    // Every message either failed openly or arrived.
    EXPECT_EQ(table.delivered + table.failed, table.sent);
    EXPECT_GT(table.delivered, 0);
}

} // namespace
} // namespace kestrova::e2e
