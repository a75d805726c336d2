#include "load_client.h"

#include "auth_proof.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/protocol.h"
#include "os_random.h"
#include "profile_frame.h"

namespace kestrova::load {

namespace protocol = wire::protocol;

namespace {

constexpr const char kProtocolVersion[] = "2.0";
constexpr const char kOperator[] = "PC_CLIENT";
constexpr const char kAppType[] = "SmartPhone";
constexpr int32_t kOnline = 1;

uint32_t responseCode(const std::string& body) {
    if (body.size() != 4) return UINT32_MAX;
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(body[i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

} // namespace

LoadClient::LoadClient(asio::io_context& io, asio::ip::tcp::endpoint server, LoadAccount account,
                       LoadEvents& events, std::chrono::milliseconds pingInterval)
    : io_(io), server_(server), account_(std::move(account)), events_(events), pingInterval_(pingInterval),
      socket_(io), pingTimer_(io) {}

void LoadClient::signIn() {
    closeSocket();
    ++generation_;
    receiver_.clear();
    outbox_.clear();
    writtenOfFront_ = 0;
    writing_ = false;
    packetsReceived_ = 0;
    failure_.clear();
    state_ = State::Connecting;
    connectStartedAt_ = Clock::now();
    socket_.async_connect(server_, [this, generation = generation_](asio::error_code error) {
        if (generation != generation_) return;
        if (error) return fail("connect: " + error.message(), true);
        onConnected();
    });
}

void LoadClient::onConnected() {
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    state_ = State::AwaitChallenge;
    wire::Packet logon(protocol::command::kLogon);
    logon.setHeader(protocol::header::kProtocolVersion, kProtocolVersion);
    logon.setHeader(protocol::header::kAppType, kAppType);
    logon.setHeader(protocol::header::kName, account_.name);
    logon.setHeaderVerbatim(protocol::header::kOperator, kOperator);
    send(logon);
    readMore();
}

void LoadClient::signOff() {
    if (state_ != State::Online) return;
    state_ = State::SigningOff;
    pingTimer_.cancel();
    wire::Packet bye(protocol::command::kBye);
    bye.setHeader(protocol::header::kPacketsReceived, packetsReceived_);
    send(bye);
}

uint64_t LoadClient::request(wire::Packet packet) {
    uint64_t id = nextMesgId_++;
    packet.setHeader(protocol::header::kMesgId, id);
    send(packet);
    return id;
}

void LoadClient::readMore() {
    socket_.async_read_some(asio::buffer(readBuffer_),
                            [this, generation = generation_](asio::error_code error, size_t n) {
                                if (generation != generation_) return;
                                if (error) {
                                    if (state_ == State::SigningOff) {
                                        closeSocket();
                                        state_ = State::Idle;
                                        return events_.onSignedOff(*this);
                                    }
                                    return fail(error == asio::error::eof ? "connection closed by the server"
                                                                          : "read: " + error.message(),
                                                true);
                                }
                                receiver_.append(std::string_view(readBuffer_.data(), n));
                                takePackets();
                                if (generation == generation_ && state_ != State::Failed) readMore();
                            });
}

void LoadClient::takePackets() {
    uint64_t generation = generation_;
    for (;;) {
        wire::ReadStatus status = receiver_.next(packet_);
        if (status == wire::ReadStatus::Partial) return;
        if (status == wire::ReadStatus::Error)
            return fail(std::string("unreadable packet: ") + describe(receiver_.error()));
        ++packetsReceived_;
        handle(packet_);
        if (generation != generation_ || state_ == State::Failed) return;
    }
}

void LoadClient::handle(const wire::Packet& packet) {
    const std::string& command = packet.command();
    if (command == protocol::command::kAuth && state_ == State::AwaitChallenge)
        return answerChallenge(packet);
    if (command == protocol::command::kLogonFailed)
        return fail("sign-in refused: " + packet.header(protocol::header::kReason));
    if (command == protocol::command::kGhosted) return fail("displaced by another sign-in");
    if (command == protocol::command::kSubProfile) {
        if (state_ == State::AwaitProfile) return acceptProfile(packet);
        return events_.onProfilePush(*this, packet);
    }
    if (command == protocol::command::kPing) return armPing();
    if (command == protocol::command::kMessage) return events_.onMessage(*this, packet);
    if (command == protocol::command::kGroupUpdate) {
        ++groupUpdates_;
        return;
    }
    if (command == protocol::command::kResponse) {
        uint64_t id = packet.headerId(protocol::header::kMesgId);
        uint32_t code = responseCode(packet.body());
        if (state_ == State::AwaitStored && id == storedRequestId_) {
            // Code 0 answers a part of the stored messages; more follow.
            if (code != protocol::code::kOk) becomeOnline();
            return;
        }
        return events_.onResponse(*this, id, code);
    }
}

void LoadClient::answerChallenge(const wire::Packet& offer) {
    const std::string& body = offer.body();
    if (offer.headerInt(protocol::header::kEncryptionType) != 1 ||
        body.size() != connection::kChallengeBytes + connection::kNonceBytes)
        return fail("the server offered no challenge");
    connection::ClientRandom random;
    if (!connection::fillFromOsRandom(random.data(), random.size())) return fail("no random bytes");
    std::string_view all(body);
    connection::EncryptedProof proof = connection::makeEncryptedProof(
        account_.password, all.substr(0, connection::kChallengeBytes),
        all.substr(connection::kChallengeBytes, connection::kNonceBytes), random);
    wire::Packet auth(protocol::command::kAuth);
    auth.setHeader(protocol::header::kEncryptionType, int32_t{1});
    auth.setHeader(protocol::header::kOnlineStatus, kOnline);
    auth.setBody(std::move(proof.body));
    state_ = State::AwaitProfile;
    send(auth);
}

// NOTE: the profile is decoded whole, as the client does, and must name this
// account: a server that mixed up sessions under load would show here.
void LoadClient::acceptProfile(const wire::Packet& profile) {
    auto frame = connection::splitProfileBody(profile.body(), profile.headerInt(protocol::header::kIvLength),
                                              profile.headerInt(protocol::header::kResumeKey));
    wire::DataMapEntries entries;
    if (!frame ||
        wire::parseDataMap({reinterpret_cast<const uint8_t*>(frame->map.data()), frame->map.size()}, entries)
                .status != wire::ParseStatus::Complete)
        return fail("unreadable profile");
    auto subId = entries.find("Sub-Id");
    if (subId == entries.end() || wire::readDecimalId(subId->second) != account_.id)
        return fail("the profile of another account");
    if (!profile.hasHeader(protocol::header::kLastOnline)) return becomeOnline();
    state_ = State::AwaitStored;
    wire::Packet stored(protocol::command::kMessagesStored);
    stored.setHeader(protocol::header::kCount, int32_t{0});
    stored.setHeader(protocol::header::kFromPrivate, profile.header(protocol::header::kLastOnline));
    storedRequestId_ = request(std::move(stored));
}

void LoadClient::becomeOnline() {
    state_ = State::Online;
    onlineAt_ = Clock::now();
    events_.onOnline(*this);
}

// The server pings once after the sign-in and then answers ours; we answer
// after the interval, acknowledging what arrived so that the server can
// forget it, as the real client does.
void LoadClient::armPing() {
    pingTimer_.expires_after(pingInterval_);
    pingTimer_.async_wait([this, generation = generation_](asio::error_code error) {
        if (error || generation != generation_ || state_ != State::Online) return;
        wire::Packet ping(protocol::command::kPing);
        ping.setHeader(protocol::header::kPacketsReceived, packetsReceived_);
        send(ping);
    });
}

void LoadClient::send(const wire::Packet& packet) {
    std::optional<std::string> bytes = packet.serialise();
    if (!bytes) return fail("a packet that cannot be written: " + packet.command());
    outbox_.push_back(std::move(*bytes));
    if (!writing_) writeMore();
}

void LoadClient::writeMore() {
    if (outbox_.empty()) {
        writing_ = false;
        return;
    }
    writing_ = true;
    const std::string& front = outbox_.front();
    socket_.async_write_some(asio::buffer(front.data() + writtenOfFront_, front.size() - writtenOfFront_),
                             [this, generation = generation_](asio::error_code error, size_t n) {
                                 if (generation != generation_) return;
                                 if (error) {
                                     writing_ = false;
                                     // A sign-off's "BYE" may meet a socket the server has closed.
                                     if (state_ != State::SigningOff) fail("write: " + error.message(), true);
                                     return;
                                 }
                                 writtenOfFront_ += n;
                                 if (writtenOfFront_ == outbox_.front().size()) {
                                     outbox_.pop_front();
                                     writtenOfFront_ = 0;
                                 }
                                 writeMore();
                             });
}

void LoadClient::fail(std::string why, bool onTheLine) {
    if (state_ == State::Failed) return;
    failure_ = std::move(why);
    failedOnTheLine_ = onTheLine;
    state_ = State::Failed;
    closeSocket();
    ++generation_;
    events_.onFailed(*this);
}

void LoadClient::closeSocket() {
    pingTimer_.cancel();
    asio::error_code ignored;
    if (socket_.is_open()) socket_.close(ignored);
}

} // namespace kestrova::load
