#include "loopback_peer.h"

#include "kestrova/wire/packet_reader.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace kestrova::testing {

LoopbackPeer::LoopbackPeer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 8);
    socklen_t length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { serve(); });
}

LoopbackPeer::~LoopbackPeer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
    thread_.join();
    if (clientFd_ >= 0) ::close(clientFd_);
    if (listenFd_ >= 0) ::close(listenFd_);
    ::close(wakeFd_);
}

void LoopbackPeer::serve() {
    for (;;) {
        pollfd fds[3];
        int count = 0;
        int listenFd, clientFd;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            listenFd = listenFd_;
            clientFd = clientOpen_ ? clientFd_ : -1;
        }
        fds[count++] = {wakeFd_, POLLIN, 0};
        fds[count++] = {listenFd, POLLIN, 0};
        fds[count++] = {clientFd, POLLIN, 0};
        if (::poll(fds, count, 20) < 0) continue;
        if (fds[0].revents) {
            uint64_t value;
            (void)!::read(wakeFd_, &value, sizeof value);
        }
        if (listenFd >= 0 && (fds[1].revents & POLLIN)) acceptOne();
        if (clientFd >= 0 && fds[2].revents) readCurrent();
    }
}

void LoopbackPeer::acceptOne() {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard lock(mutex_);
    // A new connection replaces the old one, as a server sees a reconnect.
    if (clientFd_ >= 0) ::close(clientFd_);
    clientFd_ = fd;
    clientOpen_ = true;
    received_.clear();
    ++accepted_;
}

void LoopbackPeer::readCurrent() {
    char block[8192];
    std::lock_guard lock(mutex_);
    ssize_t n = ::recv(clientFd_, block, sizeof block, MSG_DONTWAIT);
    if (n > 0) {
        received_.append(block, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        clientOpen_ = false;
    }
}

int LoopbackPeer::connectionsAccepted() {
    std::lock_guard lock(mutex_);
    return accepted_;
}

bool LoopbackPeer::connectionOpen() {
    std::lock_guard lock(mutex_);
    return clientOpen_;
}

std::string LoopbackPeer::pendingBytes() {
    std::lock_guard lock(mutex_);
    return received_;
}

std::optional<std::string> LoopbackPeer::takePacket() {
    std::lock_guard lock(mutex_);
    wire::PacketReader reader;
    wire::ReadResult result = reader.read(received_);
    size_t used = result.consumed;
    while (result.status == wire::ReadStatus::Partial && used < received_.size() && result.consumed > 0) {
        result = reader.read(std::string_view(received_).substr(used));
        used += result.consumed;
    }
    if (result.status != wire::ReadStatus::Complete) return std::nullopt;
    std::string packet = received_.substr(0, used);
    received_.erase(0, used);
    return packet;
}

std::optional<std::string> LoopbackPeer::takeBytes(size_t n) {
    std::lock_guard lock(mutex_);
    if (received_.size() < n) return std::nullopt;
    std::string bytes = received_.substr(0, n);
    received_.erase(0, n);
    return bytes;
}

bool LoopbackPeer::send(const std::string& bytes) {
    int fd;
    {
        std::lock_guard lock(mutex_);
        if (!clientOpen_) return false;
        fd = clientFd_;
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void LoopbackPeer::dropConnection() {
    std::lock_guard lock(mutex_);
    if (clientFd_ >= 0) ::shutdown(clientFd_, SHUT_RDWR);
    clientOpen_ = false;
}

namespace {

uint16_t portOf(int fd, bool peer) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    int result = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                      : ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (result != 0 || address.sin_family != AF_INET) return 0;
    return ntohs(address.sin_port);
}

}  // namespace

bool LoopbackPeer::shutClientSending() {
    uint16_t clientPort;
    {
        std::lock_guard lock(mutex_);
        if (clientFd_ < 0) return false;
        clientPort = portOf(clientFd_, true);
    }
    // The client's end is the descriptor of this process whose own port is
    // the one the connection came from and whose peer is this listener.
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        int fd = std::atoi(entry.path().filename().c_str());
        if (clientPort != 0 && portOf(fd, false) == clientPort && portOf(fd, true) == port_)
            return ::shutdown(fd, SHUT_WR) == 0;
    }
    return false;
}

void LoopbackPeer::stopListening() {
    std::lock_guard lock(mutex_);
    if (listenFd_ < 0) return;
    // NOTE: a descriptor closed while the serving thread polls it lives on
    // until the poll returns, and keeps accepting into its backlog; shutting
    // it down stops the listening at once.
    ::shutdown(listenFd_, SHUT_RDWR);
    ::close(listenFd_);
    listenFd_ = -1;
    uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

bool pumpUntil(const std::function<void()>& pump, const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        pump();
    }
    return true;
}

}  // namespace kestrova::testing
