#include "exactly_once_tally.h"

#include <cstdio>

#include "harness_child.h"

#include "kestrova/crypto/md5.h"

namespace kestrova::e2e {
namespace {

const char* const kNames[2] = {"ann", "bob"};

std::string hexDigest(const std::string& text) {
    crypto::Md5Digest digest = crypto::md5(text.data(), text.size());
    std::string hex;
    for (uint8_t byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

} // namespace

NumberedMessage makeNumberedMessage(int number, int sender, std::mt19937_64& random) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string body = "n" + std::to_string(number) + "." + kNames[sender] + ".";
    size_t padding = random() % 160;
    for (size_t i = 0; i < padding; ++i)
        body += kAlphabet[random() % (sizeof kAlphabet - 1)];
    return {sender, body, hexDigest(body)};
}

Tally::Tally(const std::vector<NumberedMessage>& messages, const std::string ids[2]) : messages_(messages) {
    for (size_t i = 0; i < messages.size(); ++i)
        byDigest_[messages[i].digest] = static_cast<int>(i);
    for (int i = 0; i < 2; ++i)
        ids_[i] = ids[i];
}

ExactlyOnceTable Tally::count(const std::vector<std::string> transcripts[2]) {
    ExactlyOnceTable table;
    outcomes_.assign(messages_.size(), Outcome{});
    for (int i = 0; i < 2; ++i)
        read(i, transcripts[i], table);
    table.sent = static_cast<int>(messages_.size());
    for (const Outcome& outcome : outcomes_) {
        table.delivered += outcome.delivered;
        table.failed += outcome.failed && !outcome.delivered;
        table.failedButReceived += outcome.failed && !outcome.delivered && outcome.received > 0;
        table.unsettled += !outcome.delivered && !outcome.failed;
        table.lost += outcome.delivered && outcome.received == 0;
        table.duplicated += outcome.received > 1;
        table.received += outcome.received > 0;
        bool wrong = (outcome.delivered && outcome.received == 0) || outcome.received > 1;
        if (wrong && table.evidence.size() < 40)
            table.evidence.insert(table.evidence.end(), outcome.lines.begin(), outcome.lines.end());
    }
    return table;
}

bool Tally::settled(const std::vector<std::string> transcripts[2]) {
    ExactlyOnceTable table = count(transcripts);
    return table.unsettled == 0 && table.lost == 0;
}

void Tally::read(int client, const std::vector<std::string>& lines, ExactlyOnceTable& table) {
    std::map<std::string, int> byRef;
    for (const std::string& line : lines) {
        if (line.starts_with("sent ")) {
            auto found = byDigest_.find(field(line, "md5"));
            if (found == byDigest_.end()) continue;
            byRef[field(line, "ref")] = found->second;
            outcomes_[found->second].lines.push_back(kNames[client] + (": " + line));
        } else if (line.starts_with("delivered ") || line.starts_with("failed ")) {
            auto found = byRef.find(field(line, "ref"));
            if (found == byRef.end()) continue;
            Outcome& outcome = outcomes_[found->second];
            (line[0] == 'd' ? outcome.delivered : outcome.failed) = true;
            outcome.lines.push_back(kNames[client] + (": " + line));
        } else if (line.starts_with("message ")) {
            readArrival(client, line, table);
        }
    }
}

void Tally::readArrival(int client, const std::string& line, ExactlyOnceTable& table) {
    std::string text = field(line, "text");
    int number = -1;
    if (std::sscanf(text.c_str(), "n%d.", &number) != 1 || number < 0 ||
        number >= static_cast<int>(messages_.size())) {
        ++table.unexpected;
        return;
    }
    const NumberedMessage& message = messages_[static_cast<size_t>(number)];
    if (message.sender == client || field(line, "from") != ids_[message.sender] ||
        field(line, "group") != "0") {
        ++table.unexpected;
        return;
    }
    if (text != message.body || field(line, "md5") != message.digest) {
        ++table.corrupted;
        return;
    }
    Outcome& outcome = outcomes_[static_cast<size_t>(number)];
    ++outcome.received;
    outcome.lines.push_back(kNames[client] + (": " + line));
}

} // namespace kestrova::e2e
