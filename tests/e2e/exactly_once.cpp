#include "exactly_once.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "exactly_once_tally.h"
#include "fault_relay.h"
#include "harness_child.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The demo database makes ann and bob each other's contacts.
const HarnessAccount kAccounts[2] = {{"ann@example.org", "ann"}, {"bob@example.org", "bob"}};
const char* const kNames[2] = {"ann", "bob"}; // the checker's client 0 and 1
// Messages are sent in bursts of this many, with a breath between, so that
// faults meet traffic on the wire rather than a queue.
constexpr int kBurst = 10;
constexpr auto kBreath = 5ms;

// The fault due after each message index: 'c' a cut, 'k' a kill and restart.
std::map<int, char> faultPlan(const ExactlyOnceOptions& options, std::mt19937_64& random) {
    std::vector<char> kinds(static_cast<size_t>(options.cuts), 'c');
    kinds.insert(kinds.end(), static_cast<size_t>(options.restarts), 'k');
    std::shuffle(kinds.begin(), kinds.end(), random);
    std::map<int, char> plan;
    int spacing = options.messages / static_cast<int>(kinds.size() + 1);
    for (size_t i = 0; i < kinds.size() && spacing > 0; ++i) {
        int jitter = static_cast<int>(random() % static_cast<uint64_t>(spacing / 2 + 1)) - spacing / 4;
        plan[std::clamp(spacing * static_cast<int>(i + 1) + jitter, 0, options.messages - 1)] = kinds[i];
    }
    return plan;
}

std::string lastState(const HarnessChild& client) {
    std::vector<std::string> lines = client.transcript();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->starts_with("state ")) return line->substr(6);
    return "";
}

bool waitUntil(const std::function<bool()>& condition, Clock::duration limit) {
    auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// Both clients noticed the fault (left "online") and are back online.
bool waitBackOnline(HarnessChild* clients[2]) {
    for (int i = 0; i < 2; ++i)
        waitUntil([&] { return lastState(*clients[i]) != "100"; }, 5s);
    bool online = true;
    for (int i = 0; i < 2; ++i)
        online &= waitUntil([&] { return lastState(*clients[i]) == "100"; }, 90s);
    return online;
}

class Run {
  public:
    explicit Run(const ExactlyOnceOptions& options) : options_(options), random_(options.seed) {}

    ExactlyOnceTable go() {
        if (std::string error = start(); !error.empty()) return failedSetup(error);
        std::map<int, char> plan = faultPlan(options_, random_);
        for (int number = 0; number < options_.messages; ++number) {
            NumberedMessage message = makeNumberedMessage(number, static_cast<int>(random_() % 2), random_);
            clients_[message.sender]->command("send " + ids_[1 - message.sender] + " " + message.body);
            messages_.push_back(std::move(message));
            if (number % kBurst == kBurst - 1) std::this_thread::sleep_for(kBreath);
            if (auto fault = plan.find(number); fault != plan.end()) injectFault(fault->second);
        }
        Tally tally(messages_, ids_);
        waitUntil([&] { return tally.settled(transcripts().data()); },
                  std::chrono::seconds(options_.settleSeconds));
        // Repeats come with a later delivery round; give them a moment.
        std::this_thread::sleep_for(2s);
        ExactlyOnceTable table = tally.count(transcripts().data());
        table.seed = options_.seed;
        table.cutsDone = cuts_;
        table.tornCuts = tornCuts_;
        table.restartsDone = restarts_;
        for (auto& client : clients_)
            client->quit();
        return table;
    }

  private:
    std::array<std::vector<std::string>, 2> transcripts() const {
        return {clients_[0]->transcript(), clients_[1]->transcript()};
    }

    std::string start() {
        database_ = (options_.workDir / "server.db").string();
        server_ = std::make_unique<ServerChild>(database_, 0, std::vector<std::string>{"--demo"});
        if (server_->port() == 0) return "the server did not start";
        relay_ = std::make_unique<FaultRelay>(server_->port());
        if (relay_->port() == 0) return "the relay could not listen";
        for (int i = 0; i < 2; ++i)
            clients_[i] = std::make_unique<HarnessChild>((options_.workDir / kNames[i]).string(),
                                                         relay_->port(), kAccounts[i]);
        for (int i = 0; i < 2; ++i) {
            if (!clients_[i]->waitFor("state 100", 30s)) return std::string(kNames[i]) + " did not sign in";
            clients_[i]->command("whoami");
            auto line = clients_[i]->waitFor("me id=");
            ids_[i] = line ? field(*line, "id") : "";
            if (ids_[i].empty() || ids_[i] == "0") return std::string("no id for ") + kNames[i];
        }
        return "";
    }

    ExactlyOnceTable failedSetup(const std::string& error) {
        ExactlyOnceTable table;
        table.seed = options_.seed;
        table.setupError = error;
        return table;
    }

    void injectFault(char kind) {
        if (kind == 'c') {
            bool midStream = random_() % 4 != 0;
            bool torn = relay_->cut(midStream, static_cast<uint32_t>(random_()));
            ++cuts_;
            tornCuts_ += torn;
            say("cut " + std::to_string(cuts_) + (torn ? " (mid-stream)" : " (between packets)"));
        } else {
            server_->kill();
            server_ = std::make_unique<ServerChild>(database_, 0, std::vector<std::string>{"--demo"});
            relay_->setUpstream(server_->port());
            ++restarts_;
            say("server killed and restarted (" + std::to_string(restarts_) + ")");
        }
        HarnessChild* clients[2] = {clients_[0].get(), clients_[1].get()};
        say(waitBackOnline(clients) ? "both clients online again" : "a client did not come back online");
    }

    void say(const std::string& text) {
        if (options_.progress) options_.progress(text);
    }

    const ExactlyOnceOptions& options_;
    std::mt19937_64 random_;
    std::string database_;
    std::unique_ptr<ServerChild> server_;
    std::unique_ptr<FaultRelay> relay_;
    std::unique_ptr<HarnessChild> clients_[2];
    std::string ids_[2];
    std::vector<NumberedMessage> messages_;
    int cuts_ = 0;
    int tornCuts_ = 0;
    int restarts_ = 0;
};

} // namespace

ExactlyOnceTable runExactlyOnce(const ExactlyOnceOptions& options) {
    return Run(options).go();
}

std::string formatTable(const ExactlyOnceTable& table) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "seed %llu: %d messages, %d cuts (%d mid-stream), %d server restarts\n"
                  "  sent        %6d\n"
                  "  delivered   %6d  (acknowledged to the sender)\n"
                  "  received    %6d\n"
                  "  lost        %6d  (acknowledged, never shown)\n"
                  "  duplicated  %6d  (shown more than once)\n"
                  "  corrupted   %6d\n"
                  "  unexpected  %6d\n"
                  "  failed      %6d  (reported failed; %d of them shown anyway)\n"
                  "  unsettled   %6d  (neither delivered nor failed)\n",
                  static_cast<unsigned long long>(table.seed), table.sent, table.cutsDone, table.tornCuts,
                  table.restartsDone, table.sent, table.delivered, table.received, table.lost,
                  table.duplicated, table.corrupted, table.unexpected, table.failed, table.failedButReceived,
                  table.unsettled);
    std::string out = text;
    if (!table.setupError.empty()) out += "  run did not complete: " + table.setupError + "\n";
    if (!table.evidence.empty()) out += "  what the clients printed about the messages lost or repeated:\n";
    for (const std::string& line : table.evidence) out += "    " + line + "\n";
    return out;
}

} // namespace kestrova::e2e
