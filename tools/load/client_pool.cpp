#include "client_pool.h"

#include "kestrova/wire/data_map.h"
#include "kestrova/wire/protocol.h"

#include <algorithm>

namespace kestrova::load {

namespace protocol = wire::protocol;

namespace {

constexpr const char kTextContent[] = "text/plain";
constexpr int32_t kToContact = 0;
constexpr int32_t kToGroup = 1;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

wire::Packet messagePacket(int32_t targetKind, uint64_t target, std::string body, uint64_t originKey) {
    wire::Packet message(protocol::command::kMessage);
    message.setHeader(protocol::header::kMesgTarget, targetKind);
    message.setHeader(protocol::header::kTargetId, target);
    message.setHeader(protocol::header::kContentType, kTextContent);
    message.setHeader(protocol::header::kLast, int32_t{1});
    message.setHeader(protocol::header::kOriginKey, originKey);
    message.setBody(std::move(body));
    return message;
}

// The id of the one group in a pushed profile's "group_sub".
std::optional<uint64_t> pushedGroupId(const wire::Packet& profile) {
    auto bytes = [](const std::string& text) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    wire::DataMapEntries entries, groups;
    wire::parseDataMap(bytes(profile.body()), entries);
    auto groupSub = entries.find("group_sub");
    if (groupSub == entries.end()) return std::nullopt;
    wire::parseDataMap(bytes(groupSub->second), groups);
    if (groups.size() != 1) return std::nullopt;
    return wire::readDecimalId(groups.begin()->first);
}

} // namespace

ClientPool::ClientPool(asio::ip::tcp::endpoint server, std::vector<LoadAccount> accounts,
                       std::chrono::milliseconds pingInterval)
    : keepRunning_(asio::make_work_guard(io_)),
      signingIn_(accounts.size(), 0),
      signInAttempts_(accounts.size(), 0),
      waitingToRetry_(accounts.size(), 0) {
    clients_.reserve(accounts.size());
    LoadEvents& events = *this;
    for (LoadAccount& account : accounts) {
        clients_.push_back(
            std::make_unique<LoadClient>(io_, server, std::move(account), events, pingInterval));
        indexOf_[clients_.back().get()] = static_cast<uint32_t>(clients_.size() - 1);
    }
}

ClientPool::~ClientPool() {
    sendTimer_.reset();
    clients_.clear();
    keepRunning_.reset();
}

bool ClientPool::serveUntil(const std::function<bool()>& done, Clock::duration limit) {
    Clock::time_point end = Clock::now() + limit;
    while (!done()) {
        Clock::time_point now = Clock::now();
        if (now >= end) return false;
        io_.run_one_for(std::min<Clock::duration>(end - now, std::chrono::milliseconds(50)));
    }
    return true;
}

void ClientPool::serve(Clock::duration time) {
    serveUntil([] { return false; }, time);
}

size_t ClientPool::online(ClientRange range) const {
    return std::count_if(clients_.begin() + range.first, clients_.begin() + range.last,
                         [](const auto& client) { return client->state() == LoadClient::State::Online; });
}

SignInResult ClientPool::signIn(ClientRange range, size_t window, Clock::duration deadline) {
    phase_ = "sign-in";
    SignInResult result;
    signIns_ = &result;
    ++signInPhase_;
    signInWindow_ = std::max<size_t>(window, 1);
    std::fill(signInAttempts_.begin(), signInAttempts_.end(), 0);
    signInQueue_.clear();
    for (size_t i = range.last; i > range.first; --i)
        signInQueue_.push_back(i - 1);
    Clock::time_point start = Clock::now();
    for (size_t i = 0; i < signInWindow_; ++i)
        startNextSignIn();
    serveUntil([this] { return signInQueue_.empty() && signInsUnderWay_ == 0 && retryTimers_.empty(); },
               deadline);
    result.wall = Clock::now() - start;
    for (size_t i = range.first; i < range.last; ++i)
        if (signingIn_[i] || waitingToRetry_[i] ||
            std::find(signInQueue_.begin(), signInQueue_.end(), i) != signInQueue_.end()) {
            ++result.failed;
            drops_.push_back({i, phase_, "not signed in within the deadline"});
            signingIn_[i] = 0;
            waitingToRetry_[i] = 0;
        }
    retryTimers_.clear();
    signInQueue_.clear();
    signInsUnderWay_ = 0;
    signIns_ = nullptr;
    return result;
}

void ClientPool::startNextSignIn() {
    if (signInQueue_.empty()) return;
    size_t next = signInQueue_.back();
    signInQueue_.pop_back();
    ++signInsUnderWay_;
    if (signIns_) signIns_->mostUnderWay = std::max(signIns_->mostUnderWay, signInsUnderWay_);
    signingIn_[next] = 1;
    ++signInAttempts_[next];
    clients_[next]->signIn();
}

void ClientPool::retryLater(uint32_t i) {
    signingIn_[i] = 0;
    waitingToRetry_[i] = 1;
    --signInsUnderWay_;
    if (signIns_) ++signIns_->retried;
    // Spread by client, so that a crowd cut at once does not come back at once.
    auto pause = std::chrono::milliseconds(100 << (signInAttempts_[i] - 1)) + std::chrono::milliseconds(i % 97);
    auto timer = std::make_unique<asio::steady_timer>(io_, pause);
    asio::steady_timer* raw = timer.get();
    retryTimers_.push_back(std::move(timer));
    raw->async_wait([this, i, raw, phase = signInPhase_](asio::error_code error) {
        if (error || phase != signInPhase_) return;
        std::erase_if(retryTimers_, [raw](const auto& each) { return each.get() == raw; });
        waitingToRetry_[i] = 0;
        signInQueue_.push_back(i);
        if (signInsUnderWay_ < signInWindow_) startNextSignIn();
    });
    startNextSignIn();
}

bool ClientPool::signOff(ClientRange range, Clock::duration deadline) {
    phase_ = "sign-off";
    signOffsPending_ = 0;
    for (size_t i = range.first; i < range.last; ++i)
        if (clients_[i]->state() == LoadClient::State::Online) {
            clients_[i]->signOff();
            ++signOffsPending_;
        }
    return serveUntil([this] { return signOffsPending_ == 0; }, deadline);
}

std::optional<uint64_t> ClientPool::createGroup(size_t owner, const std::string& name,
                                                Clock::duration deadline) {
    phase_ = "group creation";
    if (clients_[owner]->state() != LoadClient::State::Online) return std::nullopt;
    wire::Packet create(protocol::command::kGroupCreate);
    create.setHeader(protocol::header::kName, name);
    createdGroup_.reset();
    awaitedCode_.reset();
    awaited_ = {static_cast<uint32_t>(owner), clients_[owner]->request(std::move(create))};
    serveUntil([this] { return awaitedCode_.has_value(); }, deadline);
    awaited_.reset();
    if (awaitedCode_ != protocol::code::kOk) return std::nullopt;
    return createdGroup_;
}

JoinResult ClientPool::joinInTurn(ClientRange range, const std::string& name, Clock::duration deadline) {
    phase_ = "group joins";
    JoinResult result;
    for (size_t i = range.first; i < range.last; ++i) {
        LoadClient& joiner = *clients_[i];
        if (joiner.state() != LoadClient::State::Online) {
            ++result.refused;
            continue;
        }
        wire::Packet join(protocol::command::kGroupSubscribe);
        join.setHeader(protocol::header::kName, name);
        awaitedCode_.reset();
        Clock::time_point start = Clock::now();
        awaited_ = {static_cast<uint32_t>(i), joiner.request(std::move(join))};
        serveUntil([&] { return awaitedCode_.has_value() || joiner.state() != LoadClient::State::Online; },
                   deadline);
        if (awaitedCode_ == protocol::code::kOk)
            result.timesMicros.push_back(micros(Clock::now() - start));
        else
            ++result.refused;
    }
    awaited_.reset();
    return result;
}

TrafficResult ClientPool::ring(ClientRange range, const TrafficPlan& plan) {
    phase_ = "ring traffic";
    std::vector<Scheduled> schedule;
    Clock::time_point start = Clock::now() + std::chrono::milliseconds(10);
    for (size_t i = range.first; i < range.last; ++i) {
        auto offset = plan.interval * (i - range.first) / range.size();
        for (size_t k = 0; k < plan.messagesEach; ++k)
            schedule.push_back({start + offset + plan.interval * k, static_cast<uint32_t>(i)});
    }
    return runTraffic(
        std::move(schedule),
        [this, range](uint32_t sender) {
            uint32_t next = static_cast<uint32_t>(range.first + (sender - range.first + 1) % range.size());
            // A message to a client that dropped would wait in the store;
            // the drop is counted already.
            if (clients_[next]->state() != LoadClient::State::Online) return;
            std::string body = tally_->recordSend(sender, {next}, Clock::now());
            uint64_t originKey = uint64_t(sender + 1) << 32 | tally_->sent();
            clients_[sender]->request(
                messagePacket(kToContact, clients_[next]->account().id, std::move(body), originKey));
        },
        plan);
}

TrafficResult ClientPool::group(ClientRange members, uint64_t groupId, const TrafficPlan& plan) {
    phase_ = "group traffic";
    std::vector<Scheduled> schedule;
    Clock::time_point start = Clock::now() + std::chrono::milliseconds(10);
    for (size_t m = 0; m < plan.messagesEach; ++m) {
        size_t sender =
            members.first + (m * members.size() / std::max<size_t>(plan.messagesEach, 1)) % members.size();
        schedule.push_back({start + plan.interval * m, static_cast<uint32_t>(sender)});
    }
    return runTraffic(
        std::move(schedule),
        [this, members, groupId](uint32_t sender) {
            std::vector<uint32_t> recipients;
            for (size_t i = members.first; i < members.last; ++i)
                if (i != sender && clients_[i]->state() == LoadClient::State::Online)
                    recipients.push_back(static_cast<uint32_t>(i));
            std::string body = tally_->recordSend(sender, std::move(recipients), Clock::now());
            uint64_t originKey = uint64_t(sender + 1) << 32 | (1u << 31) | tally_->sent();
            clients_[sender]->request(messagePacket(kToGroup, groupId, std::move(body), originKey));
        },
        plan);
}

TrafficResult ClientPool::runTraffic(std::vector<Scheduled> schedule, const Sender& send,
                                     const TrafficPlan& plan) {
    std::sort(schedule.begin(), schedule.end(),
              [](const Scheduled& a, const Scheduled& b) { return a.at < b.at; });
    TrafficTally tally(clients_.size());
    tally_ = &tally;
    schedule_ = std::move(schedule);
    nextScheduled_ = 0;
    // A sender that has dropped sends nothing; its drop is counted already.
    sender_ = [this, &send](uint32_t sender) {
        if (clients_[sender]->state() == LoadClient::State::Online) send(sender);
    };
    sendTimer_ = std::make_unique<asio::steady_timer>(io_);
    Clock::time_point lastSend = schedule_.empty() ? Clock::now() : schedule_.back().at;
    sendDue();
    serveUntil([&] { return nextScheduled_ == schedule_.size() && tally.allDelivered(); },
               lastSend - Clock::now() + plan.deadline);
    sendTimer_.reset();
    tally_ = nullptr;
    return tally.result();
}

void ClientPool::sendDue() {
    Clock::time_point now = Clock::now();
    while (nextScheduled_ < schedule_.size() && schedule_[nextScheduled_].at <= now)
        sender_(schedule_[nextScheduled_++].sender);
    if (nextScheduled_ == schedule_.size()) return;
    sendTimer_->expires_at(schedule_[nextScheduled_].at);
    sendTimer_->async_wait([this](asio::error_code error) {
        if (!error) sendDue();
    });
}

uint32_t ClientPool::indexOf(const LoadClient& client) const {
    return indexOf_.at(&client);
}

void ClientPool::onOnline(LoadClient& client) {
    uint32_t i = indexOf(client);
    if (!signingIn_[i]) return;
    signingIn_[i] = 0;
    if (signIns_) signIns_->timesMicros.push_back(micros(client.signInTime()));
    --signInsUnderWay_;
    startNextSignIn();
}

void ClientPool::onFailed(LoadClient& client) {
    uint32_t i = indexOf(client);
    if (signingIn_[i] && client.failedOnTheLine() && signInAttempts_[i] < kSignInAttempts) return retryLater(i);
    drops_.push_back({i, phase_, client.failure()});
    if (!signingIn_[i]) return;
    signingIn_[i] = 0;
    if (signIns_) ++signIns_->failed;
    --signInsUnderWay_;
    startNextSignIn();
}

void ClientPool::onSignedOff(LoadClient&) {
    if (signOffsPending_ > 0) --signOffsPending_;
}

void ClientPool::onMessage(LoadClient& client, const wire::Packet& message) {
    if (tally_) tally_->recordArrival(indexOf(client), message.body(), Clock::now());
}

void ClientPool::onResponse(LoadClient& client, uint64_t mesgId, uint32_t code) {
    if (awaited_ && awaited_->first == indexOf(client) && awaited_->second == mesgId) {
        awaitedCode_ = code;
        return;
    }
    if (tally_ && code != protocol::code::kDone) tally_->recordRefusal();
}

void ClientPool::onProfilePush(LoadClient& client, const wire::Packet& profile) {
    if (awaited_ && awaited_->first == indexOf(client) && !createdGroup_)
        createdGroup_ = pushedGroupId(profile);
}

} // namespace kestrova::load
