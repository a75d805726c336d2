#include "holding_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <memory>
#include <string_view>
#include <vector>

namespace kestrova::e2e {

struct HoldingRelay::Pair {
    int client = -1;
    int server = -1;
    std::string toServer; // what the client sent that has not gone on
    bool clientHeld = false;
    bool atLineStart = true; // the next byte to go on starts a line
    bool closed = false;
    ~Pair() {
        if (client >= 0) ::close(client);
        if (server >= 0) ::close(server);
    }
};

namespace {

int connectTo(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

bool sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

HoldingRelay::HoldingRelay(uint16_t serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

HoldingRelay::~HoldingRelay() {
    stopping_ = true;
    if (wake_[1] >= 0) (void)!::write(wake_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : {listener_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

void HoldingRelay::holdFrom(std::string command) {
    std::lock_guard lock(mutex_);
    holdCommand_ = std::move(command);
    released_ = false;
}

void HoldingRelay::release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        holdCommand_.clear();
    }
    (void)!::write(wake_[1], "x", 1);
}

size_t HoldingRelay::forwardable(const std::string& waiting, bool atLineStart, bool& held) {
    std::lock_guard lock(mutex_);
    if (released_) held = false;
    if (held) return 0;
    const std::string& command = holdCommand_;
    if (command.empty()) return waiting.size();
    // Each line start in turn: the first byte when a line starts there, and
    // the byte after every line break.
    auto nextLine = [&](size_t from) {
        const size_t end = waiting.find('\n', from);
        return end == std::string::npos ? end : end + 1;
    };
    for (size_t at = atLineStart ? 0 : nextLine(0); at != std::string::npos; at = nextLine(at)) {
        const std::string_view line = std::string_view(waiting).substr(at);
        if (line.starts_with(command)) {
            held = true;
            holding_ = true;
            return at;
        }
        // The command may be cut in two by the read: the rest waits for its end.
        if (line.size() < command.size() && std::string_view(command).starts_with(line)) return at;
    }
    return waiting.size();
}

void HoldingRelay::run() {
    std::vector<std::unique_ptr<Pair>> pairs;
    char buffer[4096];
    while (!stopping_) {
        std::vector<pollfd> fds{{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        for (auto& pair : pairs) {
            fds.push_back({pair->client, POLLIN, 0});
            fds.push_back({pair->server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 200) < 0) continue;
        const size_t polled = pairs.size();
        if (fds[1].revents) (void)!::read(wake_[0], buffer, sizeof buffer);
        if (fds[0].revents & POLLIN) {
            int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            int server = client >= 0 ? connectTo(serverPort_) : -1;
            if (server >= 0) {
                auto pair = std::make_unique<Pair>();
                pair->client = client;
                pair->server = server;
                pairs.push_back(std::move(pair));
            } else if (client >= 0) {
                ::close(client);
            }
        }
        // Only the pairs that were polled have events to read.
        for (size_t i = 0; i < polled; ++i) {
            Pair& pair = *pairs[i];
            if (fds[i * 2 + 2].revents) {
                ssize_t n = ::read(pair.client, buffer, sizeof buffer);
                if (n <= 0)
                    pair.closed = true;
                else
                    pair.toServer.append(buffer, static_cast<size_t>(n));
            }
            if (!pair.closed && fds[i * 2 + 3].revents) {
                ssize_t n = ::read(pair.server, buffer, sizeof buffer);
                pair.closed = n <= 0 || !sendAll(pair.client, buffer, static_cast<size_t>(n));
            }
        }
        for (auto& pair : pairs) {
            if (pair->closed || pair->toServer.empty()) continue;
            const size_t now = forwardable(pair->toServer, pair->atLineStart, pair->clientHeld);
            if (now == 0) continue;
            pair->closed = !sendAll(pair->server, pair->toServer.data(), now);
            pair->atLineStart = pair->toServer[now - 1] == '\n';
            pair->toServer.erase(0, now);
        }
        std::erase_if(pairs, [](const std::unique_ptr<Pair>& pair) { return pair->closed; });
    }
}

} // namespace kestrova::e2e
