// A tinyproxy process on a free loopback port, for as long as this object
// lives: a real HTTP CONNECT proxy between a client under test and its server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>

namespace kestrova::testing {

class TinyproxyProcess {
public:
    static bool installed();
    // Writes its configuration and log into folder.
    explicit TinyproxyProcess(const std::filesystem::path& folder);
    ~TinyproxyProcess();
    TinyproxyProcess(const TinyproxyProcess&) = delete;
    TinyproxyProcess& operator=(const TinyproxyProcess&) = delete;

    uint16_t port() const { return port_; }
    bool running() const;

private:
    uint16_t port_;
    pid_t pid_ = -1;
};

}  // namespace kestrova::testing
