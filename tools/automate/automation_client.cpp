#include "automation_client.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace kestrova::automation {
namespace {

// Closes the socket on every path.
struct Socket {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

std::string request(const std::filesystem::path& socket, std::string_view line,
                    std::chrono::milliseconds patience) {
    Socket s;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (s.fd < 0 || socket.native().size() >= sizeof address.sun_path) return {};
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    timeval timeout{static_cast<time_t>(patience.count() / 1000),
                    static_cast<suseconds_t>(patience.count() % 1000 * 1000)};
    ::setsockopt(s.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(s.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    std::string out(line);
    out += '\n';
    for (size_t sent = 0; sent < out.size();) {
        ssize_t n = ::send(s.fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return {};
        sent += static_cast<size_t>(n);
    }
    std::string reply;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(s.fd, buffer, sizeof buffer);
        if (n <= 0) return {};
        reply.append(buffer, static_cast<size_t>(n));
        if (size_t end = reply.find('\n'); end != std::string::npos) return reply.substr(0, end);
    }
}

bool waitUntilServing(const std::filesystem::path& socket, std::chrono::milliseconds patience) {
    const auto until = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < until) {
        if (request(socket, "ping", std::chrono::seconds(5)) == "OK pong") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace kestrova::automation
