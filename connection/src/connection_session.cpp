// The socket closed: reconnect after a delay (moving to the next server when
// the connect itself failed) and keep the session for a resume, or end it.
// Going offline at the user's request ends it for good.
#include "bus_names.h"
#include "connection.h"
#include "connection_settings.h"

#include <algorithm>

namespace kestrova::connection {
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
    AccountSnapshot account = account_.read();
    if (account.desiredStatus != kStatusOffline)
        scheduleReconnect(previous, account);
    else
        wasOnline_ = false;
    bool keepForResume = account.desiredStatus != kStatusOffline && resumable();
    if (!keepForResume) endSession();
}

void Connection::scheduleReconnect(int32_t previousState, const AccountSnapshot& account) {
    if (previousState == kStateConnecting && !resumable()) servers_.advance();
    setState(kStateReconnectWait);
    int32_t wait = kPlainReconnectWait;
    if (powerSave()) {
        reconnectDelay_ = std::min(reconnectDelay_ * 2, kMaxReconnectDelay);
        wait = reconnectDelay_;
    }
    reconnectAt_ = now() + wait * kSecond;
    window_.startTimer(5000);
    if (account.presence != kStatusOffline) {
        wasOnline_ = true;
        if (previousState == kStateOnline) resumeDeadline_ = now() + kResumeWindow * kSecond;
    }
}

void Connection::endSession() {
    RY_EventRaise(names::kSessionEnded, nullptr);
    account_.setPresence(kStatusOffline);
    objects_.endSession();
    pending_.failAll(kCodeSessionEnded);
    resumeKey_.clear();
    packetsReceived_ = 0;
}

void Connection::sendBye() {
    wire::Packet bye("BYE");
    bye.setHeader("PS", packetsReceived_);
    if (stayConnected_ != 0) bye.setHeader("Stay-Connected", stayConnected_);
    send(bye);
}

void Connection::disconnect() {
    account_.setDesiredStatus(kStatusOffline);
    account_.setFailure("", kReasonNone);
    if (isConnected()) sendBye();
    window_.stopTimer();
    closeSocket();
    onDisconnected();
}

}  // namespace kestrova::connection
