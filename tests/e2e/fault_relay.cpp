#include "fault_relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace kestrova::e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTearWait = std::chrono::seconds(1);

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

void noDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool sendAll(int fd, const char* data, size_t length) {
    for (size_t done = 0; done < length;) {
        ssize_t n = ::send(fd, data + done, length - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A reset (RST) instead of an orderly end: what a dropped route or a killed
// middlebox looks like to both ends.
void closeHard(int fd, bool reset) {
    if (reset) {
        linger off{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    } else {
        ::shutdown(fd, SHUT_RDWR);
    }
    ::close(fd);
}

} // namespace

FaultRelay::FaultRelay(uint16_t upstreamPort) : upstream_(upstreamPort) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

FaultRelay::~FaultRelay() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable()) thread_.join();
    closeAll(false);
    for (int fd : {listener_, wakeRead_, wakeWrite_})
        if (fd >= 0) ::close(fd);
}

void FaultRelay::setUpstream(uint16_t port) {
    std::lock_guard lock(mutex_);
    upstream_ = port;
}

size_t FaultRelay::open() const {
    std::lock_guard lock(mutex_);
    return pairs_.size();
}

bool FaultRelay::cut(bool midStream, uint32_t random) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) return false;
    cut_ = CutRequest{true, midStream, random, false, false};
    lock.unlock();
    wake();
    lock.lock();
    cutDone_.wait(lock, [this] { return cut_.done; });
    return cut_.torn;
}

void FaultRelay::wake() {
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeWrite_, &byte, 1);
}

void FaultRelay::finishCut(bool torn) {
    cut_.pending = false;
    cut_.done = true;
    cut_.torn = torn;
    cutDone_.notify_all();
}

void FaultRelay::closeAll(bool reset) {
    for (const Pair& pair : pairs_) {
        closeHard(pair.client, reset);
        closeHard(pair.server, reset);
    }
    pairs_.clear();
}

void FaultRelay::run() {
    std::unique_lock lock(mutex_);
    Clock::time_point tearBy{};
    while (!stopping_) {
        if (cut_.pending && !cut_.midStream) {
            closeAll(cut_.random & 1);
            finishCut(false);
        }
        if (cut_.pending && tearBy == Clock::time_point{}) tearBy = Clock::now() + kTearWait;
        if (cut_.pending && Clock::now() >= tearBy) {
            // Nothing passed in time: a plain cut.
            closeAll(cut_.random & 1);
            finishCut(false);
        }
        if (!cut_.pending) tearBy = {};

        std::vector<pollfd> polled{{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        for (const Pair& pair : pairs_) {
            polled.push_back({pair.client, POLLIN, 0});
            polled.push_back({pair.server, POLLIN, 0});
        }
        int timeout = cut_.pending ? 50 : -1;
        lock.unlock();
        int ready = ::poll(polled.data(), polled.size(), timeout);
        lock.lock();
        if (ready <= 0) continue;
        if (polled[1].revents) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if (polled[0].revents & POLLIN) acceptOne();
        // Pairs were only appended since the poll, so indexes still match.
        std::vector<size_t> closing;
        for (size_t i = 0; i < (polled.size() - 2) / 2 && i < pairs_.size(); ++i) {
            const Pair pair = pairs_[i];
            bool alive = true;
            if (polled[2 + 2 * i].revents) alive = forward(pair.client, pair.server);
            if (pairs_.empty()) break; // a cut tore the stream
            if (alive && polled[3 + 2 * i].revents) alive = forward(pair.server, pair.client);
            if (pairs_.empty()) break;
            if (!alive) closing.push_back(i);
        }
        for (auto i = closing.rbegin(); i != closing.rend() && !pairs_.empty(); ++i) {
            closeHard(pairs_[*i].client, false);
            closeHard(pairs_[*i].server, false);
            pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
    }
}

void FaultRelay::acceptOne() {
    int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(upstream_);
    if (upstream_ == 0 || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        // The server is down: the client sees its connection end at once.
        ::close(server);
        ::close(client);
        return;
    }
    noDelay(client);
    noDelay(server);
    pairs_.push_back({client, server});
}

bool FaultRelay::forward(int from, int to) {
    char buffer[16384];
    ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) return false;
    if (cut_.pending && cut_.midStream) {
        // One byte at least is dropped, and with more than one, some pass.
        size_t passed = n > 1 ? 1 + cut_.random % static_cast<size_t>(n - 1) : 0;
        sendAll(to, buffer, passed);
        closeAll((cut_.random >> 8) & 1);
        finishCut(true);
        return false;
    }
    return sendAll(to, buffer, static_cast<size_t>(n));
}

} // namespace kestrova::e2e
