// Signing in through a real HTTP CONNECT proxy: tinyproxy, started by the
// test on loopback, between the client and the scripted server.
#include "sign_in_scene.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

namespace {

constexpr const char kTinyproxy[] = "/usr/bin/tinyproxy";

uint16_t freeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// A tinyproxy process that lives as long as this object.
class TinyproxyProcess {
public:
    explicit TinyproxyProcess(const std::filesystem::path& folder) : port_(freeLoopbackPort()) {
        std::filesystem::path config = folder / "tinyproxy.conf";
        std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\n"
                              << "MaxClients 4\nLogLevel Critical\nLogFile \"" << (folder / "tinyproxy.log").string()
                              << "\"\n";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl(kTinyproxy, kTinyproxy, "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !accepts(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~TinyproxyProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    uint16_t port() const { return port_; }
    bool running() const { return pid_ > 0 && accepts(port_); }

private:
    uint16_t port_;
    pid_t pid_ = -1;
};

}  // namespace

class Tinyproxy : public SignInScene {};

TEST_F(Tinyproxy, TheClientSignsInThroughTheTunnel) {
    if (::access(kTinyproxy, X_OK) != 0) GTEST_SKIP() << "tinyproxy is not installed";
    TinyproxyProcess proxy(home_);
    ASSERT_TRUE(proxy.running());
    RY_SetSettingLong("Connection/Proxy/Type", 1);
    RY_SetSettingString("Connection/Proxy/Host", "127.0.0.1");
    RY_SetSettingLong("Connection/Proxy/Port", proxy.port());

    std::string logon = startAndTakeLogon();
    EXPECT_EQ(logon,
              "LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: kim@example.org\nprotocol-version: 2.0\n\n");
    std::string k2 = authenticateEncrypted();
    acceptWithResumeKey(k2, "through-the-proxy");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    EXPECT_EQ(connection_->resumeKey(), "through-the-proxy");
    EXPECT_EQ(connection_->packetsReceived(), 2);
}
