#include "bridges/xmpp/xmpp_disconnect.h"

#include "bridges/disconnect_reason.h"

#include <charconv>
#include <cstring>

namespace kestrova::server::bridges::xmpp {
namespace {

constexpr std::string_view kConnectFailed = "connection failed, error ";

} // namespace

void DisconnectFacts::noteLog(bool isError, std::string_view area, std::string_view message) {
    // NOTE: the library tells why a login failed only in its log; these are
    // the words of the version Debian ships (0.12), checked by the tests
    // against a real server.
    if ((area == "auth" && isError) || message.find("auth failed") != std::string_view::npos) {
        authenticationFailed = true;
        return;
    }
    if (size_t at = message.find(kConnectFailed); at != std::string_view::npos && connectErrno == 0) {
        std::string_view digits = message.substr(at + kConnectFailed.size());
        std::from_chars(digits.data(), digits.data() + digits.size(), connectErrno);
        return;
    }
    if (isError && problem.empty()) problem = message;
}

std::string disconnectReason(const DisconnectFacts& facts, std::string_view host, uint16_t port) {
    if (!facts.loggedIn) {
        if (facts.authenticationFailed || facts.streamError == StreamError::NotAuthorized)
            return reason::unableToAuthenticate("the server refused the user name or password");
        if (facts.streamError == StreamError::PolicyViolation) return reason::tooFrequent(host);
        std::string detail = facts.connectErrno ? std::strerror(facts.connectErrno) : facts.problem;
        if (detail.empty() && facts.streamError) detail = facts.streamErrorText;
        return reason::unableToConnect(host, port, detail);
    }
    if (facts.streamError) {
        switch (*facts.streamError) {
        case StreamError::Conflict:
            return reason::kSignedOnElsewhere;
        case StreamError::PolicyViolation:
            return reason::tooFrequent(host);
        case StreamError::SystemShutdown:
            return reason::kDisconnected;
        default:
            return reason::otherwise(facts.streamErrorText);
        }
    }
    return facts.socketError ? reason::kUnreadableSocket : reason::kDisconnected;
}

} // namespace kestrova::server::bridges::xmpp
