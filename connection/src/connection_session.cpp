// The socket closed: reconnect after a delay (moving to the next server when
// the connect itself failed) and keep the session for a resume, or end it.
// Going offline at the user's request ends it for good.
#include "connection.h"

#include "kestrova/wire/protocol.h"

#include <algorithm>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

constexpr int64_t kSecond = 1'000'000;
constexpr int32_t kPlainReconnectWait = 5;
constexpr int32_t kMaxReconnectDelay = 300;
constexpr int32_t kResumeWindow = 300;

}  // namespace

bool Connection::resumable() const { return !resumeKey_.empty() && now() < resumeDeadline_; }

void Connection::onDisconnected() {
    int32_t previous = state();
    setState(kStateOffline);
    PacketSocket::onDisconnected();
    window_.stopTimer();
    kit::ServiceFields account = account_.read();
    if (account.desiredStatus != RY_PRESENCE_OFFLINE)
        scheduleReconnect(previous, account);
    else
        wasOnline_ = false;
    bool keepForResume = account.desiredStatus != RY_PRESENCE_OFFLINE && resumable();
    if (!keepForResume) endSession();
}

void Connection::scheduleReconnect(int32_t previousState, const kit::ServiceFields& account) {
    if (previousState == kStateConnecting && !resumable()) servers_.advance();
    setState(kStateReconnectWait);
    int32_t wait = kPlainReconnectWait;
    if (powerSave()) {
        reconnectDelay_ = std::min(reconnectDelay_ * 2, kMaxReconnectDelay);
        wait = reconnectDelay_;
    }
    reconnectAt_ = now() + wait * kSecond;
    window_.startTimer(5000);
    if (account.presence != RY_PRESENCE_OFFLINE) {
        wasOnline_ = true;
        if (previousState == kStateOnline) resumeDeadline_ = now() + kResumeWindow * kSecond;
    }
}

void Connection::endSession() {
    bus::raise(names::kConnectionSessionEnded);
    account_.write(kit::ServiceChange().presence(RY_PRESENCE_OFFLINE));
    objects_.endSession();
    pending_.failAll(kCodeSessionEnded);
    resumeKey_.clear();
    packetsReceived_ = 0;
}

void Connection::sendBye() {
    wire::Packet bye(protocol::command::kBye);
    bye.setHeader(protocol::header::kPacketsReceived, packetsReceived_);
    if (stayConnected_ != 0) bye.setHeader(protocol::header::kStayConnected, stayConnected_);
    send(bye);
}

void Connection::disconnect() {
    account_.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_OFFLINE));
    account_.write(kit::ServiceChange().failure("", kit::kFailureNone));
    if (isConnected()) sendBye();
    window_.stopTimer();
    closeSocket();
    onDisconnected();
}

}  // namespace kestrova::connection
