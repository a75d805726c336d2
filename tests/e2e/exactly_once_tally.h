// What the exactly-once checker sends and how it accounts for it: the
// numbered messages (their bodies drawn from the seed) and the tally that
// reads both clients' transcripts into an ExactlyOnceTable.
#pragma once

#include <map>
#include <random>
#include <string>
#include <vector>

#include "exactly_once.h"

namespace kestrova::e2e {

// Client 0 is ann, client 1 is bob.
struct NumberedMessage {
    int sender = 0;
    std::string body;
    std::string digest; // MD5 in hex, as the harness prints it
};

// "n<number>.<sender>." and a padding of a length and content drawn from
// `random`; no blanks, nothing the harness escapes.
NumberedMessage makeNumberedMessage(int number, int sender, std::mt19937_64& random);

class Tally {
  public:
    // `ids`: each client's account id, as the other sees it in "from=".
    Tally(const std::vector<NumberedMessage>& messages, const std::string ids[2]);

    ExactlyOnceTable count(const std::vector<std::string> transcripts[2]);
    // Every message has an answer and every delivered one arrived.
    bool settled(const std::vector<std::string> transcripts[2]);

  private:
    struct Outcome {
        bool delivered = false;
        bool failed = false;
        int received = 0;
        std::vector<std::string> lines;  // "ann: ..." / "bob: ..."
    };

    void read(int client, const std::vector<std::string>& lines, ExactlyOnceTable& table);
    void readArrival(int client, const std::string& line, ExactlyOnceTable& table);

    const std::vector<NumberedMessage>& messages_;
    std::map<std::string, int> byDigest_;
    std::string ids_[2];
    std::vector<Outcome> outcomes_;
};

} // namespace kestrova::e2e
