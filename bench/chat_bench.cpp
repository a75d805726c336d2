// Two whole clients (kestrova-harness) chatting through kestrova-server on
// loopback, against a raw TCP echo measured in the same run:
//   throughput: N short messages from one client to the other, messages per
//   second, against N echoes of the same size through a bare socket;
//   latency: one message at a time, send to arrival (median and 99th
//   percentile), against one echo round trip.
// Prints the ratios at the end. Uses the demo accounts (`--demo`).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "aim_line.h"
#include "harness_child.h"
#include "server_child.h"

using namespace kestrova::e2e;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kThroughputMessages = 1000;
constexpr int kLatencySamples = 200;
constexpr size_t kMessageBytes = 32;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Percentiles {
    double median, p99;
};

Percentiles percentiles(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 99 / 100)]};
}

// A loopback echo server on a thread: the bare cost of moving bytes there and back.
class EchoServer {
public:
    EchoServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            int fd = ::accept(listener_, nullptr, nullptr);
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            char buffer[4096];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                if (::send(fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n) break;
            ::close(fd);
        });
    }
    ~EchoServer() {
        thread_.join();
        ::close(listener_);
    }
    uint16_t port() const { return port_; }

private:
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

int connectTo(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

bool readExactly(int fd, char* buffer, size_t length) {
    for (size_t done = 0; done < length;) {
        ssize_t n = ::recv(fd, buffer + done, length - done, 0);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

struct EchoResults {
    double messagesPerSecond;
    Percentiles latency;
};

EchoResults measureEcho() {
    EchoServer echo;
    int fd = connectTo(echo.port());
    std::string message(kMessageBytes, 'x');
    std::vector<char> back(kMessageBytes * kThroughputMessages);
    auto start = Clock::now();
    std::thread writer([&] {
        for (int i = 0; i < kThroughputMessages; ++i) ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    });
    readExactly(fd, back.data(), back.size());
    writer.join();
    double rate = kThroughputMessages / seconds(Clock::now() - start);
    std::vector<double> samples;
    for (int i = 0; i < kLatencySamples; ++i) {
        auto sent = Clock::now();
        ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        readExactly(fd, back.data(), kMessageBytes);
        samples.push_back(seconds(Clock::now() - sent) * 1e6);
    }
    ::close(fd);
    return {rate, percentiles(samples)};
}

std::string idOf(HarnessChild& client) {
    client.command("whoami");
    auto line = client.waitFor("me id=");
    return line ? field(*line, "id") : "";
}

}  // namespace

int main() {
    ::setenv("KESTROVA_BIN", KESTROVA_BIN_DIR, 0);
    char pattern[] = "/tmp/kestrova-chat-bench-XXXXXX";
    std::filesystem::path root = ::mkdtemp(pattern);
    int status = 1;
    {
        ServerChild server((root / "server.db").string(), 0, {"--demo"});
        HarnessChild ann((root / "ann").string(), server.port(), {"ann@example.org", "ann"});
        HarnessChild bob((root / "bob").string(), server.port(), {"bob@example.org", "bob"});
        std::string bobId = bob.waitFor("state 100") && ann.waitFor("state 100") ? idOf(bob) : "";
        if (server.port() == 0 || bobId.empty() || bobId == "0") {
            std::fprintf(stderr, "chat benchmark: the demo server or its clients did not come up\n");
        } else {
            std::string text(kMessageBytes, 'm');
            auto start = Clock::now();
            for (int i = 0; i < kThroughputMessages; ++i) ann.command("send " + bobId + " " + text);
            int arrived = 0;
            while (arrived < kThroughputMessages && bob.waitFor("message ", std::chrono::seconds(30))) ++arrived;
            double rate = arrived / seconds(Clock::now() - start);

            std::vector<double> samples;
            for (int i = 0; i < kLatencySamples && arrived == kThroughputMessages; ++i) {
                auto sent = Clock::now();
                ann.command("send " + bobId + " " + text);
                // Arrival is when the line came out of the pipe, as the echo's
                // is when recv returns: not when this thread was woken for it.
                Clock::time_point arrivedAt;
                if (!bob.waitFor("message ", std::chrono::seconds(10), arrivedAt)) break;
                samples.push_back(seconds(arrivedAt - sent) * 1e6);
            }
            if (arrived != kThroughputMessages || samples.size() != kLatencySamples) {
                std::fprintf(stderr, "chat benchmark: %d of %d messages arrived\n", arrived, kThroughputMessages);
            } else {
                EchoResults echo = measureEcho();
                Percentiles chat = percentiles(samples);
                std::printf("clients through the server: %.0f messages/s, latency median %.0f us, p99 %.0f us\n", rate,
                            chat.median, chat.p99);
                std::printf("raw TCP echo:               %.0f messages/s, latency median %.0f us, p99 %.0f us\n",
                            echo.messagesPerSecond, echo.latency.median, echo.latency.p99);
                std::printf("ratio throughput clients / echo = %.4f\n", rate / echo.messagesPerSecond);
                // FIXME: neither latency aim is met (median about 19x the echo's, p99
                // about 23x, load 5 to 6 on the 2 shared CPUs). Traced hop by hop, one
                // message spends about 20 us from the pipe to the sender's loop, 40 us in
                // the server, 50 us until the receiver's socket worker wakes, 40 us from
                // that worker to the receiver's loop, 90 us in the receiver (reading,
                // the shown-messages journal opened, appended and closed, the output
                // line), 25 us to this process; the echo has two wake-ups in all. Left:
                // the connection's socket worker hand-off (lib/net could watch the socket
                // on the loop, as the harness now watches its input), the journal's
                // open per message, and the acknowledgements and history write that
                // compete for the same two CPUs. The durable relay's store of each
                // live delivery now comes before the write to the recipient (server
                // hold 115 to 185 us). See docs/PERFORMANCE.md.
                kestrova::bench::printAim("message latency median, clients through the server / TCP echo",
                                          chat.median / echo.latency.median, kestrova::bench::AtMost, 5.0);
                kestrova::bench::printAim("message latency p99, clients through the server / TCP echo",
                                          chat.p99 / echo.latency.p99, kestrova::bench::AtMost, 10.0);
                status = 0;
            }
        }
        ann.quit();
        bob.quit();
    }
    std::filesystem::remove_all(root);
    return status;
}
