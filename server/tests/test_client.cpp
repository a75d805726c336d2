#include "test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kestrova::server::testing {
namespace {

constexpr int kGuardSeconds = 20;

}  // namespace

std::unique_ptr<TestClient> TestClient::connect(uint16_t port, int receiveBuffer) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return nullptr;
    if (receiveBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    timeval guard{kGuardSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &guard, sizeof guard);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TestClient>(new TestClient(fd));
}

TestClient::~TestClient() { disconnect(); }

void TestClient::disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TestClient::send(const wire::Packet& packet) {
    std::optional<std::string> bytes = packet.serialise();
    return bytes && sendRaw(*bytes);
}

bool TestClient::sendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

bool TestClient::readMore() {
    char chunk[4096];
    for (;;) {
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(got));
        return true;
    }
}

std::optional<Received> TestClient::receive() {
    std::string raw;
    for (;;) {
        wire::ReadResult result = reader_.read(buffer_);
        raw.append(buffer_, 0, result.consumed);
        buffer_.erase(0, result.consumed);
        if (result.status == wire::ReadStatus::Complete) return Received{reader_.takePacket(), raw};
        if (result.status == wire::ReadStatus::Error || !readMore()) return std::nullopt;
    }
}

bool TestClient::waitForClose() {
    buffer_.clear();
    char chunk[4096];
    for (;;) {
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) return true;
        if (got < 0) return errno == ECONNRESET || errno == EPIPE;
    }
}

bool TestClient::closesWithoutData() {
    if (!buffer_.empty()) return false;
    char byte;
    for (;;) {
        ssize_t got = ::recv(fd_, &byte, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) return true;
        if (got < 0) return errno == ECONNRESET;
        return false;
    }
}

}  // namespace kestrova::server::testing
