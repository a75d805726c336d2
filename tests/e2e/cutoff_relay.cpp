#include "cutoff_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

#include "kestrova/wire/packet_reader.h"

namespace kestrova::e2e {
namespace {

int listenOnLoopback(uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

int connectTo(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

CutoffRelay::CutoffRelay(uint16_t serverPort) : serverPort_(serverPort) {
    listen_ = listenOnLoopback(port_);
    if (listen_ >= 0) thread_ = std::thread([this] { serve(); });
}

CutoffRelay::~CutoffRelay() {
    stopping_ = true;
    drop();
    if (thread_.joinable()) thread_.join();
    if (listen_ >= 0) ::close(listen_);
}

bool CutoffRelay::waitForCut() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return cut_; });
}

void CutoffRelay::drop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
    if (server_ >= 0) ::shutdown(server_, SHUT_RDWR);
}

void CutoffRelay::serve() {
    while (!stopping_) {
        pollfd waiting{listen_, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0) continue;
        int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        int server = connectTo(serverPort_);
        if (server < 0) {
            ::close(client);
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            client_ = client;
            server_ = server;
        }
        relay(client, server);
        std::lock_guard<std::mutex> lock(mutex_);
        ::close(client_);
        ::close(server_);
        client_ = server_ = -1;
    }
}

// Both ways until either end closes; the client's packets are read whole, so
// the cut falls exactly after the first chunk of a long message.
void CutoffRelay::relay(int client, int server) {
    wire::PacketReader reader;
    std::string packetBytes; // the bytes of the client's packet being read
    bool holding = false;
    char buffer[16384];
    while (!stopping_) {
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(ends, 2, 100) < 0) return;
        if (ends[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            if (n <= 0 || !writeAll(client, {buffer, static_cast<size_t>(n)})) return;
        }
        if (ends[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            std::string_view input(buffer, static_cast<size_t>(n));
            while (!holding && !input.empty()) {
                wire::ReadResult result = reader.read(input);
                packetBytes.append(input.substr(0, result.consumed));
                input.remove_prefix(result.consumed);
                if (reader.state() == wire::PacketReader::State::Failed) return;
                if (reader.state() != wire::PacketReader::State::Complete) break;
                wire::Packet packet = reader.takePacket();
                if (!writeAll(server, packetBytes)) return;
                packetBytes.clear();
                if (packet.command() == "MESG" && packet.hasHeader("Total-Length") &&
                    !packet.hasHeader("Last")) {
                    holding = true;
                    std::lock_guard<std::mutex> lock(mutex_);
                    cut_ = true;
                    changed_.notify_all();
                }
            }
        }
    }
}

} // namespace kestrova::e2e
