#include "kestrova/net/packet_socket.h"

#include "connect_attempt.h"
#include "network_probe.h"

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace kestrova::net {

struct PacketSocket::Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
};

namespace {

wire::ReaderLimits receiveLimits() {
    wire::ReaderLimits limits;
    limits.maxBody = kMaxReceivedPacket;
    return limits;
}

}  // namespace

PacketSocket::PacketSocket(HiddenWindow& window) : PacketSocket(window, receiveLimits()) {}

PacketSocket::PacketSocket(HiddenWindow& window, wire::ReaderLimits limits) : window_(window), receiver_(limits) {}

PacketSocket::~PacketSocket() {
    closeSocket();
    // Workers blocked in a send to the window must be let go before they are
    // joined.
    window_.close();
    for (auto& worker : workers_) {
        while (!worker->finished->load()) {
            window_.serveWaitingSenders();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        worker->thread.join();
    }
}

void PacketSocket::reapFinishedWorkers() {
    std::erase_if(workers_, [](std::unique_ptr<Worker>& worker) {
        if (!worker->finished->load()) return false;
        worker->thread.join();
        return true;
    });
}

void PacketSocket::checkNetwork() {
    reapFinishedWorkers();
    auto worker = std::make_unique<Worker>();
    worker->thread = std::thread([this, finished = worker->finished] {
        bool brought = networkNeedsBringingUp() && bringUpNetwork();
        window_.send(brought ? kMsgNetworkViaManager : kMsgNetworkPresent);
        *finished = true;
    });
    workers_.push_back(std::move(worker));
}

void PacketSocket::startConnect(std::string host, uint16_t port) {
    reapFinishedWorkers();
    closeSocket();
    attempt_ = std::make_shared<ConnectAttempt>(nextAttemptId_++, std::move(host), port);
    auto worker = std::make_unique<Worker>();
    worker->thread = std::thread([this, attempt = attempt_, finished = worker->finished] {
        attempt->run(window_);
        *finished = true;
    });
    workers_.push_back(std::move(worker));
}

bool PacketSocket::isConnected() const { return attempt_ && attempt_->connected(); }

bool PacketSocket::isCurrent(uintptr_t attemptId) const {
    return attempt_ && attempt_->id() == attemptId && !attempt_->cancelled();
}

void PacketSocket::closeSocket() {
    if (!attempt_) return;
    attempt_->cancel();
    attempt_.reset();
}

void PacketSocket::onDisconnected() {
    if (attempt_) attempt_->markDisconnected();
    txBuffer_.clear();
    receiver_.clear();
}

void PacketSocket::onError(int code) {
    closeSocket();
    onDisconnected();
}

bool PacketSocket::flush() {
    if (!isConnected()) return false;
    size_t sent = 0;
    while (sent < txBuffer_.size()) {
        size_t block = std::min(kSendBlock, txBuffer_.size() - sent);
        ssize_t n = ::send(attempt_->fd(), txBuffer_.data() + sent, block, MSG_NOSIGNAL);
        if (n < 1) {
            onError(errno);
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    txBuffer_.clear();
    onDataSent();
    return true;
}

bool PacketSocket::receiveOnce() {
    char block[kReceiveBlock];
    ssize_t n = ::recv(attempt_->fd(), block, sizeof block, 0);
    if (n <= 0) {
        closeSocket();
        onDisconnected();
        return false;
    }
    receiver_.append(std::string_view(block, static_cast<size_t>(n)));
    onDataReceived();
    return isConnected();
}

bool PacketSocket::poll() {
    if (!isConnected()) return false;
    pollfd fd{attempt_->fd(), POLLIN | POLLPRI, 0};
    int n = ::poll(&fd, 1, 0);
    if (n < 0 || (fd.revents & (POLLERR | POLLNVAL))) {
        onError(n < 0 ? errno : 0);
        return false;
    }
    if (!flush()) return false;
    if (fd.revents & (POLLIN | POLLPRI | POLLHUP)) return receiveOnce();
    return true;
}

void PacketSocket::onDataReceived() {
    for (;;) {
        wire::ReadStatus status = receiver_.next(incoming_);
        if (status == wire::ReadStatus::Partial) return;
        if (status == wire::ReadStatus::Error) {
            // NOTE: a stream the reader cannot follow (a body beyond the bound,
            // an endless line) is not worth waiting for: drop the connection.
            closeSocket();
            onDisconnected();
            return;
        }
        onPacket(incoming_);
        if (!isConnected()) return;
    }
}

intptr_t PacketSocket::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case kMsgConnected:
        if (isCurrent(wParam)) onConnected();
        return 1;
    case kMsgSocketReady:
        return isCurrent(wParam) ? poll() : 0;
    case kMsgNetworkViaManager:
        onNetworkReady(true);
        return 1;
    case kMsgNetworkPresent:
        onNetworkReady(false);
        return 1;
    case kMsgConnectFailed:
        if (isCurrent(wParam)) onError(0);
        return 1;
    default:
        return 0;
    }
}

}  // namespace kestrova::net
