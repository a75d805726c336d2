#include "client_connection.h"

#include <algorithm>

namespace kestrova::server {
namespace {

wire::ReaderLimits signedInLimits(const ServerConfig& config) {
    wire::ReaderLimits limits;
    limits.maxBody = config.maxBody;
    return limits;
}

wire::ReaderLimits signInLimits(const ServerConfig& config) {
    wire::ReaderLimits limits;
    limits.maxLine = config.maxLineBeforeSignIn;
    limits.maxHeaderBytes = config.maxHeaderBytesBeforeSignIn;
    limits.maxHeaders = config.maxHeadersBeforeSignIn;
    limits.maxBody = config.maxBodyBeforeSignIn;
    return limits;
}

std::chrono::milliseconds checkInterval(const ServerConfig& config) {
    auto shortest = std::min({config.logonTimeout, config.idleTimeout, config.writeTimeout});
    return std::clamp(shortest / 4, std::chrono::milliseconds(5), std::chrono::milliseconds(1000));
}

constexpr size_t kWriteSlice = 64 * 1024;

}  // namespace

ClientConnection::ClientConnection(asio::ip::tcp::socket socket, ConnectionHost& host, uint64_t id)
    : socket_(std::move(socket)),
      timer_(socket_.get_executor()),
      host_(host),
      id_(id),
      receiver_(signInLimits(host.config())),
      connectedAt_(Clock::now()),
      lastPacketAt_(connectedAt_) {
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void ClientConnection::start() {
    armTimer();
    readMore();
}

void ClientConnection::readMore() {
    socket_.async_read_some(asio::buffer(readBuffer_), [this, self = shared_from_this()](asio::error_code error, size_t n) {
        if (!open_) return;
        if (error) return close();
        receiver_.append(std::string_view(readBuffer_.data(), n));
        takePackets();
        if (open_) readMore();
    });
}

void ClientConnection::takePackets() {
    for (;;) {
        wire::ReadStatus status = receiver_.next(packet_);
        if (status == wire::ReadStatus::Partial) return;
        if (status == wire::ReadStatus::Error) return close();
        if (closing_) continue;  // a peer being dropped gets no more answers
        lastPacketAt_ = Clock::now();
        host_.onPacket(*this, packet_);
        if (!open_) return;
    }
}

bool ClientConnection::send(const wire::Packet& packet) {
    std::optional<std::string> bytes = packet.serialise();
    if (!bytes) return false;
    sendBytes(*bytes);
    return true;
}

void ClientConnection::sendBytes(std::string_view bytes) {
    if (!open_ || closing_) return;
    queuedBytes_ += bytes.size();
    if (queuedBytes_ > host_.config().maxQueuedBytes) return close();
    writeQueue_.emplace_back(bytes);
    if (!writing_) writeMore();
}

void ClientConnection::writeMore() {
    if (writeQueue_.empty()) {
        writing_ = false;
        if (closing_) close();
        return;
    }
    if (!writing_) lastWriteProgressAt_ = Clock::now();
    writing_ = true;
    const std::string& front = writeQueue_.front();
    size_t length = std::min(kWriteSlice, front.size() - writeOffset_);
    socket_.async_write_some(asio::buffer(front.data() + writeOffset_, length),
                             [this, self = shared_from_this()](asio::error_code error, size_t n) {
                                 if (!open_) return;
                                 if (error) return close();
                                 lastWriteProgressAt_ = Clock::now();
                                 writeOffset_ += n;
                                 queuedBytes_ -= n;
                                 if (writeOffset_ == writeQueue_.front().size()) {
                                     writeQueue_.pop_front();
                                     writeOffset_ = 0;
                                 }
                                 writeMore();
                             });
}

void ClientConnection::closeAfterFlush() {
    closing_ = true;
    if (!writing_) close();
}

void ClientConnection::close() {
    if (!open_) return;
    open_ = false;
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    timer_.cancel();
    writeQueue_.clear();
    host_.onClosed(*this);
}

void ClientConnection::setSession(std::shared_ptr<SubscriberSession> session) {
    // Signed in: from the next byte on the peer may send what a session
    // needs.
    if (session && !session_) receiver_.setLimits(signedInLimits(host_.config()));
    session_ = std::move(session);
}

void ClientConnection::allowSilence(std::chrono::milliseconds silence) { allowedSilence_ = silence; }


void ClientConnection::armTimer() {
    timer_.expires_after(checkInterval(host_.config()));
    timer_.async_wait([this, self = shared_from_this()](asio::error_code error) {
        if (error || !open_) return;
        checkDeadlines();
        if (open_) armTimer();
    });
}

void ClientConnection::checkDeadlines() {
    Clock::time_point now = Clock::now();
    const ServerConfig& config = host_.config();
    if (!signedIn() && now - connectedAt_ > config.logonTimeout) return close();
    if (signedIn() && now - lastPacketAt_ > std::max(config.idleTimeout, allowedSilence_)) return close();
    if (writing_ && now - lastWriteProgressAt_ > host_.config().writeTimeout) return close();
}

}  // namespace kestrova::server
