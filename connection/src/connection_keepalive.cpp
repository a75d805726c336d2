// Keep-alive: the server pings, we answer after the ping interval; every
// packet moves the dead-connection deadline; with power save the interval
// grows with idleness. The same timer waits out the reconnect delay.
#include "connection.h"

#include "kestrova/wire/protocol.h"

#include <algorithm>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

constexpr int64_t kSecond = 1'000'000;
constexpr int32_t kMinPingInterval = 30;
constexpr int32_t kMaxPingInterval = 300;
constexpr int32_t kDeadlineSlack = 30;
// Below this interval the device is asked to stay reachable.
constexpr int32_t kUnattendedBelow = 61;

}  // namespace

void Connection::onTimer() {
    Micros current = now();
    if (!isConnected()) {
        if (state() == kStateReconnectWait && current >= reconnectAt_) {
            window_.stopTimer();
            connect();
        }
        // NOTE: nothing else is due without a socket; a watchdog firing here
        // would run the disconnect a second time.
        return;
    }
    if ((pingDue_ != 0 && current >= pingDue_) || messageSincePing_) sendPing();
    if (deadline_ != 0 && current >= deadline_) {
        window_.stopTimer();
        closeSocket();
        onDisconnected();
        return;
    }
    if (isPocketPC_ && unattended_) power_.resetIdleTimer();
}

void Connection::sendPing() {
    Micros current = now();
    bool saving = powerSave();
    if (saving) {
        int64_t idle = (current - lastMessageAt_) / kSecond;
        pingInterval_ = static_cast<int32_t>(std::clamp<int64_t>(idle / 3, kMinPingInterval, kMaxPingInterval));
    }
    pingDue_ = 0;
    deadline_ = current + (pingInterval_ + kDeadlineSlack) * kSecond;
    messageSincePing_ = false;
    wire::Packet ping(protocol::command::kPing);
    ping.setHeader(protocol::header::kPacketsReceived, packetsReceived_);
    if (saving) ping.setHeader(protocol::header::kPingInterval, pingInterval_);
    send(ping);
    if (isPocketPC_) updatePowerRequest(deadline_);
}

void Connection::onPacketReceived() {
    pingDue_ = 0;
    deadline_ = now() + (pingInterval_ + kDeadlineSlack) * kSecond;
    if (isPocketPC_) {
        updatePowerRequest(deadline_);
        power_.resetIdleTimer();
    }
}

void Connection::onPing(const wire::Packet&) {
    pingDue_ = now() + pingInterval_ * kSecond;
    if (isPocketPC_) updatePowerRequest(pingDue_);
}

void Connection::updatePowerRequest(Micros wakeAt) {
    bool unattended = pingInterval_ < kUnattendedBelow;
    if (unattended != unattended_) {
        unattended_ = unattended;
        power_.setUnattendedMode(unattended);
        unattendedRequested_ = unattended;
    }
    if (unattended) {
        power_.resetIdleTimer();
        return;
    }
    // The system wakes the program by the calendar: the same moment in Unix time.
    platform::UnixTime unix = platform::unixNow();
    int64_t at = unix.seconds * kSecond + unix.microseconds + (wakeAt - now());
    power_.scheduleProgramStart(platform::UnixTime{at / kSecond, static_cast<int32_t>(at % kSecond)});
}

}  // namespace kestrova::connection
