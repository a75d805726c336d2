#include "tinyproxy_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace kestrova::testing {
namespace {

constexpr const char kTinyproxy[] = "/usr/bin/tinyproxy";

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

uint16_t freeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool TinyproxyProcess::installed() { return ::access(kTinyproxy, X_OK) == 0; }

TinyproxyProcess::TinyproxyProcess(const std::filesystem::path& folder) : port_(freeLoopbackPort()) {
    std::filesystem::path config = folder / "tinyproxy.conf";
    // No ConnectPort line: tunnels to any port are allowed.
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\n"
                          << "MaxClients 8\nLogLevel Critical\nLogFile \"" << (folder / "tinyproxy.log").string()
                          << "\"\n";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execl(kTinyproxy, kTinyproxy, "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 500 && !accepts(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TinyproxyProcess::~TinyproxyProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

bool TinyproxyProcess::running() const { return pid_ > 0 && accepts(port_); }

}  // namespace kestrova::testing
