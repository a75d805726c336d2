// A real XMPP server for the bridge's end-to-end tests: Debian's Prosody,
// started in the foreground as the current user on a free loopback port,
// with its configuration and data in a folder of its own that goes with
// it. Plain authentication is allowed and no TLS is offered (nothing leaves
// the loopback interface); rooms live at conference.localhost.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::server::testing {

class Prosody {
  public:
    // Nothing when prosody is not installed; `why` says what is missing or
    // what failed.
    static std::unique_ptr<Prosody> start(const std::vector<std::pair<std::string, std::string>>& accounts,
                                          std::string& why);
    ~Prosody();
    Prosody(const Prosody&) = delete;
    Prosody& operator=(const Prosody&) = delete;

    uint16_t port() const { return port_; }
    static constexpr const char* kDomain = "localhost";
    static constexpr const char* kRooms = "conference.localhost";

  private:
    Prosody() = default;
    std::string folder_;
    uint16_t port_ = 0;
    pid_t pid_ = -1;
};

// A loopback port nothing listens on (as far as one can tell).
uint16_t unusedLoopbackPort();

} // namespace kestrova::server::testing
