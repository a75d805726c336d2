#include "connect_attempt.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace kestrova::net {
namespace {

constexpr int kWaitTimeoutMs = 10000;

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

}  // namespace

ConnectAttempt::ConnectAttempt(uintptr_t id, std::string host, uint16_t port)
    : id_(id), host_(std::move(host)), port_(port), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ConnectAttempt::~ConnectAttempt() {
    if (fd_ >= 0) ::close(fd_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void ConnectAttempt::cancel() {
    cancelled_ = true;
    connected_ = false;
    int fd = fd_.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
    uint64_t one = 1;
    if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
}

void ConnectAttempt::run(HiddenWindow& window) {
    if (!resolveAndConnect()) {
        if (!cancelled()) window.send(kMsgConnectFailed, id_);
        return;
    }
    // The user-interface thread reads and writes with blocking calls, a
    // block at a time, as it always has.
    int fd = fd_.load();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    connected_ = true;
    if (cancelled()) return;
    window.send(kMsgConnected, id_);
    waitLoop(window);
}

bool ConnectAttempt::resolveAndConnect() {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host_.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    std::unique_ptr<addrinfo, AddrInfoDeleter> owner(found);
    // Like the device's resolver: the first address is the one we use.
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    address.sin_port = htons(port_);

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd < 0) return false;
    fd_ = fd;
    if (cancelled()) return false;
    int noDelay = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
    if (errno != EINPROGRESS) return false;
    return waitForConnect(fd);
}

bool ConnectAttempt::waitForConnect(int fd) {
    pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || cancelled() || fds[1].revents) return false;
        if (fds[0].revents) break;
    }
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

int ConnectAttempt::waitReadable(int timeoutMs) {
    pollfd fds[2] = {{fd_.load(), POLLIN | POLLPRI, 0}, {wakeFd_, POLLIN, 0}};
    int n = ::poll(fds, 2, timeoutMs);
    if (n < 0) return errno == EINTR ? 0 : -1;
    if (cancelled() || fds[1].revents) return -1;
    return n;
}

void ConnectAttempt::waitLoop(HiddenWindow& window) {
    while (connected() && !cancelled()) {
        int ready = waitReadable(kWaitTimeoutMs);
        if (ready < 0) return;
        if (ready == 0) continue;
        if (window.send(kMsgSocketReady, id_) == 0) return;
    }
}

}  // namespace kestrova::net
