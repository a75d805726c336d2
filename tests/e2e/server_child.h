// kestrova-server as a child process on a loopback port, the way the demo
// and a real deployment run it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova::e2e {

// build/bin/kestrova-server, found through KESTROVA_BIN.
std::string serverBinary();
// Runs the server with these arguments to its end; its exit status.
int runServerToEnd(const std::vector<std::string>& args);

class ServerChild {
public:
    // `kestrova-server --db <database> --port <port>`; port 0 lets the system
    // choose. port() is 0 when it did not come up.
    // `extra` goes after them (for example "--demo").
    explicit ServerChild(const std::string& database, uint16_t port = 0, const std::vector<std::string>& extra = {});
    ~ServerChild();
    ServerChild(const ServerChild&) = delete;
    ServerChild& operator=(const ServerChild&) = delete;

    uint16_t port() const { return port_; }
    // Its process id while it runs, for /proc; -1 once ended.
    pid_t pid() const { return pid_; }
    // Ends it at once, as a crash would.
    void kill();

private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    // Its standard output, kept open so that later lines never meet a
    // closed pipe.
    int output_ = -1;
};

}  // namespace kestrova::e2e
