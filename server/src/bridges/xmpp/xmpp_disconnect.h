// Why an XMPP login ended, in the words the client files under the right
// disconnect code (disconnect_reason.h). The library reports little at the
// moment of the disconnect itself, so the link gathers facts on the way:
// whether the login ever succeeded, what the library said when
// authentication or the connection failed, the stream error the server
// sent, and the socket error of the close. The first failure decides: a
// later, milder fact never overwrites it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server::bridges::xmpp {

enum class StreamError { Conflict, PolicyViolation, SystemShutdown, NotAuthorized, Other };

struct DisconnectFacts {
    bool loggedIn = false;
    bool authenticationFailed = false;
    int connectErrno = 0; // the library's report of a failed TCP connect
    std::string problem;  // the first error the library logged (TLS and the like)
    std::optional<StreamError> streamError;
    std::string streamErrorText;
    int socketError = 0; // the error that came with the disconnect

    // Takes one message of the library's log.
    void noteLog(bool isError, std::string_view area, std::string_view message);
};

std::string disconnectReason(const DisconnectFacts& facts, std::string_view host, uint16_t port);

} // namespace kestrova::server::bridges::xmpp
